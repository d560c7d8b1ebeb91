#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/health.h"
#include "engine/platform.h"
#include "engine/window_proc.h"

namespace {

bool passRequested = false;
uint32_t passDeadline = 0;
bool precisePassRequested = false;
uint64_t precisePassDeadline = 0;
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

// Milliseconds until the earliest pass asked for: 0 when it is due,
// WaitForever when none was asked for. The clock may wrap.
uint32_t timeUntilDue() {
    if (!passRequested) {
        return WaitForever;
    }
    const auto left = static_cast<int32_t>(passDeadline - platform.timeMs());
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

} // namespace

void requestPassBy(uint32_t timeMs) {
    if (!passRequested || static_cast<int32_t>(timeMs - passDeadline) < 0) {
        passDeadline = timeMs;
        passRequested = true;
    }
}

void requestPassIn(uint32_t delayMs) {
    requestPassBy(platform.timeMs() + delayMs);
}

void requestPassAtUs(uint64_t timeUs) {
    if (!precisePassRequested || timeUs < precisePassDeadline) {
        precisePassDeadline = timeUs;
        precisePassRequested = true;
    }
}

namespace {

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
    if (precisePassRequested && precisePassDeadline < now + FrameGuardUs &&
        now - lastRenderUs < FrameHeldMostUs) {
        return; // the pass at the stroke's time renders
    }
    lastRenderUs = now;
    SceneTable[currentScene].render();
}

} // namespace

// Waits for input until the earliest pass asked for (nothing waits when it
// is due); whether input came.
bool waitUntilDue() {
    const uint32_t timeout = timeUntilDue();
    if (precisePassRequested) {
        const uint64_t now = platform.preciseTimeUs();
        if (precisePassDeadline <= now) {
            return false;
        }
        if (timeout == WaitForever || precisePassDeadline - now < uint64_t{timeout} * 1000) {
            return platform.waitForInputUntilUs(precisePassDeadline);
        }
    }
    return timeout > 0 && platform.waitForInput(timeout);
}

void runModalPass() {
    passRequested = false;
    precisePassRequested = false;
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
    passRequested = false;
    precisePassRequested = false;
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
    passRequested = false;
    passDeadline = 0;
    precisePassRequested = false;
    precisePassDeadline = 0;
    lastRenderUs = 0;
}
