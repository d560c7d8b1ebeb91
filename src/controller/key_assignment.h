// Key assignment: the eleven keys asked for at start.
#pragma once

#include <cstdint>

constexpr int32_t StatusTextSize = 64;
extern char statusText[StatusTextSize];

// Runs key assignment as far as the keys that have come allow: each step shows
// its prompt and highlighted pad, then takes the next key pressed. Returns to
// the main loop while a key is awaited (the window goes on living), and is
// called again in the next pass. True once all eleven are taken; the scene is
// then in play.
bool assignKeys();
// Stops an assignment under way (the window closes): the capture is let go.
void cancelKeyAssignment();
