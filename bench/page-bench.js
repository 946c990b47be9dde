#!/usr/bin/env node
// Times the page's frames in headless Chromium: each frame held, with one tick due, is the
// update, the drawing into the pixel buffer, the RGBA for the canvas, putImageData and what
// the page shows beside the field (its texts, the timeline and its course, the address); the
// same scenarios as battle-bench's `default` and `full`, each in a window that shows the field
// whole (1920 x 1080), in one that shrinks it to 960 x 768 by its average (1366 x 768), on a
// high-density laptop that enlarges it smoothly (1440 x 900 at 2 screen pixels for each CSS
// pixel), and on a phone zoomed in twice (375 x 667 at 3), the whole frame handed over.
// Then the timeline's seeks, as battle-bench's `seek` and `seek-full`: the battle watched to
// its end (or 9000 frames when packed), then seeks to random moments of what was seen, each
// timed until the frame is on the canvas. Prints one JSON line per scenario and window, and
// the weight of the page with everything it loads.
//
//   page-bench.js PAGE.html [FRAMES]

'use strict';

const fs = require('fs');
const path = require('path');
const { launchBrowser, openPage } = require('../tests/web/browser');

const [pagePath, framesText] = process.argv.slice(2);
const frames = Number(framesText || 3000);
const kPacked = '2000,2000,2000,2000,2000,2000';  // both start zones packed
const scenarios = [
  { name: 'default', query: '?seed=1' },
  { name: 'full', query: `?seed=1&counts=${kPacked}` },
];
const windows = [{ width: 1920, height: 1080 }, { width: 1366, height: 768 }, { width: 1440, height: 900, ratio: 2 },
  { width: 375, height: 667, ratio: 3, zoom: true }];
const seekScenarios = [
  { name: 'seek', query: '?seed=1', frames: 36000 },
  { name: 'seek-full', query: `?seed=1&counts=${kPacked}`, frames: 9000 },
];
const kSeeks = 300;

function percentile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const round = (ms) => Math.round(ms * 1000) / 1000;

function summary(times) {
  const sorted = [...times].sort((a, b) => a - b);
  return { p50: round(percentile(sorted, 0.5)), p99: round(percentile(sorted, 0.99)), max: round(sorted[sorted.length - 1]) };
}

// The moments to seek to: the same every run (a small linear congruential generator).
function moments(seen, count) {
  let state = 1;
  return Array.from({ length: count }, () => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return state % (seen + 1);
  });
}

(async () => {
  const browser = await launchBrowser();
  try {
    for (const scenario of scenarios) {
      for (const window of windows) {
        const { width, height, ratio = 1, zoom = false } = window;
        const page = await openPage(browser, 'file://' + path.resolve(pagePath) + scenario.query, { width, height }, { deviceScaleFactor: ratio });
        if (zoom) await page.focus('#field').then(() => page.keyboard.press('+'));
        const [times, picture] = await page.evaluate((frames) => {
          battlePage.hold();
          battlePage.timeFrames(60);  // warm up: the terrain layer, the first allocations
          return [battlePage.timeFrames(frames), battlePage.picture()];
        }, frames);
        const frame = summary(times);
        console.log(JSON.stringify({
          scenario: scenario.name, window: `${width}x${height}@${ratio}${zoom ? ' zoomed' : ''}`, picture: `${picture.width}x${picture.height}`,
          frames, frame_ms_p50: frame.p50, frame_ms_p99: frame.p99, frame_ms_max: frame.max,
        }));
        await page.close();
      }
    }
    for (const scenario of seekScenarios) {
      const page = await openPage(browser, 'file://' + path.resolve(pagePath) + scenario.query, { width: 1920, height: 1080 });
      const watched = await page.evaluate((frames) => {
        battlePage.hold();
        const begin = performance.now();
        battlePage.seekTo(frames);
        battlePage.arrive();
        return { ms: performance.now() - begin, seen: battlePage.timeline().seen, keyframes: battlePage.keyframes() };
      }, scenario.frames);
      const times = await page.evaluate((targets) => battlePage.timeSeeks(targets), moments(watched.seen, kSeeks));
      const seek = summary(times);
      console.log(JSON.stringify({
        scenario: scenario.name, seen_frames: watched.seen, played_ahead_ms: Math.round(watched.ms), seeks: kSeeks,
        keyframes: watched.keyframes[0], keyframe_spacing: watched.keyframes[1],
        keyframe_mb: Math.round(watched.keyframes[2] / (1 << 20) * 10) / 10,
        seek_ms_p50: seek.p50, seek_ms_p99: seek.p99, seek_ms_max: seek.max,
      }));
      await page.close();
    }
  } finally {
    await browser.close();
  }
  console.log(JSON.stringify({ page: path.basename(pagePath), bytes: fs.statSync(pagePath).size }));
})();
