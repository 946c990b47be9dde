#!/usr/bin/env node
// The browser's page in headless Chromium, held against the desktop build of the same sources:
// the same battles and seeks digest for digest, the same frame pixel for pixel (less the exit
// hint) and shrunk by area average, the viewer's keys, taps, form, buttons and timeline, the
// address, and nothing asked for but the page itself, from disk and from a web server.
//
//   run-page-tests.js PAGE.html BATTLE-REFERENCE

'use strict';

const assert = require('assert');
const { spawnSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { launchBrowser, openPage, waitUntil } = require('./browser');

const [pagePath, reference] = process.argv.slice(2);
const pageUrl = 'file://' + path.resolve(pagePath);
const kDefaultCounts = [200, 50, 50, 200, 50, 50];  // the command line's order
const kMaxFrames = 36000;

function native(...args) {
  const run = spawnSync(reference, args.map(String), { encoding: 'utf8' });
  assert.strictEqual(run.status, 0, `battle-reference ${args.join(' ')}: ${run.stderr}`);
  return run.stdout.trim();
}

const checks = [];
function check(name, body) { checks.push({ name, body }); }

// ---- the same battle ----

// A script's random seeks, back, on, to either end and into what was never seen, land where they land natively.
check('the digest chains of whole battles and of random seeks equal the desktop build\'s', async (browser) => {
  const battles = [
    { seed: 11, counts: kDefaultCounts, script: 1 },
    { seed: 42, counts: kDefaultCounts, script: 2 },
    { seed: 5, counts: [30, 8, 12, 60, 3, 20], script: 3 },
  ];
  for (const { seed, counts, script } of battles) {
    const query = counts === kDefaultCounts ? `?seed=${seed}` : `?seed=${seed}&counts=${counts.join(',')}`;
    const page = await openPage(browser, pageUrl + query);
    const inPage = await page.evaluate((max) => [battlePage.digestChain(max), battlePage.passes()], kMaxFrames);
    const [chain, passes] = native('chain', seed, kMaxFrames, ...counts).split(' ');
    assert.deepStrictEqual(inPage, [chain, Number(passes)], `seed ${seed} with ${counts}`);
    assert(Number(passes) > 1000, `seed ${seed} plays a real battle (${passes} frames)`);
    await page.goto(pageUrl + query);
    await waitUntil(page, () => window.battlePage && battlePage.running());
    const seeks = await page.evaluate((script) => battlePage.seekChain(script, 60), script);
    assert.strictEqual(seeks, native('seekchain', seed, script, 60, ...counts), `seed ${seed}, script ${script}`);
    await page.close();
  }
});

function desktopFrame(seed, frames, counts) {
  const file = path.join(os.tmpdir(), `battle-frame-${process.pid}.raw`);
  native('frame', seed, frames, file, ...counts);
  try { return fs.readFileSync(file); } finally { fs.unlinkSync(file); }
}

// The part of the field the canvas shows in its box, in the field's pixels, whether its pixels are crisp squares, and the battle.
const look = () => {
  const [box, canvas] = ['view', 'field'].map((id) => document.getElementById(id).getBoundingClientRect());
  return { x: (box.left - canvas.left) / canvas.width * 1280, y: (box.top - canvas.top) / canvas.height * 1024, width: box.width / canvas.width * 1280,
    height: box.height / canvas.height * 1024, crisp: getComputedStyle(document.getElementById('field')).imageRendering !== 'auto',
    scrolled: scrollY, passes: battlePage.passes(), paused: battlePage.paused() };
};

// The canvas against the desktop's frame. The page leaves out "Push Esc To Exit" (x 576..703, y 992..999): only that box may differ.
async function againstDesktop(page, expected) {
  return page.evaluate((expected) => {
    const shown = document.getElementById('field').getContext('2d').getImageData(0, 0, 1280, 1024).data;
    const bytes = Uint8Array.from(atob(expected), (c) => c.charCodeAt(0));
    const back = (value, bits) => Math.round(value * ((1 << bits) - 1) / 255);
    const found = { picture: battlePage.picture(), difference: null, hint: 0, hintShown: 0 };
    for (let n = 0; n < 1280 * 1024; n++) {
      const x = n % 1280, y = Math.floor(n / 1280);
      const pixel = (back(shown[4 * n], 5) << 11) | (back(shown[4 * n + 1], 6) << 5) | back(shown[4 * n + 2], 5);
      const want = bytes[2 * n] | (bytes[2 * n + 1] << 8);
      const inHint = x >= 576 && x < 704 && y >= 992 && y < 1000;
      if (!inHint && pixel !== want) found.difference ??= { x, y, shown: pixel, desktop: want };
      if (inHint && want === 0xffff) { found.hint++; found.hintShown += pixel === want; }
    }
    return found;
  }, expected);
}

// Zoomed, the canvas still holds the frame and its box shows the part asked for: + doubles about the field's middle,
// Ctrl+wheel about the pointer at (400, 300), - halves about the middle.
check('after N frames the canvas is the desktop program\'s frame N, pixel for pixel, less the exit hint; zoomed by + and - on ' +
  'the field and by Ctrl+wheel it shows the part asked for in crisp squares, until a double click shows it whole', async (browser) => {
  for (const { seed, frames, counts } of [
    { seed: 42, frames: 240, counts: kDefaultCounts },
    { seed: 3, frames: 1300, counts: [0, 0, 0, 300, 50, 0] },  // blue has no army: the end, with its panel
  ]) {
    const expected = desktopFrame(seed, frames, counts).toString('base64');
    const page = await openPage(browser, `${pageUrl}?seed=${seed}&counts=${counts.join(',')}`, { width: 1920, height: 1080 });
    await page.evaluate((frames) => { battlePage.hold(); battlePage.step(frames); }, frames);
    const found = await againstDesktop(page, expected);
    assert.deepStrictEqual(found.picture, { width: 1280, height: 1024, whole: 1 }, 'one pixel for each at 1920 x 1080');
    assert.strictEqual(found.difference, null, `seed ${seed}, frame ${frames}: ${JSON.stringify(found.difference)}`);
    assert(found.hint > 50 && found.hintShown < found.hint / 2, `the hint's ${found.hint} white pixels, ${found.hintShown} on the page`);
    const box = await page.locator('#field').boundingBox();
    await page.focus('#field');
    await page.mouse.move(box.x + 400, box.y + 300);
    for (const [act, part] of seed === 42 ? [['+', { x: 320, y: 256, zoom: 2 }], ['Control+wheel', { x: 420, y: 331, zoom: 4 }],
      ['-', { x: 260, y: 203, zoom: 2 }], ['dblclick', { x: 0, y: 0, zoom: 1 }]] : []) {
      if (act.length === 1) await page.keyboard.press(act);
      else if (act === 'dblclick') await page.mouse.dblclick(box.x + 400, box.y + 300);
      else await page.keyboard.down('Control').then(() => page.mouse.wheel(0, -100)).then(() => page.keyboard.up('Control'));
      await waitUntil(page, (zoom) => document.getElementById('field').offsetWidth === 1280 * zoom, part.zoom);
      const [{ difference }, { x, y, width, height, crisp }] = [await againstDesktop(page, expected), await page.evaluate(look)];
      assert.deepStrictEqual([difference, x, y, width, height, crisp], [null, part.x, part.y, 1280 / part.zoom, 1024 / part.zoom, true], act);
    }
    await page.close();
  }
});

// Shrunk, the countdown's letters are held against an area average of the desktop's frame worked
// out here, by the mean and the largest difference of a channel (0..255) over the text's box; the
// nearest pixel, which garbled the letters, must fail the same measure.
check('a shrunk field averages the desktop\'s frame, and its results are text, at 1366 x 768 and 390 x 844', async (browser) => {
  const counts = [0, 0, 0, 300, 50, 0];
  const frame = desktopFrame(3, 1300, counts);
  const channels = (n) => { const p = frame[2 * n] | (frame[2 * n + 1] << 8); return [(p >> 11) * 255 / 31, ((p >> 5) & 63) * 255 / 63, (p & 31) * 255 / 31]; };
  for (const viewport of [{ width: 1366, height: 768 }, { width: 390, height: 844 }]) {
    const page = await openPage(browser, `${pageUrl}?seed=3&counts=${counts.join(',')}`, viewport);
    const { width, height, whole, under } =
      await page.evaluate(() => ({ ...battlePage.picture(), under: document.getElementById('timeline').offsetHeight }));
    const [sx, sy] = [width / 1280, height / 1024];
    const box = { x0: Math.floor(640 * sx), x1: Math.ceil(816 * sx), y0: Math.floor(32 * sy), y1: Math.ceil(40 * sy) };
    const shown = await page.evaluate(({ x0, x1, y0, y1 }) => {
      battlePage.hold(); battlePage.step(1300);
      const [field, results] = [document.getElementById('field'), document.getElementById('results')];
      return { results: results.textContent, title: document.title, resultsBottom: results.getBoundingClientRect().bottom,
        fieldWidth: field.offsetWidth, bodyWidth: document.body.clientWidth,
        pixels: Array.from(field.getContext('2d').getImageData(x0, y0, x1 - x0, y1 - y0).data) };
    }, box);
    // As large as the window allows: as tall as the laptop's (less the timeline), as wide as the phone's, results under it.
    assert(whole === 0 && shown.fieldWidth === width && (Math.abs(height + under - viewport.height) <= 1 || width === shown.bodyWidth), `${width}x${height}`);
    assert(viewport.width > 1000 || shown.resultsBottom <= viewport.height, `the results end at ${shown.resultsBottom}`);
    assert.strictEqual(shown.title, 'Battle - seed 3 - Blue eliminated');
    assert.match(shown.results, /the Blue Team has been eliminated.*Length 0:09\.9 \(599 frames\).*Red Team293050Blue Team000Seed 3/);
    const share = (f, p, s) => Math.max(0, Math.min(f + 1, (p + 1) / s) - Math.max(f, p / s)) * s;  // of frame pixel f under p
    const off = { average: [], nearest: [] };
    for (let y = box.y0; y < box.y1; y++) {
      for (let x = box.x0; x < box.x1; x++) {
        const mean = [0, 0, 0];
        for (let fy = Math.floor(y / sy); fy < Math.min(1024, (y + 1) / sy); fy++) {
          for (let fx = Math.floor(x / sx); fx < Math.min(1280, (x + 1) / sx); fx++) {
            channels(fy * 1280 + fx).forEach((c, k) => { mean[k] += share(fx, x, sx) * share(fy, y, sy) * c; });
          }
        }
        const nearest = channels(Math.floor((y + 0.5) / sy) * 1280 + Math.floor((x + 0.5) / sx));
        const at = 4 * ((y - box.y0) * (box.x1 - box.x0) + (x - box.x0));
        mean.forEach((m, k) => { off.average.push(Math.abs(shown.pixels[at + k] - m)); off.nearest.push(Math.abs(nearest[k] - m)); });
      }
    }
    const [average, nearest] = [off.average, off.nearest].map((o) => [o.reduce((a, b) => a + b) / o.length, Math.max(...o)]);
    assert(average[0] <= 3 && average[1] <= 12, `${width} wide: the page is off the average by ${average}`);
    assert(nearest[0] > 6, `${width} wide: the nearest pixel is off by ${nearest}, the measure cannot tell`);
    await page.close();
  }
});

// ---- every screen ----

// Whole CSS pixels for each of the field's where they fill 3/4 of the room (else the field at least `least` wide); controls
// finger-sized on touch screens, where the course is the slider's track; the countdown while the field's letters are < 8 px.
check('on every screen the field fills the room, every control answers where it is shown, and nothing scrolls sideways', async (browser) => {
  for (const [width, height, deviceScaleFactor, query, least, whole] of [[375, 667, 3, ''], [667, 375, 2, ''], [320, 568, 2, ''],
    [375, 667, 2, '&t=99:99'], [768, 1024, 2, '', 691], [1440, 900, 2, '', 983], [1920, 1200, 1, '', 1280, 1], [2560, 1440, 1, '', 1600]]) {
    const touch = width < 1000;
    const page = await openPage(browser, `${pageUrl}?seed=11${query}`, { width, height }, { deviceScaleFactor, hasTouch: touch, isMobile: touch });
    const found = await page.evaluate(() => ({ picture: battlePage.picture(), scrolls: document.documentElement.scrollWidth > innerWidth,
      field: ((field) => [field.offsetWidth, field.offsetHeight])(document.getElementById('field')),
      countdown: getComputedStyle(document.getElementById('countdown')).visibility === 'visible',
      controls: [...document.querySelectorAll('button, #slider, #course')].filter((c) => c.offsetParent).map((c) => {
        c.scrollIntoView({ block: 'center' });
        const { left, top, width, height } = c.getBoundingClientRect();
        let answers = 0;
        for (let x = left + 0.5; x < left + width; x++) answers += document.elementFromPoint(x, top + height / 2) === c;
        return { id: c.id, width, height, answers: answers / Math.floor(width) };
      }) }));
    const screen = `${width}x${height}@${deviceScaleFactor}${query}: ${JSON.stringify(found)}`;
    assert(!found.scrolls && found.controls.length >= 18 && found.countdown === found.field[0] < 1280, screen);
    assert(found.controls.every((c) => (touch && c.id === 'course') ? c.answers === 0 : c.answers >= 0.9 && (!touch || Math.min(c.width, c.height) >= 44)), screen);
    assert(found.picture.whole === (whole || 0) && found.field[0] >= (least || 0) && (!whole || found.field[1] === 1024 * whole), screen);
    await page.close();
  }
});

// ---- zoom ----

check('on a phone two fingers zoom about their middle and one pans a zoomed field, not the page; a tap pauses, a double ' +
  'tap shows the whole field, and the battle plays on', async (browser) => {
  // Paused at the end of a battle on a phone, whose results make the page taller than the screen; then playing on.
  const phone = await openPage(browser, pageUrl + '?seed=11&t=1:41', { width: 375, height: 667 }, { deviceScaleFactor: 3, hasTouch: true, isMobile: true });
  await waitUntil(phone, arrived);
  await phone.keyboard.press('Space');
  const cdp = await phone.context().newCDPSession(phone), field = await phone.locator('#field').boundingBox();
  const [x, y] = [field.x + field.width / 2, field.y + field.height / 2];
  const fingers = async (from, to) => {  // each finger from and to (dx, dy) off the field's middle, held still before lifting: no fling
    const at = (part) => from.map(([fx, fy], id) => ({ id, x: x + fx + (to[id][0] - fx) * part, y: y + fy + (to[id][1] - fy) * part }));
    for (let step = 0; step <= 7; step++) await cdp.send('Input.dispatchTouchEvent', { type: step ? 'touchMove' : 'touchStart', touchPoints: at(Math.min(1, step / 6)) });
    await phone.waitForTimeout(150);
    for (const type of ['touchMove', 'touchEnd']) await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: type === 'touchEnd' ? [] : at(1) });
    return phone.evaluate(look);
  };
  const up = await fingers([[0, 0]], [[0, -100]]);
  assert(up.scrolled > 20 && up.width === 1280, `the whole field scrolls the page: ${JSON.stringify(up)}`);
  await phone.evaluate(() => scrollTo(0, 0));
  const spread = await fingers([[-30, 0], [30, 0]], [[-90, 0], [90, 0]]);  // three times as far apart, about the middle
  assert(Math.abs(spread.width - 1280 / 3) < 0.01 && Math.abs(spread.x - (640 - 1280 / 6)) < 0.5 && spread.scrolled === 0, JSON.stringify(spread));
  const panned = await fingers([[0, 0]], [[0, -60]]);
  assert(Math.abs(panned.y - spread.y - 60 * 1024 / field.height / 3) < 0.5 && Math.abs(panned.x - spread.x) < 0.01 && panned.scrolled === 0, JSON.stringify(panned));
  assert(panned.passes > up.passes && !panned.paused, 'the battle plays on while zoomed');
  await phone.touchscreen.tap(x, y);
  assert(await phone.evaluate(look).then((now) => Math.abs(now.width - 1280 / 3) < 0.01 && now.paused), 'a tap pauses');
  for (const dx of [0, 5]) await phone.touchscreen.tap(x + dx, y);  // a double tap, with the tap before or alone: paused, whole
  assert.deepStrictEqual(await phone.evaluate(look).then((now) => [now.width, now.paused]), [1280, true], 'a double tap');
  await phone.close();
});

// ---- the viewer ----

check('Space stops the battle and goes on; + doubles the frames per tick', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=7');
  await waitUntil(page, () => battlePage.passes() > 20);
  await page.keyboard.press('Space');
  const stopped = await page.evaluate(() => [battlePage.digest(), battlePage.passes()]);
  await page.waitForTimeout(700);
  assert.deepStrictEqual(await page.evaluate(() => [battlePage.digest(), battlePage.passes()]), stopped);
  assert.strictEqual(await page.getAttribute('#pause', 'aria-pressed'), 'true');
  assert.strictEqual(await page.textContent('#speed'), 'Paused, speed 1x');
  await page.keyboard.press('Space');
  await waitUntil(page, (passes) => battlePage.passes() > passes + 10, stopped[1]);

  await page.evaluate(() => battlePage.hold());
  const perTick = async () => page.evaluate(() => {
    const before = battlePage.passes();
    battlePage.step(10);
    return (battlePage.passes() - before) / 10;
  });
  assert.strictEqual(await perTick(), 1);
  await page.keyboard.press('+');
  assert.strictEqual(await perTick(), 2);
  await page.click('#faster');  // the button does what the key does
  assert.strictEqual(await perTick(), 4);
  assert.strictEqual(await page.textContent('#speed'), 'Speed 4x');
  await page.keyboard.press('1');
  assert.strictEqual(await perTick(), 1);
  await page.close();
});

check('the endless show and the next battle move on to the next seed, the address follows, and Back and Forward go ' +
  'through the battles chosen', async (browser) => {
  const page = await openPage(browser, `${pageUrl}?seed=3&counts=0,0,0,300,50,0&loop=1`);
  await page.evaluate(() => {
    battlePage.hold();
    while (battlePage.seed() === 3) battlePage.step(100);
  });
  assert.strictEqual(await page.title(), 'Battle - seed 4');
  assert.match(page.url(), /\?seed=4&counts=0,0,0,300,50,0&loop=1$/);
  await page.click('#next');
  assert.strictEqual(await page.title(), 'Battle - seed 5');
  assert.strictEqual(await page.evaluate(() => battlePage.seed()), 5);
  for (const [go, seed] of [['goBack', 4], ['goBack', 3], ['goForward', 4]]) {
    await page[go]();
    await waitUntil(page, (seed) => battlePage.seed() === seed && document.title === `Battle - seed ${seed}`, seed);
    assert.match(page.url(), new RegExp(`\\?seed=${seed}&counts=0,0,0,300,50,0&loop=1$`));
  }
  await page.close();
});

check('a bad address says what was wrong in one line and the default battle plays, or the seed asked for', async (browser) => {
  const armies = ': playing seed 9 with the default armies.';
  for (const [query, word, said] of [['?seed=abc', 'seed'], ['?seed=4294967296', 'seed'], ['?counts=1,2,3', 'counts'],
    ['?seed=9&loop=yes', 'loop'], ['?seed=9&t=', '', 'The moment is empty: playing from the start.'],
    ['?seed=9&counts=1,2,3,4,5,6,', '', "The counts '1,2,3,4,5,6,' are not six whole numbers separated by commas" + armies],
    ['?seed=9&counts=2147483648,50,50,200,50,50', '', "The count '2147483648' in the counts is more than 2147483647" + armies]]) {
    const page = await openPage(browser, pageUrl + query);
    const message = (await page.textContent('#message')).trim();
    assert(said ? message === said : message.includes(word) && message.includes('default battle'), `${query}: "${message}"`);
    assert(!message.includes('\n'), `${query}: one line`);
    await waitUntil(page, () => battlePage.passes() > 10);
    assert.match(page.url(), said ? /\?seed=9$/ : /\?seed=\d+$/, `${query}: the address names the battle that plays`);
    await page.close();
  }
});

check('on a phone a tap on the field pauses and goes on, buttons are 44 x 44 px, and the battle form starts the battle ' +
  'it describes and refuses a bad value in the address\'s words', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=7', { width: 390, height: 844 }, { hasTouch: true });
  for (const paused of [true, false]) {
    await page.tap('#field');
    assert.strictEqual(await page.evaluate(() => battlePage.paused()), paused);
  }
  const sizes = await page.$$eval('button', (all) => all.filter((b) => b.offsetParent).map((b) => b.getBoundingClientRect()));
  assert(sizes.length >= 16 && sizes.every((box) => box.height >= 44 && box.width >= 44), JSON.stringify(sizes));
  await page.click('#choose');
  await page.fill('#form-seed', '77');
  for (const [at, count] of [10, 2, 3, 20, 4, 5].entries()) await page.fill(`#form-count-${at}`, String(count));
  await page.check('#form-loop');
  await page.fill('#form-moment', '0:10');
  await page.click('#form-start');
  assert.match(page.url(), /\?seed=77&counts=10,2,3,20,4,5&loop=1&t=0:10$/);
  assert.strictEqual(await page.evaluate(() => battlePage.digestChain(300)), native('chain', 77, 300, 10, 2, 3, 20, 4, 5).split(' ')[0]);
  await page.click('#choose');
  await page.fill('#form-count-2', 'abc');
  await page.fill('#form-seed', '-1');
  await page.click('#form-start');
  assert.strictEqual(await page.textContent('#form-count-2-problem'), "The count 'abc' is not a whole number");
  assert.strictEqual(await page.textContent('#form-seed-problem'), "The seed '-1' is not a number from 0 to 4294967295");
  assert(await page.isVisible('#chooser') && await page.evaluate(() => battlePage.seed()) === 77, 'the form stays open');
  await page.close();
});

check('seeds are unsigned: 4294967295 is named, and the previous and next battles go round', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=4294967295');
  assert.deepStrictEqual([await page.title(), await page.evaluate(() => battlePage.seed())], ['Battle - seed 4294967295', 4294967295]);
  for (const [button, seed] of [['#next', 0], ['#previous', 4294967295], ['#previous', 4294967294]]) {
    await page.click(button);
    assert.deepStrictEqual([await page.title(), new URL(page.url()).search], [`Battle - seed ${seed}`, `?seed=${seed}`]);
  }
  assert.strictEqual(await page.getAttribute('#field', 'aria-label'),
    'Battle of seed 4294967294: blue 200 riflemen, 50 tanks, 50 snipers; red 200 riflemen, 50 tanks, 50 snipers');
  await page.close();
});

check('neither army has a unit: the page says so, and the endless show moves on after 10 seconds', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=5&counts=0,0,0,0,0,0&loop=1');
  assert.match(await page.textContent('#message'), /^Neither army has a unit: nothing will happen/);
  await page.evaluate(() => { battlePage.hold(); battlePage.step(600); });  // ten seconds of the empty field
  assert.deepStrictEqual(await page.evaluate(() => [battlePage.seed(), (battlePage.step(1), battlePage.seed())]), [5, 6]);
  await page.close();
});

check('a page opened without a seed picks one and writes it into the address and the title', async (browser) => {
  const page = await openPage(browser, pageUrl);
  const seed = await page.evaluate(() => battlePage.seed());
  assert.strictEqual(page.url(), `${pageUrl}?seed=${seed}`);
  assert.strictEqual(await page.title(), `Battle - seed ${seed}`);
  assert.strictEqual(await page.textContent('#message'), '');
  await page.close();
});

// ---- the timeline ----

const arrived = () => battlePage.timeline().goal < 0;

check('?seed=11&t=30 opens paused on the canvas of the page played to frame 1800; the slider dragged, the course clicked, ' +
  'the timeline\'s keys and buttons, and the slider\'s own keys move the time', async (browser) => {
  const whole = { width: 1920, height: 1080 };
  const page = await openPage(browser, pageUrl + '?seed=11&t=30', whole);
  await waitUntil(page, arrived);
  const at = await page.evaluate(() => [document.getElementById('field').toDataURL(), battlePage.paused(),
    battlePage.timeline().frame, document.getElementById('slider').getAttribute('aria-valuetext')]);
  const held = await openPage(browser, pageUrl + '?seed=11', whole);
  await held.evaluate(() => { battlePage.hold(); battlePage.step(1800); });
  await held.keyboard.press('Space');
  const played = await held.evaluate(() => { battlePage.step(1); return document.getElementById('field').toDataURL(); });
  assert(at[0] === played, 'the two canvases differ');
  await held.close();
  assert.deepStrictEqual(at.slice(1), [true, 1800, '0:30.0, frame 1800']);
  assert.match(page.url(), /\?seed=11&t=0:30$/);

  const time = () => page.evaluate(() => battlePage.timeline().frame);
  const [slider, chart] = [await page.locator('#slider').boundingBox(), await page.locator('#course').boundingBox()];
  const xOf = (frame) => slider.x + 7 + (slider.width - 14) * frame / 3000;  // the handle is 14 px wide, the span 3000
  await page.mouse.move(xOf(1800), slider.y + slider.height / 2);
  await page.mouse.down();
  await page.mouse.move(xOf(750), slider.y + slider.height / 2, { steps: 5 });
  await page.mouse.up();
  assert(Math.abs(await time() - 750) <= 6, `dragged to ${await time()}`);
  await page.mouse.click(chart.x + chart.width / 2, chart.y + chart.height / 2);
  await waitUntil(page, arrived);
  assert(Math.abs(await time() - 1500) <= 6, `clicked at ${await time()}`);
  for (const [press, frame] of [['Home', 0], ['ArrowRight', 300], ['ArrowRight', 600], ['Shift+ArrowLeft', 599], ['.', 600],
    [',', 599], ['ArrowLeft', 299], ['#time-on', 599], ['#time-step-back', 598], ['End', 6001], ['Shift+ArrowRight', 6001],
    ['#time-start', 0], ['focus', 0], ['ArrowRight', 1], ['ArrowRight', 2], ['Home', 0]]) {
    if (press === 'focus') await page.focus('#slider');
    else if (press.startsWith('#')) await page.click(press);
    else await page.keyboard.press(press);
    await waitUntil(page, arrived);
    assert.strictEqual(await time(), frame, `after ${press}`);
  }
  await page.click('#pause');  // goes on
  assert.strictEqual(await page.evaluate(() => battlePage.paused()), false);
  await page.keyboard.press('.');
  assert.strictEqual(await page.evaluate(() => battlePage.paused()), true, 'a frame on pauses first');
  await page.close();
});

check('while paused the address follows the moment and Copy link copies it; a bad t says so in one line', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=7&other=x', undefined, { permissions: ['clipboard-read', 'clipboard-write'] });
  await page.keyboard.press('Space');
  for (const [press, moment] of [['Home', '0:00'], ['ArrowRight', '0:05'], ['.', '301f']]) {
    await page.keyboard.press(press);
    await waitUntil(page, (moment) => location.search === `?seed=7&t=${moment}&other=x`, moment);
  }
  await page.click('#copy');
  await waitUntil(page, () => document.getElementById('copy').textContent === 'Copied');
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  assert.strictEqual(copied, page.url());
  await page.keyboard.press('Space');
  await waitUntil(page, () => location.search === '?seed=7&other=x');
  await page.close();
  const again = await openPage(browser, copied);
  await waitUntil(again, arrived);
  assert.deepStrictEqual(await again.evaluate(() => [battlePage.timeline().frame, battlePage.paused()]), [301, true]);
  await again.close();
  const late = await openPage(browser, `${pageUrl}?seed=5&counts=0,0,0,0,0,0&t=10:00:00`);  // the latest moment, written as the address does
  await waitUntil(late, arrived);
  assert.deepStrictEqual(await late.evaluate(() => [document.getElementById('time-text').textContent, location.search.slice(-10),
    document.getElementById('slider').getAttribute('aria-valuetext')]), ['10:00:00.0', 't=10:00:00', '10:00:00.0, frame 2160000']);
  await late.close();
  for (const moment of ['abc', '-5', '10:00:01', '1:60']) {
    const bad = await openPage(browser, `${pageUrl}?seed=11&t=${moment}`);
    assert.strictEqual(await bad.textContent('#message'),
      `The moment '${moment}' is not one from 0 to 10:00:00, such as 1:30, 90.5 or 5400f: playing from the start.`);
    await waitUntil(bad, () => battlePage.passes() > 10 && !battlePage.paused() && battlePage.seed() === 11);
    await bad.close();
  }
});

// ---- what a screen reader hears ----

const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

check('the odds of the moment shown come from the page\'s worker and equal the desktop\'s; O and the Odds button hide ' +
  'and show them, and odds=0 starts them hidden', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=11&t=30', { width: 1366, height: 768 });
  await waitUntil(page, () => { const odds = battlePage.odds(); return odds !== null && odds.frame === 1800; }, null, 90000);
  const odds = await page.evaluate(() => battlePage.odds());
  assert.strictEqual([odds.frame, odds.rollouts, odds.red, odds.blue, odds.unfinished].join(' '),
    native('odds', 11, 1800, 200, 50, 50, 200, 50, 50));
  const shown = () => page.evaluate(() => [document.getElementById('odds').hidden, document.getElementById('odds-red').textContent,
    document.getElementById('odds-blue').textContent, document.getElementById('odds-button').getAttribute('aria-pressed')]);
  const percent = (won) => Math.floor((200 * won + 32) / 64) + '%';
  assert.deepStrictEqual(await shown(), [false, 'Red ' + percent(odds.red), percent(odds.blue) + ' Blue', 'true']);
  const canvas = () => page.evaluate(() => document.getElementById('field').toDataURL());
  const before = await canvas();
  await page.keyboard.press('o');
  assert.deepStrictEqual((await shown()).filter((v, n) => n !== 1 && n !== 2), [true, 'false']);
  assert(await canvas() === before, 'the odds changed the field');
  await page.click('#odds-button');
  assert.deepStrictEqual(await shown(), [false, 'Red ' + percent(odds.red), percent(odds.blue) + ' Blue', 'true']);
  await page.close();
  const hidden = await openPage(browser, pageUrl + '?seed=11&odds=0', { width: 1366, height: 768 });
  assert.deepStrictEqual(await hidden.evaluate(() => [document.getElementById('odds').hidden,
    document.getElementById('odds-button').getAttribute('aria-pressed')]), [true, 'false']);
  await hidden.close();
});

check('axe-core finds nothing serious at the start, playing, paused, with the form open, at game over and on a phone', async (browser) => {
  for (const [state, query, act, viewport, options] of [['at the start', '?seed=11'],
    ['playing', '?seed=11', (page) => waitUntil(page, () => battlePage.passes() > 30)], ['paused', '?seed=11', (page) => page.keyboard.press('Space')],
    ['with the form open', '?seed=11', (page) => page.click('#choose')],
    ['at game over', '?seed=3&counts=0,0,0,300,50,0', (page) => page.evaluate(() => { battlePage.hold(); battlePage.step(1300); })],
    ['on a phone', '?seed=11&t=1:41', (page) => waitUntil(page, arrived), { width: 375, height: 667 }, { hasTouch: true, isMobile: true }]]) {
    const page = await openPage(browser, pageUrl + query, viewport, options);
    if (act) await act(page);
    await page.evaluate(axeSource);
    assert.deepStrictEqual(await page.evaluate(async () => (await axe.run()).violations.filter((v) => ['serious', 'critical'].includes(v.impact))
      .map((v) => `${v.id} on ${v.nodes.map((n) => n.target).join(' ')}`)), [], state);
    await page.close();
  }
});

check('a screen reader hears each battle and its results once, the speed as it changes, and the time every few seconds ' +
  'while playing but at once after a move', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=3&counts=0,0,0,300,50,0');
  assert.deepStrictEqual(await page.$$eval('[role=group]', (all) => all.map((g) => g.getAttribute('aria-label'))), ['Timeline', 'Playing', 'Battles', 'Page']);
  await page.evaluate(() => new MutationObserver((changes) => changes.forEach(({ target, type, addedNodes }) => (window.heard ??= []).push(`${target.id}: ` +
    (type === 'attributes' ? target.getAttribute('aria-valuetext') : [...addedNodes].map((n) => n.textContent).join('')))))
    .observe(document.body, { subtree: true, childList: true, attributes: true, attributeFilter: ['aria-valuetext'] }));
  const heard = async () => (await page.evaluate(() => (window.heard ?? []).splice(0))).filter((words) => /^(announce|speed|slider): ./.test(words));
  await waitUntil(page, () => battlePage.passes() > 150);  // 2.5 seconds playing: the time told at most once
  for (const key of ['Space', 'Home', 'ArrowRight', '.']) await page.keyboard.press(key);
  const told = await heard();
  assert(told.length <= 6 && /^slider: 0:0\d\.\d, frame \d+$/.test(told.at(-5)), `${told}`);
  assert.deepStrictEqual(told.slice(-4), ['speed: Paused, speed 1x', 'slider: 0:00.0, frame 0', 'slider: 0:05.0, frame 300', 'slider: 0:05.0, frame 301']);
  await page.keyboard.press('End');
  await waitUntil(page, arrived);
  for (const key of ['Home', 'End', 'Home', 'End']) await page.keyboard.press(key);
  await page.click('#next');
  assert.deepStrictEqual((await heard()).filter((words) => words.startsWith('announce')), ['announce: Game over: the Blue Team has been ' +
    'eliminated after 0:09.9, 599 frames, leaving the Red Team 293 riflemen, 0 snipers and 50 tanks and the Blue Team 0 riflemen, 0 snipers ' +
    'and 0 tanks; seed 3.', 'announce: Battle of seed 4: blue 0 riflemen, 0 tanks, 0 snipers; red 300 riflemen, 50 tanks, 0 snipers']);
  assert.strictEqual(await page.$$eval('[aria-live]', (live) => live.length), 0, 'the results are not read out whole again');
  await page.close();
});

// ---- from disk and from a server, nothing from elsewhere ----

check('the page asks for nothing but itself, from disk or from a web server, and logs no error', async (browser) => {
  const server = http.createServer((request, response) => {
    if (!request.url.startsWith('/battle.html')) return response.writeHead(404).end();
    fs.createReadStream(pagePath).pipe(response.writeHead(200, { 'Content-Type': 'text/html' }));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const served = `http://127.0.0.1:${server.address().port}/battle.html?seed=1`;
  try {
    for (const url of [pageUrl + '?seed=1', served]) {
      const [requested, errors] = [[], []];
      const page = await browser.newPage();
      page.on('request', (request) => requested.push(request.url()));
      page.on('console', (line) => { if (line.type() === 'error') errors.push(line.text()); });
      page.on('pageerror', (error) => errors.push(error.message));
      await page.goto(url);
      await waitUntil(page, () => window.battlePage && battlePage.running() && battlePage.passes() > 5);
      await page.waitForTimeout(500);  // the browser asks for a missing icon once the page has loaded
      // The odds' worker is made from the page's own script, as a blob: nothing is fetched for it.
      assert.deepStrictEqual(requested.filter((u) => !u.startsWith('data:') && !u.startsWith('blob:')), [url]);
      assert.deepStrictEqual(errors, [], url);
      await page.close();
    }
  } finally {
    server.close();
  }
});

(async () => {
  const browser = await launchBrowser();
  let failed = 0;
  try {
    for (const { name, body } of checks) {
      try {
        await body(browser);
        console.log(`ok   ${name}`);
      } catch (error) {
        failed++;
        console.log(`FAIL ${name}\n     ${error.message}`);
      }
    }
  } finally {
    await browser.close();
  }
  process.exit(failed === 0 ? 0 : 1);
})();
