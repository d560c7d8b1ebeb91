#include "controller/modes/play_mode.h"

#include "controller/modes/controller_state.h"
#include "controller/modes/overlay.h"
#include "controller/modes/scratch.h"
#include "engine/actions.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "touch/touch_table.h"

uint8_t PadPressed[MaxPads];
uint8_t fullScreen;

namespace {

void updatePads() {
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        const bool touched = padSprites[i] != nullptr && isTouched(*padSprites[i]);
        if (touched) {
            if (PadPressed[i] == 0) {
                sendKey(KeyScancodes[i], 1, KeyPrefixes[i]);
                PadPressed[i] = 1;
            }
        } else {
            if (PadPressed[i] != 0) {
                sendKey(KeyScancodes[i], 0, KeyPrefixes[i]);
            }
            PadPressed[i] = 0;
        }
    }
}

void updateScreenMode() {
    // The overlay is never active; its panel changes its mode.
    if (windowActive == 0 || ActionMap[ActionEnter].pressed == 0 || overlayState.on) {
        return;
    }
    // The window is active here: it keeps its activation through the change,
    // and takes the no-activate style when another window becomes active.
    if (fullScreen == 1) {
        setWindowedMode(mainWindow, 1280, 720);
    } else {
        setFullScreenMode(mainWindow);
    }
    fullScreen = fullScreen == 0 ? 1 : 0;
}

} // namespace

void updatePlayMode() {
    updatePads();
    updateScratch();
    updateScreenMode();
}
