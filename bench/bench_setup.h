// A controller in play for the benchmarks: the fake platform (client area
// 1280 x 720, so logical and screen positions agree), no bitmaps, and a
// keyboard driver that only counts the strokes it is given.
#pragma once

#include "touch/touch_table.h"

#include <cstdint>

extern int64_t strokesSent;

// Program start, the scene entered with the layout of that name (the
// default when null) and switched to play.
void startPlay(const char* layout = nullptr);

// A finger down at a logical position, filed as one touch message.
void putFingerDown(uint32_t id, int32_t x, int32_t y);

// Where the benchmarks put finger i: finger 0 on the first disc, fingers 1
// to 9 on pads 0 to 8 of the layout.
void fingerPlace(int32_t finger, int32_t* x, int32_t* y);
