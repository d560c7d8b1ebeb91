// Keyboard output: the context, key capture and stroke sending.
#pragma once

#include "keyout/interception_api.h"

#include <cstdint>

extern InterceptionContext interceptionContext;
extern InterceptionDevice keyboardDevice;
extern InterceptionKeyStroke keyStroke;

// The prefix bits of a stroke's state (E0, E1) that belong to the key itself.
constexpr unsigned short KeyPrefixMask = KeyStateE0 | KeyStateE1;

// A capture waits again after a receive that took no stroke, but at most this
// many times in a row before it gives up.
constexpr int32_t MaxFailedReceives = 8;

struct CapturedKey {
    bool captured;         // false: no key could be taken; the caller keeps its default
    uint16_t code;         // the stroke's code
    unsigned short prefix; // its E0/E1 bits
};

// Creates the context and picks the first keyboard. False when the library is
// not usable (see keyboard_library.h) or no keyboard answers.
bool openKeyboardOutput();
// Waits for one key press on any keyboard, passes it on and gives its code.
CapturedKey captureKey();
// One make (down nonzero) or break stroke; the prefix bits go with both.
// Sends nothing without a context or a keyboard.
void sendKey(int8_t scancode, int32_t down, unsigned short prefix = 0);
// Destroys the context; afterwards nothing is sent. Safe to call twice.
void closeKeyboardOutput();

// Closed state: no context, device 0, stroke zero, library unchecked.
void resetKeyboardOutput();
