"""The test game (tools/test_game), which keeps the focus and logs every key
and mouse button, and clicks timed against it."""
import ctypes
import os
import shutil
import subprocess
import time

from e2e_inside.common import *  # noqa: F401,F403


class Game:
    """The test game and its log."""

    def __init__(self, log="game.log", full_screen=False, program="padrelle-test-game.exe"):
        """A copy of the game under another program's name is another game: its
        title ends with the name."""
        self.log = os.path.join(TMP, log)
        args = ["--full-screen"] if full_screen else []
        exe = os.path.join(TMP, program)
        if not os.path.exists(exe):
            shutil.copy(os.path.join(TMP, "padrelle-test-game.exe"), exe)
        self.process = subprocess.Popen([WINE, exe, *args, windows_path(self.log)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.title = FULL_GAME_TITLE if full_screen else GAME_TITLE
        if program != "padrelle-test-game.exe":
            self.title += ": " + program
        wait_for(60, "the test game's window did not appear", lambda: find_window(self.title))
        if not full_screen:
            self.focus()

    def focus(self):
        run("wmctrl", "-F", "-a", self.title)
        wait_for(5, f"{self.title} did not get the focus",
                 lambda: active_window_name() == self.title)

    def end(self):
        self.process.kill()
        self.process.wait()

    def events(self):
        with open(self.log) as handle:
            lines = [line.split() for line in handle if line.strip()]
        events = []
        for words in lines:
            fields = dict(w.split("=", 1) for w in words[2:] if "=" in w)
            event = {"us": int(words[0]), "what": words[1],
                     "kind": words[2] if len(words) > 2 else ""}
            event.update(fields)
            events.append(event)
        return events

    def keys(self, since=0, overlapping=False):
        """(make or break, code, e0) of every key received after event `since`, no repeats.
        Wine gives strokes sent by scancode the virtual key 0, so a make while another key
        is held carries the previous-state bit of a repeat: where keys overlap, every make
        counts (SendInput sends no repeats)."""
        return [(e["kind"], int(e["code"], 16), int(e["e0"])) for e in self.events()[since:]
                if e["what"] == "key" and (overlapping or e.get("repeat") == "0")]

    def mark(self):
        return len(self.events())

    def wait_keys(self, since, expected, what, overlapping=False):
        wait_for(5, f"{what}: the game received {self.keys(since, overlapping)}, not {expected}",
                 lambda: self.keys(since, overlapping) == expected)

    def settle(self):
        """Waits until every key the game received is up again and its log is still."""
        def quiet():
            held = {}
            for kind, code, e0 in self.keys():
                held[(code, e0)] = kind == "make"
            count = self.mark()
            time.sleep(0.2)
            return not any(held.values()) and self.mark() == count
        wait_for(5, "keys stay held in the game", quiet)

    def has_focus(self):
        return active_window_name() == GAME_TITLE


def click(client, logical, hold=0.15):
    x, y = screen_point(client, logical)
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    time.sleep(hold)
    xdotool("mouseup", 1)


def click_pad(game, client, pad, code, e0, what):
    game.settle()
    since = game.mark()
    click(client, PAD_CENTRES[pad])
    game.wait_keys(since, [("make", code, e0), ("break", code, e0)], what)


def disc_point(angle, radius=300):
    import math
    return (DISC_CENTRE[0] + radius * math.cos(angle), DISC_CENTRE[1] + radius * math.sin(angle))


def turn_disc(game, client, clockwise, counter, what):
    """Down at angle 0, clockwise to 0.4 rad, back to -0.4 rad, up."""
    game.settle()
    since = game.mark()
    x, y = screen_point(client, disc_point(0.0))
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    time.sleep(0.1)
    steps = [i * 0.02 for i in range(1, 21)] + [0.4 - i * 0.02 for i in range(1, 41)]
    chain = []
    for angle in steps:
        px, py = screen_point(client, disc_point(angle))
        chain += ["mousemove", str(px), str(py), "sleep", "0.02"]
    xdotool(*chain)
    time.sleep(0.1)
    xdotool("mouseup", 1)
    expected = [("make", *clockwise), ("break", *clockwise), ("make", *counter),
                ("break", *counter)]
    game.wait_keys(since, expected, what)


def make_times(game, since, code):
    """When the game got each make of code since a mark (its clock, us)."""
    return [e["us"] for e in game.events()[since:]
            if e["what"] == "key" and e["kind"] == "make" and int(e["code"], 16) == code]


def click_times(game, since, region, code):
    """Milliseconds from each mouse press in a screen region to the make of code."""
    times = []
    events = game.events()[since:]
    for i, event in enumerate(events):
        if event["what"] != "mouse" or event["kind"] != "down":
            continue
        x, y = int(event["x"]), int(event["y"])
        if not (region[0] <= x <= region[2] and region[1] <= y <= region[3]):
            continue
        for later in events[i + 1:]:
            if later["what"] == "key" and later["kind"] == "make" and int(later["code"], 16) == code:
                times.append((later["us"] - event["us"]) / 1000.0)
                break
    return times


class XTest:
    """Presses the mouse button through the X server's XTest extension, as
    xdotool does, and tells when the server had the press: XSync returns once
    the server has made the event. libX11 and libXtst come with xdotool."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise Failure("cannot open the X display for XTest")

    def press(self):
        """The game's clock (CLOCK_MONOTONIC_RAW, us) when the X server had the press."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.x11.XSync(self.display, 0)
        return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) / 1000.0


XTEST = None


def one_click(game, point, code):
    """A click on a point; when the X server had its press (game clock, us)."""
    global XTEST
    XTEST = XTEST or XTest()
    mark = game.mark()
    xdotool("mousemove", *point)
    time.sleep(0.05)
    pressed = XTEST.press()
    wait_for(3, f"no make of {code:02X} after a click",
             lambda: ("make", code, 0) in game.keys(mark), interval=0.005)
    time.sleep(0.03)
    xdotool("mouseup", 1)
    wait_for(3, f"no break of {code:02X} after a click",
             lambda: ("break", code, 0) in game.keys(mark), interval=0.005)
    time.sleep(0.05)
    return pressed


def measure_clicks(game, series, count, from_x=None):
    """Clicks on each (point, code) of the series in turn, count rounds, so that
    every series meets the same load; the click-to-key times of each, from
    the press the system's mouse hook sees. from_x, a list, gets those of the
    first series from the press the X server made."""
    since = game.mark()
    pressed = []
    for _ in range(count):
        for point, code in series:
            pressed.append(one_click(game, point, code))
    results = []
    for point, code in series:
        region = (point[0] - 2, point[1] - 2, point[0] + 2, point[1] + 2)
        times = click_times(game, since, region, code)
        if len(times) != count:
            raise Failure(f"{len(times)} click-to-key times for {count} clicks")
        results.append(times)
    if from_x is not None:
        point, code = series[0]
        makes = make_times(game, since, code)
        for press in pressed[::len(series)]:
            later = [us for us in makes if us > press]
            if not later:
                raise Failure("a click's make came before the X server had its press")
            from_x.append((later[0] - press) / 1000.0)
    return results
