// The controller screen, composed on a canvas and presented every frame.
#pragma once

#include "graphics/canvas.h"

// Draws the whole controller screen on a fresh 1280 x 720 surface: pads,
// pressed pads, pad numbers, disc, prompt, credit, touch lines, scratch lines.
void composeControllerFrame(Canvas& dc);

// A fingerprint of everything the controller screen shows.
uint64_t controllerSceneContent();

// The scene's render handler: composes the frame into the frame target when
// what it shows has changed (or the window must be painted again), as often
// as the display refreshes at most.
void renderController();
// The same, now, whatever changed: the frame a key prompt needs on the screen.
void renderControllerNow();
