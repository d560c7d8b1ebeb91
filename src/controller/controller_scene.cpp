#include "controller/controller_scene.h"

#include "controller/controller_layout.h"
#include "controller/held_keys.h"
#include "controller/key_assignment.h"
#include "controller/play_mode.h"
#include "controller/scratch.h"
#include "engine/engine.h"
#include "engine/platform.h"
#include "engine/win_constants.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"

#include <cstring>

Image* whiteImage = nullptr;
Image* blueImage = nullptr;
Image* scratchImage = nullptr;
Sprite* padSprites[PadCount] = {};
Sprite* scratchDisc = nullptr;

int8_t KeyScancodes[PadCount] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x10, 0x11};
int8_t ScratchScancodes[ScratchKeyCount] = {0x1D, 0x2A};
unsigned short KeyPrefixes[PadCount] = {};
unsigned short ScratchPrefixes[ScratchKeyCount] = {};
ControllerMode controllerMode = AssignKeys;

namespace {

void deleteObjects() {
    for (Sprite*& pad : padSprites) {
        delete pad;
        pad = nullptr;
    }
    delete scratchDisc;
    scratchDisc = nullptr;
    delete whiteImage;
    whiteImage = nullptr;
    delete blueImage;
    blueImage = nullptr;
    delete scratchImage;
    scratchImage = nullptr;
}

void reportKeyboardProblem() {
    if (keyboardLibraryStatus == KeyboardLibraryReady) {
        platform.messageBox(nullptr, "keyboard not found", "error", win::MB_OK);
        return;
    }
    // Without the library no key can be captured or sent: play with the
    // default keys at once instead of waiting for keys that cannot come.
    char message[512];
    keyboardLibraryMessage(keyboardLibraryStatus, keyboardLibraryMissingCall, message,
                           sizeof message);
    platform.messageBox(nullptr, message, KeyboardLibraryCaption,
                        win::MB_OK | win::MB_ICONEXCLAMATION);
    controllerMode = Play;
}

} // namespace

void resetController() {
    deleteObjects();
    for (int32_t i = 0; i < PadCount; ++i) {
        KeyScancodes[i] = PadPlaces[i].defaultScancode;
        KeyPrefixes[i] = 0;
        PadPressed[i] = 0;
    }
    for (int32_t i = 0; i < ScratchKeyCount; ++i) {
        ScratchScancodes[i] = DefaultScratchScancodes[i];
        ScratchPrefixes[i] = 0;
    }
    controllerMode = AssignKeys;
    fullScreen = 0;
    ScratchState = ScratchTracker{};
    std::memset(statusText, 0, sizeof statusText);
    resetKeyboardOutput();
}

void enterController() {
    deleteObjects(); // an earlier entry's objects, if the scene was never left
    whiteImage = new Image("img/white.bmp");
    blueImage = new Image("img/blue.bmp");
    scratchImage = new Image("img/scratch.bmp");
    for (int32_t i = 0; i < PadCount; ++i) {
        const PadPlace& place = PadPlaces[i];
        padSprites[i] =
            new Sprite(place.blue ? blueImage : whiteImage, place.x, place.y, PadWidth, PadHeight);
    }
    scratchDisc = new Sprite(scratchImage, DiscX, DiscY, DiscSize, DiscSize);
    setFrameRate(1000, 4);
    if (!openKeyboardOutput()) {
        reportKeyboardProblem();
    }
}

void updateController() {
    if (controllerMode == AssignKeys) {
        assignKeys();
    } else if (controllerMode == Play) {
        updatePlayMode();
    }
}

void releaseController() {
    releaseHeldKeys();
}

void leaveController() {
    // No key may stay pressed in the system once the controller is gone, and
    // the mouse button counts as released.
    dropMouseFinger();
    releaseHeldKeys();
    deleteObjects();
    closeKeyboardOutput();
}
