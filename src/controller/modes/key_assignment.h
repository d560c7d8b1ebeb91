// Key assignment: the eleven keys asked for at start.
#pragma once

#include "graphics/geometry.h"

#include <cstdint>

constexpr int32_t StatusTextSize = 64;
extern char statusText[StatusTextSize];

// Runs key assignment as far as the keys that have come allow: each step shows
// its prompt and highlighted pad, then takes the next key pressed. Returns to
// the main loop while a key is awaited (the window goes on living), and is
// called again in the next pass. True once all eleven are taken; the scene is
// then in play.
bool assignKeys();

// A player with nothing but a touch screen has no key to press: a tap on
// this button (a finger down in it, then no finger down at all) ends the
// assignment with the layout's own keys. Drawn under the prompt.
extern const Rect LayoutKeysButton;
constexpr const char* LayoutKeysButtonText = "TOUCH HERE TO PLAY WITH THE LAYOUT'S OWN KEYS";
// Stops an assignment under way (the window closes): the capture is let go.
void cancelKeyAssignment();
// Asks for the keys of the layout in use again, from its first (the menu,
// as --assign does): what is held goes up first.
void startKeyAssignment();
