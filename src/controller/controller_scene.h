// The controller scene: scene 1 of the engine.
#pragma once

#include "controller/modes/controller_state.h"

#include <cstddef>
#include <cstdint>

// What to tell a player whose --output interception cannot be had.
void forcedDriverMessage(char* buffer, size_t size);

// Gives the engine this scene as its scene 1, and the window menu's source:
// at the program's start, before the engine starts (tests do the same).
void installControllerScene();

void enterController();
void updateController();
void leaveController();
// Every pad and scratch key still held goes up (session end, crash).
void releaseController();
void inputBackToController();

// The state at program start: default keys, AssignKeys, nothing pressed or
// tracked, no prompt, no objects; the keyboard output closed.
void resetController();
