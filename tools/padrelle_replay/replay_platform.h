// The window system as a trace describes it: one step of the trace per pass
// of the main loop, each step one message (touch points as WM_TOUCH, mouse
// steps as button messages with the cursor there, other steps a message that
// does nothing), Return from the key state, and the window destroyed once the
// trace has run out.
#pragma once

#include "base/platform.h"
#include "replay_trace.h"

#include <cstdint>

// The one window of the replay.
extern const WindowHandle replayWindow;

// Points the platform table at the trace. The trace must outlive the replay.
// Window placement calls are accepted but never change the client area: the
// touch mapping uses the trace's client size throughout. passEnded, if not
// null, is told when each pass of the trace has run (at the start of the next
// one, or when the window closes after the last).
void installReplayPlatform(const Trace& trace,
                           void (*passEnded)(int32_t pass, void* context) = nullptr,
                           void* passContext = nullptr);

// Lets time pass on the precise clock without ending the pass.
void replayIdle(uint32_t milliseconds);

// The pass now running, from 1; 0 before the first. Once the trace has run
// out it stays at the last pass, which the closing of the window belongs to.
int32_t replayPassNumber();

// True once the main loop has been handed the destruction of the window.
bool replayWindowClosed();

// Ends the replay early: the next pass closes the window, as if the trace
// had run out there.
void stopReplay();

// What the system does for the window before the main loop starts: the
// creation message, then the activation that showing it brings.
void openReplayWindow();
