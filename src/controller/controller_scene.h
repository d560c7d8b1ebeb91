// The controller scene: scene 1 of the engine.
#pragma once

void enterController();
void updateController();
void leaveController();
