#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/health.h"
#include "engine/platform.h"

namespace {

bool passRequested = false;
uint32_t passDeadline = 0;

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

void runMainLoopPass() {
    // Nothing to do: sleep until input comes or a pass that was asked for is
    // due, instead of running empty passes.
    bool waiting = platform.peekMessage();
    if (!waiting) {
        const uint32_t timeout = timeUntilDue();
        if (timeout > 0) {
            waiting = platform.waitForInput(timeout) && platform.peekMessage();
        }
    }
    // This pass serves every request made before it; handlers ask again for
    // what is still due.
    passRequested = false;
    // At most one message per pass; quit (0) and errors (-1) are dropped.
    if (waiting) {
        const int32_t got = platform.getMessage();
        if (got > 0) {
            noteMessageTaken();
            platform.dispatchMessage();
        }
    }
    pollInput();
    SceneTable[currentScene].update();
    finishInputTiming();
    frameClock.nextFrameTime += static_cast<uint32_t>(frameClock.framePeriod);
    SceneTable[currentScene].render();
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
}
