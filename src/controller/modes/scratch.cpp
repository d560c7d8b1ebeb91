#include "controller/modes/scratch.h"

#include "controller/modes/controller_state.h"
#include "keyout/keyboard_output.h"
#include "touch/touch_table.h"

#include <cmath>

ScratchTracker ScratchTrackers[MaxDiscs];

void resetScratchTrackers() {
    for (ScratchTracker& tracker : ScratchTrackers) {
        tracker = ScratchTracker{};
    }
}
ScratchTracker& ScratchState = ScratchTrackers[0];

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

void press(int32_t disc, int32_t entry) {
    uint8_t& held = ScratchTrackers[disc].keyHeld[entry];
    if (held == 0) {
        const int32_t key = disc * ScratchKeyCount + entry;
        sendKey(ScratchScancodes[key], 1, ScratchPrefixes[key]);
        held = 1;
    }
}

void release(int32_t disc, int32_t entry) {
    uint8_t& held = ScratchTrackers[disc].keyHeld[entry];
    if (held != 0) {
        const int32_t key = disc * ScratchKeyCount + entry;
        sendKey(ScratchScancodes[key], 0, ScratchPrefixes[key]);
        held = 0;
    }
}

} // namespace

Point markEndPointAt(Point centre, double angle, double radius) {
    return Point{truncateToInt(static_cast<double>(centre.x) + std::cos(angle) * radius),
                 truncateToInt(static_cast<double>(centre.y) + std::sin(angle) * radius)};
}

Point markEndPoint(Point centre, double angle) {
    return markEndPointAt(centre, angle, ScratchMarkRadius);
}

void sendDiscScratch(int32_t disc, ScratchDirection direction) {
    if (disc < 0 || disc >= MaxDiscs) {
        return;
    }
    switch (direction) {
    case Clockwise:
        release(disc, CounterClockwise);
        press(disc, Clockwise);
        break;
    case CounterClockwise:
        release(disc, Clockwise);
        press(disc, CounterClockwise);
        break;
    case Stop:
        release(disc, Clockwise);
        release(disc, CounterClockwise);
        break;
    default:
        break;
    }
}

void sendScratch(ScratchDirection direction) {
    sendDiscScratch(0, direction);
}

namespace {

void updateDisc(int32_t disc) {
    ScratchTracker& s = ScratchTrackers[disc];
    const Sprite* sprite = scratchDiscs[disc];
    const int32_t index = sprite != nullptr ? touchIndexOn(*sprite) : -1;
    if (index < 0 || index >= FingerCount) {
        s.tracking = 0;
        sendDiscScratch(disc, Stop);
        return;
    }
    const TouchSlot& finger = fingerAt(index);
    s.touchPoint = Point{finger.x, finger.y};
    const Point c = spriteCentre(*sprite);
    const double band = controllerLayout.discs[disc].deadBand;
    const double rim = sprite->w / 2;
    const double dy = static_cast<double>(int64_t{s.touchPoint.y} - c.y);
    const double dx = static_cast<double>(int64_t{s.touchPoint.x} - c.x);
    s.angle = std::atan2(dy, dx);

    if (s.tracking == 0) {
        s.lowBound = s.angle - band;
        s.lowEnd = markEndPointAt(c, s.lowBound, rim);
        s.highBound = s.angle + band;
        s.highEnd = markEndPointAt(c, s.highBound, rim);
        s.tracking = 1;
        sendDiscScratch(disc, Stop);
        return;
    }
    if (s.angle > s.highBound) {
        sendDiscScratch(disc, Clockwise);
        if (s.angle - band > s.lowBound) {
            s.lowBound = s.angle - band;
        }
        s.lowEnd = markEndPointAt(c, s.lowBound, rim);
        s.highBound = s.lowBound;
        s.highEnd = markEndPointAt(c, s.highBound, rim);
    }
    if (s.lowBound > s.angle) {
        sendDiscScratch(disc, CounterClockwise);
        if (s.highBound > s.angle + band) {
            s.highBound = s.angle + band;
        }
        s.highEnd = markEndPointAt(c, s.highBound, rim);
        s.lowBound = s.highBound;
        s.lowEnd = markEndPointAt(c, s.lowBound, rim);
    }
}

} // namespace

void updateScratch() {
    for (int32_t disc = 0; disc < controllerLayout.discCount && disc < MaxDiscs; ++disc) {
        updateDisc(disc);
    }
}
