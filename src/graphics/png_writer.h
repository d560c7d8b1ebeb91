// PNG files of a pixel buffer, so that a frame drawn natively can be looked
// at and compared: 8-bit RGB, no interlace, every row unfiltered, the image
// data in stored (uncompressed) deflate blocks.
#pragma once

#include "graphics/pixel_image.h"

#include <cstdint>
#include <vector>

// The whole file; empty for an empty image or one whose buffer does not
// match its size.
std::vector<uint8_t> encodePng(const PixelImage& image);

// False when the image is empty or the file cannot be written completely.
bool writePng(const char* path, const PixelImage& image);

// Checksums of the format, exposed for its tests.
uint32_t pngCrc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, size_t size);
