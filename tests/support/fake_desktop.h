// The system's input as Windows treats injected keys, for SendInput tests.
//
// While the input desktop is the lock screen or a UAC prompt's secure
// desktop, SendInput inserts nothing and returns 0. While the foreground
// window belongs to a process of a higher integrity level, UIPI drops every
// injected key and SendInput still says it inserted them. Otherwise the keys
// reach the game in the foreground, which holds what it got a make of.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

enum class InputDesktop { Default, Locked, SecureDesktop };

struct FakeDesktop {
    InputDesktop desktop = InputDesktop::Default;
    bool elevatedForeground = false;
    // The keys the game holds: scancode, 0x100 for the extended flag.
    std::set<uint32_t> gameHolds;
    int32_t refused = 0; // events SendInput did not insert
    int32_t dropped = 0; // events inserted and dropped by UIPI
};

extern FakeDesktop fakeDesktop;

// Resets the model and fills systemInput's send and foregroundOutranksUs.
void installFakeDesktop();
// What the game holds, as "2C" or "E0 4D", in order.
std::vector<std::string> gameHeldKeys();
