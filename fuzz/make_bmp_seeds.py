#!/usr/bin/env python3
"""Writes the seed bitmap files of fuzz_bmp_reader into fuzz/corpus/bmp/:
small valid files of the common kinds and broken ones of each sort."""
import os
import struct

MAGENTA = (255, 0, 255)


def pixels(width, height):
    return [[MAGENTA if (x + y) % 3 == 0 else ((x * 40) % 256, (y * 60) % 256, 128)
             for x in range(width)] for y in range(height)]


def bmp(width, height, bits, rows=None, top_down=False, compression=0, palette=None,
        masks=None, header_size=40, data=None, offset=None, colours_used=None, planes=1):
    """A BITMAPFILEHEADER + info header file; rows bottom-up unless top_down."""
    if data is None:
        rows = rows if rows is not None else pixels(width, height)
        data = b""
        order = rows if top_down else rows[::-1]
        stride = ((width * bits + 31) // 32) * 4
        for row in order:
            if bits == 24:
                line = b"".join(bytes([b, g, r]) for (r, g, b) in row)
            elif bits == 32:
                line = b"".join(bytes([b, g, r, 0]) for (r, g, b) in row)
            elif bits == 16:
                line = b"".join(struct.pack("<H", ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
                                for (r, g, b) in row)
            else:
                per = 8 // bits
                values = [(x + len(line_index)) % (1 << bits)
                          for line_index in [row] for x in range(width)]
                line = bytearray()
                for i in range(0, width, per):
                    byte = 0
                    for j in range(per):
                        v = values[i + j] if i + j < width else 0
                        byte |= v << (8 - bits * (j + 1))
                    line.append(byte)
                line = bytes(line)
            data += line + b"\0" * (stride - len(line))
    if palette is None and bits <= 8:
        palette = [MAGENTA] + [((i * 37) % 256, (i * 91) % 256, (i * 53) % 256)
                               for i in range(1, 1 << bits)]
    pal = b"".join(bytes([b, g, r, 0]) for (r, g, b) in (palette or []))
    extra = b"".join(struct.pack("<I", m) for m in (masks or []))
    info = struct.pack("<IiiHHIIiiII", header_size, width, -height if top_down else height,
                       planes, bits, compression, len(data), 2835, 2835,
                       len(palette or []) if colours_used is None else colours_used, 0)
    info = info[:header_size] if header_size < 40 else info + b"\0" * (header_size - 40)
    start = 14 + len(info) + len(extra) + len(pal)
    head = b"BM" + struct.pack("<IHHI", start + len(data), 0, 0,
                               start if offset is None else offset)
    return head + info + extra + pal + data


def core_header(width, height):
    """The old 12-byte BITMAPCOREHEADER, 24 bits."""
    rows = pixels(width, height)[::-1]
    stride = ((width * 24 + 31) // 32) * 4
    data = b"".join(b"".join(bytes([b, g, r]) for (r, g, b) in row).ljust(stride, b"\0")
                    for row in rows)
    info = struct.pack("<IHHHH", 12, width, height, 1, 24)
    return b"BM" + struct.pack("<IHHI", 26 + len(data), 0, 0, 26) + info + data


def seeds():
    good = bmp(5, 3, 24)
    yield "valid_24bit_5x3", good
    yield "valid_24bit_1x1", bmp(1, 1, 24)
    yield "valid_24bit_top_down", bmp(4, 4, 24, top_down=True)
    yield "valid_32bit", bmp(3, 2, 32)
    yield "valid_32bit_bitfields", bmp(3, 2, 32, compression=3,
                                       masks=[0x00FF0000, 0x0000FF00, 0x000000FF])
    yield "valid_16bit", bmp(3, 3, 16)
    yield "valid_8bit_palette", bmp(6, 2, 8)
    yield "valid_4bit_palette", bmp(7, 3, 4)
    yield "valid_1bit_palette", bmp(9, 2, 1)
    yield "valid_v5_header", bmp(2, 2, 24, header_size=124)
    yield "valid_core_header", core_header(3, 2)
    yield "valid_all_magenta", bmp(4, 2, 24, rows=[[MAGENTA] * 4] * 2)
    # RLE8: a run of 3 of index 1, then end of line, end of bitmap.
    yield "rle8", bmp(3, 2, 8, compression=1, data=bytes([3, 1, 0, 0, 3, 2, 0, 1]))

    yield "broken_empty", b""
    yield "broken_magic_only", b"BM"
    yield "broken_wrong_magic", b"MB" + good[2:]
    yield "broken_header_cut", good[:30]
    yield "broken_pixels_cut", good[:-7]
    yield "broken_offset_past_end", bmp(5, 3, 24, offset=0x7FFFFFF0)
    yield "broken_zero_width", bmp(0, 3, 24, data=b"")
    yield "broken_zero_height", bmp(5, 0, 24, data=b"")
    yield "broken_negative_width", bmp(-5, 3, 24, data=b"\0" * 48)
    yield "broken_huge_size", bmp(0x7FFFFFFF, 0x7FFFFFFF, 24, data=b"\0" * 16)
    yield "broken_min_height", bmp(2, 1, 24, data=b"\0" * 8)[:22] + \
        struct.pack("<i", -0x80000000) + bmp(2, 1, 24, data=b"\0" * 8)[26:]
    yield "broken_bits_7", bmp(2, 2, 7, data=b"\0" * 8, palette=[])
    yield "broken_bits_0", bmp(2, 2, 0, data=b"\0" * 8, palette=[])
    yield "broken_planes_0", bmp(2, 2, 24, planes=0)
    yield "broken_unknown_compression", bmp(2, 2, 24, compression=99)
    yield "broken_palette_count_huge", bmp(2, 2, 8, colours_used=0xFFFFFFFF)
    yield "broken_palette_index_past_palette", bmp(4, 1, 8, palette=[MAGENTA, (0, 0, 0)],
                                                     data=bytes([0, 1, 200, 255]))
    yield "broken_header_size_huge", bmp(2, 2, 24)[:14] + struct.pack("<I", 0xFFFFFFF0) + \
        bmp(2, 2, 24)[18:]
    yield "broken_header_size_small", bmp(2, 2, 24)[:14] + struct.pack("<I", 8) + \
        bmp(2, 2, 24)[18:]
    yield "broken_rle8_runs_past_row", bmp(2, 2, 8, compression=1,
                                            data=bytes([255, 1, 0, 2, 200, 200, 0, 1]))


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bmp")
    os.makedirs(folder, exist_ok=True)
    for name, content in seeds():
        with open(os.path.join(folder, name + ".bmp"), "wb") as f:
            f.write(content)
