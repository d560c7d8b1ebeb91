// Play mode: fingers on the pads become key strokes; Return toggles full screen.
#pragma once

#include <cstdint>

extern uint8_t PadPressed[9];
extern uint8_t fullScreen;

void updatePlayMode();
