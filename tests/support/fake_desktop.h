// The system's input as Windows treats injected keys, for SendInput tests.
//
// While the input desktop is the lock screen or a UAC prompt's secure
// desktop, SendInput inserts nothing, sets ERROR_ACCESS_DENIED and returns
// the whole count (0 on some 64-bit Windows): Wine's winstation.c, run on
// Windows; and GetForegroundWindow is null for the program's thread, which
// is not on the input desktop. While it switches, SendInput says it inserted
// them, and they go to the desktop that is going. While the foreground
// window belongs to a process of a higher integrity level, UIPI drops every
// injected key and SendInput still says it inserted them. Otherwise the keys
// reach the game in the foreground, which holds what it got a make of.
//
// A scancode becomes its virtual key at each event, through the layout and
// the NumLock state (KEYBDINPUT: the virtual key "may alter depending on the
// current keyboard layout or what other keys were pressed"): numpad 7 is
// VK_NUMPAD7 with NumLock on, VK_HOME with it off. An event without
// KEYEVENTF_SCANCODE is the virtual key it names.
//
// The program learns of a new foreground from its WinEvent, which comes when
// its main thread next takes messages (Wine 8 never sends it), or when it
// looks (GetForegroundWindow answers with the truth at once): until then it
// sees the foreground of before. Setting foregroundProgram or
// elevatedForeground alone is a change whose event has not come.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

enum class InputDesktop { Default, Locked, SecureDesktop, Switching };

struct FakeDesktop {
    InputDesktop desktop = InputDesktop::Default;
    // SendInput's answer on another desktop: 0 instead of the count.
    bool refusesWithZero = false;
    bool elevatedForeground = false; // what UIPI goes by
    bool seenElevated = false;       // what the program last heard
    // The foreground window's program file: "" for Padrelle's own or none;
    // and the one the program last heard of.
    std::string foregroundProgram;
    std::string seenProgram;
    // The program of its content window where another process draws it (a
    // UWP app inside ApplicationFrameHost.exe's frame); "" for none.
    std::string foregroundContent;
    bool numLock = true;
    // The keys the game holds: scancode, 0x100 for the extended flag; and
    // the virtual keys it holds.
    std::set<uint32_t> gameHolds;
    std::set<uint32_t> gameHoldsVirtual;
    bool hooked = false;   // a low-level keyboard hook is set
    int32_t keysTyped = 0; // keys of the keyboard that reached the game, downs and ups
    int32_t sent = 0;      // events SendInput was given
    int32_t refused = 0;   // events SendInput did not insert
    int32_t dropped = 0;   // events inserted and not the game's (UIPI, Padrelle's own window)
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
// A key of the keyboard pressed or let go: the low-level hook, while one is
// set, sees it first and may keep it from the system; else the game gets it.
void typeKey(uint16_t scan, bool up, bool extended = false);
// What the game holds, as "2C" or "E0 4D", in order.
std::vector<std::string> gameHeldKeys();
