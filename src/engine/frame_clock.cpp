#include "base/platform.h"
#include "engine/engine.h"

FrameClock frameClock = {};

void setFrameRate(int32_t framesPerSecond, int32_t spare) {
    // A rate below 1 would divide by zero; it is taken as 1 frame per second.
    if (framesPerSecond < 1) {
        framesPerSecond = 1;
    }
    frameClock.fps = framesPerSecond;
    frameClock.framePeriod = 1000 / framesPerSecond;
    frameClock.frameSpare = spare;
    frameClock.nextFrameTime = platform.timeMs();
}
