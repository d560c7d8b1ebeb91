// Play mode: fingers on the pads become key strokes; Return toggles full screen.
#pragma once

#include "controller/layouts/layout.h"

#include <cstdint>

// One flag a pad of the layout.
extern uint8_t PadPressed[MaxPads];
extern uint8_t fullScreen;

void updatePlayMode();
