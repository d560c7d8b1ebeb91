#include "bmp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

bool writeBmpFile(const std::string& path, const Picture& picture, std::string& error) {
    const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(picture.height);
    const uint32_t headerBytes = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    // File header: "BM", file size, two reserved words, offset of the pixels.
    out.push_back('B');
    out.push_back('M');
    put32(out, headerBytes + pixelBytes);
    put32(out, 0);
    put32(out, headerBytes);
    // Info header: size, width, height (positive: bottom row first), one
    // plane, 24 bits, no compression, pixel bytes, 2835 pixels per metre
    // (72 dpi) both ways, no palette.
    put32(out, 40);
    put32(out, static_cast<uint32_t>(picture.width));
    put32(out, static_cast<uint32_t>(picture.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        for (int32_t x = 0; x < picture.width; ++x) {
            uint32_t p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            out.push_back(static_cast<uint8_t>(p));       // blue
            out.push_back(static_cast<uint8_t>(p >> 8));  // green
            out.push_back(static_cast<uint8_t>(p >> 16)); // red
        }
        out.resize(rowStart + rowBytes, 0);
    }

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = path + ": could not write the whole file";
        return false;
    }
    return true;
}
