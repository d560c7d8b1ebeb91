#include "controller/controller_scene.h"

// Placeholders until the controller lands.
void enterController() {}
void updateController() {}
void leaveController() {}
