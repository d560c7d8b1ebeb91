// Keyboard output: the context, key capture and stroke sending.
#pragma once

#include "keyout/interception_api.h"

#include <cstdint>

extern InterceptionContext interceptionContext;
extern InterceptionDevice keyboardDevice;
extern InterceptionKeyStroke keyStroke;

bool openKeyboardOutput();
uint32_t captureKey();
void sendKey(int8_t scancode, int32_t down);
