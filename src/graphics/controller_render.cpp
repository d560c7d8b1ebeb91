#include "graphics/controller_render.h"

// Placeholder until the controller lands.
void renderController() {}
