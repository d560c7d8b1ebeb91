// Turning a keyboard's strokes, as a capture sees them, into the keys a
// player pressed, one after the other:
// - a key is taken only once the key taken before it has come up (a key held
//   past the repeat delay is not taken again for the next prompt), or after
//   nothing of it was heard for TakerForgetMs (its break was missed);
// - the keyboard's fake shifts (E0 2A, E0 36, made around the grey keys while
//   Num Lock is on) are no keys;
// - Pause, E1 1D followed by 45, is one key, E1 1D.
#pragma once

#include "keyout/keyboard_output.h"

#include <cstdint>

constexpr uint32_t TakerForgetMs = 2000;

struct KeyTaker {
    bool awaitingBreak = false;
    CapturedKey held = {};
    uint32_t heardMs = 0; // when the held key was last heard
    bool pauseTail = false;

    // One stroke (its set-1 code and state bits) at a time: true with the key
    // when it is one to take.
    bool take(uint16_t code, unsigned short state, uint32_t nowMs, CapturedKey* key);
};
