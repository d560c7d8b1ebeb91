// The controller page opened as on a phone held sideways, with its own
// session of the browser's protocol for touch input. Shared by the browser
// tests.
"use strict";

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// deviceScaleFactor: the phone's pixels to a CSS pixel.
async function phone(browser, url, deviceScaleFactor = 2) {
  const page = await browser.newPage();
  await page.emulate({
    viewport: { width: 915, height: 412, deviceScaleFactor, isMobile: true, hasTouch: true,
      isLandscape: true },
    userAgent: "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) " +
      "Chrome/156.0 Mobile Safari/537.36",
  });
  await page.goto(url);
  const session = await page.createCDPSession();
  return { page, session };
}

module.exports = { phone, sleep };
