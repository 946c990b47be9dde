#!/usr/bin/env node
// Times the page's frames in headless Chromium: each frame held, with one tick due, is the
// update, the drawing into the pixel buffer, the RGBA for the canvas and putImageData; the
// same scenarios as battle-bench's `default` and `full`. Prints one JSON line per scenario,
// and the weight of the page with everything it loads.
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

function percentile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

(async () => {
  const browser = await launchBrowser();
  try {
    for (const scenario of scenarios) {
      const page = await openPage(browser, 'file://' + path.resolve(pagePath) + scenario.query);
      const times = await page.evaluate((frames) => {
        battlePage.hold();
        battlePage.timeFrames(60);  // warm up: the terrain layer, the first allocations
        return battlePage.timeFrames(frames);
      }, frames);
      times.sort((a, b) => a - b);
      const round = (ms) => Math.round(ms * 1000) / 1000;
      console.log(JSON.stringify({
        scenario: scenario.name, frames, frame_ms_p50: round(percentile(times, 0.5)),
        frame_ms_p99: round(percentile(times, 0.99)), frame_ms_max: round(times[times.length - 1]),
      }));
      await page.close();
    }
  } finally {
    await browser.close();
  }
  console.log(JSON.stringify({ page: path.basename(pagePath), bytes: fs.statSync(pagePath).size }));
})();
