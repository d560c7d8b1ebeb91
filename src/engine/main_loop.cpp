#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/platform.h"

void runMainLoopPass() {
    // At most one message per pass; quit (0) and errors (-1) are dropped.
    if (platform.peekMessage()) {
        if (platform.getMessage() > 0) {
            platform.dispatchMessage();
        }
    }
    pollInput();
    SceneTable[currentScene].update();
    frameClock.nextFrameTime += static_cast<uint32_t>(frameClock.framePeriod);
    SceneTable[currentScene].render();
}

void runMainLoop() {
    startEngine();
    while (currentScene != 0) {
        runMainLoopPass();
    }
}
