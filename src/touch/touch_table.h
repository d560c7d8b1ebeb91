// The ten touch slots: where the fingers are on the logical screen.
#pragma once

#include "engine/platform.h"
#include "graphics/geometry.h"
#include "graphics/sprite.h"

#include <cstdint>

struct TouchSlot {
    int32_t x;
    int32_t y;
    uint32_t id;
    int32_t down;
};

constexpr int32_t TouchSlotCount = 10;
constexpr int32_t TouchDebugLineSize = 1024;

extern TouchSlot TouchTable[TouchSlotCount];

// The mouse or pen, while its left button is held on the window, is one more
// finger after the ten slots: index MouseFingerIndex in the hit queries, so
// that a touch finger comes first. It has no debug line.
constexpr int32_t MouseFingerIndex = TouchSlotCount;
constexpr int32_t FingerCount = TouchSlotCount + 1;
extern TouchSlot MouseFinger;
void setMouseFinger(bool down, int32_t x, int32_t y);
// Slot index or MouseFingerIndex; any other index gives a finger that is up.
const TouchSlot& fingerAt(int32_t index);
extern char touchDebugLines[TouchSlotCount][TouchDebugLineSize];

// The fields of a platform touch record that the controller uses.
struct TouchRecord {
    int32_t x; // screen position, hundredths of a pixel
    int32_t y;
    uint32_t id;
    uint32_t flags;
};

constexpr uint32_t TouchFlagMove = 0x1;
constexpr uint32_t TouchFlagDown = 0x2;
constexpr uint32_t TouchFlagUp = 0x4;

// Files the points of one touch message in order and writes a debug line for
// each of the first ten.
void fileTouchRecords(WindowHandle window, const TouchRecord* records, int32_t count);
void processTouchPoint(WindowHandle window, const TouchRecord& input);
int32_t findTouchSlot(uint32_t id);
void storeTouchInFreeSlot(const TouchRecord& input, int32_t x, int32_t y);
void storeTouch(int32_t index, const TouchRecord& input, int32_t x, int32_t y);
bool pointInRect(int32_t x, int32_t y, const Rect& rect);
// Whether a finger that is down (a slot or the mouse finger) lies on the
// sprite's rect; the lowest such index, or -1.
bool isTouched(const Sprite& sprite);
int32_t touchIndexOn(const Sprite& sprite);

// Every slot up with id 0 at (0, 0), every debug line empty, the mouse finger up.
void resetTouchTable();
