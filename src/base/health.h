// The program's health as a player can check it: input reports and frames per
// second, and how long a report takes to become its strokes.
#pragma once

#include <cstdint>

// The figures of the last whole second.
struct HealthFigures {
    int32_t reportsPerSecond; // touch messages and mouse-finger messages
    int32_t framesPerSecond;  // frames presented because the picture changed
    uint32_t longestReportUs; // longest time from a report (its own time where the
                              // system gives one, else its taking) to its last stroke
    int32_t strokesLost;      // strokes the output refused, since start
    int32_t strokesBlocked;   // strokes taken but dropped before the game, since start
};

// The main loop took a message from the queue; its time is taken now.
void noteMessageTaken();
// The message being handled is an input report (touch or the mouse finger).
void noteInputReport();
// When the system took that report, on the preciseTimeUs clock (0: it does
// not say): its time to the strokes is counted from then, not from when the
// message was taken off the queue.
void noteReportTime(uint64_t us);
// A pass of the main loop begins.
void notePassStarted();
// A stroke went out, or the output refused one.
void noteStrokeSent();
// Whether a stroke went out in the pass now running.
bool strokesInThisPass();
void noteStrokeLost();
// A stroke went out that the system drops before it reaches the game.
void noteStrokeBlocked();
// After the scene's update: a report whose strokes went out gives its time.
void finishInputTiming();
// A frame reached the window; a frame drawn only for the health line does not
// count, so that an idle program settles at zero frames.
void noteFramePresented(bool counted);

// The last whole second's figures. Rolls the seconds on as the clock goes and
// asks for a pass at the next second while the figures are still changing.
HealthFigures healthFigures();

void resetHealth();
