#include "base/health.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"

namespace {

// Of an input source, at most this many polls a pass (each with the scene's
// update), so that the window's messages still come in turn.
constexpr int32_t InputRoundsMost = 64;
// Presenting a frame takes milliseconds (under Wine, with its server and
// X, more): one begun just before a stroke's time holds the stroke back.
// Within this of a stroke's time the frame waits for the pass at that time,
// but a frame is never held back longer than FrameHeldMostUs.
constexpr uint64_t FrameGuardUs = 4000;
constexpr uint64_t FrameHeldMostUs = 50000;
uint64_t lastRenderUs = 0;

// A pass after its message step: input, the scene's update, then what can
// wait for the strokes.
void finishPass() {
    pollInput();
    SceneTable[currentScene].update();
    // What else of the input source is due now: each in a poll of its own,
    // the scene seeing every change.
    for (int32_t round = 1; round < InputRoundsMost && pollInputAgain(); ++round) {
        SceneTable[currentScene].update();
    }
    // The strokes are out: now what can wait for them.
    finishMouseCapture();
    keepWatchingSession();
    finishInputTiming();
    frameClock.nextFrameTime += static_cast<uint32_t>(frameClock.framePeriod);
    const uint64_t now = platform.preciseTimeUs();
    uint64_t strokeTime = 0;
    if (precisePassAsked(&strokeTime) && strokeTime < now + FrameGuardUs &&
        now - lastRenderUs < FrameHeldMostUs) {
        return; // the pass at the stroke's time renders
    }
    lastRenderUs = now;
    SceneTable[currentScene].render();
}

// Waits for input until the earliest pass asked for (nothing waits when it
// is due); whether input came.
bool waitUntilDue() {
    const uint32_t timeout = timeUntilPassDue();
    uint64_t preciseDeadline = 0;
    if (precisePassAsked(&preciseDeadline)) {
        const uint64_t now = platform.preciseTimeUs();
        if (preciseDeadline <= now) {
            return false;
        }
        if (timeout == WaitForever || preciseDeadline - now < uint64_t{timeout} * 1000) {
            return platform.waitForInputUntilUs(preciseDeadline);
        }
    }
    return timeout > 0 && platform.waitForInput(timeout);
}

} // namespace

void runModalPass() {
    passRequestsServed();
    notePassStarted();
    finishPass();
}

void runMainLoopPass() {
    // At most one message per pass. With none waiting and nothing due, sleep
    // until input comes or a pass that was asked for is due, instead of
    // running empty passes.
    int32_t taken = platform.takeMessage();
    if (taken == 0 && waitUntilDue()) {
        taken = platform.takeMessage();
    }
    // This pass serves every request made before it; handlers ask again for
    // what is still due.
    passRequestsServed();
    notePassStarted();
    // A quit message is dropped.
    if (taken > 0) {
        noteMessageTaken();
        platform.dispatchMessage();
    }
    finishPass();
}

void runMainLoop() {
    startEngine();
    while (currentScene != 0) {
        runMainLoopPass();
    }
}

void resetMainLoop() {
    resetPassRequests();
    lastRenderUs = 0;
}
