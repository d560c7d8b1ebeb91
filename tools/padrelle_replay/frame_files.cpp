#include "frame_files.h"

#include "replay_platform.h"

#include "controller/modes/controller_render.h"
#include "graphics/png_writer.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool prepareFrameDirectory(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (!error && std::filesystem::is_directory(directory, error)) {
        return true;
    }
    std::fprintf(stderr, "padrelle-replay: cannot make the frame directory %s: %s\n",
                 directory.c_str(),
                 error ? error.message().c_str() : "a file of that name is in the way");
    return false;
}

std::string passFramePath(const std::string& directory, int32_t pass) {
    char name[32];
    std::snprintf(name, sizeof name, "pass-%06d.png", static_cast<int>(pass));
    return (std::filesystem::path(directory) / name).string();
}

void writePassFrame(int32_t pass, void* context) {
    FrameFiles* files = static_cast<FrameFiles*>(context);
    if (files == nullptr || files->failed || files->screen == nullptr) {
        return;
    }
    // The program draws a pass's picture a moment after its strokes (they go
    // out first); the replay's next pass is the next step of the trace, so
    // the picture of this pass is drawn now, before its file is written.
    renderControllerNow();
    const std::string path = passFramePath(files->directory, pass);
    if (!writePng(path.c_str(), *files->screen)) {
        std::fprintf(stderr, "padrelle-replay: cannot write %s\n", path.c_str());
        files->failed = true;
        stopReplay();
    }
}
