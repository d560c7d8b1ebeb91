// The keyboard-filter driver as the keyboard output: strokes are injected into
// a keyboard's input stream, and key assignment takes each key from the
// driver, which holds the press back, hands it over and lets it through.
#pragma once

#include "keyout/interception_api.h"
#include "keyout/keyboard_output.h"

#include <cstdint>

extern InterceptionContext interceptionContext;
extern InterceptionDevice keyboardDevice;
extern InterceptionKeyStroke keyStroke;

// A capture waits again after a receive that took no stroke, but at most this
// many times before it gives up.
constexpr int32_t MaxFailedReceives = 8;
// Strokes taken in one poll of a capture at most.
constexpr int32_t MaxStrokesPerPoll = 32;
// How long the start-up question to the driver may take: a driver that
// answers blocks for it; a library without its driver answers at once.
constexpr unsigned long DriverProbeMs = 40;
constexpr uint64_t DriverSilentBelowUs = 10000;
// A pending capture is asked again this often (without a capture thread).
constexpr uint32_t DriverCapturePollMs = 10;
// The capture thread's longest wait for the driver, so that it hears of its
// end in time.
constexpr unsigned long CaptureThreadWaitMs = 50;

// Whether a capture takes the driver's strokes on a thread of its own, which
// passes each on as soon as it arrives (the Win32 program), or in the main
// loop's polls (tests, the replay). On its own thread no modal loop or stall
// of the main thread holds back the keyboards while the filter is set.
void useDriverCaptureThread(bool onThread);

// Opens the driver: a context, a live driver behind it and the keyboard to
// send into (the first with a hardware id, where the library can tell).
// Fills keyOutput and gives true; otherwise records in keyboardLibrary why
// not, leaves nothing open and gives false.
bool openInterceptionOutput();
