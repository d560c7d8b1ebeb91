// The keys a player assigns (eleven for the default layout: pads 0 to 8,
// clockwise, counter-clockwise), and how they are written down: a set-1
// make code in hex, with e0: or e1: before it for a key of the extended sets,
// as in "2C" or "e0:1D". The command line, the saved keys and the replay's
// traces all use this one form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct AssignedKey {
    uint8_t code;
    uint16_t prefix; // 0, or the E0 or E1 bit of a stroke's state
};

// The default layout's keys: pads 0 to 8, clockwise, counter-clockwise.
constexpr int32_t AssignedKeyCount = 11;
// The most keys a layout asks for: 24 pads and two discs.
constexpr int32_t MaxAssignedKeys = 28;

struct KeySet {
    AssignedKey keys[MaxAssignedKeys];
    int32_t count;
};

// The value of one hex digit (either case), -1 for any other character.
int32_t hexDigitValue(char c);

// One key: one or two hex digits, optionally after e0: or e1: (either case).
// The whole text or nothing.
bool parseKeyName(std::string_view text, AssignedKey& key);
// "2C", "e0:1D", "e1:1D"; always terminated when size > 0.
void writeKeyName(const AssignedKey& key, char* out, size_t size);

// Keys separated by the separator (runs of it count as one): exactly
// `expected` of them, or, with expected 0, from 1 to MaxAssignedKeys. False
// with the problem in words otherwise.
bool parseKeyList(std::string_view text, char separator, KeySet& keys, char* problem,
                  size_t problemSize, int32_t expected);
// The keys separated by single spaces.
void writeKeyList(const KeySet& keys, char* out, size_t size);
// Room for any key list written out.
constexpr size_t KeyListSize = MaxAssignedKeys * 8;
