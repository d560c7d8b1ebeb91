// A press held on a button drawn on the screen (the menu's): a finger that
// comes down on the button and stays on it for the whole hold. A tap, a
// finger that slides onto the button or leaves it, or one that came down
// while another held the button, does nothing: play never makes the
// gesture by chance.
#pragma once

#include <cstdint>

struct ButtonHold {
    int32_t finger = -1; // the finger holding the button, and since when
    uint32_t sinceMs = 0;
    uint32_t seenDown = 0; // the fingers down at the last pass, a bit each
};

// One pass of the fingers at nowMs: how long the button has been held, or
// -1 while no finger holds it. onButton tells whether a point lies on the
// button; a finger for which mayHold is false starts no hold (null: every
// finger may).
int32_t followHold(ButtonHold& hold, bool (*onButton)(int32_t x, int32_t y), uint32_t nowMs,
                   bool (*mayHold)(int32_t finger) = nullptr);
