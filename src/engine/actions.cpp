#include "engine/actions.h"

#include "base/platform.h"
#include "base/win_constants.h"
#include "engine/window_proc.h"
#include "touch/touch_table.h"

#include <cstring>

InputAction ActionMap[ActionCount];

namespace {

InputSource inputSource = {};
// This pass's poll found the window's close asked: the source waits.
bool closeAsked = false;

struct ActionBinding {
    const char* name;
    const char* description;
    int32_t key;
};

constexpr ActionBinding bindings[ActionCount] = {
    {"UP", "jump and up", win::VK_UP},   {"DOWN", "down", win::VK_DOWN},
    {"LEFT", "move left", win::VK_LEFT}, {"RIGHT", "move right", win::VK_RIGHT},
    {"SPACE", "punch", win::VK_SPACE},   {"ENTER", "enter", win::VK_RETURN},
    {"ESC", "esc", win::VK_ESCAPE},
};

} // namespace

void initActions() {
    std::memset(ActionMap, 0, sizeof ActionMap);
    for (int32_t i = 0; i < ActionCount; ++i) {
        std::strncpy(ActionMap[i].name, bindings[i].name, sizeof ActionMap[i].name - 1);
        std::strncpy(ActionMap[i].description, bindings[i].description,
                     sizeof ActionMap[i].description - 1);
        ActionMap[i].keys[0] = bindings[i].key;
    }
}

void pollActions() {
    // Only the active window acts on its keys, so the keyboard is asked only
    // then: while a game has the focus, every pass skips the question.
    const bool asked = windowActive != 0;
    for (InputAction& action : ActionMap) {
        const bool wasHeld = action.held != 0;
        action.held = 0;
        for (int32_t key : action.keys) {
            if (!asked) {
                break;
            }
            if (action.held != 0) {
                break;
            }
            if ((static_cast<uint16_t>(platform.asyncKeyState(key)) & 0x8000u) != 0) {
                action.held = 1;
            }
        }
        action.pressed = (!wasHeld && action.held != 0 && !insideModalLoop()) ? 1 : 0;
    }
}

void holdActionsAsTheyAre() {
    pollActions();
    for (InputAction& action : ActionMap) {
        action.pressed = 0;
    }
}

void setInputSource(InputSource source) {
    inputSource = source;
}

void pollInput() {
    pollActions();
    pollMouse();
    closeAsked = inputSource.poll != nullptr && inputSource.waiting() && platform.closeQueued();
    if (inputSource.poll != nullptr && !closeAsked) {
        inputSource.poll();
    }
}

bool pollInputAgain() {
    if (closeAsked || inputSource.due == nullptr || !inputSource.due()) {
        return false;
    }
    inputSource.poll();
    return true;
}
