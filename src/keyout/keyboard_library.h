// Whether the keyboard-filter driver library can be used, and what to tell
// the user when it cannot.
#pragma once

#include "keyout/interception_api.h"

#include <cstddef>
#include <cstdint>

enum KeyboardLibraryStatus : int32_t {
    KeyboardLibraryUnchecked = 0,  // nothing decided yet: the table is checked when opened
    KeyboardLibraryReady = 1,      // all seven calls are there
    KeyboardLibraryNotLoaded = 2,  // interception.dll could not be loaded
    KeyboardLibraryIncomplete = 3, // a call is missing from the library
    KeyboardDriverMissing = 4,     // the library gives no context: no driver
};

extern KeyboardLibraryStatus keyboardLibraryStatus;
// Name of the first call missing from the library, or null.
extern const char* keyboardLibraryMissingCall;

// Ready when every call of the table is there; NotLoaded when none is; else
// Incomplete with the name
// of the first missing call.
KeyboardLibraryStatus checkInterceptionTable(const InterceptionApi& api, const char** missingCall);

// The message shown for a status other than Ready; empty for Ready.
void keyboardLibraryMessage(KeyboardLibraryStatus status, const char* missingCall, char* buffer,
                            size_t size);
constexpr const char* KeyboardLibraryCaption = "Padrelle: keyboard driver";

// Windows only (keyboard_library_win32.cpp): loads interception.dll from the
// program's folder or System32 and fills the table; sets the status. Called
// by WinMain before the engine starts.
KeyboardLibraryStatus bindKeyboardLibrary();
