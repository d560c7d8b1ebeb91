// The stand-in keyboard driver library: a log of every call, a simulated
// keyboard that presses scripted or real keys, and the library's seven calls
// over them.
#pragma once

#include <cstddef>
#include <cstdint>

// One key press of the simulated keyboard: a set-1 make code and the prefix
// bits of the stroke state (0x02 for E0, 0x04 for E1).
struct StandinKey {
    unsigned short code;
    unsigned short prefix;
};

// Script of keys, as given in PADRELLE_STANDIN_KEYS: hex scancodes separated
// by commas or blanks, each with an optional "e0:" or "e1:" prefix, for
// example "2C,2D,e0:1D". Returns the number of keys stored (at most
// capacity); every token that is not a key is counted in *badTokens and
// skipped.
size_t parseKeyScript(const char* text, StandinKey* keys, size_t capacity, size_t* badTokens);

// The log (standin_log_win32.cpp): one line per call or stroke, flushed at
// once. The path comes from PADRELLE_STANDIN_LOG, else
// standin-interception.log beside the DLL.
void openStandinLog();
void closeStandinLog();
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One "window" line per visible top-level window of the calling thread
// (standin_windows_win32.cpp).
void logThreadWindows();

// The simulated keyboard (standin_keyboard_win32.cpp). Waits at most the
// given time for the next key to go down: the next scripted key once the gate
// lets it through, or, without a script (or after its end), the next real key
// seen by the system. Windows messages are not dispatched meanwhile.
bool nextKeyPress(unsigned long milliseconds, StandinKey* key);
// Waits about the given time without dispatching messages.
void idle(unsigned long milliseconds);

// With PADRELLE_STANDIN_INJECT=1 every stroke the program sends becomes a
// real key event of the system (SendInput), so that a window sees it
// (standin_inject_win32.cpp).
bool injectingStrokes();
void injectStroke(unsigned short code, unsigned short state);
// Number of scripted keys handed out so far, and how many the script holds.
size_t scriptedKeysUsed();
size_t scriptedKeyCount();
