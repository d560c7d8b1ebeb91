// What the program holds in the system, kept where a guard process can read
// it after the program has died: the keys held down on the output side, the
// output and keyboard they went to, and the system settings to put back.
//
// The record is plain data of a fixed layout. The Win32 layer moves it into
// a block of memory shared with the guard (guard_win32.cpp); until then, and
// in tests, it lives in the process.
#pragma once

#include "keyout/interception_api.h"

#include <cstdint>

// The accessibility features whose hotkeys are turned off while Padrelle
// runs: Sticky Keys, Filter Keys, Toggle Keys.
constexpr int32_t AccessibilityFeatureCount = 3;
// The numpad's keys, set-1 codes 47 to 53 without E0.
constexpr uint16_t FirstNumpadCode = 0x47;
constexpr int32_t NumpadKeyCount = 13;

struct HeldRecord {
    uint32_t magic;
    uint32_t size;
    // The program ended as it should: everything it held was let go.
    uint32_t cleanExit;
    int32_t output; // OutputInUse of the strokes
    int32_t keyboardDevice;
    // One bit a key the game may hold: the codes 0 to 255, plain, after E0,
    // after E1.
    uint8_t held[3][32];
    // A feature whose flags were changed, and its flags before.
    uint32_t accessibilityChanged[AccessibilityFeatureCount];
    uint32_t accessibilityFlags[AccessibilityFeatureCount];
    // The virtual key each numpad key (47 to 53) was last made as through
    // SendInput, which its break must be too; 0 for none.
    uint8_t numpadVirtualKeys[NumpadKeyCount];
};

constexpr uint32_t HeldRecordMagic = 0x4C524450u; // "PDRL"

// The record in use; never null.
extern HeldRecord* heldRecord;
// Whether a record read from elsewhere is one.
bool isHeldRecord(const HeldRecord& record);

// A key enters the record when the system took its make and leaves it only
// when the system surely took its break: until then the game may hold it.
void noteKeyHeld(uint16_t code, unsigned short prefix, bool held);
bool keyHeldInRecord(const HeldRecord& record, uint16_t code, unsigned short prefix);
int32_t keysHeldInRecord(const HeldRecord& record);

// One bit a key, in the record's rows; the same for the keys owed a break.
using KeyBits = uint8_t[3][32];
void setKeyBit(KeyBits& bits, uint16_t code, unsigned short prefix, bool on);
bool keyBit(const KeyBits& bits, uint16_t code, unsigned short prefix);
int32_t keyBitCount(const KeyBits& bits);
// Calls visit for each key whose bit is set, plain keys first, then E0, then
// E1, each by code.
template <typename Visit> void forEachKey(const KeyBits& bits, Visit visit);

// The in-process record, empty, in use again.
void resetHeldRecord();

template <typename Visit> void forEachKey(const KeyBits& bits, Visit visit) {
    constexpr unsigned short Prefixes[3] = {0, KeyStateE0, KeyStateE1};
    for (int32_t row = 0; row < 3; ++row) {
        for (uint16_t code = 0; code < 256; ++code) {
            if ((bits[row][code / 8] >> (code % 8) & 1u) != 0) {
                visit(code, Prefixes[row]);
            }
        }
    }
}
