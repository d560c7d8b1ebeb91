// Scratch tracking: a finger turned round the disc holds one of two keys.
#pragma once

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

extern ScratchTracker ScratchState;

void updateScratch();
void sendScratch(ScratchDirection direction);
Point markEndPoint(Point centre, double angle);
