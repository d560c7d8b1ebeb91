// The raster canvas's own font: a fixed 6 x 11 cell per character.
//
// Every printable ASCII character (0x20 to 0x7E) has a 5 x 7 glyph. In its
// cell, column 0 is the gap to the previous character and the glyph takes
// columns 1 to 5; rows 0 and 1 stay free above the capitals, the glyph takes
// rows 2 to 8, and the descenders of g, j, p, q and y are drawn two rows lower
// (rows 4 to 10), so their tails reach the cell's last row. Any other byte is
// drawn as a hollow 5 x 7 box, so that it takes its place and is seen.
#pragma once

#include <cstdint>

constexpr int32_t FontCellWidth = 6;
constexpr int32_t FontHeight = 11;
constexpr int32_t GlyphWidth = 5;
constexpr int32_t GlyphRows = 7;
constexpr int32_t GlyphLeft = 1; // first glyph column in the cell
constexpr int32_t GlyphTop = 2;  // first glyph row in the cell, without descender
constexpr int32_t DescenderDrop = 2;

struct Glyph {
    bool descender;          // drawn DescenderDrop rows lower
    uint8_t rows[GlyphRows]; // top row first; bit 4 is the leftmost column
};

// The glyph of a byte; the box glyph for a byte outside 0x20 to 0x7E.
const Glyph& glyphFor(unsigned char c);

// Width in pixels of a zero-terminated text (null: 0).
int32_t textWidth(const char* text);
