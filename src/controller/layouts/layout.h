// A controller's layout: its logical size and its controls. Pads are
// rectangles with a picture (the white or blue key cap) or a colour; discs
// are turntables or knobs: a centre, a radius, the dead band of the scratch
// tracker and the keys of their two directions. Each pad sends one key,
// each disc two: the keys a player assigns are the pads' in order, then each
// disc's clockwise and counter-clockwise.
//
// The built-in default is the controller Padrelle always had; the other
// built-in presets and layout files (layout_file.h) serve other games.
#pragma once

#include "base/window_owners.h"
#include "controller/layouts/key_set.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// A layout file's path in UTF-8: folders past 260 characters, in any language.
constexpr size_t LayoutPathSize = 4096;

constexpr int32_t MaxPads = 24;
constexpr int32_t MaxDiscs = 2;
constexpr int32_t LayoutNameSize = 32;
constexpr int32_t PadLabelSize = 16;
// The programs a layout is for: their file names ("popn.exe"), at most this
// many, each shorter than GameNameSize bytes.
constexpr int32_t MaxGames = 8;
constexpr int32_t GameNameSize = 64;

enum PadLook : int32_t { LookWhite = 0, LookBlue = 1, LookColour = 2 };

struct LayoutPad {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    PadLook look;
    uint32_t colour; // 0x00BBGGRR, for LookColour
    char label[PadLabelSize];
    AssignedKey key; // sent until the player assigns another
};

struct LayoutDisc {
    int32_t x; // centre
    int32_t y;
    int32_t radius;
    double deadBand;     // radians
    AssignedKey keys[2]; // clockwise, counter-clockwise
};

struct Layout {
    char name[LayoutNameSize];
    int32_t width; // the logical size the controls are placed in
    int32_t height;
    // Kept proportions: the layout is scaled alike in both directions, and
    // the room left over stays empty. Otherwise it is stretched to fill.
    bool keepProportions;
    int32_t padCount;
    LayoutPad pads[MaxPads];
    int32_t discCount;
    LayoutDisc discs[MaxDiscs];
    // When a window of one of these programs comes to the foreground, the
    // layout comes up for it.
    int32_t gameCount;
    char games[MaxGames][GameNameSize];
};

// What a control answers for, inclusive on every side, as the hit queries
// take it: a pad's width and height plus one pixel; a disc's square.
struct ControlBox {
    int64_t left, top, right, bottom;
};
ControlBox padBox(const LayoutPad& pad);
ControlBox discBox(const LayoutDisc& disc);
// Whether two boxes share a pixel: touching controls need a unit between.
bool overlap(const ControlBox& a, const ControlBox& b);

// The keys a layout asks for: one a pad, two a disc.
int32_t layoutKeyCount(const Layout& layout);
// The layout's own keys, in assignment order.
KeySet layoutKeys(const Layout& layout);

// A program's file name as a layout names it: printable, no folder, none
// of the characters Windows refuses in a name, no '#', ending in ".exe".
bool isGameName(std::string_view name);
// Whether the layout names that program (file names compare as Windows
// compares them, letters of either case alike).
bool layoutIsFor(const Layout& layout, const char* program);

// The built-in presets, the default first. Null past the last.
const Layout* presetLayout(int32_t index);
// The preset of a name, or null.
const Layout* presetNamed(const char* name);
const Layout& defaultLayout();

// The layout fitted to the 1280 x 720 frame: kept proportions scale it
// alike both ways and centre it; otherwise each way on its own. The dead
// bands, looks and keys stay.
Layout fittedToFrame(const Layout& layout);

// Where a unit of the layout lands in the 1280 x 720 frame, before the
// rounding: frame = unit * scale + offset, each way.
struct FitScale {
    double scaleX, scaleY;
    double offsetX, offsetY;
};
FitScale fitScale(const Layout& layout);

// Where two controls lie over each other, said in words: "pads 2 and 3
// overlap". Empty when none does. The frame is drawn in layers that need
// its controls apart.
void findOverlap(const Layout& layout, char* problem, size_t size);
