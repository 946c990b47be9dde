#!/usr/bin/env node
// The browser's page in headless Chromium, held against the desktop build of the same sources:
// the same battles digest for digest, the same frame pixel for pixel, the viewer's keys, the
// endless show, a bad address, a page opened without a seed, and nothing loaded from another
// site, from disk and from a web server.
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

check('the digest chain of whole battles equals the desktop build\'s', async (browser) => {
  const battles = [
    { seed: 11, counts: kDefaultCounts },
    { seed: 42, counts: kDefaultCounts },
    { seed: 5, counts: [30, 8, 12, 60, 3, 20] },
  ];
  for (const { seed, counts } of battles) {
    const query = counts === kDefaultCounts ? `?seed=${seed}` : `?seed=${seed}&counts=${counts.join(',')}`;
    const page = await openPage(browser, pageUrl + query);
    const inPage = await page.evaluate((max) => [battlePage.digestChain(max), battlePage.passes()], kMaxFrames);
    const [chain, passes] = native('chain', seed, kMaxFrames, ...counts).split(' ');
    assert.deepStrictEqual(inPage, [chain, Number(passes)], `seed ${seed} with ${counts}`);
    assert(Number(passes) > 1000, `seed ${seed} plays a real battle (${passes} frames)`);
    await page.close();
  }
});

check('after N frames the canvas is the desktop program\'s frame N, pixel for pixel', async (browser) => {
  for (const { seed, frames, counts } of [
    { seed: 42, frames: 240, counts: kDefaultCounts },
    { seed: 3, frames: 1300, counts: [0, 0, 0, 300, 50, 0] },  // blue has no army: the end, with its panel
  ]) {
    const file = path.join(os.tmpdir(), `battle-frame-${process.pid}.raw`);
    native('frame', seed, frames, file, ...counts);
    const expected = fs.readFileSync(file).toString('base64');
    fs.unlinkSync(file);
    const page = await openPage(browser, `${pageUrl}?seed=${seed}&counts=${counts.join(',')}`);
    const difference = await page.evaluate(([frames, expected]) => {
      battlePage.hold();
      battlePage.step(frames);
      const shown = document.getElementById('field').getContext('2d').getImageData(0, 0, 1280, 1024).data;
      const bytes = Uint8Array.from(atob(expected), (c) => c.charCodeAt(0));
      const back = (value, bits) => Math.round(value * ((1 << bits) - 1) / 255);
      for (let n = 0; n < 1280 * 1024; n++) {
        const pixel = (back(shown[4 * n], 5) << 11) | (back(shown[4 * n + 1], 6) << 5) | back(shown[4 * n + 2], 5);
        const want = bytes[2 * n] | (bytes[2 * n + 1] << 8);
        if (pixel !== want) return { x: n % 1280, y: Math.floor(n / 1280), shown: pixel, desktop: want };
      }
      return null;
    }, [frames, expected]);
    assert.strictEqual(difference, null, `seed ${seed}, frame ${frames}: ${JSON.stringify(difference)}`);
    await page.close();
  }
});

// ---- the viewer ----

check('Space stops the battle and goes on; + doubles the frames per tick', async (browser) => {
  const page = await openPage(browser, pageUrl + '?seed=7');
  await waitUntil(page, () => battlePage.passes() > 20);
  await page.keyboard.press('Space');
  const stopped = await page.evaluate(() => [battlePage.digest(), battlePage.passes()]);
  await page.waitForTimeout(700);
  assert.deepStrictEqual(await page.evaluate(() => [battlePage.digest(), battlePage.passes()]), stopped);
  assert.strictEqual(await page.textContent('#pause'), 'Go on');
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

check('the endless show and the next battle move on to the next seed, and the address follows', async (browser) => {
  const page = await openPage(browser, `${pageUrl}?seed=3&counts=0,0,0,300,50,0&loop=1`);
  await page.evaluate(() => {
    battlePage.hold();
    while (battlePage.seed() === 3) battlePage.step(100);
  });
  assert.strictEqual(await page.title(), 'Battle - seed 4');
  assert.match(page.url(), /\?seed=4&counts=0%2C0%2C0%2C300%2C50%2C0&loop=1$|\?seed=4&counts=0,0,0,300,50,0&loop=1$/);
  await page.click('#next');
  assert.strictEqual(await page.title(), 'Battle - seed 5');
  assert.strictEqual(await page.evaluate(() => battlePage.seed()), 5);
  await page.close();
});

check('a bad address says what was wrong in one line and the default battle plays', async (browser) => {
  for (const [query, word] of [['?seed=abc', 'seed'], ['?seed=4294967296', 'seed'], ['?counts=1,2,3', 'counts'],
    ['?seed=9&loop=yes', 'loop']]) {
    const page = await openPage(browser, pageUrl + query);
    const message = (await page.textContent('#message')).trim();
    assert(message.includes(word) && message.includes('default battle'), `${query}: "${message}"`);
    assert(!message.includes('\n'), `${query}: one line`);
    await waitUntil(page, () => battlePage.passes() > 10);
    assert.match(page.url(), /\?seed=\d+$/, `${query}: the address names the battle that plays`);
    await page.close();
  }
});

check('a page opened without a seed picks one and writes it into the address and the title', async (browser) => {
  const page = await openPage(browser, pageUrl);
  const seed = await page.evaluate(() => battlePage.seed());
  assert.strictEqual(page.url(), `${pageUrl}?seed=${seed}`);
  assert.strictEqual(await page.title(), `Battle - seed ${seed}`);
  assert.strictEqual(await page.textContent('#message'), '');
  await page.close();
});

// ---- from disk and from a server, nothing from elsewhere ----

check('the page loads nothing from another site, from disk or from a web server', async (browser) => {
  const server = http.createServer((request, response) => {
    response.setHeader('Content-Type', 'text/html');
    fs.createReadStream(pagePath).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const served = `http://127.0.0.1:${server.address().port}/battle.html?seed=1`;
  try {
    for (const url of [pageUrl + '?seed=1', served]) {
      const requested = [];
      const page = await browser.newPage();
      page.on('request', (request) => requested.push(request.url()));
      await page.goto(url);
      await waitUntil(page, () => window.battlePage && battlePage.running() && battlePage.passes() > 5);
      const origin = new URL(url).origin;
      const elsewhere = requested.filter((u) => !u.startsWith('data:') && !u.startsWith(origin === 'null' ? 'file:' : origin));
      assert.deepStrictEqual(elsewhere, [], `${url}`);
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
