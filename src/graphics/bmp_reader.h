// The native bitmap-file reader: uncompressed Windows BMP files into
// PixelImages. Every file is treated as hostile; anything it does not
// understand completely is refused rather than guessed at.
//
// Accepted: "BM" file header; info header of 40, 52, 56, 108 or 124 bytes,
// or the old 12-byte core header (1, 4, 8 or 24 bits, bottom-up);
// one plane; 1, 4 and 8 bits per pixel with a palette, 24 bits, and 16 or
// 32 bits either plain (BI_RGB; 16 bits is 5-5-5) or with colour masks
// (BI_BITFIELDS); bottom-up (positive height) or top-down (negative) rows,
// each padded to 4 bytes. Run-length and every other compression is refused.
#pragma once

#include "graphics/pixel_image.h"

#include <cstddef>
#include <cstdint>

// Largest side and largest pixel count a bitmap may have.
constexpr int64_t BmpMaxSide = 16384;
constexpr int64_t BmpMaxPixels = int64_t{64} * 1024 * 1024;
// Largest file readBmpFile reads.
constexpr size_t BmpMaxFileBytes = size_t{256} * 1024 * 1024;

// True with `out` holding the picture; false with `out` empty (0 x 0, no
// pixels) when the bytes are not a bitmap this reader accepts.
bool readBmp(const uint8_t* data, size_t size, PixelImage& out);

// The same for a whole file; a missing, unreadable or too large file, or a
// directory, is false.
bool readBmpFile(const char* path, PixelImage& out);
