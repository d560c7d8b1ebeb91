// The guard: a second instance of padrelle.exe started with the program,
// which waits for it to end. The program's crash handling cannot run when it
// is ended from outside (End task, a hard kill), fails fast (a corrupted
// heap, a broken stack guard) or overflows its stack; keys it held then stay
// down in the game. After such an end the guard lets go of every key that
// was held, through the output that held it, and puts back the system
// settings the program changed. After a clean end it does nothing.
#pragma once

#include "keyout/accessibility_keys.h"
#include "keyout/held_record.h"

#include <cstdint>

// What the guard sends a break with: a set-1 code and its prefix bits; true
// when the system surely took it.
using GuardBreak = bool (*)(uint16_t code, unsigned short prefix, void* context);

// After the program's end: nothing when it ended cleanly; else the break of
// each key in the record, in order of code, then the accessibility flags put
// back. A key whose break the system surely took leaves the record; the
// others stay. Gives how many breaks were taken.
int32_t releaseAfterEnd(HeldRecord& record, GuardBreak sendBreak, void* context,
                        const AccessibilityApi& accessibility);
// releaseAfterEnd, then the breaks that were refused (a locked screen, a UAC
// prompt, an elevated window in front) again every GuardRetryMs, until none
// is left or GuardRetries tries have passed. pause waits that long.
int32_t releaseUntilTaken(HeldRecord& record, GuardBreak sendBreak, void* context,
                          const AccessibilityApi& accessibility, void (*pause)(uint32_t ms));
constexpr uint32_t GuardRetryMs = 1000;
constexpr int32_t GuardRetries = 12 * 3600; // twelve hours: a screen locked overnight

// The command line of the guard: "--guard <process handle> <record handle>";
// of the short-lived process that starts it: "--guard-start" and the same.
constexpr const char* GuardOption = "--guard";
constexpr const char* GuardStartOption = "--guard-start";
// A guard that ended while the program runs is replaced after this pause.
constexpr uint32_t GuardRestartPauseMs = 1000;

// Windows only (guard_win32.cpp). Moves the held record into memory shared
// with a new guard process and starts it through a process that ends at
// once (so that the guard is no longer in the program's process tree), out
// of the program's job where the job allows; a guard that ends before the
// program is replaced. False when it could not be started (the program runs
// on without a guard).
bool startGuard();
// How often a guard ended before the program and was replaced; from any
// thread.
int32_t guardRestarts();
void noteGuardRestart();
constexpr const char* GuardRestartNotice =
    "the guard process ended while Padrelle runs (was it ended by hand?): a new one was started";
// The short-lived process: starts the guard with the two handles and ends
// with the guard's process id (0 when it could not start it).
int runGuardStart(uint64_t processHandle, uint64_t recordHandle);
// The program ends cleanly: the guard, when it wakes, does nothing. Not while
// a key is still in the record (its break was refused): the guard goes on
// sending that break after the program is gone.
void markCleanExit();
// The guard's whole life: waits for the program, then releaseAfterEnd with
// the output the record names. Gives the process's exit code.
int runGuard(uint64_t processHandle, uint64_t recordHandle);
