// padrelle-render: draws one controller screen, 1280 x 720, through the real
// scene and writes it as a PNG file.
//
//   padrelle-render [--layout NAME|FILE] [--images DIR] [--assign N | --edit | --menu PAGE]
//                   [--touch X,Y]... OUT.png
//
// Exit status: 0 after writing OUT.png, 1 when it cannot be written or the
// images directory is not one, 2 for a bad command line.
#include "render_options.h"

#include "replay_run.h"
#include "replay_trace.h"

#include "controller/modes/menu_mode.h"
#include "engine/window_proc.h"
#include "graphics/png_writer.h"
#include "graphics/raster_frame_target.h"
#include "touch/touch_table.h"

#include <cstdio>

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitFileProblem = 1;
constexpr int ExitBadCommandLine = 2;

constexpr const char* UsageLine =
    "usage: padrelle-render [--layout NAME|FILE] [--images DIR] [--assign N | --edit | "
    "--menu PAGE] [--touch X,Y]... OUT.png\n";
// What --help prints after the usage line.
constexpr const char* OptionsHelp =
    "Draws one controller screen (1280 x 720) through the real scene into OUT.png.\n"
    "  --images DIR  read img/white.bmp, img/blue.bmp, img/scratch.bmp under DIR\n"
    "                (default: the working directory, as the program does)\n"
    "  --layout L    the built-in layout L, or a layout file (default: default)\n"
    "  --assign N    the key-assignment screen with prompt N (0 to the layout's last)\n"
    "  --touch X,Y   a finger down at X,Y on the logical screen (play mode; up\n"
    "                to 10): pads light up, the scratch lines follow the disc\n"
    "  --edit        the layout editor: a first --touch selects the control there,\n"
    "                a second drags it there (held)\n"
    "  --menu PAGE   the menu open at a page: main, phone, timing, layout, screen, keys,\n"
    "                output, files or about\n";

// The frame drawn before the wait of one key-assignment prompt.
struct AssignFrame {
    int64_t wanted = 0; // frames presented, counting from 1
    int64_t seen = 0;
    PixelImage frame;
};

void keepAssignFrame(const PixelImage& frame, void* context) {
    AssignFrame* assign = static_cast<AssignFrame*>(context);
    ++assign->seen;
    if (assign->seen == assign->wanted) {
        assign->frame = frame;
    }
}

// Pass 1 runs the whole key assignment with the default keys and draws the
// first frame of play; pass 2 puts the fingers down in one touch message, so
// its update presses the pads and tracks the disc; pass 3 draws the frame,
// which waits a moment after the strokes of pass 2.
Trace renderTrace(const RenderOptions& options) {
    Trace trace;
    trace.steps.push_back(TraceStep{TracePass, 1, {}});
    if (options.assignStep >= 0) {
        return trace;
    }
    if (options.edit) {
        // Pass 2 enters the editor (asked for after pass 1); the finger
        // comes down in pass 3 and moves in pass 4.
        trace.steps.push_back(TraceStep{TracePass, 2, {}});
        for (size_t i = 0; i < options.touches.size(); ++i) {
            const RenderTouch& touch = options.touches[i];
            trace.steps.push_back(TraceStep{TracePass,
                                            static_cast<int32_t>(3 + i),
                                            {TracePoint{1, i == 0 ? TouchFlagDown : TouchFlagMove,
                                                        touch.x * 100, touch.y * 100}}});
        }
        trace.steps.push_back(TraceStep{TracePass, 9, {}});
        return trace;
    }
    TraceStep fingers{TracePass, 2, {}};
    uint32_t id = 1;
    for (const RenderTouch& touch : options.touches) {
        // Screen hundredths of a pixel; the client area is the logical screen.
        fingers.points.push_back(TracePoint{id++, TouchFlagDown, touch.x * 100, touch.y * 100});
    }
    trace.steps.push_back(fingers);
    trace.steps.push_back(TraceStep{TracePass, 3, {}});
    return trace;
}

// Runs the scene and writes the frame asked for.
int renderScreen(const RenderOptions& options) {
    if (!imagesDirUsable("padrelle-render", options.imagesDir)) {
        return ExitFileProblem;
    }
    Layout layout = defaultLayout();
    std::string problem;
    if (!options.layout.empty() && !layoutOfArgument(options.layout, layout, problem)) {
        std::fprintf(stderr, "padrelle-render: %s\n", problem.c_str());
        return ExitBadCommandLine;
    }
    if (options.assignStep >= layoutKeyCount(layout)) {
        std::fprintf(stderr, "padrelle-render: the layout has %d prompts\n",
                     static_cast<int>(layoutKeyCount(layout)));
        return ExitBadCommandLine;
    }
    const Trace trace = renderTrace(options);
    RasterFrameTarget target;
    AssignFrame assign;
    assign.wanted = options.assignStep + 1;
    if (options.assignStep >= 0) {
        target.onPresented(keepAssignFrame, &assign);
    }
    ReplayRun run;
    if (options.edit) {
        run.passEnded = [](int32_t pass, void*) {
            if (pass == 1) {
                editLayoutAsked = 1; // as the window menu does
            }
        };
    }
    int32_t menuPage = options.menuPage;
    if (menuPage >= 0) {
        // Open once play has begun, as the held button opens it.
        run.passContext = &menuPage;
        run.passEnded = [](int32_t pass, void* context) {
            if (pass == 1) {
                openMenu(static_cast<MenuPage>(*static_cast<int32_t*>(context)));
            }
        };
    }
    run.imagesDir = options.imagesDir;
    run.layout = &layout;
    run.target = &target;
    runTrace(trace, run);

    const PixelImage& frame = options.assignStep >= 0 ? assign.frame : target.frame();
    if (!writePng(options.outPath.c_str(), frame)) {
        std::fprintf(stderr, "padrelle-render: cannot write %s\n", options.outPath.c_str());
        return ExitFileProblem;
    }
    return ExitWritten;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    const bool parsed = parseRenderOptions(argc, argv, options);
    if (parsed && options.help) {
        std::fputs(UsageLine, stdout);
        std::fputs(OptionsHelp, stdout);
        return ExitWritten;
    }
    if (!parsed) {
        std::fputs(UsageLine, stderr);
        return ExitBadCommandLine;
    }
    return renderScreen(options);
}
