#!/usr/bin/env node
// Times the page's frames in headless Chromium: each frame held, with one tick due, is the
// update, the drawing into the pixel buffer, the RGBA for the canvas and putImageData; the
// same scenarios as battle-bench's `default` and `full`, each in a window that shows the field
// whole (1920 x 1080) and in one that shrinks it to 960 x 768 by its average (1366 x 768).
// Prints one JSON line per scenario and window, and the weight of the page with everything it
// loads.
//
//   page-bench.js PAGE.html [FRAMES]

'use strict';

const fs = require('fs');
const path = require('path');
const { launchBrowser, openPage } = require('../tests/web/browser');

const [pagePath, framesText] = process.argv.slice(2);
const frames = Number(framesText || 3000);
const scenarios = [
  { name: 'default', query: '?seed=1' },
  { name: 'full', query: '?seed=1&counts=2000,2000,2000,2000,2000,2000' },  // both start zones packed
];
const windows = [{ width: 1920, height: 1080 }, { width: 1366, height: 768 }];

function percentile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

(async () => {
  const browser = await launchBrowser();
  try {
    for (const scenario of scenarios) {
      for (const window of windows) {
        const page = await openPage(browser, 'file://' + path.resolve(pagePath) + scenario.query, window);
        const [times, picture] = await page.evaluate((frames) => {
          battlePage.hold();
          battlePage.timeFrames(60);  // warm up: the terrain layer, the first allocations
          return [battlePage.timeFrames(frames), battlePage.picture()];
        }, frames);
        times.sort((a, b) => a - b);
        const round = (ms) => Math.round(ms * 1000) / 1000;
        console.log(JSON.stringify({
          scenario: scenario.name, window: `${window.width}x${window.height}`, picture: `${picture.width}x${picture.height}`,
          frames, frame_ms_p50: round(percentile(times, 0.5)), frame_ms_p99: round(percentile(times, 0.99)),
          frame_ms_max: round(times[times.length - 1]),
        }));
        await page.close();
      }
    }
  } finally {
    await browser.close();
  }
  console.log(JSON.stringify({ page: path.basename(pagePath), bytes: fs.statSync(pagePath).size }));
})();
