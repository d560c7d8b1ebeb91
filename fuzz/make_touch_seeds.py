#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_touch_filing into fuzz/corpus/touch/.

The input format is described at the top of touch_filing_fuzz.cpp."""
import math
import os
import struct

MOVE, DOWN, UP = 0x1, 0x2, 0x4
NO_MESSAGE, RESIZE, FRAME, LEAVE = 0x10, 0x20, 0x40, 0x80


def record(x, y, ident, flags):
    # Logical positions map one to one at 1280 x 720; records are in hundredths.
    return struct.pack("<iiIH", x * 100, y * 100, ident, flags)


def step(points, frame=True, leave=False, resize=None):
    control = len(points) | (FRAME if frame else 0) | (LEAVE if leave else 0)
    extra = b""
    if resize is not None:
        control |= RESIZE
        extra = struct.pack("<HH", *resize)
    if not points:
        control |= NO_MESSAGE
    return bytes([control]) + extra + b"".join(record(*p) for p in points)


def tap_pad_zero():
    return step([(700, 600, 1, DOWN)]) + step([(705, 610, 1, MOVE)]) + step([(705, 610, 1, UP)])


def slide_over_pads():
    out = step([(690, 500, 3, DOWN)])
    for x in range(690, 1290, 19):
        out += step([(x, 600, 3, MOVE)])
    return out + step([(1276, 690, 3, UP)])


def turn_the_disc():
    out = b""
    for i in range(40):
        a = -1.2 + i * 0.08 if i < 25 else -1.2 + (50 - i) * 0.08
        x, y = 4 + int(300 * math.cos(a)), 208 + int(300 * math.sin(a))
        out += step([(x, y, 9, DOWN if i == 0 else MOVE)])
    return out + step([(0, 0, 9, UP)])


def crowded_message():
    points = [(700 + 40 * i, 300 + 25 * i, i % 6, (i % 7) + 1) for i in range(15)]
    return step(points) + step(points[::-1]) + step([])


def eleven_fingers():
    down = [(-100 + 130 * i, 100 + 60 * i, 100 + i, DOWN) for i in range(11)]
    ups = [(0, 0, 100 + i, UP) for i in range(11)]
    return step(down) + step([(460, 660, 110, MOVE)]) + step(ups)


def borders():
    pts = [(820, 600, 1, DOWN), (821, 600, 2, DOWN), (1277, 200, 3, DOWN), (467, 671, 4, DOWN),
           (468, 671, 5, DOWN), (-459, -255, 6, DOWN)]
    return step(pts) + step([(p[0], p[1], p[2], UP) for p in pts])


def resized_window():
    return (step([(320, 180, 1, DOWN)], resize=(640, 360)) + step([], resize=(0, 0)) +
            step([(320, 180, 1, UP)], resize=(1280, 720)))


def leave_while_held():
    return step([(700, 600, 1, DOWN), (200, 208, 2, DOWN)]) + step([(203, 240, 2, MOVE)]) + \
        step([], leave=True) + step([(700, 600, 1, MOVE)])


SEEDS = {
    "tap_pad_zero": tap_pad_zero,
    "slide_over_pads": slide_over_pads,
    "turn_the_disc": turn_the_disc,
    "crowded_message": crowded_message,
    "eleven_fingers": eleven_fingers,
    "borders": borders,
    "resized_window": resized_window,
    "leave_while_held": leave_while_held,
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "touch")
    os.makedirs(folder, exist_ok=True)
    for name, make in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(make())
