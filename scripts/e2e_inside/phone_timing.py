"""The phone's keys as a game judges them: the time from each touch event (the
browser's own stamp) to its key in the test game, on one clock, steady and at once,
through a network with Wi-Fi's jitter and without; and the phone's path keeping up
with 3,500 messages a second."""
import json
import os
import re
import socket
import statistics
import struct
import subprocess
import sys
import time

from e2e_inside.common import *  # noqa: F401,F403
from e2e_inside.game import disc_point
from e2e_inside.jitter_proxy import JitterProxy
from e2e_inside.program import Padrelle

TIMING_SCRIPT = os.path.join(os.path.dirname(HERE), "tests", "browser", "remote_timing.js")
TIMED_TOUCHES = 200
DIRECT_TOUCHES = 100
WARMUP_TOUCHES = 20
PROXY_PORT = 8751
PAD = 1
PAD_KEY = 0x1F
STEADY = 3  # the page's timing figures: the state of a page timed steady


def serving(keys_args, extra):
    """padrelle.exe serving the page with the given keys; its port and pairing code."""
    padrelle = Padrelle(os.path.join(TMP, "app-sendinput"), ["--remote", *keys_args, *extra])
    padrelle.window()
    log = os.path.join(appdata(), "padrelle.log")
    found = wait_for(20, "the log gives no address of the remote controller", lambda: re.search(
        r"remote controller: http://[0-9.]+:([0-9]+)/#([0-9a-z]{12})", read_file(log)))
    return padrelle, int(found.group(1)), found.group(2)


def wine_processes(*names):
    """The Linux processes of the running Windows programs named, and this prefix's
    wineserver."""
    pids = [wine_pid(name) for name in names]
    for pid in run("pgrep", "-f", "wineserver", check=False).split():
        try:
            with open(f"/proc/{pid}/environ", "rb") as handle:
                if f"WINEPREFIX={os.environ['WINEPREFIX']}".encode() in handle.read().split(b"\0"):
                    pids.append(int(pid))
        except OSError:
            pass
    return [pid for pid in pids if pid]


def thread_cpu_seconds(pid):
    """User and system CPU time of each thread of a process."""
    spent = {}
    for thread in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{thread}/stat") as handle:
                fields = handle.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        spent[thread] = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    return spent


def prioritize(pids, nice):
    """Every thread of the processes at that nice value (Linux's nice is a thread's)."""
    for pid in pids:
        for thread in os.listdir(f"/proc/{pid}/task") if os.path.isdir(f"/proc/{pid}/task") else []:
            try:
                os.setpriority(os.PRIO_PROCESS, int(thread), nice)
            except OSError:
                pass


def spread(values):
    """The 99th percentile minus the 1st (nearest rank)."""
    ordered = sorted(values)
    rank = lambda share: ordered[max(1, -(-len(ordered) * share // 100)) - 1]  # noqa: E731
    return rank(99) - rank(1)


def delays(keys, run):
    """Milliseconds from each touch event of the run to its key in the game (the run's
    keys: those of its warm-up, then those of its timed taps)."""
    raw_minus_mono_us = (time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) -
                         time.clock_gettime_ns(time.CLOCK_MONOTONIC)) / 1000.0
    events = run["events"]
    keys = keys[-len(events):]
    if len(keys) != len(events) or \
            [k["kind"] for k in keys] != ["make" if kind == 1 else "break" for kind, _ in events]:
        raise Failure(f"{run['name']}: {len(events)} touch events, but the game got "
                      f"{[k['kind'] for k in keys][:12]}...")
    return [(key["us"] - (stamp * 1e6 + run["offsetNs"]) / 1000.0 - raw_minus_mono_us) / 1000.0
            for key, (_, stamp) in zip(keys, events)]


def judged(run, times):
    """The run's figures: the late events (the program's count) left out of the spread."""
    late = run["after"][2] - run["before"][2] if run["before"] else 0
    counted = run["after"][3] - run["before"][3] if run["before"] else 0
    on_time = sorted(times)[:len(times) - late]
    ordered = sorted(times)
    return {"median": statistics.median(times), "spread": spread(on_time),
            "p99": ordered[max(1, -(-len(ordered) * 99 // 100)) - 1],
            "spread_all": spread(times), "late": late, "counted": counted,
            "late_share": late / len(times), "delay_ms": run["after"][1] / 1000.0,
            "clock_ms": run["after"][4] / 1000.0, "said": run["said"], "events": len(times)}


PROBE = """
import sys, threading, time
late, done = [], threading.Event()
threading.Thread(target=lambda: (sys.stdin.read(), done.set()), daemon=True).start()
while not done.is_set():
    start = time.monotonic()
    time.sleep(0.005)
    late.append((time.monotonic() - start - 0.005) * 1000.0)
late.sort()
print(late[max(1, -(-len(late) * 99 // 100)) - 1] if late else 0.0)
"""


class Probe:
    """How late the machine wakes a process of the priority the programs run at: a
    process of its own that sleeps 5 ms, again and again, and says the 99th percentile of
    how much it overslept."""

    def __init__(self):
        self.process = subprocess.Popen([sys.executable, "-c", PROBE], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        self.pid = self.process.pid

    def percentile99(self):
        said, _ = self.process.communicate("", timeout=30)
        return float(said.strip() or 0.0)


def timing_run(game, results):
    """Steady and at once, through the jitter and without: the spread of the touch-to-key
    times and the late share; steady's median beside at once's. A run the machine itself
    disturbed (a process of the programs' priority woken more than 3 ms late at the 99th
    percentile), or one whose figures miss their bounds, is made again, once, and the
    second is the one judged: a timing of a millisecond is at the mercy of any other
    work of a 2-processor machine for a few seconds, and a fault of the program's shows
    in every run."""
    for attempt in (1, 2):
        figures, woke, disturbed = timing_once(game)
        results["timing"] = figures
        try:
            judge_timing(figures, woke, disturbed)
        except Failure as failure:
            if attempt == 2:
                raise
            note(f"phone timing: {failure}: once more")
            continue
        if disturbed <= 3.0 or attempt == 2:
            return
        note(f"phone timing: the machine woke a process of the programs' priority up to "
             f"{disturbed:.1f} ms late (99th percentile): once more")


def timing_once(game):
    """One run of the four: their figures, and the program's word on its own wake."""
    keys = ["--keys", STANDIN_KEYS]
    padrelle, port, code = serving(keys, ["--remote-delay", "auto"])
    game.focus()
    game.settle()
    since = game.mark()
    direct = f"http://127.0.0.1:{port}/#{code}"
    through = f"http://127.0.0.1:{PROXY_PORT}/#{code}"
    runs = [{"name": "steady, jitter", "url": through, "timed": True},
            {"name": "at once, jitter", "url": through, "timed": False},
            {"name": "steady, direct", "url": direct, "timed": True},
            {"name": "at once, direct", "url": direct, "timed": False}]
    for run in runs:
        run.update({"warmup": WARMUP_TOUCHES,
                    "touches": TIMED_TOUCHES if run["url"] == through else DIRECT_TOUCHES})
    runs[0]["disc"] = [disc_point(i * 0.03) for i in range(16)]
    config = {"runs": runs, "pad": PAD_CENTRES[PAD], "holdMs": 15, "gapMs": 15}
    started = time.time()
    # padrelle.exe asks Windows for the high priority class, which Wine does not
    # pass on: here its threads, Wine's server's, the game's and the proxy's
    # (the network must be what it is said to be) are ahead of whatever else
    # the machine runs, the browser (this process's child, standing for the
    # phone) just behind them.
    programs = wine_processes("padrelle.exe", "padrelle-test-game.exe")
    with JitterProxy(PROXY_PORT, port) as proxy:
        probe = Probe()
        prioritize(programs + [os.getpid(), probe.pid], -20)
        os.setpriority(os.PRIO_PROCESS, 0, -10)  # this thread: the browser's parent
        try:
            browser = subprocess.run(["node", TIMING_SCRIPT, json.dumps(config)],
                                     capture_output=True, text=True, timeout=300)
        finally:
            prioritize(programs + [os.getpid()], 0)
            disturbed = probe.percentile99()
    if browser.returncode != 0:
        raise Failure(f"the timing test failed: {browser.stderr.strip()[-2000:]}")
    played = json.loads(browser.stdout.strip().splitlines()[-1])
    game.settle()
    # The disc's turn through the jitter, steady: one way, then back.
    turned = [key for key in game.keys(since, True) if key[1] in (0x1D, 0x2A)]
    if turned != [("make", 0x1D, 1), ("break", 0x1D, 1), ("make", 0x2A, 0), ("break", 0x2A, 0)]:
        raise Failure(f"a turn of the disc and back, steady through the jitter: {turned}")
    keys = [e for e in game.events()[since:]
            if e["what"] == "key" and int(e["code"], 16) == PAD_KEY]
    tapped = sum(run["tapped"] for run in played)
    if len(keys) != 2 * tapped:
        raise Failure(f"{tapped} taps, but the game got {len(keys)} keys")
    figures = {}
    at = 0
    for run in played:
        times = delays(keys[at:at + 2 * run["tapped"]], run)
        at += 2 * run["tapped"]
        figures[run["name"]] = judged(run, times)
        run["delays"] = times
    with open(os.path.join(TMP, "phone-timing.json"), "w") as handle:
        json.dump(played, handle)
    if padrelle.close() != 0:
        raise Failure("padrelle.exe did not end cleanly after the timing run")
    woke = re.search(r"strokes that waited went out ([0-9.]+) ms after their time at the "
                     r"median, ([0-9.]+) ms at the 99th", read_file(os.path.join(appdata(),
                                                                             "padrelle.log")))
    if not woke:
        raise Failure("the log does not say how late the strokes that waited went out")
    for name, f in figures.items():
        note(f"phone timing, {name}: median {f['median']:.2f} ms, spread (99th - 1st) "
             f"{f['spread']:.2f} ms of the {f['events'] - f['late']} on time "
             f"({f['spread_all']:.2f} ms of all), {f['late']} late of {f['events']} "
             f"({100 * f['late_share']:.1f}%); the page said \"{f['said']}\"")
    note(f"phone timing: {time.time() - started:.0f} s for {sum(r['tapped'] for r in played)} "
         f"taps in {len(runs)} runs; the proxy stalled {proxy.stalls} of {proxy.chunks} chunks")
    return figures, woke, disturbed


def judge_timing(figures, woke, disturbed):
    steady, at_once = figures["steady, jitter"], figures["at once, jitter"]
    direct = figures["at once, direct"]
    gap = figures["steady, direct"]["median"] - direct["median"]
    # The bounds: a spread of 2 ms, 2% late, steady's median within 3 ms of at
    # once's. A busy machine adds its own delays, which the run measures: how
    # late it woke a process of the programs' priority, and how late the
    # program's own wake for the keys was, at their 99th percentiles. Beyond
    # the 0.2 ms a quiet machine shows, the spread's bound grows by three times
    # the larger (each key waits on three wakes in turn: the program's, Wine's
    # server's, the game's);
    # beyond 3 ms for the process the run says its figures without judging
    # them. The wake's median, which a busy machine hardly moves, is judged
    # always: within half a millisecond (on the timer alone it was 1 ms). The
    # browser's own unevenness without the jitter (its 99th percentile over
    # its median) is what the steady delay covers there: steady's median is
    # judged against at once's when that is within 2 ms, as on a quiet
    # machine, and said otherwise.
    woke99 = float(woke.group(2))
    uneven = direct["p99"] - direct["median"]
    spread_bound = 2.0 + 3.0 * max(0.0, max(disturbed, woke99) - 0.2)
    met = steady["spread"] <= 2.0 and steady["late_share"] <= 0.02 and abs(gap) <= 3.0
    judged = disturbed <= 3.0
    note(f"phone timing: the machine woke a process of the programs' priority up to "
         f"{disturbed:.2f} ms late (99th percentile); the keys that waited went out "
         f"{woke.group(1)} ms after their time at the median, {woke99:.2f} ms at the 99th "
         f"percentile; at once without the jitter, the 99th percentile {uneven:.2f} ms over "
         f"the median; steady's median {gap:+.2f} ms from at once's; the bounds as set "
         f"{'met' if met else 'not met'}"
         + (f" (judged: the spread within {spread_bound:.2f} ms, 2% late, the medians "
            f"{'within 3 ms' if uneven <= 2.0 else 'not: the browser alone was that uneven'})"
            if judged else " (not judged: the machine kept no millisecond)"))
    if steady["counted"] != 2 * TIMED_TOUCHES:
        raise Failure(f"steady through the jitter: {steady['counted']} touch events timed, "
                      f"not {2 * TIMED_TOUCHES}")
    if at_once["spread"] < 2 * steady["spread"] or at_once["spread"] < 5.0:
        raise Failure(f"at once through the jitter shows no network's spread: "
                      f"{at_once['spread']:.2f} ms")
    if float(woke.group(1)) > 0.5:
        raise Failure(f"the keys that waited went out {woke.group(1)} ms after their time at "
                      f"the median")
    if not judged:
        return
    if steady["spread"] > spread_bound or steady["late_share"] > 0.02:
        raise Failure(f"steady through the jitter: spread {steady['spread']:.2f} ms, "
                      f"{steady['late']} late of {steady['counted']} timed")
    if uneven <= 2.0 and abs(gap) > 3.0:
        raise Failure(f"without the jitter, steady's median is {gap:+.2f} ms from at once's")


def frame(payload):
    mask = os.urandom(4)
    return bytes([0x82, 0x80 | len(payload)]) + mask + \
        bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


def rate_run(game, results, rate=3500, seconds=3.0):
    """A raw page holding pad 0 and sending 3,500 single-record moves a second, then
    lifting: the break within 50 ms of the lift, the connection kept; the program's
    CPU for each message."""
    from e2e_inside.phone import RawPage
    padrelle, port, code = serving(["--keys", STANDIN_KEYS], [])
    game.focus()
    game.settle()
    since = game.mark()
    page = RawPage(port, code)
    page.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    page.touch(1, 1, PAD_CENTRES[0])
    game.wait_keys(since, [("make", 0x1E, 0)], "a raw page's finger on pad 0")
    moves = [frame(bytes([1]) + struct.pack("<BBhh", 2, 1, PAD_CENTRES[0][0] + i * 10,
                                            PAD_CENTRES[0][1])) for i in range(2)]
    pid = padrelle.pid()
    server = [p for p in wine_processes() if p != pid][0]
    threads = thread_cpu_seconds(pid)
    cpu = process_cpu_seconds(pid)
    server_cpu = process_cpu_seconds(server)
    total = int(rate * seconds)
    sent = 0
    start = time.perf_counter()
    while sent < total:
        due = min(total, int((time.perf_counter() - start) * rate))
        while sent < due:
            page.sock.sendall(moves[sent % 2])
            sent += 1
        time.sleep(0.0005)
    took = time.perf_counter() - start
    lifted = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) / 1000.0
    page.touch(3, 1, PAD_CENTRES[0])
    game.wait_keys(since, [("make", 0x1E, 0), ("break", 0x1E, 0)], "the lift after the flood")
    broke = [e["us"] for e in game.events()[since:]
             if e["what"] == "key" and e["kind"] == "break"][0]
    cost = process_cpu_seconds(pid) - cpu
    server_cost = process_cpu_seconds(server) - server_cpu
    # The main loop's thread is the busiest but for the thread that reads
    # the socket; said apart: the two busiest, then the rest.
    spent = sorted((seconds - threads.get(thread, 0.0)
                    for thread, seconds in thread_cpu_seconds(pid).items()), reverse=True)
    # Still open: a ping is answered.
    page.sock.sendall(frame(bytes([2, 7, 0, 0, 0, 0xFF, 0xFF])))
    page.sock.settimeout(2)
    answer = b""
    try:
        while b"\x82\x05\x82\x07" not in answer:
            got = page.sock.recv(4096)
            if not got:
                break
            answer += got
    except OSError:
        pass
    page.close()
    padrelle.close()
    after = (broke - lifted) / 1000.0
    kept = b"\x82\x05\x82\x07" in answer
    per = lambda seconds: seconds / total * 1e6  # noqa: E731
    results["rate"] = {"after_ms": after, "us_per_message": per(cost),
                       "server_us_per_message": per(server_cost)}
    note(f"phone at {rate} messages a second for {took:.1f} s: the break {after:.1f} ms after "
         f"the lift, the connection {'kept' if kept else 'CUT'}; CPU a message: padrelle.exe "
         f"{per(cost):.0f} us (its two busiest threads {per(spent[0]):.0f} and "
         f"{per(spent[1]):.0f} us, the others {per(sum(spent[2:])):.0f} us), Wine's server "
         f"{per(server_cost):.0f} us")
    if not kept or after > 50:
        raise Failure(f"3,500 messages a second: the break {after:.1f} ms after the lift, "
                      f"the connection {'kept' if kept else 'cut'}")
