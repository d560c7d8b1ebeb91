#!/usr/bin/env python3
"""Checks a screenshot of Padrelle's window against the controller's layout.

  e2e-check-frame.py SHOT.ppm X Y WIDTH HEIGHT MODE

SHOT.ppm is a binary PPM (P6) of the whole screen; X Y WIDTH HEIGHT is the
client area in screen pixels; MODE is "assign" (key assignment waiting for
the first key: prompt shown, pad 0 highlighted), "assign-scratch" (waiting
for a scratch key: prompt shown, no pad highlighted) or "play" (no prompt, no
pad highlighted). Positions are those of the 1280 x 720 logical screen, scaled to
the client area as the program stretches its frame.
"""

import sys

LOGICAL_W, LOGICAL_H = 1280, 720
PAD_W, PAD_H = 130, 190
PADS = [(690, 500), (766, 292), (842, 500), (918, 292), (994, 500), (1070, 292), (1146, 500),
        (690, 10), (1146, 10)]
DISC_CENTRE, DISC_RADIUS = (4, 208), 463
PROMPT_AT = (600, 200)


def read_ppm(path):
    with open(path, "rb") as handle:
        data = handle.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while position < len(data) and data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            while position < len(data) and data[position:position + 1] != b"\n":
                position += 1
            continue
        start = position
        while position < len(data) and not data[position:position + 1].isspace():
            position += 1
        fields.append(data[start:position])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:]
    if len(pixels) < width * height * 3:
        sys.exit(f"{path}: truncated")
    return width, height, pixels


class Frame:
    def __init__(self, path, client):
        self.width, self.height, self.pixels = read_ppm(path)
        self.cx, self.cy, self.cw, self.ch = client

    def sx(self, lx):
        return self.cx + int(lx * self.cw / LOGICAL_W)

    def sy(self, ly):
        return self.cy + int(ly * self.ch / LOGICAL_H)

    def rgb(self, x, y):
        offset = (y * self.width + x) * 3
        return self.pixels[offset], self.pixels[offset + 1], self.pixels[offset + 2]

    def screen_box(self, lx0, ly0, lx1, ly1, slack=0):
        """Screen pixels covering logical x lx0..lx1 and y ly0..ly1 (inclusive),
        widened by slack screen pixels (the stretch may round either way) and
        clipped to the client area."""
        x0 = max(self.sx(lx0) - slack, self.cx)
        y0 = max(self.sy(ly0) - slack, self.cy)
        x1 = min(self.sx(lx1 + 1) - 1 + slack, self.cx + self.cw - 1, self.width - 1)
        y1 = min(self.sy(ly1 + 1) - 1 + slack, self.cy + self.ch - 1, self.height - 1)
        return x0, y0, x1, y1

    def pixels_in(self, lx0, ly0, lx1, ly1, slack=0):
        x0, y0, x1, y1 = self.screen_box(lx0, ly0, lx1, ly1, slack)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                yield x, y, self.rgb(x, y)

    def count(self, box, test):
        hits = total = 0
        found = []
        for x, y, colour in self.pixels_in(*box):
            total += 1
            if test(colour):
                hits += 1
                found.append((x, y))
        return hits, total, found

    def any_in(self, box, test):
        return any(test(colour) for _, _, colour in self.pixels_in(*box, slack=1))

    def logical(self, x, y):
        return ((x - self.cx) * LOGICAL_W / self.cw, (y - self.cy) * LOGICAL_H / self.ch)


def red(c):
    return c[0] >= 180 and c[1] <= 80 and c[2] <= 80


def green(c):
    return c[1] >= 180 and c[0] <= 80 and c[2] <= 80


def blue(c):
    return c[2] >= 180 and c[0] <= 80 and c[1] <= 80


def yellow(c):
    return c[0] >= 180 and c[1] >= 180 and c[2] <= 80


def black(c):
    return c[0] + c[1] + c[2] <= 60


class Checks:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, condition, text):
        if condition:
            self.passed += 1
        else:
            self.failures.append(text)


def edge_hits(frame, samples):
    """Share of sample boxes that hold a red pixel."""
    hits = sum(1 for box in samples if frame.any_in(box, red))
    return hits / len(samples) if samples else 0.0


def check_pad_outline(frame, checks, index, x, y, prompt_shown):
    right, bottom = x + PAD_W, y + PAD_H
    steps = [i / 12 for i in range(1, 12)]
    # One logical pixel of slack on each side of where the edge belongs.
    left_edge = [(x - 1, int(y + t * PAD_H), x + 1, int(y + t * PAD_H)) for t in steps]
    right_edge = [(right - 2, int(y + t * PAD_H), right, int(y + t * PAD_H)) for t in steps]
    top_edge = [(int(x + t * PAD_W), y - 1, int(x + t * PAD_W), y + 1) for t in steps]
    bottom_edge = [(int(x + t * PAD_W), bottom - 2, int(x + t * PAD_W), bottom) for t in steps]
    for name, samples in (("left", left_edge), ("right", right_edge), ("top", top_edge),
                          ("bottom", bottom_edge)):
        if prompt_shown and name == "bottom" and y + PAD_H >= PROMPT_AT[1] - 2 and \
                y <= PROMPT_AT[1] + 20:
            continue  # the prompt's text may lie over this edge
        share = edge_hits(frame, samples)
        checks.expect(share >= 0.9, f"pad {index}: red outline missing on its {name} edge "
                      f"(found at {share:.0%} of the samples)")
    # Nothing red a few pixels beside the left and right edges.
    for name, column in (("left", x - 5), ("right", right + 5)):
        if column < 0 or column >= LOGICAL_W:
            continue
        samples = [(column, int(y + t * PAD_H), column, int(y + t * PAD_H)) for t in steps]
        checks.expect(edge_hits(frame, samples) <= 0.1,
                      f"pad {index}: red found 5 pixels outside its {name} edge "
                      f"(outline in the wrong place?)")


def check_pad_inside(frame, checks, index, x, y, highlighted):
    box = (x + 8, y + 8, x + 50, y + 80)
    dark, total, _ = frame.count(box, black)
    lit = 1 - dark / total
    if highlighted:
        checks.expect(lit >= 0.4, f"pad {index}: not highlighted (only {lit:.0%} of its inside "
                      f"is drawn)")
    else:
        checks.expect(lit <= 0.1, f"pad {index}: drawn as pressed ({lit:.0%} of its inside "
                      f"is lit)")
        cx, cy = x + PAD_W // 2, y + PAD_H // 2
        hits, _, _ = frame.count((cx - 2, cy - 2, cx + 40, cy + 20), green)
        checks.expect(hits >= 4, f"pad {index}: no green scancode at its centre")


def check_disc(frame, checks):
    dark, total, _ = frame.count((20, 230, 300, 500), black)
    drawn = 1 - dark / total
    checks.expect(drawn >= 0.5, f"disc: its picture is missing at the left edge "
                  f"(only {drawn:.0%} drawn inside the disc)")
    # Right of the disc's rim and left of the pads nothing is drawn.
    rim = DISC_CENTRE[0] + DISC_RADIUS
    dark, total, _ = frame.count((rim + 15, 520, 680, 700), black)
    checks.expect(dark / total >= 0.98, f"disc: something drawn right of the disc's rim "
                  f"({1 - dark / total:.0%} of x {rim + 15}..680, y 520..700)")
    # Above the band of notices (y 220 on, left of the prompt).
    dark, total, _ = frame.count((rim + 15, 120, 680, 195), black)
    checks.expect(dark / total >= 0.98, "disc: something drawn right of the disc's rim "
                  f"({1 - dark / total:.0%} of x {rim + 15}..680, y 120..195)")


def check_prompt(frame, checks, shown):
    if shown:
        hits, _, found = frame.count((PROMPT_AT[0] - 2, PROMPT_AT[1] - 2, 1150, 240), yellow)
        checks.expect(hits >= 20, f"prompt: no yellow text at {PROMPT_AT} ({hits} pixels)")
        if found:
            left = min(frame.logical(x, y)[0] for x, y in found)
            top = min(frame.logical(x, y)[1] for x, y in found)
            checks.expect(PROMPT_AT[0] - 2 <= left <= PROMPT_AT[0] + 12 and
                          PROMPT_AT[1] - 2 <= top <= PROMPT_AT[1] + 12,
                          f"prompt: its text begins at ({left:.0f}, {top:.0f}), not at "
                          f"{PROMPT_AT}")
    else:
        hits, _, _ = frame.count((PROMPT_AT[0] - 2, PROMPT_AT[1] - 10, 1150, 240), yellow)
        checks.expect(hits == 0, f"prompt: yellow text still drawn ({hits} pixels)")


def check_credit(frame, checks):
    hits, _, found = frame.count((980, 680, LOGICAL_W - 1, LOGICAL_H - 1), blue)
    checks.expect(hits >= 20, f"credit: no blue text in the bottom-right corner ({hits} pixels)")
    if found:
        right = max(frame.logical(x, y)[0] for x, y in found)
        bottom = max(frame.logical(x, y)[1] for x, y in found)
        left = min(frame.logical(x, y)[0] for x, y in found)
        checks.expect(right >= LOGICAL_W - 12 and bottom >= LOGICAL_H - 12,
                      f"credit: it ends at ({right:.0f}, {bottom:.0f}), not at the bottom-right "
                      f"corner")
        checks.expect(left >= 1000, f"credit: it begins at x {left:.0f}, too far left")


def main(argv):
    if len(argv) != 7 or argv[6] not in ("assign", "assign-scratch", "play"):
        sys.exit(__doc__)
    client = tuple(int(v) for v in argv[2:6])
    mode = argv[6]
    frame = Frame(argv[1], client)
    if client[0] < 0 or client[1] < 0 or client[0] + client[2] > frame.width or \
            client[1] + client[3] > frame.height or client[2] < 64 or client[3] < 36:
        sys.exit(f"client area {client} does not lie on the {frame.width} x {frame.height} shot")
    checks = Checks()
    for index, (x, y) in enumerate(PADS):
        highlighted = mode == "assign" and index == 0
        if not highlighted:
            # A pressed pad's picture lies over its outline.
            check_pad_outline(frame, checks, index, x, y, mode != "play")
        check_pad_inside(frame, checks, index, x, y, highlighted)
    check_disc(frame, checks)
    check_prompt(frame, checks, mode != "play")
    check_credit(frame, checks)
    for failure in checks.failures:
        print(f"frame: {failure}", file=sys.stderr)
    scale = f"{client[2] / LOGICAL_W:.3f}"
    if checks.failures:
        print(f"frame ({mode}, {client[2]} x {client[3]}): {len(checks.failures)} of "
              f"{len(checks.failures) + checks.passed} checks failed", file=sys.stderr)
        return 1
    print(f"frame ({mode}, client {client[2]} x {client[3]}, scale {scale}): "
          f"{checks.passed} checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
