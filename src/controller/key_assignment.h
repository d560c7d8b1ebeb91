// Key assignment: the eleven keys asked for at start.
#pragma once

#include <cstdint>

constexpr int32_t StatusTextSize = 64;
extern char statusText[StatusTextSize];

// Asks for all eleven keys, each with its prompt and a frame drawn before the
// wait, then switches the scene to play.
void assignKeys();
