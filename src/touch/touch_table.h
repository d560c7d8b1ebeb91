// The ten touch slots: where the fingers are on the logical screen.
#pragma once

#include "base/platform.h"
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

// A platform touch record: screen position in hundredths of a pixel, id,
// flags and the time of the report.
using TouchRecord = TouchInput;

constexpr uint32_t TouchFlagMove = 0x1;
constexpr uint32_t TouchFlagDown = 0x2;
constexpr uint32_t TouchFlagUp = 0x4;
// In range of the digitizer; without a down before it, a contact hovering
// over the screen, not on it.
constexpr uint32_t TouchFlagInRange = 0x8;
// The system takes the contact for a palm.
constexpr uint32_t TouchFlagPalm = 0x80;

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

// Touch ids from here on are fingers on no screen of this PC (the phone's
// page): the window's contacts never are.
constexpr uint32_t FirstFarTouchId = 0xFFFFFF00u;

// Every touch slot up: the system cut the contacts off (a lock, a UAC
// prompt's desktop, sleep, the display off, a cancelled mode). Nothing else
// lifts a finger whose up did not come: a finger held still sends nothing.
void liftAllFingers();
// Every slot of the window's own contacts up, the phone's fingers left: the
// window was hidden or minimised, and its contacts' ups never come.
void liftScreenFingers();
// Lifts the finger of that id if one is down; false when none is.
bool liftFinger(uint32_t id);

// Every finger down now is passed over by the hit queries (isTouched,
// touchIndexOn) until it lifts: fingers held as play resumes press nothing
// until they come down again.
void holdBackFingersDown();
// Whether that finger is held back.
bool fingerHeldBack(int32_t index);

// Every slot up with id 0 at (0, 0), every debug line empty, the mouse finger up.
void resetTouchTable();
