#!/usr/bin/env python3
"""Checks the log of the stand-in interception.dll after an end-to-end run.

  e2e-check-log.py client LOG               print "x y width height" of the
                                            program's client area (screen pixels)
  e2e-check-log.py window LOG "W H" "x y w h"
                                            window class, title, client size,
                                            centring; X window geometry agrees
  e2e-check-log.py run LOG KEYS             the whole run: eleven captures of
                                            KEYS in order, every stroke passed on in
                                            order, the filter set before and cleared
                                            after; context destroyed; no key left down

Log lines: "<ms> <word> key=value ...", word being "call=<name>" for a call,
"stroke" for a stroke, or another event word.
"""

import shlex
import sys

WINDOW_CLASS = "KestrunEngine"
WINDOW_TITLE = "Padrelle v1.0"
CLIENT_SIZE = (1280, 720)
CAPTURES = 11


class Line:
    def __init__(self, number, text):
        self.number = number
        self.text = text
        try:
            parts = shlex.split(text)
        except ValueError:
            parts = text.split()
        rest = parts[1:]
        self.word = ""
        if rest:
            self.word = "call" if rest[0].startswith("call=") else rest[0].split("=", 1)[0]
        self.fields = {}
        for part in rest:
            if "=" in part:
                key, value = part.split("=", 1)
                self.fields[key] = value
        self.call = self.fields.get("call") if self.word == "call" else None

    def int(self, key, default=None):
        value = self.fields.get(key)
        if value is None:
            return default
        try:
            return int(value, 0)
        except ValueError:
            return default

    def __str__(self):
        return f"line {self.number}: {self.text}"


def read_log(path):
    try:
        with open(path, encoding="latin-1") as handle:
            return [Line(n, t.rstrip("\r\n")) for n, t in enumerate(handle, 1) if t.strip()]
    except OSError as error:
        sys.exit(f"cannot read the log: {error}")


def parse_keys(text):
    keys = []
    for token in text.replace(";", ",").replace(" ", ",").split(","):
        token = token.strip().lower()
        if not token:
            continue
        prefix = 0
        if token.startswith("e0:"):
            prefix, token = 0x02, token[3:]
        elif token.startswith("e1:"):
            prefix, token = 0x04, token[3:]
        keys.append((int(token, 16), prefix))
    return keys


def program_window(lines):
    windows = [l for l in lines if l.word == "window" and l.fields.get("class") == WINDOW_CLASS]
    if not windows:
        sys.exit(f"no window of class {WINDOW_CLASS} in the log")
    return windows[-1]


def client_of(window):
    width, height = (int(v) for v in window.fields["client"].split("x"))
    x, y = (int(v) for v in window.fields["origin"].split(","))
    return x, y, width, height


def check_window(lines, screen, x_geometry):
    problems = []
    window = program_window(lines)
    if window.fields.get("title") != WINDOW_TITLE:
        problems.append(f"title is {window.fields.get('title')!r}, not {WINDOW_TITLE!r}")
    x, y, width, height = client_of(window)
    if (width, height) != CLIENT_SIZE:
        problems.append(f"client area is {width} x {height}, not 1280 x 720")
    screen_w, screen_h = screen
    # The outer window is centred; the caption puts the client area a little
    # lower than the middle, never to the side.
    centre_x = x + width / 2
    centre_y = y + height / 2
    if abs(centre_x - screen_w / 2) > 2:
        problems.append(f"client area centre x {centre_x} is not the screen's {screen_w / 2}")
    if abs(centre_y - screen_h / 2) > 20:
        problems.append(f"client area centre y {centre_y} is far from the screen's {screen_h / 2}")
    gx, gy, gw, gh = x_geometry
    if not (gx <= x <= gx + 4 and gy <= y <= gy + 4 and
            gx + gw - 4 <= x + width <= gx + gw and gy + gh - 4 <= y + height <= gy + gh):
        problems.append(f"X window {gw} x {gh} at ({gx}, {gy}) does not frame the client area "
                        f"{width} x {height} at ({x}, {y})")
    for problem in problems:
        print(f"window: {problem}", file=sys.stderr)
    if not problems:
        print(f"window: class {WINDOW_CLASS}, title {WINDOW_TITLE!r}, client {width} x {height} "
              f"at ({x}, {y}) on {screen_w} x {screen_h}")
    return not problems


def check_run(lines, keys):
    problems = []

    def problem(text):
        problems.append(text)

    creates = [l for l in lines if l.call == "create_context"]
    if len(creates) != 1 or creates[0].int("result", 0) <= 0:
        problem(f"expected one successful create_context, found {[str(l) for l in creates]}")
        return report(problems)
    destroys = [l for l in lines if l.call == "destroy_context"]
    if len(destroys) != 1:
        problem(f"expected one destroy_context, found {len(destroys)}")
        return report(problems)
    context = creates[0].fields["result"]
    if destroys[0].fields.get("context") != context:
        problem(f"destroy_context was given context {destroys[0].fields.get('context')}, "
                f"not {context}")
    start = lines.index(creates[0])
    end = lines.index(destroys[0])
    after = [l for l in lines[end + 1:] if l.call is not None]
    if after:
        problem(f"calls after the context was destroyed: {after[0]}")
    if not any(l.word == "unload" for l in lines[end + 1:]):
        problem("the library was not unloaded after destroy_context (the process did not end "
                "normally)")

    # The calls of the run, without the keyboard predicate, the question for
    # a keyboard that is plugged in, and the timed waits that found nothing
    # (the start-up question to the driver and the polls of each capture).
    calls = [l for l in lines[start + 1:end] if l.call is not None and
             l.call not in ("is_keyboard", "get_hardware_id") and
             not (l.call == "wait_with_timeout" and l.int("result", 0) == 0)]
    strokes = {}
    for index, line in enumerate(lines):
        if line.word == "stroke":
            strokes.setdefault(line.fields.get("from"), []).append((index, line))

    def stroke_after(line, origin):
        index = lines.index(line)
        following = lines[index + 1] if index + 1 < len(lines) else None
        if following is None or following.word != "stroke" or following.fields.get("from") != origin:
            return None
        return following

    # The capture: the filter set once to hold back makes and breaks, then
    # each stroke waited for, received and passed on at once, in the order
    # the keyboard sent it; the filter cleared once when the eleventh key is
    # taken.
    filters = [l for l in calls if l.call == "set_filter"]
    if len(filters) != 2 or filters[0].int("filter") != 0x0003 or \
            filters[0].int("devices", 0) < 1 or filters[1].int("filter") != 0x0000:
        problem(f"the filter was not set once to key-down and key-up for the keyboards and "
                f"cleared once after the capture: {[str(l) for l in filters]}")
        return report(problems)
    first, last = calls.index(filters[0]), calls.index(filters[1])
    capture = calls[first + 1:last]
    names = [l.call for l in capture]
    if len(names) % 3 != 0 or names != ["wait_with_timeout", "receive", "send"] * (len(names) // 3):
        problem(f"capture calls {names}, expected wait, receive and send for each stroke")
        return report(problems)
    received_strokes = []
    for index in range(0, len(capture), 3):
        wait, receive, send = capture[index:index + 3]
        device = wait.int("result", 0)
        label = f"captured stroke {index // 3}"
        if not 1 <= device <= 10:
            problem(f"{label}: wait gave no keyboard: {wait}")
        if receive.int("device") != device or receive.int("count") != 1 or \
                receive.int("result") != 1:
            problem(f"{label}: receive did not take one stroke of device {device}: {receive}")
        received = stroke_after(receive, "receive")
        sent = stroke_after(send, "send")
        if received is None or sent is None or (sent.int("code"), sent.int("state")) != (
                received.int("code"), received.int("state")) or send.int("device") != device:
            problem(f"{label}: passed on {sent}, not the received stroke {received}")
            return report(problems)
        received_strokes.append((received.int("code"), received.int("state")))
    makes = [(code, state) for code, state in received_strokes if state & 1 == 0]
    if makes != keys:
        problem(f"the keys received were {makes}, not {keys}")
    for number, (code, state) in enumerate(received_strokes):
        if state & 1 == 0 and number > 0:
            before = [s for s in received_strokes[:number] if s[1] & 1 == 0][-1]
            if (before[0], before[1] | 1) not in received_strokes[:number]:
                problem(f"key {code:#04x} was taken before the key before it came up")
    rest = calls[last + 1:]
    for line in rest:
        if line.call in ("set_filter", "wait", "receive"):
            problem(f"a capture call after the eleven captures: {line}")
            break
    if len(keys) != CAPTURES:
        problem(f"the script has {len(keys)} keys, not {CAPTURES}")

    # Every make stroke that reached the system has its break.
    down = {}
    for line in lines:
        if line.word != "stroke" or line.fields.get("from") not in ("send", "keyboard"):
            continue
        state = line.int("state", 0)
        key = (line.int("device"), line.int("code"), state & ~1)
        if state & 1 == 0:
            down[key] = down.get(key, 0) + 1
        else:
            if down.get(key, 0) == 0:
                problem(f"break stroke without a make stroke: {line}")
            else:
                down[key] -= 1
    stuck = {key: count for key, count in down.items() if count}
    for (device, code, prefix), count in stuck.items():
        problem(f"make stroke of code {code:#04x} (state {prefix:#04x}) on device {device} "
                f"without its break ({count} left down)")
    if not problems:
        makes = sum(1 for l in lines if l.word == "stroke" and l.fields.get("from") == "send"
                    and l.int("state", 0) & 1 == 0)
        print(f"log: {len(keys)} keys captured in order, each after the one before came up, "
              f"every stroke passed on in order; filter set and cleared once; {makes} make "
              f"strokes sent, each with its break; context {context} destroyed")
    return report(problems)


def report(problems):
    for text in problems:
        print(f"log: {text}", file=sys.stderr)
    return not problems


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    mode, path = argv[1], argv[2]
    lines = read_log(path)
    if mode == "client":
        print(*client_of(program_window(lines)))
        return 0
    if mode == "window" and len(argv) == 5:
        screen = tuple(int(v) for v in argv[3].split())
        geometry = tuple(int(v) for v in argv[4].split())
        return 0 if check_window(lines, screen, geometry) else 1
    if mode == "run" and len(argv) == 4:
        return 0 if check_run(lines, parse_keys(argv[3])) else 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
