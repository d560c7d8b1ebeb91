// The controller screen, composed on a canvas and presented every frame.
#pragma once

#include "graphics/canvas.h"

// The scene's render handler: composes the frame into the frame target.
void renderController();
