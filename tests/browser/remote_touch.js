// Plays the remote controller page as a phone would: Debian's Chromium,
// driven by puppeteer-core, with touch input through the browser's own
// touch events. Called by scripts/e2e-inside.py with one JSON argument:
//   url, wrongUrl: the page with the right and with a wrong pairing code
//   shot: where the screenshot of the page goes
//   pads: { name: [x, y] } and disc: [[x, y], ...], logical positions
//   touches: how many touches on pads.timed to time
// Prints one JSON line: the CLOCK_MONOTONIC time (ns) of each timed touch's
// dispatch, the time the page sent each (ms since the epoch), the page's texts. The keys themselves are checked in the game.
"use strict";
const net = require("net");
const puppeteer = require("puppeteer-core");

const { phone, sleep } = require("./phone_page");

const config = JSON.parse(process.argv[2]);

// Connections from this address that send nothing, as stale tabs leave
// them; open once the server has taken each.
async function idleConnections(url, count) {
  const { hostname, port } = new URL(url);
  const opened = [];
  for (let i = 0; i < count; ++i) {
    opened.push(await new Promise((resolve, reject) => {
      const connection = net.connect({ host: hostname, port: +port }, () => resolve(connection));
      connection.on("error", () => {});
      setTimeout(() => reject(new Error("an idle connection did not open")), 5000);
    }));
  }
  return opened;
}

// Whether the server closes a new connection from this address before it
// sends anything: "closed" or "kept".
async function closedAtOnce(url) {
  const { hostname, port } = new URL(url);
  return new Promise((resolve) => {
    const connection = net.connect({ host: hostname, port: +port });
    connection.on("error", () => {});
    connection.on("close", () => resolve("closed"));
    setTimeout(() => { connection.destroy(); resolve("kept"); }, 500);
  });
}

async function stateOf(page) {
  return page.$eval("#state", (element) => element.textContent);
}

async function waitForState(page, prefix, what) {
  for (let i = 0; i < 200; ++i) {
    const text = await stateOf(page);
    if (text.startsWith(prefix)) {
      return text;
    }
    await sleep(50);
  }
  throw new Error(`${what}: the page says "${await stateOf(page)}"`);
}

// The page's own mapping of logical positions to its CSS pixels.
async function pointsOf(page, points) {
  return page.evaluate((points) => points.map(([x, y]) => ({ x: box.ox + x * box.sx,
    y: box.oy + y * box.sy })), points);
}

// A touch event of the browser's own input: touchStart and touchMove give
// the points down (new ones start), touchEnd the points that lift.
async function touch(session, type, points) {
  await session.send("Input.dispatchTouchEvent", { type, touchPoints: points });
}

async function main() {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-timer-throttling"],
  });
  const result = { timed: [] };
  try {
    const { page, session } = await phone(browser, config.url);
    result.connected = await waitForState(page, "connected ·", "the right code");
    // The layout is drawn once it has come.
    await page.waitForFunction(() => view.pads.length > 0);
    const [p0, p8, p1] = await pointsOf(page, [config.pads.p0, config.pads.p8, config.pads.timed]);
    const disc = await pointsOf(page, config.disc);

    // Two fingers on two pads at once; the first lifted while the second stays.
    await touch(session, "touchStart", [{ ...p0, id: 1 }, { ...p8, id: 2 }]);
    await sleep(300);
    await page.screenshot({ path: config.shot });
    await touch(session, "touchEnd", [{ ...p0, id: 1 }]);
    await sleep(300);
    // A third finger turns the disc while the second still holds its pad.
    await touch(session, "touchMove", [{ ...p8, id: 2 }, { ...disc[0], id: 3 }]);
    await sleep(100);
    for (const point of disc.slice(1)) {
      await touch(session, "touchMove", [{ ...p8, id: 2 }, { ...point, id: 3 }]);
      await sleep(20);
    }
    await sleep(300);
    await touch(session, "touchEnd", [{ ...disc[disc.length - 1], id: 3 }]);
    await sleep(300);
    await touch(session, "touchEnd", [{ ...p8, id: 2 }]);
    await sleep(500);

    // Touch after touch on one pad, each timed from its dispatch.
    for (let i = 0; i < config.touches; ++i) {
      result.timed.push(process.hrtime.bigint().toString());
      await touch(session, "touchStart", [{ ...p1, id: 10 + i }]);
      await sleep(60);
      await touch(session, "touchEnd", [{ ...p1, id: 10 + i }]);
      await sleep(60);
    }
    // When the page itself sent each of them (ms since the epoch).
    result.pageSent = await page.evaluate((count) => touchesSent.slice(-count), config.touches);
    result.roundTrip = await stateOf(page);

    // Another page with a wrong code is refused, stops and takes nothing
    // over; a second one from the same address right after it is told to
    // wait, waits, and then stops at its wrong code too.
    const wrong = await phone(browser, config.wrongUrl);
    result.refused = await waitForState(wrong.page, "Padrelle did not take", "a wrong code");
    // A busy machine may open the second page only after the wait: then its
    // refusal starts a longer one, and a third page comes within it.
    result.slowed = null;
    for (let tries = 0; tries < 3 && result.slowed === null; ++tries) {
      const wrongAgain = await phone(browser, config.wrongUrl);
      const said = await waitForState(wrongAgain.page, "Padrelle", "a wrong code right after one");
      if (said.startsWith("Padrelle is slowing wrong codes")) {
        result.slowed = said;
        await waitForState(wrongAgain.page, "Padrelle did not take", "a wrong code after the wait");
      }
      await wrongAgain.page.close();
    }
    if (result.slowed === null) {
      throw new Error("a wrong code right after another was never told to wait");
    }
    await wrong.page.close();

    // Stale connections of the phone's own address (sixteen, idle: old tabs,
    // the browser's spare ones) never keep its page out: the page keeps
    // trying and is in within 2 s. A second page takes the controller over
    // first, so that the first can ask for it back while they are open.
    const second = await phone(browser, config.url);
    await waitForState(second.page, "connected", "a second page with the right code");
    await waitForState(page, "another page has", "the page the second took over from");
    await second.page.close();
    const stale = await idleConnections(config.url, 16);
    // They fill the address's share: a further connection is closed as it opens.
    result.seventeenth = await closedAtOnce(config.url);
    const started = Date.now();
    await page.click("#again");
    result.staleStates = [];
    for (let i = 0; i < 100; ++i) {
      const text = await stateOf(page);
      if (result.staleStates[result.staleStates.length - 1] !== text) {
        result.staleStates.push(text);
      }
      if (text.startsWith("connected")) {
        break;
      }
      await sleep(20);
    }
    result.staleInMs = Date.now() - started;
    stale.forEach((connection) => connection.destroy());
    if (!(await stateOf(page)).startsWith("connected")) {
      throw new Error(`beside 16 idle connections of its address the page says ` +
        `"${await stateOf(page)}" after ${result.staleInMs} ms`);
    }
    // The first page holds the controller.
    await sleep(1200);
    await touch(session, "touchStart", [{ ...p0, id: 50 }]);
    await sleep(100);
    await touch(session, "touchEnd", [{ ...p0, id: 50 }]);
    await sleep(300);

    // A finger held on a pad when the connection drops: the browser dies.
    await touch(session, "touchStart", [{ ...p1, id: 60 }]);
    await sleep(400);
    console.log(JSON.stringify(result));
    browser.process().kill("SIGKILL");
  } catch (error) {
    browser.process().kill("SIGKILL");
    throw error;
  }
}

main().catch((error) => {
  console.error(`remote_touch.js: ${error.message}`);
  process.exit(1);
});
