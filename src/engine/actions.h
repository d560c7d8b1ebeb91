// The engine's keyboard actions, polled from the global key state.
#pragma once

#include <cstdint>

struct InputAction {
    char name[32];
    char description[256];
    int32_t keys[1];
    int32_t held;
    int32_t pressed;
};

constexpr int32_t ActionCount = 7;
enum ActionNumber : int32_t {
    ActionUp = 0,
    ActionDown = 1,
    ActionLeft = 2,
    ActionRight = 3,
    ActionSpace = 4,
    ActionEnter = 5,
    ActionEsc = 6,
};

extern InputAction ActionMap[ActionCount];

void initActions();
// Refreshes held and pressed from the keyboard's state while the window is
// active; while it is not, every action reads as not held.
void pollActions();
// A key down now counts as held from before, not as pressed: Return that
// chose an item of a menu is still down when the menu's loop ends, and
// presses nothing until it is let go.
void holdActionsAsTheyAre();
// An input source besides the window's messages (the phone's page), which
// the scene above hands to the engine: whether what came from it waits to
// be filed, and the filing. Polled in each pass's input step.
struct InputSource {
    bool (*waiting)();
    void (*poll)();
    // Whether more of it is due now than the last poll filed: the pass
    // polls it again, with the scene's update after each (null: never).
    bool (*due)() = nullptr;
};
void setInputSource(InputSource source);

// The per-frame input poll: keyboard actions, the mouse, then the input
// source. What the source has waiting is not filed while the window's close
// waits in the queue: the close, a pass later, lets go of every key, and
// nothing that came after it was asked presses one.
void pollInput();
// After the scene's update: polls the input source again when more of it is
// due now; whether it did.
bool pollInputAgain();
