// The command line of padrelle-render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t RenderMaxTouches = 10; // the touch table's slots
// The prompts of the largest layout.
constexpr int32_t RenderAssignSteps = 28;

struct RenderTouch {
    int32_t x; // logical screen, 0 to 1279
    int32_t y; // 0 to 719
};

struct RenderOptions {
    std::string imagesDir;            // empty: the working directory
    std::string layout;               // empty: the default
    int32_t assignStep = -1;          // -1: play mode; else that prompt
    std::vector<RenderTouch> touches; // play mode, or the editor's drag
    // The layout editor: the first touch comes down there, the second is
    // where it has been dragged to (held).
    bool edit = false;
    // The menu open at this page (0 the first); -1: no menu.
    int32_t menuPage = -1;
    std::string outPath;
    bool help = false;
};

// False, with a message on standard error, for a bad command line.
bool parseRenderOptions(int argc, char** argv, RenderOptions& options);

// The menu's pages by name, as --menu takes them, in the menu's order.
constexpr const char* RenderMenuPages[] = {"main", "phone",  "timing", "layout", "screen",
                                           "keys", "output", "files",  "about"};

// A whole decimal number from 0 to max, digits only.
bool parseBoundedNumber(const std::string& text, int32_t max, int32_t& value);
// "X,Y" on the logical screen.
bool parseRenderTouch(const std::string& text, RenderTouch& touch);
