// The frames of a replay as PNG files, one a pass: DIR/pass-NNNNNN.png, the
// pass numbered as in the stroke lines: what the window shows once the pass
// has run (a pass that draws no new frame shows the one before).
#pragma once

#include "graphics/pixel_image.h"

#include <cstdint>
#include <string>

struct FrameFiles {
    std::string directory;
    const PixelImage* screen = nullptr; // what the window shows
    bool failed = false;                // a file could not be written; nothing is written after it
};

// Makes the directory when it is missing; false, with a message on standard
// error, when there is none and it cannot be made.
bool prepareFrameDirectory(const std::string& directory);

// DIR/pass-000012.png for pass 12.
std::string passFramePath(const std::string& directory, int32_t pass);

// The replay's pass-ended hook; the context is a FrameFiles. Writes what the
// window shows as the file of that pass. A file that cannot be written is
// reported on standard error and ends the replay at the next pass.
void writePassFrame(int32_t pass, void* context);
