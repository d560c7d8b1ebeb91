// A phone's page opened at the address the controller shows, as a player
// does once the menu has turned the phone on: Debian's Chromium, driven by
// puppeteer-core, with the browser's own touch input. Called by the
// end-to-end test with one JSON argument:
//   url: the page with its pairing code
//   pad: [x, y], the logical place of the pad to touch
// Prints one JSON line: what the page said once in, and after the touch.
"use strict";
const puppeteer = require("puppeteer-core");

const config = JSON.parse(process.argv[2]);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function main() {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu"],
  });
  try {
    const page = await browser.newPage();
    await page.emulate({
      viewport: { width: 915, height: 412, deviceScaleFactor: 2, isMobile: true, hasTouch: true,
        isLandscape: true },
      userAgent: "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like " +
        "Gecko) Chrome/156.0 Mobile Safari/537.36",
    });
    await page.goto(config.url);
    await page.waitForFunction(
      () => document.querySelector("#state").textContent.startsWith("connected") &&
        view.pads.length > 0, { timeout: 15000 });
    const result = { connected: await page.$eval("#state", (e) => e.textContent) };
    const [x, y] = config.pad;
    const point = await page.evaluate(([x, y]) => ({ x: box.ox + x * box.sx,
      y: box.oy + y * box.sy }), [x, y]);
    const session = await page.createCDPSession();
    await session.send("Input.dispatchTouchEvent",
      { type: "touchStart", touchPoints: [{ ...point, id: 1 }] });
    await sleep(200);
    await session.send("Input.dispatchTouchEvent",
      { type: "touchEnd", touchPoints: [{ ...point, id: 1 }] });
    await sleep(300);
    result.after = await page.$eval("#state", (e) => e.textContent);
    console.log(JSON.stringify(result));
  } finally {
    browser.process().kill("SIGKILL");
  }
}

main().catch((error) => {
  console.error(`menu_phone.js: ${error.message}`);
  process.exit(1);
});
