// Scratch tracking: a finger turned round the disc holds one of two keys.
#pragma once

#include "controller/layouts/layout.h"
#include "graphics/geometry.h"

#include <cstdint>

struct ScratchTracker {
    uint8_t tracking;
    double angle;
    Point touchPoint;
    double lowBound;
    double highBound;
    Point lowEnd;
    Point highEnd;
    uint8_t keyHeld[2]; // clockwise, counter-clockwise
};

enum ScratchDirection : int32_t { Clockwise = 0, CounterClockwise = 1, Stop = 2 };

constexpr double ScratchBandMargin = 0.05;
constexpr double ScratchMarkRadius = 463.0;

// One tracker a disc of the layout; ScratchState is the first disc's.
extern ScratchTracker ScratchTrackers[MaxDiscs];
extern ScratchTracker& ScratchState;
// Every disc's tracker back to none tracked.
void resetScratchTrackers();

// Every disc of the layout, in order.
void updateScratch();
// The first disc's keys; sendDiscScratch for any disc.
void sendScratch(ScratchDirection direction);
void sendDiscScratch(int32_t disc, ScratchDirection direction);
// The mark at the turntable's rim (463 pixels); markEndPointAt at a radius.
Point markEndPoint(Point centre, double angle);
Point markEndPointAt(Point centre, double angle, double radius);
