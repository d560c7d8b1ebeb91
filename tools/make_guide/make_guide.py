#!/usr/bin/env python3
"""Makes the players' guide one self-contained page: every picture the
source names (src="FILE.png", relative to it) is put into the page as a
data: URI, its pixels compressed again where that makes it smaller, so that
the page opens with a double click from anywhere, the zip's folder included.

    make_guide.py SOURCE.html OUT.html

Exit code 0 when written, 1 when a picture is missing or is no PNG file,
2 for a bad command line.
"""

import base64
import os
import re
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class GuideProblem(Exception):
    pass


def chunks(data, path):
    if data[:8] != PNG_SIGNATURE:
        raise GuideProblem(f"{path} is no PNG file")
    at = 8
    while at + 12 <= len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind = data[at + 4:at + 8]
        if at + 12 + length > len(data):
            raise GuideProblem(f"{path} ends inside its {kind!r} chunk")
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def smaller_png(path):
    """The picture with its pixels compressed at zlib's best, or as it is where
    that is no smaller (a picture compressed with PNG's filters already)."""
    with open(path, "rb") as handle:
        data = handle.read()
    kept = []
    pixels = b""
    for kind, body in chunks(data, path):
        if kind == b"IDAT":
            pixels += body
        elif kind in (b"IHDR", b"PLTE", b"tRNS", b"IEND"):
            kept.append((kind, body))
    if not kept or kept[0][0] != b"IHDR" or not pixels:
        raise GuideProblem(f"{path} has no header or no pixels")
    # IHDR, then PLTE and tRNS where there are, the pixels, then IEND.
    packed = zlib.compress(zlib.decompress(pixels), 9)
    head = b"".join(chunk(kind, body) for kind, body in kept if kind != b"IEND")
    again = PNG_SIGNATURE + head + chunk(b"IDAT", packed) + chunk(b"IEND", b"")
    return again if len(again) < len(data) else data


def inline(source_path):
    folder = os.path.dirname(os.path.abspath(source_path))
    with open(source_path, encoding="utf-8") as handle:
        page = handle.read()

    def data_uri(match):
        path = os.path.normpath(os.path.join(folder, match.group(1)))
        if not os.path.isfile(path):
            raise GuideProblem(f"the guide's picture {match.group(1)} is not there ({path})")
        encoded = base64.b64encode(smaller_png(path)).decode("ascii")
        return f'src="data:image/png;base64,{encoded}"'

    return re.sub(r'src="([^":]+\.png)"', data_uri, page)


def main(args):
    if len(args) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        page = inline(args[0])
    except (GuideProblem, OSError, zlib.error) as problem:
        print(f"make_guide: {problem}", file=sys.stderr)
        return 1
    temporary = args[1] + ".new"
    with open(temporary, "w", encoding="utf-8") as handle:
        handle.write(page)
    os.replace(temporary, args[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
