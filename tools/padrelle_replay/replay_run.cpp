#include "replay_run.h"

#include "recording_keyboard.h"
#include "replay_platform.h"

#include "base/platform.h"
#include "controller/controller_scene.h"
#include "controller/layouts/layout_file.h"
#include "controller/program_state.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "touch/touch_table.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

std::string imagesDirectory;
BitmapHandle (*readBitmapFile)(const char* path) = nullptr;

// The scene names its pictures relative to the working directory; here they
// are read relative to the images directory instead.
BitmapHandle loadUnderImagesDirectory(const char* path) {
    if (path == nullptr || readBitmapFile == nullptr) {
        return nullptr;
    }
    const std::string full = (std::filesystem::path(imagesDirectory) / path).string();
    return readBitmapFile(full.c_str());
}

void useImagesFrom(const std::string& directory) {
    useRasterBitmapBackend();
    if (directory.empty()) {
        return;
    }
    imagesDirectory = directory;
    readBitmapFile = bitmapBackend.loadFile;
    bitmapBackend.loadFile = loadUnderImagesDirectory;
}

void resetCore() {
    resetPlatform();
    resetProgramState();
}

} // namespace

bool imagesDirUsable(const char* tool, const std::string& imagesDir) {
    std::error_code error;
    if (imagesDir.empty() || std::filesystem::is_directory(imagesDir, error)) {
        return true;
    }
    std::fprintf(stderr, "%s: the images directory %s is not a directory\n", tool,
                 imagesDir.c_str());
    return false;
}

void runTrace(const Trace& trace, const ReplayRun& run) {
    resetCore();
    useImagesFrom(run.imagesDir);
    installReplayPlatform(trace, run.passEnded, run.passContext);
    useLayout(run.layout != nullptr ? *run.layout : defaultLayout());
    // Without keys of its own a trace types the layout's.
    const KeySet defaults = defaultKeys();
    if (trace.hasKeys) {
        installRecordingKeyboard(trace.keys, trace.keyCount, run.strokes, replayPassNumber,
                                 replayIdle);
    } else {
        installRecordingKeyboard(defaults.keys, defaults.count, run.strokes, replayPassNumber,
                                 replayIdle);
    }
    frameTarget = run.target;

    openReplayWindow();
    runMainLoop();
    frameTarget = nullptr;
}

bool layoutOfArgument(const std::string& value, Layout& layout, std::string& problem) {
    if (const Layout* preset = presetNamed(value.c_str())) {
        layout = *preset;
        return true;
    }
    std::ifstream in(value, std::ios::binary);
    if (!in) {
        problem = "no built-in layout and no file is called " + value;
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char why[256];
    if (!parseLayoutFile(text, layout, why, sizeof why)) {
        problem = "the layout file " + value + ": " + why;
        return false;
    }
    return true;
}
