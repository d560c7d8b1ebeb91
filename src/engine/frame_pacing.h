// When a scene's picture goes to the window: only when what it shows has
// changed or the window must be painted again, never more often than the
// display refreshes, and a change is never left unshown for good.
#pragma once

#include <cstdint>

// What a frame would show, as a fingerprint. True when it should be presented
// now; when it changed too soon after the last present, a pass is asked for at
// the time it may be presented and the answer is false. Right after strokes
// went out, the frame waits StrokeLeadMs for the system to deliver them first
// (drawing competes with that delivery), but never past one display period.
bool frameDue(uint64_t content);
constexpr uint32_t StrokeLeadMs = 2;
// The frame of that content reached the window.
void frameShown(uint64_t content);
// The window lost its picture (painted over, resized): the next frame is due
// at once and goes to the whole window.
void repaintWindow();
bool repaintPending();

// Milliseconds between two presents at a refresh rate; 60 Hz when unknown.
uint32_t refreshPeriodMs(int32_t hz);

void resetFramePacing();
