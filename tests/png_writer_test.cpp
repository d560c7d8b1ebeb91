// PNG files of pixel buffers: the signature, the header, every chunk's CRC,
// and the pixels read back out of the stored deflate blocks.
#include "graphics/bitmap_backend.h"
#include "graphics/png_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

uint32_t read32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// Splits a file into its chunks, checking each one's length and CRC.
std::vector<Chunk> chunksOf(const std::vector<uint8_t>& file) {
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = read32(file, at);
        EXPECT_LE(at + 12 + length, file.size());
        if (at + 12 + length > file.size()) {
            break;
        }
        const uint32_t crc = pngCrc32(file.data() + at + 4, 4 + length);
        EXPECT_EQ(read32(file, at + 8 + length), crc) << "chunk at " << at;
        chunks.push_back(
            {std::string(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                         file.begin() + static_cast<std::ptrdiff_t>(at + 8)),
             std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                  file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length))});
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size());
    return chunks;
}

// Undoes the stored deflate blocks of a zlib stream, checking the framing.
std::vector<uint8_t> unstore(const std::vector<uint8_t>& z) {
    std::vector<uint8_t> raw;
    EXPECT_GE(z.size(), 2u + 4u);
    EXPECT_EQ(((z[0] << 8) | z[1]) % 31, 0); // header check
    EXPECT_EQ(z[0] & 0x0F, 8);               // deflate
    size_t at = 2;
    bool last = false;
    while (!last && at + 5 <= z.size()) {
        last = (z[at] & 1) != 0;
        EXPECT_EQ(z[at] >> 1, 0) << "stored block expected";
        const size_t n = z[at + 1] | (z[at + 2] << 8);
        const size_t check = z[at + 3] | (z[at + 4] << 8);
        EXPECT_EQ(n ^ 0xFFFF, check);
        at += 5;
        if (at + n > z.size()) {
            ADD_FAILURE() << "block runs past the stream";
            return raw;
        }
        raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(at),
                   z.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    EXPECT_TRUE(last);
    EXPECT_EQ(at + 4, z.size());
    if (at + 4 == z.size()) {
        EXPECT_EQ(read32(z, at), adler32(raw.data(), raw.size()));
    }
    return raw;
}

PixelImage decode(const std::vector<uint8_t>& file) {
    static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(file.size(), 8u);
    if (file.size() < 8) {
        return {};
    }
    EXPECT_EQ(std::memcmp(file.data(), Signature, 8), 0);
    const std::vector<Chunk> chunks = chunksOf(file);
    EXPECT_EQ(chunks.size(), 3u);
    if (chunks.size() != 3) {
        return {};
    }
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    const std::vector<uint8_t>& h = chunks[0].data;
    EXPECT_EQ(h.size(), 13u);
    EXPECT_EQ(h[8], 8); // bit depth
    EXPECT_EQ(h[9], 2); // RGB
    EXPECT_EQ(h[10] | h[11] | h[12], 0);
    const int32_t w = static_cast<int32_t>(read32(h, 0));
    const int32_t ht = static_cast<int32_t>(read32(h, 4));
    const std::vector<uint8_t> raw = unstore(chunks[1].data);
    const size_t stride = 1 + 3 * static_cast<size_t>(w);
    EXPECT_EQ(raw.size(), stride * static_cast<size_t>(ht));
    PixelImage image(w, ht);
    for (int32_t y = 0; y < ht && raw.size() == stride * static_cast<size_t>(ht); ++y) {
        const uint8_t* row = raw.data() + static_cast<size_t>(y) * stride;
        EXPECT_EQ(row[0], 0) << "row filter";
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + 1 + 3 * x;
            image.set(x, y, uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16));
        }
    }
    return image;
}

class PngWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetBitmapBackend();
        // ctest runs each case as its own process, side by side: one file per case.
        path = ::testing::TempDir() + "padrelle_png_writer_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }

    static std::vector<uint8_t> readFile(const std::string& name) {
        std::vector<uint8_t> bytes;
        std::FILE* f = std::fopen(name.c_str(), "rb");
        if (f == nullptr) {
            return bytes;
        }
        int c = 0;
        while ((c = std::fgetc(f)) != EOF) {
            bytes.push_back(static_cast<uint8_t>(c));
        }
        std::fclose(f);
        return bytes;
    }

    std::string path;
};

TEST_F(PngWriterTest, ChecksumsMatchTheirKnownValues) {
    const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(pngCrc32(digits, 9), 0xCBF43926u);
    const auto* word = reinterpret_cast<const uint8_t*>("Wikipedia");
    EXPECT_EQ(adler32(word, 9), 0x11E60398u);
    EXPECT_EQ(adler32(nullptr, 0), 1u);
}

TEST_F(PngWriterTest, FrameSizedFileReadsBackPixelForPixel) {
    // Far more than one stored block (65535 bytes) of rows.
    PixelImage frame(1280, 720);
    for (int32_t y = 0; y < 720; ++y) {
        for (int32_t x = 0; x < 1280; ++x) {
            const auto ux = static_cast<uint32_t>(x);
            const auto uy = static_cast<uint32_t>(y);
            frame.set(x, y, ((ux * 7u) ^ (uy << 9) ^ (ux * uy << 13)) & 0xFFFFFFu);
        }
    }
    frame.set(0, 0, 0x0000FF);      // red
    frame.set(1279, 719, 0xFF0000); // blue
    ASSERT_TRUE(writePng(path.c_str(), frame));
    const std::vector<uint8_t> file = readFile(path);
    EXPECT_EQ(file, encodePng(frame));
    const PixelImage back = decode(file);
    EXPECT_EQ(back.width, 1280);
    EXPECT_EQ(back.height, 720);
    EXPECT_EQ(back.pixels, frame.pixels);
    // Red is stored R first: byte order R, G, B in the file.
    EXPECT_EQ(back.at(0, 0), 0x0000FFu);
}

TEST_F(PngWriterTest, SmallestAndBlockSizedImagesRoundTrip) {
    for (const auto& size : {std::pair<int32_t, int32_t>{1, 1}, {21845, 1}, {1, 3}, {7, 3121}}) {
        PixelImage image(size.first, size.second, 0x00FF00);
        image.set(0, 0, 0xABCDEF);
        const PixelImage back = decode(encodePng(image));
        EXPECT_EQ(back.width, size.first);
        EXPECT_EQ(back.height, size.second);
        EXPECT_EQ(back.pixels, image.pixels) << size.first << " x " << size.second;
    }
}

TEST_F(PngWriterTest, EmptyImageOrUnwritablePathFails) {
    EXPECT_FALSE(writePng(path.c_str(), PixelImage()));
    EXPECT_FALSE(writePng(path.c_str(), PixelImage(0, 10)));
    EXPECT_TRUE(encodePng(PixelImage()).empty());
    PixelImage broken(4, 4);
    broken.pixels.resize(3);
    EXPECT_TRUE(encodePng(broken).empty());
    EXPECT_TRUE(readFile(path).empty()); // nothing was created

    const PixelImage one(1, 1);
    EXPECT_FALSE(writePng(nullptr, one));
    EXPECT_FALSE(writePng(::testing::TempDir().c_str(), one)); // a directory
    EXPECT_FALSE(writePng("/nonexistent-dir/padrelle/frame.png", one));
}

} // namespace
