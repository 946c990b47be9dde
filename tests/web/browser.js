// Debian's chromium, headless, driven by playwright-core (which downloads no browser of its own).
'use strict';

const { chromium } = require('playwright-core');

const kChromium = process.env.BATTLE_CHROMIUM || '/usr/bin/chromium';

function launchBrowser() {
  return chromium.launch({
    executablePath: kChromium,
    // Without these the browser keeps trying to reach Google's hosts; as root it needs no sandbox.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

// Polls a function in the page until it is true (values are handed to it as its argument).
async function waitUntil(page, predicate, argument, timeout = 20000) {
  await page.waitForFunction(predicate, argument, { timeout, polling: 50 });
}

// A new page at url, once the battle runs; `options` adds the browser's own (touch, permissions).
async function openPage(browser, url, viewport = { width: 1100, height: 1000 }, options = {}) {
  const page = await browser.newPage({ viewport, ...options });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(url);
  await waitUntil(page, () => window.battlePage && battlePage.running());
  if (errors.length > 0) throw new Error(`the page reported: ${errors.join('; ')}`);
  return page;
}

module.exports = { launchBrowser, openPage, waitUntil };
