#include "base/health.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"

namespace {

// A pass after its message step: input, the scene's update, then what can
// wait for the strokes.
void finishPass() {
    pollInput();
    SceneTable[currentScene].update();
    // The strokes are out: now what can wait for them.
    finishMouseCapture();
    keepWatchingSession();
    finishInputTiming();
    frameClock.nextFrameTime += static_cast<uint32_t>(frameClock.framePeriod);
    SceneTable[currentScene].render();
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
    if (taken == 0) {
        const uint32_t timeout = timeUntilPassDue();
        if (timeout > 0 && platform.waitForInput(timeout)) {
            taken = platform.takeMessage();
        }
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
}
