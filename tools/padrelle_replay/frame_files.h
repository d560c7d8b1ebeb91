// The frames of a replay as PNG files, one a pass: DIR/pass-NNNNNN.png, the
// pass numbered as in the stroke lines. A pass that draws several frames
// (key assignment draws one before every wait) leaves its last.
#pragma once

#include "graphics/pixel_image.h"

#include <cstdint>
#include <string>

struct FrameFiles {
    std::string directory;
    int32_t (*passNumber)() = nullptr;
    bool failed = false; // a file could not be written; nothing is written after it
};

// Makes the directory when it is missing; false, with a message on standard
// error, when there is none and it cannot be made.
bool prepareFrameDirectory(const std::string& directory);

// DIR/pass-000012.png for pass 12.
std::string passFramePath(const std::string& directory, int32_t pass);

// A RasterFrameTarget's presented hook; the context is a FrameFiles. Writes
// the frame as the file of the pass now running. A file that cannot be
// written is reported on standard error and ends the replay at the next pass.
void writePassFrame(const PixelImage& frame, void* context);
