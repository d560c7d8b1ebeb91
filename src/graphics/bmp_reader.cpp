#include "graphics/bmp_reader.h"

#include <cstdio>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr size_t FileHeaderBytes = 14;
constexpr uint32_t CompressionRgb = 0;
constexpr uint32_t CompressionBitfields = 3;
constexpr int64_t PaletteMaxEntries = 256;

// Little-endian fields; the caller has checked that they lie inside the data.
uint16_t read16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t read32(const uint8_t* at) {
    return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) |
           (uint32_t{at[3]} << 24);
}

constexpr uint32_t CoreHeaderBytes = 12;

bool knownInfoHeaderSize(uint32_t size) {
    // The old core header, BITMAPINFOHEADER, its two extensions with masks,
    // V4 and V5.
    return size == CoreHeaderBytes || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// One colour channel of a masked pixel, as a contiguous run of bits.
struct Channel {
    uint32_t shift = 0;
    uint32_t bits = 0;
};

bool channelOf(uint32_t mask, Channel& channel) {
    if (mask == 0) {
        return false;
    }
    uint32_t shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    const uint64_t run = uint64_t{mask} >> shift;
    if ((run & (run + 1)) != 0) {
        return false; // a gap inside the mask
    }
    uint32_t bits = 0;
    for (uint64_t r = run; r != 0; r >>= 1) {
        ++bits;
    }
    channel.shift = shift;
    channel.bits = bits;
    return true;
}

uint32_t channelValue(uint32_t pixel, const Channel& channel) {
    const uint64_t max = (uint64_t{1} << channel.bits) - 1;
    const uint64_t value = (uint64_t{pixel} >> channel.shift) & max;
    if (channel.bits >= 8) {
        return static_cast<uint32_t>(value >> (channel.bits - 8));
    }
    return static_cast<uint32_t>((value * 255 + max / 2) / max);
}

struct Masks {
    Channel red, green, blue;
};

bool masksOf(uint32_t red, uint32_t green, uint32_t blue, uint32_t bitCount, Masks& masks) {
    if (bitCount < 32 && ((uint64_t{red} | green | blue) >> bitCount) != 0) {
        return false;
    }
    if ((red & green) != 0 || (red & blue) != 0 || (green & blue) != 0) {
        return false;
    }
    return channelOf(red, masks.red) && channelOf(green, masks.green) &&
           channelOf(blue, masks.blue);
}

uint32_t colourOf(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

// Everything the header says, checked against the file.
struct Layout {
    int64_t width = 0;
    int64_t height = 0; // always positive
    bool topDown = false;
    uint32_t bitCount = 0;
    Masks masks;
    uint64_t paletteStart = 0;
    int64_t paletteEntries = 0;
    uint64_t paletteEntryBytes = 4;
    uint64_t pixelStart = 0;
    uint64_t stride = 0;
};

bool layoutOf(const uint8_t* data, uint64_t size, Layout& layout) {
    if (size < FileHeaderBytes + 4 || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const uint32_t headerSize = read32(data + FileHeaderBytes);
    if (!knownInfoHeaderSize(headerSize) || size < FileHeaderBytes + uint64_t{headerSize}) {
        return false;
    }
    const uint8_t* info = data + FileHeaderBytes;
    const bool core = headerSize == CoreHeaderBytes;
    // The core header has unsigned 16-bit sides (always bottom-up), no
    // compression and palettes of 3-byte entries, always full.
    const int64_t width = core ? read16(info + 4) : static_cast<int32_t>(read32(info + 4));
    const int64_t height = core ? read16(info + 6) : static_cast<int32_t>(read32(info + 8));
    const uint16_t planes = read16(info + (core ? 8 : 12));
    const uint16_t bitCount = read16(info + (core ? 10 : 14));
    const uint32_t compression = core ? CompressionRgb : read32(info + 16);
    const uint32_t coloursUsed = core ? 0 : read32(info + 32);
    if (core && bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
        return false;
    }

    const int64_t rows = height < 0 ? -height : height;
    if (planes != 1 || width <= 0 || width > BmpMaxSide || rows == 0 || rows > BmpMaxSide ||
        width * rows > BmpMaxPixels) {
        return false;
    }
    layout.width = width;
    layout.height = rows;
    layout.topDown = height < 0;
    layout.bitCount = bitCount;

    uint64_t headersEnd = FileHeaderBytes + uint64_t{headerSize};
    const bool palette = bitCount == 1 || bitCount == 4 || bitCount == 8;
    if (palette || bitCount == 24) {
        if (compression != CompressionRgb) {
            return false;
        }
    } else if (bitCount == 16 || bitCount == 32) {
        uint32_t red = bitCount == 16 ? 0x7C00u : 0x00FF0000u;
        uint32_t green = bitCount == 16 ? 0x03E0u : 0x0000FF00u;
        uint32_t blue = bitCount == 16 ? 0x001Fu : 0x000000FFu;
        if (compression == CompressionBitfields) {
            // The masks end the longer headers; after the short one they follow it.
            const uint8_t* at = info + 40;
            if (headerSize == 40) {
                headersEnd += 12;
                if (size < headersEnd) {
                    return false;
                }
            }
            red = read32(at);
            green = read32(at + 4);
            blue = read32(at + 8);
        } else if (compression != CompressionRgb) {
            return false;
        }
        if (!masksOf(red, green, blue, bitCount, layout.masks)) {
            return false;
        }
    } else {
        return false;
    }

    if (palette) {
        const int64_t entries = coloursUsed == 0 ? int64_t{1} << bitCount : int64_t{coloursUsed};
        if (entries > PaletteMaxEntries) {
            return false;
        }
        layout.paletteStart = headersEnd;
        layout.paletteEntries = entries;
        layout.paletteEntryBytes = core ? 3 : 4;
        headersEnd += static_cast<uint64_t>(entries) * layout.paletteEntryBytes;
    }

    const uint64_t pixelStart = read32(data + 10);
    if (pixelStart < headersEnd || pixelStart > size) {
        return false;
    }
    const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (stride * static_cast<uint64_t>(rows) > size - pixelStart) {
        return false;
    }
    layout.pixelStart = pixelStart;
    layout.stride = stride;
    return true;
}

// One row of the file into one row of the picture; false on a palette index
// past the palette.
bool decodeRow(const Layout& layout, const uint8_t* row, const uint32_t* palette, uint32_t* to) {
    const int64_t width = layout.width;
    switch (layout.bitCount) {
    case 1:
    case 4:
    case 8: {
        const uint32_t bits = layout.bitCount;
        const uint32_t perByte = 8 / bits;
        const uint32_t indexMask = (1u << bits) - 1;
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t byte = row[x / perByte];
            const uint32_t slot = static_cast<uint32_t>(x % perByte);
            const uint32_t index = (byte >> (8 - bits * (slot + 1))) & indexMask;
            if (index >= static_cast<uint64_t>(layout.paletteEntries)) {
                return false;
            }
            to[x] = palette[index];
        }
        return true;
    }
    case 24:
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* p = row + x * 3;
            to[x] = colourOf(p[2], p[1], p[0]);
        }
        return true;
    default: {
        const Masks& m = layout.masks;
        const bool wide = layout.bitCount == 32;
        for (int64_t x = 0; x < width; ++x) {
            const uint32_t pixel = wide ? read32(row + x * 4) : read16(row + x * 2);
            to[x] = colourOf(channelValue(pixel, m.red), channelValue(pixel, m.green),
                             channelValue(pixel, m.blue));
        }
        return true;
    }
    }
}

bool decode(const uint8_t* data, const Layout& layout, PixelImage& image) {
    uint32_t palette[PaletteMaxEntries] = {};
    for (int64_t i = 0; i < layout.paletteEntries; ++i) {
        const uint8_t* p =
            data + layout.paletteStart + static_cast<uint64_t>(i) * layout.paletteEntryBytes;
        palette[i] = colourOf(p[2], p[1], p[0]);
    }
    image.width = static_cast<int32_t>(layout.width);
    image.height = static_cast<int32_t>(layout.height);
    image.pixels.assign(static_cast<size_t>(layout.width * layout.height), 0);
    for (int64_t r = 0; r < layout.height; ++r) {
        const int64_t y = layout.topDown ? r : layout.height - 1 - r;
        const uint8_t* row = data + layout.pixelStart + static_cast<uint64_t>(r) * layout.stride;
        uint32_t* to = image.pixels.data() + y * layout.width;
        if (!decodeRow(layout, row, palette, to)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool readBmp(const uint8_t* data, size_t size, PixelImage& out) {
    out = PixelImage();
    Layout layout;
    if (data == nullptr || !layoutOf(data, size, layout)) {
        return false;
    }
    PixelImage image;
    try {
        if (!decode(data, layout, image)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    out = std::move(image);
    return true;
}

bool readBmpFile(const char* path, PixelImage& out) {
    out = PixelImage();
    if (path == nullptr) {
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    std::vector<uint8_t> bytes;
    bool ok = true;
    try {
        uint8_t chunk[16384];
        for (;;) {
            const size_t got = std::fread(chunk, 1, sizeof chunk, file);
            if (got > BmpMaxFileBytes - bytes.size()) {
                ok = false;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
            if (got < sizeof chunk) {
                ok = std::ferror(file) == 0; // a directory reads as an error
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::fclose(file);
    return ok && readBmp(bytes.data(), bytes.size(), out);
}
