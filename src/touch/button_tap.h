// A tap on a button drawn on the screen (a panel's, a bar's): a finger comes
// down on the button and goes up without having left it.
#pragma once

#include <cstdint>

struct ButtonTap {
    int32_t finger = -1; // the finger on a button, and which
    int32_t button = -1;
};

// One pass of the fingers: the button tapped, or -1. buttonAt names the
// button under a point (-1 for none); a finger for which mayTap is false
// starts no tap (null: every finger may).
int32_t followTap(ButtonTap& tap, int32_t (*buttonAt)(int32_t x, int32_t y),
                  bool (*mayTap)(int32_t finger) = nullptr);
