// The controller screen, composed on a canvas and presented every frame.
#pragma once

#include "graphics/canvas.h"

// Draws the whole controller screen on a fresh 1280 x 720 surface: pads,
// pressed pads, pad numbers, disc, prompt, credit, touch lines, scratch lines.
void composeControllerFrame(Canvas& dc);

// The scene's render handler: composes the frame into the frame target.
void renderController();
