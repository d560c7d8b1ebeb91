// padrelle-replay: runs the controller on a recorded touch trace and prints
// every key stroke it sends.
//
//   padrelle-replay [--layout NAME|FILE] [--frames DIR] [--images DIR] TRACE
//
// TRACE is a file, or - for standard input. Exit status: 0 after a replay,
// 1 when a file cannot be read or written, 2 for a malformed trace or a bad
// command line.
#include "frame_files.h"
#include "replay_platform.h"
#include "replay_run.h"
#include "replay_trace.h"

#include "graphics/raster_frame_target.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr int ExitReplayed = 0;
constexpr int ExitFileProblem = 1;
constexpr int ExitMalformed = 2;

struct Options {
    std::string tracePath;
    std::string framesDir; // empty: no frames written
    std::string imagesDir; // empty: the working directory, like the program
    std::string layout;    // empty: the default
};

constexpr const char* UsageLine =
    "usage: padrelle-replay [--layout NAME|FILE] [--frames DIR] [--images DIR] TRACE\n";

void printUsage(std::FILE* out) {
    std::fprintf(out, "%s", UsageLine);
    std::fprintf(out,
                 "Runs the controller on a touch trace (a file, or - for standard input) and\n"
                 "prints one line per key stroke sent: pass, make or break, hex code.\n"
                 "  --layout L    play the built-in layout L, or a layout file\n"
                 "  --frames DIR  write the frame of every pass to DIR/pass-NNNNNN.png\n"
                 "  --images DIR  read img/white.bmp, img/blue.bmp, img/scratch.bmp under DIR\n");
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            printUsage(stdout);
            std::exit(ExitReplayed);
        }
        if (arg == "--frames" || arg == "--images" || arg == "--layout") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "padrelle-replay: %s needs a value\n", arg.c_str());
                return false;
            }
            (arg == "--frames"   ? options.framesDir
             : arg == "--images" ? options.imagesDir
                                 : options.layout) = argv[++i];
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "padrelle-replay: unknown option %s\n", arg.c_str());
            return false;
        }
        if (!options.tracePath.empty()) {
            std::fprintf(stderr, "padrelle-replay: only one trace can be replayed\n");
            return false;
        }
        options.tracePath = arg;
    }
    if (options.tracePath.empty()) {
        std::fprintf(stderr, "padrelle-replay: no trace given\n");
        return false;
    }
    return true;
}

// Reads and parses the trace; gives an exit status, ExitReplayed when it is
// good.
int readTrace(const std::string& path, Trace& trace) {
    TraceError error;
    bool parsed = false;
    if (path == "-") {
        parsed = parseTrace(std::cin, trace, error);
    } else {
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            std::fprintf(stderr, "padrelle-replay: cannot read %s: it is a directory\n",
                         path.c_str());
            return ExitFileProblem;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "padrelle-replay: cannot read %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return ExitFileProblem;
        }
        parsed = parseTrace(in, trace, error);
        if (!parsed && in.bad()) {
            std::fprintf(stderr, "padrelle-replay: cannot read %s\n", path.c_str());
            return ExitFileProblem;
        }
    }
    if (!parsed) {
        std::fprintf(stderr, "padrelle-replay: line %d: %s\n", static_cast<int>(error.line),
                     error.message.c_str());
        return ExitMalformed;
    }
    return ExitReplayed;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "%s", UsageLine);
        return ExitMalformed;
    }
    Layout layout = defaultLayout();
    std::string problem;
    if (!options.layout.empty() && !layoutOfArgument(options.layout, layout, problem)) {
        std::fprintf(stderr, "padrelle-replay: %s\n", problem.c_str());
        return ExitMalformed;
    }
    Trace trace;
    trace.keysWanted = layoutKeyCount(layout);
    const int status = readTrace(options.tracePath, trace);
    if (status != ExitReplayed) {
        return status;
    }

    // Frames are composed only when they are saved: the strokes do not
    // depend on them.
    if (!imagesDirUsable("padrelle-replay", options.imagesDir)) {
        return ExitFileProblem;
    }
    RasterFrameTarget target;
    FrameFiles files;
    ReplayRun run;
    run.imagesDir = options.imagesDir;
    run.layout = &layout;
    run.strokes = stdout;
    if (!options.framesDir.empty()) {
        if (!prepareFrameDirectory(options.framesDir)) {
            return ExitFileProblem;
        }
        files.directory = options.framesDir;
        files.screen = &target.frame();
        run.passEnded = writePassFrame;
        run.passContext = &files;
        run.target = &target;
    }
    runTrace(trace, run);

    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "padrelle-replay: cannot write the strokes\n");
        return ExitFileProblem;
    }
    return files.failed ? ExitFileProblem : ExitReplayed;
}
