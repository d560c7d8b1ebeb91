// SendInput as the keyboard output: needs nothing installed; a key press is
// put into the system's input queue as a scancode, as a keyboard would. Key
// assignment takes keys from a low-level keyboard hook, which sees every
// keyboard's presses and lets them all through.
#pragma once

#include "keyout/keyboard_output.h"
#include "keyout/system_input.h"

// Set-1 codes and virtual keys that need a word of their own.
constexpr uint16_t PauseMakeCode = 0x1D; // Pause is E1 1D 45
constexpr uint16_t NumLockCode = 0x45;
constexpr uint16_t RightShiftCode = 0x36;
constexpr uint16_t VirtualKeyPause = 0x13;
constexpr uint16_t VirtualKeyRightShift = 0xA1;
constexpr uint16_t VirtualKeyNumLock = 0x90;

// The event of one stroke: the scancode, KeyEventExtended for an E0 key,
// KeyEventUp for a break. Pause (E1 1D), which has no scancode of its own that
// SendInput takes, goes as its virtual key. So does a numpad key whose virtual
// key Windows would work out from NumLock at each event: the make's, chosen
// by NumLock then, goes with its break (kept in the held record). False for
// any other E1 key: it cannot be sent this way.
bool systemKeyEventFor(uint16_t code, unsigned short prefix, bool down, SystemKeyEvent* event);
// One stroke through SendInput; true when the system took it.
bool injectKey(uint16_t code, unsigned short prefix, bool down);
// The guard's break through SendInput: true only when it surely reached the
// window in front.
bool injectGuardBreak(uint16_t code, unsigned short prefix);

// The key a hooked key-down stands for, as a keyboard sends it: Pause as
// E1 1D; Num Lock and right Shift, which the hook marks extended, without E0.
CapturedKey keyFromHook(uint32_t scanCode, uint32_t flags, uint32_t virtualKey);

// Fills keyOutput with SendInput and the hook's capture.
void useSendInputOutput();

// The hook's capture, for either output. Armed, it takes one key after the
// other (key_taker.h) until disarmed; polled every HookCheckMs (a hooked key
// wakes the main loop by itself; the poll watches the hook).
void armHookCapture();
CapturePoll pollHookCapture(CapturedKey* key);
void disarmHookCapture();
constexpr uint32_t HookCheckMs = 250;
// A key down this long with nothing from the hook: the hook is set again.
constexpr uint32_t HookSilentMs = 1000;
// SendInput is the output and the game in the foreground outranks the
// program: every key injected is dropped on the way.
bool keysBlockedByTheGame();
constexpr const char* GameOutranksNotice =
    "the game runs as administrator: start Padrelle as administrator too, or use the driver";
// How often the hook was found gone and set again.
int32_t hookRestarts();
