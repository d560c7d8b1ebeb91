// The controller page's way in, against a stand-in server that answers as
// the test says: Debian's Chromium, driven by puppeteer-core, loads the very
// page padrelle.exe serves (src/remote/remote_page.html). The page must keep
// trying, sooner at first and then once a second, on every refusal that is
// not a wrong code (a connection closed as it opens, 429 with Retry-After,
// another status, a socket closed before or after it opened) until it is in,
// and stop with what to do on a wrong code or a foreign address.
// Called by scripts/e2e-inside.py with the page's path; prints one JSON line
// with what the server saw and what the page said.
"use strict";
const crypto = require("crypto");
const fs = require("fs");
const http = require("http");
const puppeteer = require("puppeteer-core");

const pagePath = process.argv[2];
const page = fs.readFileSync(pagePath);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// What the server does with each request for /check and /socket in turn; the
// last one stands for every further request.
let script = { check: [], socket: [] };
const seen = [];
const started = Date.now();
const sockets = new Set();

function next(list) {
  return list.length > 1 ? list.shift() : list[0];
}

const server = http.createServer((request, response) => {
  response.setHeader("Connection", "close");
  if (request.url === "/") {
    response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
    response.end(page);
    return;
  }
  if (request.url.startsWith("/check?")) {
    const step = next(script.check);
    seen.push({ at: Date.now() - started, what: "check", answer: step.status || "close" });
    if (!step.status) {
      request.socket.destroy(); // a connection closed before any answer
      return;
    }
    const headers = { "Content-Type": "text/plain", "Cache-Control": "no-store" };
    if (step.retryAfter) {
      headers["Retry-After"] = String(step.retryAfter);
    }
    response.writeHead(step.status, headers);
    response.end(step.text || "");
    return;
  }
  response.writeHead(404);
  response.end();
});

server.on("connection", (socket) => {
  sockets.add(socket);
  socket.on("close", () => sockets.delete(socket));
});

// A WebSocket's handshake, as far as the page needs it: 101 and an open
// socket, or a close before the answer; "drop" closes it after a while.
server.on("upgrade", (request, socket) => {
  const step = next(script.socket);
  seen.push({ at: Date.now() - started, what: "socket", answer: step });
  if (step === "refuse") {
    socket.end("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  const accept = crypto.createHash("sha1")
    .update(request.headers["sec-websocket-key"] + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11")
    .digest("base64");
  socket.write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n" +
    "Connection: Upgrade\r\nSec-WebSocket-Accept: " + accept + "\r\n\r\n");
  socket.on("error", () => {});
  if (step === "drop") {
    setTimeout(() => socket.destroy(), 300);
  }
});

async function stateOf(tab) {
  return tab.$eval("#state", (element) => element.textContent);
}

// The page's states from its load until one starts with the prefix.
async function statesUntil(tab, prefix, ms) {
  const states = [];
  const end = Date.now() + ms;
  while (Date.now() < end) {
    const text = await stateOf(tab).catch(() => "");
    if (states[states.length - 1] !== text) {
      states.push(text);
    }
    if (text.startsWith(prefix)) {
      return states;
    }
    await sleep(10);
  }
  throw new Error(`the page never said "${prefix}": ${JSON.stringify(states)}`);
}

async function main() {
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const url = `http://127.0.0.1:${server.address().port}/#7k2m9xq4hd0c`;
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-timer-throttling",
      "--disable-background-networking"],
  });
  const result = {};
  try {
    // Every refusal but a wrong code, in turn, then in.
    script = {
      check: [{}, {}, { status: 503 }, { status: 429, retryAfter: 1, text: "wrong codes wait" },
        { status: 204 }],
      socket: ["refuse", "drop", "keep"],
    };
    const tab = await browser.newPage();
    await tab.goto(url);
    result.wayIn = await statesUntil(tab, "connected", 15000);
    result.seen = seen.splice(0);
    // A connection that drops once it was in: in again.
    result.dropped = await statesUntil(tab, "connection lost", 5000);
    result.again = await statesUntil(tab, "connected", 5000);
    result.seenAfterDrop = seen.splice(0);
    await tab.close();

    // A wrong code stops; a foreign address stops; neither tries again.
    for (const [name, text] of [["wrongCode", "wrong code"],
      ["foreign", "not this page's address"]]) {
      script = { check: [{ status: 403, text }], socket: ["keep"] };
      const stopped = await browser.newPage();
      await stopped.goto(url);
      result[name] = (await statesUntil(stopped, name === "wrongCode" ? "Padrelle did not take"
        : "this page was opened", 5000)).pop();
      await sleep(2500);
      result[name + "Seen"] = seen.splice(0).filter((s) => s.what === "check").length;
      result[name + "Button"] = await stopped.$eval("#again", (b) => !b.hidden);
      await stopped.close();
    }
    console.log(JSON.stringify(result));
  } finally {
    browser.process().kill("SIGKILL");
    sockets.forEach((socket) => socket.destroy());
    server.close();
  }
}

main().catch((error) => {
  console.error(`page_retries.js: ${error.message}`);
  process.exit(1);
});
