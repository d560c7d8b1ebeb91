// A recording fake of the keyboard-filter driver library.
//
// installFakeInterception() resets it and points every entry of the
// `interception` table at it. Waits and receives follow a script: each wait
// takes the front of waitResults (0, no device, when empty), each receive the
// front of receiveResults (result 0, no stroke, when empty). A timed wait
// with no filter set runs its time out on the fake platform's clock. Every
// call is recorded in order; sent strokes also in `sent`.
#pragma once

#include "keyout/interception_api.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct FakeStroke {
    InterceptionDevice device;
    unsigned short code;
    unsigned short state;
    unsigned int information;
};

struct FakeReceive {
    int result; // > 0: the stroke is taken
    InterceptionKeyStroke stroke;
};

struct FakeFilterCall {
    InterceptionPredicate predicate;
    InterceptionFilter filter;
};

struct FakeInterception {
    bool contextFails = false;            // create_context gives null (no driver)
    bool driverSilent = false;            // an older library without its driver: waits
                                          // answer at once with no device
    uint32_t hardwareIds = 0x7FEu;        // bit d: device d has a hardware id
    InterceptionDevice firstKeyboard = 1; // is_keyboard answers for this range
    InterceptionDevice lastKeyboard = 10;

    std::deque<InterceptionDevice> waitResults;
    std::deque<FakeReceive> receiveResults;

    std::vector<std::string> calls; // "create", "is_keyboard 3", "filter 1", "wait",
                                    // "receive 2", "send 2 0x002C 0x0000", "destroy"
    std::vector<FakeStroke> sent;
    std::vector<FakeFilterCall> filters;
    InterceptionFilter filter = 0; // the filter now in force
    int waits = 0;
    int receives = 0;
    int creates = 0;
    int destroys = 0;
    InterceptionContext destroyedContext = nullptr;

    // Called at the start of every wait, before its result is taken.
    std::function<void()> onWait;
    // Called with every stroke sent, before it is recorded; false refuses it.
    std::function<bool(const InterceptionKeyStroke&)> onSend;
};

extern FakeInterception fakeInterception;
// The handle create_context gives.
extern int fakeInterceptionContextObject;

void installFakeInterception();

// One stroke on a keyboard: a wait giving the device, then a receive taking
// the stroke.
void scriptStroke(InterceptionDevice device, unsigned short code, unsigned short state = 0,
                  unsigned int information = 0);
// One key pressed and let go: its make, then its break.
void scriptKeyPress(InterceptionDevice device, unsigned short code, unsigned short prefix = 0,
                    unsigned int information = 0);
// A wait giving the device, then a receive that takes nothing.
void scriptFailedReceive(InterceptionDevice device);

// The strokes sent, as "make 0x2C" / "break 0x2C" (with " e0"/" e1" for prefixes).
std::vector<std::string> sentStrokeNames();
