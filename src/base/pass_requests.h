// Passes of the main loop asked for ahead of time: a service that waits for
// something (the phone's silence, the health figures' next second, a break
// to send again) asks for a pass by then, and the engine's loop, which
// sleeps while nothing comes, wakes for it.
#pragma once

#include <cstdint>

// Asks for a pass no later than timeMs (on the timeMs() clock), or delayMs
// from now, even if no input comes meanwhile. A request holds until the next
// pass starts; the earliest of several wins.
void requestPassBy(uint32_t timeMs);
void requestPassIn(uint32_t delayMs);
// Asks for a pass at timeUs on the preciseTimeUs clock, to the system
// timer's finest grain: a stroke waits for that time. Held as requestPassBy.
void requestPassAtUs(uint64_t timeUs);

// For the engine's loop: milliseconds until the earliest pass asked for, 0
// when it is due, WaitForever when none was asked for. The clock may wrap.
uint32_t timeUntilPassDue();
// For the engine's loop: whether a pass at a precise time was asked for,
// and the earliest such time.
bool precisePassAsked(uint64_t* timeUs);
// A pass starts: it serves every request made before it.
void passRequestsServed();

// No pass asked for, the deadlines at 0.
void resetPassRequests();
