#include "controller/scratch.h"

#include "controller/controller_scene.h"
#include "keyout/keyboard_output.h"
#include "touch/touch_table.h"

#include <cmath>

ScratchTracker ScratchState;

namespace {

// Toward zero, as a 32-bit integer; values beyond its range are held at it.
int32_t truncateToInt(double value) {
    if (!(value > -2147483649.0)) {
        return INT32_MIN;
    }
    if (!(value < 2147483648.0)) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

void press(int32_t entry) {
    if (ScratchState.keyHeld[entry] == 0) {
        sendKey(ScratchScancodes[entry], 1, ScratchPrefixes[entry]);
        ScratchState.keyHeld[entry] = 1;
    }
}

void release(int32_t entry) {
    if (ScratchState.keyHeld[entry] != 0) {
        sendKey(ScratchScancodes[entry], 0, ScratchPrefixes[entry]);
        ScratchState.keyHeld[entry] = 0;
    }
}

} // namespace

Point markEndPoint(Point centre, double angle) {
    return Point{
        truncateToInt(static_cast<double>(centre.x) + std::cos(angle) * ScratchMarkRadius),
        truncateToInt(static_cast<double>(centre.y) + std::sin(angle) * ScratchMarkRadius)};
}

void sendScratch(ScratchDirection direction) {
    switch (direction) {
    case Clockwise:
        release(CounterClockwise);
        press(Clockwise);
        break;
    case CounterClockwise:
        release(Clockwise);
        press(CounterClockwise);
        break;
    case Stop:
        release(Clockwise);
        release(CounterClockwise);
        break;
    default:
        break;
    }
}

void updateScratch() {
    ScratchTracker& s = ScratchState;
    const int32_t index = scratchDisc != nullptr ? touchIndexOn(*scratchDisc) : -1;
    if (index < 0 || index >= FingerCount) {
        s.tracking = 0;
        sendScratch(Stop);
        return;
    }
    const TouchSlot& finger = fingerAt(index);
    s.touchPoint = Point{finger.x, finger.y};
    const Point c = spriteCentre(*scratchDisc);
    const double dy = static_cast<double>(int64_t{s.touchPoint.y} - c.y);
    const double dx = static_cast<double>(int64_t{s.touchPoint.x} - c.x);
    s.angle = std::atan2(dy, dx);

    if (s.tracking == 0) {
        s.lowBound = s.angle - ScratchBandMargin;
        s.lowEnd = markEndPoint(c, s.lowBound);
        s.highBound = s.angle + ScratchBandMargin;
        s.highEnd = markEndPoint(c, s.highBound);
        s.tracking = 1;
        sendScratch(Stop);
        return;
    }
    if (s.angle > s.highBound) {
        sendScratch(Clockwise);
        if (s.angle - ScratchBandMargin > s.lowBound) {
            s.lowBound = s.angle - ScratchBandMargin;
        }
        s.lowEnd = markEndPoint(c, s.lowBound);
        s.highBound = s.lowBound;
        s.highEnd = markEndPoint(c, s.highBound);
    }
    if (s.lowBound > s.angle) {
        sendScratch(CounterClockwise);
        if (s.highBound > s.angle + ScratchBandMargin) {
            s.highBound = s.angle + ScratchBandMargin;
        }
        s.highEnd = markEndPoint(c, s.highBound);
        s.lowBound = s.highBound;
        s.lowEnd = markEndPoint(c, s.lowBound);
    }
}
