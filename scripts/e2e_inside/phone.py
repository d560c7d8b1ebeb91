"""The phone's part: the page in Chromium, its way in, the QR code, a raw
page, the admission beside other devices."""
import json
import os
import re
import shutil
import subprocess
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import *  # noqa: F401,F403
from e2e_inside.program import *  # noqa: F401,F403


REMOTE_TOUCHES = 30
REMOTE_SCRIPT = os.path.join(os.path.dirname(HERE), "tests", "browser", "remote_touch.js")


def socket_wait_check():
    """The web server's socket wait against Winsock's loopback sockets."""
    check = subprocess.run([WINE, os.path.join(TMP, "padrelle-socket-wait-check.exe")],
                           capture_output=True, text=True, timeout=60)
    if check.returncode != 0:
        raise Failure(f"the socket wait check failed:\n{check.stdout}{check.stderr[-1000:]}")
    note(f"socket wait: {check.stdout.count('ok: ')} cases pass")


class RawPage:
    """A phone's page as bytes: the WebSocket handshake and masked touch frames."""

    def __init__(self, port, code):
        import base64
        import socket
        self.sock = socket.create_connection(("127.0.0.1", int(port)), timeout=5)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /socket?code={code} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n"
                           f"Origin: http://127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           f"Sec-WebSocket-Version: 13\r\n\r\n").encode())
        answer = self.sock.recv(4096)
        if not answer.startswith(b"HTTP/1.1 101"):
            raise Failure(f"the raw page was not let in: {answer[:80]!r}")

    def touch(self, kind, finger, point):
        import struct
        payload = bytes([1]) + struct.pack("<BBhh", kind, finger, int(point[0]), int(point[1]))
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(bytes([0x82, 0x80 | len(payload)]) + mask + masked)

    def close(self):
        self.sock.close()


def close_with_a_phone_holding(game, padrelle, client, port, code, results):
    """A pad held by the phone and one by the mouse while the window closes: both
    keys must be up in the game within 50 ms of the close, server or not."""
    game.focus()
    game.settle()
    since = game.mark()
    page = RawPage(port, code)
    page.touch(1, 1, PAD_CENTRES[0])
    game.wait_keys(since, [("make", 0x1E, 0)], "a pad held by the phone", overlapping=True)
    x, y = screen_point(client, PAD_CENTRES[8])
    xdotool("mousemove", x, y, "mousedown", 1)
    game.wait_keys(since, [("make", 0x1E, 0), ("make", 0x4D, 1)],
                   "a pad held by the phone and one by the mouse", overlapping=True)
    # Each injected key carries its virtual key, so that the second make of a
    # chord is no repeat under Wine either.
    makes = [e for e in game.events()[since:] if e["what"] == "key" and e["kind"] == "make"]
    if any(e.get("vk") in (None, "0x00") or e.get("repeat") != "0" for e in makes):
        raise Failure(f"a chord's keys reached the game as {makes}")
    closed_us = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) / 1000.0
    code_exit = padrelle.close()
    xdotool("mouseup", 1)
    page.close()
    breaks = [e["us"] for e in game.events()[since:]
              if e["what"] == "key" and e["kind"] == "break"]
    if len(breaks) != 2:
        raise Failure(f"closed with the phone connected: the game got {game.keys(since, True)}")
    results["close-remote"] = (max(breaks) - closed_us) / 1000.0
    note(f"remote run: closed with a pad held by the phone and one by the mouse: the last "
         f"break {results['close-remote']:.1f} ms after the close")
    if results["close-remote"] > 50:
        raise Failure(f"the keys went up {results['close-remote']:.1f} ms after the close, "
                      f"not within 50 ms")
    return code_exit


def scanned_codes(name):
    """The QR codes a camera would read off the screen now (zbar), each as its text."""
    png = os.path.join(TMP, f"{name}.png")
    run("import", "-window", "root", png)
    result = subprocess.run(["zbarimg", "--raw", "-q", png], capture_output=True, text=True)
    return [line for line in result.stdout.splitlines() if line]


def qr_code_scans(padrelle, url):
    """The QR code on the controller screen scans as exactly the address beside it, in a
    window and in full screen (stretched)."""
    started_full = full_screen(padrelle.window())
    seen = []
    for turn in range(2):
        mode = "full screen" if full_screen(padrelle.window()) else "window"
        codes = wait_for(5, f"no QR code could be read off the controller in {mode}",
                         lambda: scanned_codes(f"qr-{turn}"))
        if codes != [url]:
            raise Failure(f"the QR code in {mode} reads {codes}, not the address {url}")
        seen.append(mode)
        # Return, the window active since its start: the other mode, then back.
        return_until(lambda: full_screen(padrelle.window()) == (started_full == (turn == 1)),
                     f"Return did not switch the mode after the QR code in {mode}")
        time.sleep(0.5)
    note(f"remote run: the QR code scans as {url} in the {' and in '.join(seen)}")


PAGE_RETRIES_SCRIPT = os.path.join(os.path.dirname(HERE), "tests", "browser", "page_retries.js")


def page_retries():
    """The controller page's way in against a server that refuses it in every way but a
    wrong code, then lets it in: it keeps trying, sooner at first, and waits as asked."""
    page = os.path.join(os.path.dirname(HERE), "src", "remote", "remote_page.html")
    browser = subprocess.run(["node", PAGE_RETRIES_SCRIPT, page], capture_output=True,
                             text=True, timeout=120)
    if browser.returncode != 0:
        raise Failure(f"the page's retry test failed: {browser.stderr.strip()[-2000:]}")
    said = json.loads(browser.stdout.strip().splitlines()[-1])
    steps = [(s["what"], s.get("answer")) for s in said["seen"]]
    wanted = [("check", "close"), ("check", "close"), ("check", 503), ("check", 429),
              ("check", 204), ("socket", "refuse"), ("check", 204), ("socket", "drop")]
    if steps != wanted:
        raise Failure(f"the page's tries: {steps}, not {wanted}")
    # How long the page waited after each answer to its check (a socket
    # refused in between counts with the check before it). Chromium itself
    # sends a request again at once when its connection closed without an
    # answer: those come within a few milliseconds.
    checks = [(s["at"], s["answer"]) for s in said["seen"] if s["what"] == "check"]
    waits = [(answer, later - at) for (at, answer), (later, _) in zip(checks, checks[1:])]
    gaps = [wait for _, wait in waits if wait > 50]
    # Soon after every refusal, never more than half a second (the first
    # tries sooner: 100 to 200 ms, a busy machine's 100 ms more allowed); a
    # second where Retry-After asks for one.
    if any(wait < 990 for answer, wait in waits if answer == 429) or \
            any(wait > 650 for answer, wait in waits if answer != 429) or \
            not any(80 <= wait <= 300 for _, wait in waits):
        raise Failure(f"the page tried again after {waits} ms")
    if not said["wayIn"][-1].startswith("connected") or \
            not any("trying again" in text for text in said["wayIn"]):
        raise Failure(f"the page's states on its way in: {said['wayIn']}")
    if not said["again"][-1].startswith("connected") or \
            [s["what"] for s in said["seenAfterDrop"]] != ["check", "socket"]:
        raise Failure(f"after a drop the page said {said['again']}: {said['seenAfterDrop']}")
    for name in ("wrongCode", "foreign"):
        if said[name + "Seen"] != 1 or not said[name + "Button"]:
            raise Failure(f"{name}: the page asked {said[name + 'Seen']} times and says "
                          f"\"{said[name]}\"")
    note(f"the page's way in: tried again after {gaps} ms, in; "
         f"dropped, in again; a wrong code: \"{said['wrongCode']}\"; another address: "
         f"\"{said['foreign']}\"")


def admission_run(results):
    """The phone's handshake on padrelle.exe itself while other devices hold idle
    connections, send their requests a byte a second, renew idle connections as they drop,
    or flood wrong codes from 40 addresses: answered 101 within 2 s each time."""
    from e2e_inside import admission
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"), ["--remote"])
    padrelle.window()
    log = os.path.join(appdata(), "padrelle.log")
    found = wait_for(20, "the log gives no address of the remote controller", lambda: re.search(
        r"remote controller: http://[0-9.]+:([0-9]+)/#([0-9a-z]{12})", read_file(log)))
    port, code = int(found.group(1)), found.group(2)
    results["admission"] = {}
    try:
        for what, times, answers in admission.measure(port, code):
            results["admission"][what] = times
            note(f"admission on padrelle.exe, {what}: the phone's handshake answered in "
                 f"{', '.join(f'{t * 1000:.0f}' for t in times)} ms")
            if any(not a.startswith("HTTP/1.1 101") for a in answers) or max(times) > 2:
                raise Failure(f"beside {what} the phone got {answers} after {times} s")
    finally:
        if padrelle.close() != 0:
            raise Failure("padrelle.exe did not end cleanly after the admission run")


def remote_run(game, results):
    """The controller page in Chromium as on a phone, its touches keys in the game."""
    app = os.path.join(TMP, "app-sendinput")
    game.settle()
    # Every stroke at once: these figures are the path's own time (the
    # steady delay is timed in the phone's timing part).
    padrelle = Padrelle(app, ["--remote", "--remote-delay", "0"])
    padrelle.window()
    log = os.path.join(appdata(), "padrelle.log")
    found = wait_for(20, "the log gives no address of the remote controller", lambda: re.search(
        r"remote controller: http://([0-9.]+):([0-9]+)/#([0-9a-z]{12})", read_file(log)))
    address, port, code = found.groups()
    qr_code_scans(padrelle, f"http://{address}:{port}/#{code}")
    client = client_of(padrelle.window(), full=full_screen(padrelle.window()))
    if f"remote on {code}" not in read_file(os.path.join(appdata(), "settings.txt")):
        raise Failure("--remote and its pairing code were not saved")
    note(f"remote run: the page at http://{address}:{port}/, opened on 127.0.0.1; "
         f"{REMOTE_TOUCHES} mouse clicks on pad 1 first")
    game.focus()
    results["remote-mouse-x"] = []
    results["remote-mouse"], = measure_clicks(
        game, [(screen_point(client, PAD_CENTRES[1]), 0x1F)], REMOTE_TOUCHES,
        results["remote-mouse-x"])
    game.settle()
    since = game.mark()
    config = {
        "url": f"http://127.0.0.1:{port}/#{code}",
        "wrongUrl": f"http://127.0.0.1:{port}/#{'z' if code[0] != 'z' else 'y'}{code[1:]}",
        "shot": os.path.join(TMP, "remote-page.png"),
        "pads": {"p0": PAD_CENTRES[0], "p8": PAD_CENTRES[8], "timed": PAD_CENTRES[1]},
        "disc": [disc_point(i * 0.02) for i in range(21)],
        "touches": REMOTE_TOUCHES,
    }
    browser = subprocess.run(["node", REMOTE_SCRIPT, json.dumps(config)], capture_output=True,
                             text=True, timeout=240)
    if browser.returncode != 0:
        raise Failure(f"the browser test failed: {browser.stderr.strip()[-2000:]}")
    said = json.loads(browser.stdout.strip().splitlines()[-1])
    # The game's clock is Wine's QueryPerformanceCounter: CLOCK_MONOTONIC_RAW;
    # the driver's is CLOCK_MONOTONIC, the page's the wall clock.
    raw = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)
    offset_us = (raw - time.clock_gettime_ns(time.CLOCK_MONOTONIC)) / 1000.0
    wall_offset_us = (raw - time.clock_gettime_ns(time.CLOCK_REALTIME)) / 1000.0
    timed = [("make", 0x1F, 0), ("break", 0x1F, 0)] * REMOTE_TOUCHES
    expected = ([("make", 0x1E, 0), ("make", 0x4D, 1), ("break", 0x1E, 0), ("make", 0x18, 0),
                 ("break", 0x18, 0), ("break", 0x4D, 1)] + timed +
                [("make", 0x1E, 0), ("break", 0x1E, 0), ("make", 0x1F, 0), ("break", 0x1F, 0)])
    game.wait_keys(since, expected, "remote touches, then the connection dropped mid-press",
                   overlapping=True)
    makes = make_times(game, since, 0x1F)
    times = [(us - (int(sent) / 1000.0 + offset_us)) / 1000.0
             for us, sent in zip(makes, said["timed"])]
    # The page notes its send after the send: on a busy machine the key may
    # be in the game a few milliseconds before the page's note.
    from_page = [(us - (sent * 1000.0 + wall_offset_us)) / 1000.0
                 for us, sent in zip(makes, said["pageSent"])]
    if len(times) != REMOTE_TOUCHES or len(from_page) != REMOTE_TOUCHES or \
            not all(0 <= t < 1000 for t in times) or not all(-20 < t < 1000 for t in from_page):
        raise Failure(f"remote touch-to-key times off any clock: {times} {from_page}")
    results["remote"] = times
    results["remote-page"] = from_page
    # The screenshot stays in the build folder, for the README.
    shutil.copy(config["shot"], os.path.join(os.path.dirname(HERE), "build", "remote-page.png"))
    note(f"remote run: the page said \"{said['roundTrip']}\"; a wrong code: "
         f"\"{said['refused']}\"; a second one at once: \"{said['slowed']}\"")
    results["stale-in"] = said["staleInMs"]
    note(f"remote run: beside 16 idle connections of its own address (a 17th was "
         f"{said['seventeenth']}) the page was in after {said['staleInMs']} ms "
         f"({' / '.join(said['staleStates'])})")
    if said["seventeenth"] != "closed":
        raise Failure("16 idle connections of one address did not fill its share")
    if said["staleInMs"] > 2000:
        raise Failure(f"beside 16 idle connections the page took {said['staleInMs']} ms")
    if not said["roundTrip"].startswith("connected ·") or "ms" not in said["roundTrip"]:
        raise Failure(f"the page shows no round trip: {said['roundTrip']}")
    code_exit = close_with_a_phone_holding(game, padrelle, client, port, code, results)
    if code_exit != 0:
        raise Failure(f"padrelle.exe ended with exit code {code_exit} after the remote run")
    # Remembered: the next start serves the page again, with the same code.
    os.remove(log)
    padrelle = Padrelle(app, [])
    padrelle.window()
    wait_for(20, "a second start did not serve the page again with the same code",
             lambda: f"#{code}" in read_file(log))
    padrelle.close()
    padrelle = Padrelle(app, ["--remote", "off"])
    padrelle.window()
    wait_for(10, "--remote off was not saved",
             lambda: f"remote off {code}" in read_file(os.path.join(appdata(), "settings.txt")))
    padrelle.close()
