// Whether the keyboard-filter driver and its library can be used, and the
// words that tell a player why not and what to do.
#pragma once

#include "keyout/interception_api.h"

#include <cstddef>
#include <cstdint>

enum KeyboardLibraryStatus : int32_t {
    KeyboardLibraryUnchecked = 0,         // nothing decided yet: the table is checked when opened
    KeyboardLibraryReady = 1,             // the calls are there (the driver is asked when opened)
    KeyboardLibraryNotLoaded = 2,         // no interception.dll where it is looked for
    KeyboardLibraryIncomplete = 3,        // a call is missing from the library
    KeyboardDriverMissing = 4,            // the library gives no context: no driver
    KeyboardLibraryWrongArchitecture = 5, // the library is built for the other architecture
    KeyboardLibraryLoadFailed = 6,        // the library could not be loaded for another reason
    KeyboardDriverSilent = 7,             // the context's wait gives no device at once
    KeyboardNotAttached = 8,              // no keyboard is attached to the driver
};

struct KeyboardLibrary {
    KeyboardLibraryStatus status = KeyboardLibraryUnchecked;
    const char* missingCall = nullptr; // Incomplete: the first call missing
    uint32_t loadError = 0;            // LoadFailed: the system's error code
    int32_t libraryBits = 0;           // WrongArchitecture: 32 or 64 (0: not known)
    int32_t programBits = 0;           // the program's own: 32 or 64
    bool onWow64 = false;              // a 32-bit program on 64-bit Windows
};

extern KeyboardLibrary keyboardLibrary;

// Ready when the seven calls every build has are there; NotLoaded when none
// is; else Incomplete with the name of the first missing call.
KeyboardLibraryStatus checkInterceptionTable(const InterceptionApi& api, const char** missingCall);

// Why the driver cannot be used, with what to do, in one line (empty when it
// can): "no interception.dll beside padrelle.exe or in System32" (SysWOW64
// for a 32-bit program on 64-bit Windows, whose System32 is that), ...
void describeKeyboardLibrary(const KeyboardLibrary& library, char* buffer, size_t size);

constexpr const char* KeyboardLibraryCaption = "Padrelle: keyboard driver";

// Windows only (keyboard_library_win32.cpp): loads interception.dll from the
// program's folder or System32, fills the table and records what it found.
// Called at start.
void bindKeyboardLibrary();
