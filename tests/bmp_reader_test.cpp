// The bitmap-file reader and the native bitmap backend: pixel order of both
// row orders, row padding, every accepted depth, every kind of broken or
// oversized file, and images loaded from files through the backend.
#include "graphics/bitmap_backend.h"
#include "graphics/bmp_reader.h"
#include "graphics/image.h"
#include "graphics/raster_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Rows = std::vector<std::vector<uint32_t>>; // top row first

void put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

// Checked writes: a patch past the end of a test file is a fault of the test.
void patch32(Bytes& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    }
}

void patch16(Bytes& b, size_t at, uint16_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

// Field offsets in a file with a 40-byte (or longer) info header.
constexpr size_t AtPixelOffset = 10;
constexpr size_t AtHeaderSize = 14;
constexpr size_t AtWidth = 18;
constexpr size_t AtHeight = 22;
constexpr size_t AtPlanes = 26;
constexpr size_t AtBits = 28;
constexpr size_t AtCompression = 30;
constexpr size_t AtColoursUsed = 46;

// The rows of a file in file order, each padded to 4 bytes with junk so that
// a reader that reads padding as pixels shows it. For 24 bits the values are
// colours 0x00BBGGRR; for 16 and 32 bits raw pixel values; for 1, 4 and 8
// bits palette indices (unused low bits of the last byte are set).
Bytes encodeRows(const Rows& rows, uint16_t bits, bool topDown) {
    Bytes out;
    const size_t count = rows.size();
    for (size_t i = 0; i < count; ++i) {
        const std::vector<uint32_t>& row = rows[topDown ? i : count - 1 - i];
        Bytes line;
        if (bits == 24) {
            for (uint32_t c : row) {
                line.push_back(static_cast<uint8_t>(c >> 16));
                line.push_back(static_cast<uint8_t>(c >> 8));
                line.push_back(static_cast<uint8_t>(c));
            }
        } else if (bits == 32) {
            for (uint32_t v : row) {
                put32(line, v);
            }
        } else if (bits == 16) {
            for (uint32_t v : row) {
                put16(line, static_cast<uint16_t>(v));
            }
        } else {
            const size_t perByte = 8 / bits;
            for (size_t x = 0; x < row.size(); x += perByte) {
                uint32_t byte = 0;
                for (size_t j = 0; j < perByte; ++j) {
                    const uint32_t v = x + j < row.size() ? row[x + j] : (1u << bits) - 1;
                    byte |= v << (8 - bits * (j + 1));
                }
                line.push_back(static_cast<uint8_t>(byte));
            }
        }
        while (line.size() % 4 != 0) {
            line.push_back(0xAB);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

struct BmpFile {
    int32_t width = 0;
    int32_t height = 0; // as stored: negative for top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> palette = {}; // colours 0x00BBGGRR
    std::vector<uint32_t> masks = {};   // red, green, blue
    int64_t coloursUsed = -1;           // -1: the palette's size
    Bytes pixels = {};                  // rows as stored
    Bytes gap = {};                     // bytes between palette and pixels
};

Bytes bytesOf(const BmpFile& f) {
    Bytes info;
    const bool core = f.headerSize == 12;
    put32(info, f.headerSize);
    if (core) {
        put16(info, static_cast<uint16_t>(f.width));
        put16(info, static_cast<uint16_t>(f.height));
        put16(info, 1);
        put16(info, f.bits);
    } else {
        put32(info, static_cast<uint32_t>(f.width));
        put32(info, static_cast<uint32_t>(f.height));
        put16(info, 1);
        put16(info, f.bits);
        put32(info, f.compression);
        put32(info, static_cast<uint32_t>(f.pixels.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, static_cast<uint32_t>(f.coloursUsed < 0 ? f.palette.size() : f.coloursUsed));
        put32(info, 0);
        if (f.headerSize > 40) {
            for (uint32_t m : f.masks) {
                put32(info, m);
            }
        }
        info.resize(f.headerSize, 0);
    }
    if (f.headerSize == 40) {
        for (uint32_t m : f.masks) {
            put32(info, m);
        }
    }
    for (uint32_t c : f.palette) {
        info.push_back(static_cast<uint8_t>(c >> 16));
        info.push_back(static_cast<uint8_t>(c >> 8));
        info.push_back(static_cast<uint8_t>(c));
        if (!core) {
            info.push_back(0x77);
        }
    }
    info.insert(info.end(), f.gap.begin(), f.gap.end());
    const uint32_t start = static_cast<uint32_t>(14 + info.size());
    Bytes out = {'B', 'M'};
    put32(out, static_cast<uint32_t>(start + f.pixels.size()));
    put32(out, 0);
    put32(out, start);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

// A distinct colour for every pixel, never magenta.
Rows colours(int32_t width, int32_t height) {
    Rows rows;
    for (int32_t y = 0; y < height; ++y) {
        std::vector<uint32_t> row;
        for (int32_t x = 0; x < width; ++x) {
            row.push_back(0x102030u + static_cast<uint32_t>(y) * 0x010000u +
                          static_cast<uint32_t>(x) * 0x000101u);
        }
        rows.push_back(row);
    }
    return rows;
}

Bytes file24(const Rows& rows, bool topDown) {
    return bytesOf({.width = static_cast<int32_t>(rows[0].size()),
                    .height = static_cast<int32_t>(rows.size()) * (topDown ? -1 : 1),
                    .pixels = encodeRows(rows, 24, topDown)});
}

// An 8-bit bottom-up file of palette indices.
Bytes file8(const Rows& indices, std::vector<uint32_t> palette) {
    return bytesOf({.width = static_cast<int32_t>(indices[0].size()),
                    .height = static_cast<int32_t>(indices.size()),
                    .bits = 8,
                    .palette = palette,
                    .pixels = encodeRows(indices, 8, false)});
}

Rows pixelsOf(const PixelImage& image) {
    Rows rows;
    for (int32_t y = 0; y < image.height; ++y) {
        std::vector<uint32_t> row;
        for (int32_t x = 0; x < image.width; ++x) {
            row.push_back(image.at(x, y));
        }
        rows.push_back(row);
    }
    return rows;
}

// Reads the bytes into an image that was not empty before, so that a
// refusal has to clear it.
bool read(const Bytes& bytes, PixelImage& image) {
    image = PixelImage(2, 2, 0x123456);
    return readBmp(bytes.data(), bytes.size(), image);
}

::testing::AssertionResult refused(const Bytes& bytes) {
    PixelImage image;
    if (read(bytes, image)) {
        return ::testing::AssertionFailure()
               << "accepted as " << image.width << " x " << image.height;
    }
    if (image.width != 0 || image.height != 0 || !image.pixels.empty()) {
        return ::testing::AssertionFailure()
               << "refused but left " << image.width << " x " << image.height;
    }
    return ::testing::AssertionSuccess();
}

class BmpReaderTest : public ::testing::Test {
  protected:
    void SetUp() override { resetBitmapBackend(); }
    void TearDown() override { resetBitmapBackend(); }
};

TEST_F(BmpReaderTest, TwentyFourBitRowsComeOutTopRowFirstInBothOrders) {
    for (int32_t width : {1, 3, 5}) {
        const Rows rows = colours(width, 3);
        for (bool topDown : {false, true}) {
            PixelImage image;
            ASSERT_TRUE(read(file24(rows, topDown), image)) << width << " top-down " << topDown;
            EXPECT_EQ(image.width, width);
            EXPECT_EQ(image.height, 3);
            EXPECT_EQ(image.pixels.size(), static_cast<size_t>(width) * 3);
            EXPECT_EQ(pixelsOf(image), rows) << width << " top-down " << topDown;
        }
    }
}

TEST_F(BmpReaderTest, ThirtyTwoBitPixelsIgnoreTheFourthByte) {
    const Rows raw = {{0xFF112233u, 0x00FF00FFu}, {0x80000000u, 0x7FFFFFFFu}};
    const BmpFile f{.width = 2, .height = 2, .bits = 32, .pixels = encodeRows(raw, 32, false)};
    PixelImage image;
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0x332211u, 0xFF00FFu}, {0x000000u, 0xFFFFFFu}}));
}

TEST_F(BmpReaderTest, ColourMasksPlaceTheChannels) {
    // Red in the low byte, blue in the third: the reverse of the plain layout.
    BmpFile f{.width = 2,
              .height = 1,
              .bits = 32,
              .compression = 3,
              .masks = {0x000000FFu, 0x0000FF00u, 0x00FF0000u},
              .pixels = encodeRows({{0x00332211u, 0xAA0000FFu}}, 32, false)};
    for (uint32_t header : {40u, 56u, 108u, 124u}) {
        f.headerSize = header;
        PixelImage image;
        ASSERT_TRUE(read(bytesOf(f), image)) << header;
        EXPECT_EQ(pixelsOf(image), (Rows{{0x332211u, 0x0000FFu}})) << header;
    }
}

TEST_F(BmpReaderTest, SixteenBitPixelsAreFiveBitsPerChannelOrMasked) {
    BmpFile f{.width = 3,
              .height = 1,
              .bits = 16,
              .pixels = encodeRows({{0x7C00u, 0x03E0u, 0x801Fu}}, 16, false)};
    PixelImage image;
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0x0000FFu, 0x00FF00u, 0xFF0000u}}));

    f.compression = 3; // 5-6-5
    f.masks = {0xF800u, 0x07E0u, 0x001Fu};
    f.pixels = encodeRows({{0xF800u, 0x07E0u, 0x0020u}}, 16, false);
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0x0000FFu, 0x00FF00u, 0x000400u}}));
}

TEST_F(BmpReaderTest, PaletteIndicesBecomeColours) {
    const std::vector<uint32_t> palette = {0xFF00FFu, 0x0000FFu, 0x123456u};
    for (int32_t width : {1, 3, 5}) {
        Rows indices(2, std::vector<uint32_t>(static_cast<size_t>(width)));
        Rows expected = indices;
        for (size_t y = 0; y < 2; ++y) {
            for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
                indices[y][x] = static_cast<uint32_t>((x + y) % 3);
                expected[y][x] = palette[indices[y][x]];
            }
        }
        PixelImage image;
        ASSERT_TRUE(read(file8(indices, palette), image)) << width;
        EXPECT_EQ(pixelsOf(image), expected) << width;
    }
    // A full palette of 256 entries, its last entry used.
    std::vector<uint32_t> full(256, 0x010203u);
    full[255] = 0xABCDEFu;
    PixelImage image;
    ASSERT_TRUE(read(file8({{255, 0}}, full), image));
    EXPECT_EQ(image.at(0, 0), 0xABCDEFu);
}

TEST_F(BmpReaderTest, FourAndOneBitPixelsStartAtTheHighBits) {
    BmpFile f{.width = 3,
              .height = 1,
              .bits = 4,
              .palette = {0x000001u, 0x000002u, 0x000003u},
              .pixels = encodeRows({{2, 0, 1}}, 4, false)};
    PixelImage image;
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0x000003u, 0x000001u, 0x000002u}}));

    f.width = 9;
    f.bits = 1;
    f.palette = {0x000000u, 0xFFFFFFu};
    f.pixels = encodeRows({{1, 0, 0, 1, 1, 0, 1, 0, 1}}, 1, false);
    ASSERT_TRUE(read(bytesOf(f), image));
    const uint32_t w = 0xFFFFFFu;
    EXPECT_EQ(pixelsOf(image), (Rows{{w, 0, 0, w, w, 0, w, 0, w}}));
}

TEST_F(BmpReaderTest, AnEmptyColourCountMeansAFullPalette) {
    const BmpFile f{.width = 2,
                    .height = 1,
                    .bits = 1,
                    .palette = {0x0000FFu, 0x00FF00u},
                    .coloursUsed = 0,
                    .pixels = encodeRows({{1, 0}}, 1, false)};
    PixelImage image;
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0x00FF00u, 0x0000FFu}}));
}

TEST_F(BmpReaderTest, CoreHeaderHasThreeBytePaletteEntries) {
    BmpFile f{.width = 2,
              .height = 2,
              .bits = 1,
              .headerSize = 12,
              .palette = {0xFF00FFu, 0x445566u},
              .pixels = encodeRows({{0, 1}, {1, 1}}, 1, false)};
    PixelImage image;
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), (Rows{{0xFF00FFu, 0x445566u}, {0x445566u, 0x445566u}}));

    const Rows rows = colours(3, 2);
    f.bits = 24;
    f.width = 3;
    f.palette.clear();
    f.pixels = encodeRows(rows, 24, false);
    ASSERT_TRUE(read(bytesOf(f), image));
    EXPECT_EQ(pixelsOf(image), rows);
}

TEST_F(BmpReaderTest, PixelsAreFoundThroughTheOffsetAndTrailingBytesIgnored) {
    const Rows rows = colours(2, 2);
    const BmpFile f{
        .width = 2, .height = 2, .pixels = encodeRows(rows, 24, false), .gap = Bytes(9, 0xEE)};
    Bytes bytes = bytesOf(f);
    bytes.insert(bytes.end(), 5, 0xCD);
    PixelImage image;
    ASSERT_TRUE(read(bytes, image));
    EXPECT_EQ(pixelsOf(image), rows);
}

TEST_F(BmpReaderTest, TruncatedFilesAreRefusedAtEveryLength) {
    const Bytes whole = file24(colours(3, 2), false);
    PixelImage image;
    ASSERT_TRUE(read(whole, image));
    for (size_t length = 0; length < whole.size(); ++length) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(refused(cut)) << "length " << length;
    }
    EXPECT_FALSE(readBmp(nullptr, 100, image));
}

// Each value written in turn over one field of an otherwise good file.
TEST_F(BmpReaderTest, FieldsOutOfTheirBoundsAreRefused) {
    const Bytes good = file24(colours(2, 2), false);
    const Bytes good8 = file8({{0, 1, 2}}, {0x1u, 0x2u, 0x3u});
    const auto u = [](int64_t v) { return static_cast<uint32_t>(v); };
    const struct {
        const char* field;
        const Bytes& file;
        size_t at;
        size_t bytes;
        std::vector<uint32_t> values;
    } fields[] = {
        {"header size", good, AtHeaderSize, 4, {0, 8, 16, 39, 41, 64, 125, 200, 0xFFFFFFF0u}},
        // Outside the file or inside the headers; shifted one byte on, the
        // last row no longer fits.
        {"offset",
         good,
         AtPixelOffset,
         4,
         {0, 20, 53, 55, u(good.size()) + 1, 0x7FFFFFF0u, 0xFFFFFFFFu}},
        // Empty, negative, oversized, or more than the file holds.
        {"width", good, AtWidth, 4, {0, u(-1), u(-5), u(INT32_MIN), 16385, INT32_MAX, 3}},
        {"height", good, AtHeight, 4, {0, u(INT32_MIN), 16385, u(-16385), INT32_MAX, u(-3)}},
        {"planes", good, AtPlanes, 2, {0, 2, 0xFFFF}},
        {"bits", good, AtBits, 2, {0, 2, 7, 15, 48, 64}},
        // Run lengths (1 and 2), JPEG, PNG, masks with alpha, and nonsense;
        // masks do not apply to 24 bits.
        {"compression", good, AtCompression, 4, {1, 2, 3, 4, 5, 6, 99, 0xFFFFFFFFu}},
        // Too long; a full palette of 256 (0) or a fourth entry (4) that
        // would overlap the pixels.
        {"colours", good8, AtColoursUsed, 4, {257, 1000, 0x40000000u, 0xFFFFFFFFu, 0, 4}},
    };
    for (const auto& f : fields) {
        for (uint32_t value : f.values) {
            Bytes b = f.file;
            if (f.bytes == 2) {
                patch16(b, f.at, static_cast<uint16_t>(value));
            } else {
                patch32(b, f.at, value);
            }
            EXPECT_TRUE(refused(b)) << f.field << " " << value;
        }
    }
    // The longest side is taken, either way.
    PixelImage image;
    EXPECT_TRUE(read(file24(colours(BmpMaxSide, 1), false), image));
    EXPECT_TRUE(read(file24(colours(1, BmpMaxSide), true), image));
    Bytes b = good;
    b[0] = 'M';
    b[1] = 'B';
    EXPECT_TRUE(refused(b));
    // Each side within its cap, the whole over the pixel cap.
    b = good;
    patch32(b, AtWidth, 16384);
    patch32(b, AtHeight, 4097);
    EXPECT_TRUE(refused(b));
    Bytes rle8 = file8({{1, 1, 1}}, {0, 0xFFFFFFu});
    patch32(rle8, AtCompression, 1);
    EXPECT_TRUE(refused(rle8));
    BmpFile f{.width = 4,
              .height = 1,
              .bits = 4,
              .compression = 2,
              .palette = {0, 0xFFFFFFu},
              .pixels = {4, 0x01, 0, 1}};
    EXPECT_TRUE(refused(bytesOf(f)));
    f.bits = 32;
    f.compression = 6;
    f.palette.clear();
    f.pixels = Bytes(16, 0);
    EXPECT_TRUE(refused(bytesOf(f)));
}

TEST_F(BmpReaderTest, PaletteIndexBeyondThePaletteIsRefused) {
    EXPECT_TRUE(refused(file8({{0, 1, 2}}, {0x1u, 0x2u})));
    EXPECT_TRUE(refused(file8({{0, 255, 0}}, {0x1u, 0x2u, 0x3u})));
    const BmpFile f{.width = 2,
                    .height = 1,
                    .bits = 4,
                    .palette = {0x1u, 0x2u},
                    .pixels = encodeRows({{1, 2}}, 4, false)};
    EXPECT_TRUE(refused(bytesOf(f)));
}

TEST_F(BmpReaderTest, BrokenColourMasksAreRefused) {
    BmpFile f{.width = 1, .height = 1, .bits = 32, .compression = 3, .pixels = Bytes(4, 0)};
    const std::vector<std::vector<uint32_t>> broken = {
        {0, 0xFF00u, 0xFFu},                // no red
        {0xFF0000u, 0xFF00u, 0xFF00u},      // green and blue overlap
        {0xF0F000u, 0xFF00u, 0xFFu},        // red with a gap
        {0x00FF0000u, 0x0000FF00u, 0x1FFu}, // blue reaching into green
    };
    for (const std::vector<uint32_t>& masks : broken) {
        f.masks = masks;
        EXPECT_TRUE(refused(bytesOf(f))) << std::hex << masks[0] << " " << masks[2];
    }
    f.bits = 16;
    f.masks = {0x1F0000u, 0x07E0u, 0x001Fu}; // red past 16 bits
    EXPECT_TRUE(refused(bytesOf(f)));
    // Masks after the short header, cut off by the end of the file.
    f.bits = 32;
    f.masks = {0xFF0000u, 0xFF00u, 0xFFu};
    Bytes b = bytesOf(f);
    b.resize(60);
    patch32(b, AtPixelOffset, 56);
    EXPECT_TRUE(refused(b));
}

class BmpFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBitmapBackend();
        // ctest runs each case as its own process, side by side: one file per case.
        path = ::testing::TempDir() + "padrelle_bmp_reader_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
        std::remove(path.c_str());
    }
    void TearDown() override {
        std::remove(path.c_str());
        resetBitmapBackend();
    }

    void write(const Bytes& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty()) {
            ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        }
        ASSERT_EQ(std::fclose(f), 0);
    }

    std::string path;
};

TEST_F(BmpFileTest, FileIsReadWhole) {
    const Rows rows = colours(5, 4);
    write(file24(rows, true));
    PixelImage image;
    ASSERT_TRUE(readBmpFile(path.c_str(), image));
    EXPECT_EQ(pixelsOf(image), rows);
}

TEST_F(BmpFileTest, MissingEmptyOrDirectoryPathsAreRefused) {
    PixelImage image(1, 1);
    EXPECT_FALSE(readBmpFile(path.c_str(), image)); // not written
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
    write({});
    EXPECT_FALSE(readBmpFile(path.c_str(), image));
    EXPECT_FALSE(readBmpFile(::testing::TempDir().c_str(), image));
    EXPECT_FALSE(readBmpFile("", image));
    EXPECT_FALSE(readBmpFile(nullptr, image));
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
}

TEST_F(BmpFileTest, BackendHasNoResourcesAndNoSizeForNoBitmap) {
    useRasterBitmapBackend();
    EXPECT_EQ(bitmapBackend.loadResource(1), nullptr);
    int32_t w = 5;
    int32_t h = 5;
    EXPECT_FALSE(bitmapBackend.querySize(nullptr, &w, &h));
    bitmapBackend.destroy(nullptr);
}

} // namespace
