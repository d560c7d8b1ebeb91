// What the controller holds down on the output side, rebuilt from the strokes
// the fake driver saw, and the rules that must hold after every frame of play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// A region of the logical screen, both borders inside.
struct Region {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The regions of a pad and of a disc of the layout in use.
Region padRegion(int32_t pad);
Region discRegion(int32_t disc);

struct HeldKeyMirror {
    std::map<uint32_t, bool> held; // by 16-bit code and prefix bits
    size_t seen = 0;               // strokes of fakeInterception.sent taken in
    std::string fault;             // the first stroke out of turn

    // Takes in the strokes sent since the last call.
    void absorb();
    bool isHeld(int8_t scancode, unsigned short prefix) const;
    int32_t heldCount() const;
};

// A key as the mirror names it.
uint32_t heldKeyName(int8_t scancode, unsigned short prefix);

// Empty when, after a frame of play, every rule holds: strokes of each key
// alternate make and break; each pad's flag matches both its key on the
// output side and whether a finger that is down lies on the pad; the scratch
// flags match their keys; the two keys of a disc are never held together and
// neither is held without a finger on that disc; no other key is held.
// Otherwise the rule that broke. Absorbs the new strokes first. The eleven
// keys must be distinct for the flags to be told apart on the output side.
std::string brokenPlayRule(HeldKeyMirror& mirror);

// Empty when no key is held and no stroke went out of turn (after leaving).
std::string brokenReleaseRule(HeldKeyMirror& mirror);
