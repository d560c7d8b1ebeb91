// The window procedure's portable half and the mouse state.
#pragma once

#include "base/platform.h"

#include <cstdint>

struct MouseState {
    int32_t x; // logical position of the cursor as of the last poll
    int32_t y;
    int32_t leftHeld;
    int32_t leftPressed;
    int32_t leftDownLatch;
    int32_t rightHeld;
    int32_t rightPressed;
    int32_t rightDownLatch;
    WinRect clientRect;
    int32_t clientWidth;
    int32_t clientHeight;
    // 1 while the left button of a mouse or pen (not one the system made from
    // a touch) is held on the window: the mouse finger.
    int32_t fingerHeld;
    // The cursor's client position as the last mouse message gave it.
    int32_t cursorX;
    int32_t cursorY;
    // The window is to hold the mouse while the finger's button is held, and
    // holds it.
    int32_t captureWanted;
    int32_t captured;
    // The finger is the mouse's own (not a pen's): its button can be asked
    // for, and is, every ButtonCheckMs while it is held.
    int32_t fingerIsMouse;
    uint32_t buttonCheckedMs;
    // The button went down on this window and has not been seen up since:
    // the drag is this window's, and it may slide back on after leaving.
    // One begun elsewhere (in the game) presses nothing here.
    int32_t dragBegunHere;
    int32_t dragIsMouse;
};

// How often the mouse's button is asked for while the mouse finger is held:
// its release may happen where no message of it reaches this window.
constexpr uint32_t ButtonCheckMs = 100;

// The answer to WM_TABLET_QUERYSYSTEMGESTURESTATUS.
extern const uint32_t SystemGesturesOff;

extern WindowHandle mainWindow;
extern int32_t windowActive;
// The window that was active before this one last became so (WM_ACTIVATE's
// lParam; null when the system did not say): the game, most often, which
// gets the foreground back when this window hides itself while active.
extern WindowHandle windowLeftForUs;
extern MouseState mouseState;
// Set when the player chose "Over the game" in the window menu; the scene
// takes it and clears it.
extern int32_t overlayAsked;
// That command's number in the window menu (below the system's 0xF000).
constexpr uintptr_t OverlayMenuCommand = 0x0100;
constexpr const char* OverlayMenuText = "Over the game";
// Set when the player chose "Edit layout" in the window menu, the same way.
extern int32_t editLayoutAsked;
constexpr uintptr_t EditLayoutMenuCommand = 0x0110;
constexpr const char* EditLayoutMenuText = "Edit layout";

// The scene's commands in the window menu (its entries from
// sceneWindowMenu): the last one chosen (0: none), for the scene to take and
// clear. Their numbers lie from WindowMenuFirst to before WindowMenuEnd.
extern uintptr_t windowMenuChosen;
constexpr uintptr_t WindowMenuFirst = 0x0100;
constexpr uintptr_t WindowMenuEnd = 0x1000;
// Whether a modal loop of the system's runs now (a title-bar drag, the
// window menu, a caption button held down): a key pressed meanwhile is the
// loop's, not the program's.
bool insideModalLoop();

// Acts on one window message as the engine's window procedure does; gives
// the message's result. The Win32 mainWindowProc forwards here.
intptr_t mainWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);

// Refreshes the mouse state and puts the mouse finger at the cursor's
// logical position while its button is held. The cursor's position is the
// one the window's last mouse message carried: asking the system for it
// costs more than a whole pass under some systems.
void pollMouse();
// The mouse finger's button counts as up from now on, and the window lets go
// of the mouse.
void dropMouseFinger();
// Takes the mouse for the window once the finger's button went down, so that
// its release comes here wherever it happens, and asks to hear when the
// cursor leaves the window; called after the pass's strokes, which need not
// wait for either.
void finishMouseCapture();
// The window's contacts end without their ups (it was hidden or minimised):
// every touch finger on it and the mouse finger lift, the phone's stay, and
// their keys go up in the next pass.
void dropWindowContacts();
// The system says that no input goes on as it was (the secure desktop, a
// lock, sleep, a session switch, a cancelled mode): every finger lifts, the
// mouse finger too, and the scene lets go of its keys at once.
void cancelAllInput();
// True for the extra information of a mouse message made from a touch.
bool madeFromTouch(uintptr_t extraInfo);

void resetWindowState();
// Asks the system again for the session's changes while it could not be
// asked (every SessionWatchRetryMs, SessionWatchTries times in all); called
// every pass.
void keepWatchingSession();
bool sessionWatched();
constexpr uint32_t SessionWatchRetryMs = 2000;
constexpr int32_t SessionWatchTries = 150;
