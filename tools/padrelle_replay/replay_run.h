// One whole run of the controller on a trace, from the state the process
// starts in to the destruction of the window once the trace has run out:
// the replay's window system and keyboard, pictures read by the native
// bitmap reader, and the real main loop.
#pragma once

#include "controller/layouts/layout.h"
#include "graphics/frame_target.h"
#include "replay_trace.h"

#include <cstdio>
#include <string>

struct ReplayRun {
    // Where img/white.bmp, img/blue.bmp and img/scratch.bmp are read from;
    // empty: the working directory, as the program reads them.
    std::string imagesDir;
    // The layout played; null: the default.
    const Layout* layout = nullptr;
    // Every frame is composed into it; null: frames are composed nowhere.
    FrameTarget* target = nullptr;
    // One line per stroke sent; null: the strokes go nowhere.
    std::FILE* strokes = nullptr;
    // Told after each pass of the trace, e.g. to save what the window shows.
    void (*passEnded)(int32_t pass, void* context) = nullptr;
    void* passContext = nullptr;
};

// True when `imagesDir` is empty or names a directory; otherwise says so on
// standard error, after "<tool>: ".
bool imagesDirUsable(const char* tool, const std::string& imagesDir);

// Runs `trace` as `run` says, from the state the process starts in: nothing
// entered, no touches, the layout's own keys. The trace must outlive the call.
void runTrace(const Trace& trace, const ReplayRun& run);

// The layout of --layout: a built-in one's name or a layout file's path.
// False with the problem in words.
bool layoutOfArgument(const std::string& value, Layout& layout, std::string& problem);
