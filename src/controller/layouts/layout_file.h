// Layout files: a controller for any game, written as a small text file of
// the same style as the settings file.
//
//   # Comments and blank lines are left out.
//   layout 1
//   name popn                   # letters, digits, - and _, up to 31
//   size 1280 720               # the logical size the controls are placed in
//   fit keep                    # keep (proportions kept) or stretch
//   game popn.exe               # a program it comes up for; up to 8 such lines
//   pad 40 470 200 200 #FFFFFF 2C        # x y width height look key [label]
//   pad 164 230 200 200 yellow 1F
//   disc 4 208 463 0.05 1D 2A            # x y radius deadband clockwise counter
//
// A look is white or blue (the key caps' pictures, 130 x 190), a colour name
// (white, grey, red, green, blue, yellow, orange) or #RRGGBB. Keys are
// written as on the command line. Every line is checked; the first problem
// is given with its line, and nothing of a bad file is used.
#pragma once

#include "controller/layouts/layout.h"

#include <cstddef>
#include <string_view>

constexpr size_t LayoutFileMaxBytes = 16384;

bool parseLayoutFile(std::string_view text, Layout& layout, char* problem, size_t problemSize);
// The file of a layout, as parseLayoutFile reads it; its length, 0 when it
// does not fit.
size_t writeLayoutFile(const Layout& layout, char* out, size_t size);

// The colours a look may name, 0x00BBGGRR; null past the last. Their white
// and blue are the key caps' names, which come first.
struct NamedColour {
    const char* name;
    uint32_t value;
};
const NamedColour* namedColour(int32_t index);
// A pad's look as the file writes it: "white", "blue" or "#RRGGBB".
void writeLookName(const LayoutPad& pad, char* out, size_t size);

// A layout's name: 1 to 31 letters, digits, '-' or '_'.
bool isLayoutName(std::string_view name);
