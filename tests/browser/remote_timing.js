// Times the phone's touches as a game would judge them: taps on one pad
// through Chromium's own touch input, each stamped by the browser, in runs of
// the page (directly, or through a network with jitter), steady or at once.
// Called by scripts/e2e_inside/phone_timing.py with one JSON argument:
//   runs: [{ name, url, timed, warmup, touches, disc }]: a page each, in
//     turn; timed false plays a page whose touches carry no times (as a page
//     of before sends them): they go at once; disc, logical points the run
//     turns the disc through after its taps, and back
//   pad: [x, y], the pad's logical centre; holdMs, gapMs: each tap's length
//     and the time between taps
// Prints one JSON line: for each run, how many taps it made in all, the
// touch events of its timed taps (down 1 or up 3, and the page's time stamp
// of each, ms), the offset of the page's clock from CLOCK_MONOTONIC (ns) and
// how the program said it timed them.
"use strict";
const puppeteer = require("puppeteer-core");

const { phone, sleep } = require("./phone_page");

const config = JSON.parse(process.argv[2]);

async function waitFor(page, test, what, ms = 20000) {
  const until = Date.now() + ms;
  while (Date.now() < until) {
    if (await page.evaluate(test)) {
      return;
    }
    await sleep(50);
  }
  throw new Error(`${what}: the page says "${await page.$eval("#state", (e) => e.textContent)}"`);
}

// The page's clock against CLOCK_MONOTONIC (process.hrtime): from the
// quickest of many readings, as the program compares the page's clock.
async function clockOffsetNs(page) {
  let best = null;
  for (let i = 0; i < 30; ++i) {
    const before = process.hrtime.bigint();
    const pageMs = await page.evaluate(() => performance.now());
    const after = process.hrtime.bigint();
    const spread = after - before;
    if (best === null || spread < best.spread) {
      best = { spread, offset: Number((before + after) / 2n) - pageMs * 1e6 };
    }
  }
  return best.offset;
}

let tapped = 0;
async function taps(session, point, count, id) {
  tapped += count;
  for (let i = 0; i < count; ++i) {
    await session.send("Input.dispatchTouchEvent",
      { type: "touchStart", touchPoints: [{ ...point, id: id + i }] });
    await sleep(config.holdMs);
    await session.send("Input.dispatchTouchEvent",
      { type: "touchEnd", touchPoints: [{ ...point, id: id + i }] });
    await sleep(config.gapMs);
  }
}

const figures = (page) => page.evaluate(() => timing.figures.slice());

async function play(browser, run) {
  // At one CSS pixel a pixel: the page's drawing, which a phone does on its
  // graphics chip, is done on the processor here.
  const { page, session } = await phone(browser, run.url, 1);
  tapped = 0;
  await waitFor(page, () => document.getElementById("state").textContent.startsWith("connected ·"),
    `${run.name}: no connection`);
  await page.waitForFunction(() => view.pads.length > 0);
  if (!run.timed) {
    // Touch messages without their times, as a page of before sends them.
    await page.evaluate(() => {
      const sendTimed = send;
      window.send = (bytes) => {
        const message = new Uint8Array(bytes);
        if (message[0] !== 4) { return sendTimed(bytes); }
        const untimed = new Uint8Array(message.length - 4);
        untimed[0] = 1;
        untimed.set(message.subarray(5), 1);
        return sendTimed(untimed.buffer);
      };
    });
  }
  const point = await page.evaluate(([x, y]) => ({ x: box.ox + x * box.sx,
    y: box.oy + y * box.sy }), config.pad);
  // Steady once the program has compared the clocks and chosen the delay,
  // and the delay has settled: unchanged over a second of taps.
  await taps(session, point, run.warmup, 1000);
  if (run.timed) {
    await waitFor(page, () => timing.figures[0] === 3, `${run.name}: never steady`);
    for (let round = 0, last = -1; round < 6; ++round) {
      const delay = (await figures(page))[1];
      if (delay === last) {
        break;
      }
      last = delay;
      await taps(session, point, 10, 2000 + 10 * round);
      await sleep(300);
    }
  }
  await sleep(300);
  const before = await figures(page);
  await taps(session, point, run.touches, 5000);
  await sleep(1300);
  const after = await figures(page);
  const events = await page.evaluate((count) => touchTimes.slice(-count), 2 * run.touches);
  if (run.disc) {
    // A turn of the disc one way and back: the scratch sees each position at
    // its time, the turn back too.
    const disc = await page.evaluate((points) => points.map(([x, y]) => ({
      x: box.ox + x * box.sx, y: box.oy + y * box.sy })), run.disc);
    const turn = disc.concat(disc.slice().reverse());
    await session.send("Input.dispatchTouchEvent", { type: "touchStart",
      touchPoints: [{ ...turn[0], id: 9000 }] });
    for (const point of turn.slice(1)) {
      await sleep(15);
      await session.send("Input.dispatchTouchEvent", { type: "touchMove",
        touchPoints: [{ ...point, id: 9000 }] });
    }
    await sleep(15);
    await session.send("Input.dispatchTouchEvent", { type: "touchEnd",
      touchPoints: [{ ...turn[turn.length - 1], id: 9000 }] });
    await sleep(500);
  }
  const offsetNs = await clockOffsetNs(page);
  const said = await page.evaluate(() => timing.line);
  await page.close();
  return { name: run.name, events, offsetNs, before, after, said, tapped };
}

async function main() {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    // Headless, Chromium hands a touch to the page at the pace of its frames
    // (a frame's wait in every touch's time); a phone's browser hands over a
    // touch start or end at once.
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-timer-throttling",
      "--disable-frame-rate-limit"],
  });
  try {
    const results = [];
    for (const run of config.runs) {
      results.push(await play(browser, run));
    }
    console.log(JSON.stringify(results));
  } finally {
    browser.process().kill("SIGKILL");
  }
}

main().catch((error) => {
  console.error(`remote_timing.js: ${error.message}`);
  process.exit(1);
});
