// The system's input as Windows treats injected keys, for SendInput tests.
//
// While the input desktop is the lock screen or a UAC prompt's secure
// desktop, SendInput inserts nothing and returns 0; while it switches, it
// says it inserted them, and they go to the desktop that is going (its page
// promises only that 0 means the input was blocked). While the foreground
// window belongs to a process of a higher integrity level, UIPI drops every
// injected key and SendInput still says it inserted them. Otherwise the keys
// reach the game in the foreground, which holds what it got a make of.
//
// The program learns of a new foreground only from its WinEvent, which comes
// when its main thread next takes messages: until foregroundEventDelivered(),
// it sees the foreground of before.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

enum class InputDesktop { Default, Locked, SecureDesktop, Switching };

struct FakeDesktop {
    InputDesktop desktop = InputDesktop::Default;
    bool elevatedForeground = false; // what UIPI goes by
    bool seenElevated = false;       // what the program last heard
    // The foreground window's program file: "" for Padrelle's own or none.
    // Asked for, it is the truth at once (GetForegroundWindow); only its
    // change is heard late.
    std::string foregroundProgram;
    // The keys the game holds: scancode, 0x100 for the extended flag.
    std::set<uint32_t> gameHolds;
    int32_t refused = 0; // events SendInput did not insert
    int32_t dropped = 0; // events inserted and dropped by UIPI
};

extern FakeDesktop fakeDesktop;

// Resets the model and fills systemInput's send and foregroundOutranksUs.
void installFakeDesktop();
// The foreground's WinEvent reaches the program, as the real hook's
// callback does: the foreground asked anew, input may reach the game.
void foregroundEventDelivered();
// A window of that program ("" for Padrelle's own) takes the foreground,
// and its WinEvent reaches the program.
void bringToFront(const std::string& program);
// What the game holds, as "2C" or "E0 4D", in order.
std::vector<std::string> gameHeldKeys();
