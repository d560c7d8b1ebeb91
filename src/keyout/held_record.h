// What the program holds in the system, kept where a guard process can read
// it after the program has died: the keys held down on the output side, the
// output and keyboard they went to, and the system settings to put back.
//
// The record is plain data of a fixed layout. The Win32 layer moves it into
// a block of memory shared with the guard (guard_win32.cpp); until then, and
// in tests, it lives in the process.
#pragma once

#include <cstdint>

// The accessibility features whose hotkeys are turned off while Padrelle
// runs: Sticky Keys, Filter Keys, Toggle Keys.
constexpr int32_t AccessibilityFeatureCount = 3;

struct HeldRecord {
    uint32_t magic;
    uint32_t size;
    // The program ended as it should: everything it held was let go.
    uint32_t cleanExit;
    int32_t output; // OutputInUse of the strokes
    int32_t keyboardDevice;
    // One bit a held key: the codes 0 to 255, plain, after E0, after E1.
    uint8_t held[3][32];
    // A feature whose flags were changed, and its flags before.
    uint32_t accessibilityChanged[AccessibilityFeatureCount];
    uint32_t accessibilityFlags[AccessibilityFeatureCount];
};

constexpr uint32_t HeldRecordMagic = 0x4C524450u; // "PDRL"

// The record in use; never null.
extern HeldRecord* heldRecord;
// Whether a record read from elsewhere is one.
bool isHeldRecord(const HeldRecord& record);

// A key went down (after its make went out) or is going up (before its
// break goes out): a key is in the record only while it is surely held.
void noteKeyHeld(uint16_t code, unsigned short prefix, bool held);
bool keyHeldInRecord(const HeldRecord& record, uint16_t code, unsigned short prefix);
int32_t keysHeldInRecord(const HeldRecord& record);

// The in-process record, empty, in use again.
void resetHeldRecord();
