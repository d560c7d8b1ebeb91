#include "engine/window_proc.h"

#include "base/health.h"
#include "base/pass_requests.h"
#include "base/system_watches.h"
#include "base/win_constants.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/frame_pacing.h"
#include "engine/window_modes.h"
#include "touch/touch_message.h"
#include "touch/touch_table.h"

#include <iterator>

// No press-and-hold (it delays every touch until the system has decided it
// is no hold), no flicks, no pen feedback drawn over the pads.
const uint32_t SystemGesturesOff =
    win::TABLET_DISABLE_PRESSANDHOLD | win::TABLET_DISABLE_PENTAPFEEDBACK |
    win::TABLET_DISABLE_PENBARRELFEEDBACK | win::TABLET_DISABLE_FLICKS |
    win::TABLET_DISABLE_SMOOTHSCROLLING | win::TABLET_DISABLE_FLICKFALLBACKKEYS;

namespace {

// WINDOWPOS, as WM_WINDOWPOSCHANGED's lParam points at it.
struct WindowPlaced {
    WindowHandle window;
    WindowHandle insertAfter;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t flags;
};

// A mouse message's lParam holds the cursor's client position, two signed
// 16-bit numbers; with the mouse captured it may lie outside the window.
void noteCursor(intptr_t lParam) {
    mouseState.cursorX = static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF));
    mouseState.cursorY = static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
}

// Whether a mouse message comes from the mouse or a pen, which move the
// finger, rather than from a touch, whose finger is in the touch table.
bool fromMouseOrPen(intptr_t lParam) {
    if (madeFromTouch(platform.messageExtraInfo())) {
        return false;
    }
    noteCursor(lParam);
    return true;
}

// The mouse finger's button went down or up on the window.
void fingerButton(bool down) {
    noteInputReport();
    if (down) {
        mouseState.fingerHeld = 1;
        mouseState.captureWanted = 1;
        mouseState.fingerIsMouse =
            (platform.messageExtraInfo() & win::SIGNATURE_MASK) != win::MI_WP_SIGNATURE ? 1 : 0;
        mouseState.buttonCheckedMs = platform.timeMs();
        mouseState.dragBegunHere = 1;
        mouseState.dragIsMouse = mouseState.fingerIsMouse;
    } else {
        dropMouseFinger();
    }
}

// A contact cut off by the system says so with these; the session's input
// goes elsewhere and no release of what is held comes back.
bool sessionLeaves(uintptr_t change) {
    return change == win::WTS_SESSION_LOCK || change == win::WTS_CONSOLE_DISCONNECT ||
           change == win::WTS_REMOTE_DISCONNECT || change == win::WTS_SESSION_LOGOFF;
}

// ... and comes back: keys the system refused meanwhile may go now.
bool sessionComesBack(uintptr_t change) {
    return change == win::WTS_SESSION_UNLOCK || change == win::WTS_CONSOLE_CONNECT ||
           change == win::WTS_REMOTE_CONNECT || change == win::WTS_SESSION_LOGON;
}

// The session's changes are watched from the window's creation; early in a
// session the system cannot be asked yet, and is asked again.
struct SessionWatch {
    bool watched = false;
    int32_t tries = 0; // 0: not asked for (no window yet, or gone)
    uint32_t triedMs = 0;
};

SessionWatch sessionWatch;

void watchSession(WindowHandle window) {
    sessionWatch.watched = platform.watchSessionChanges(window, true);
    ++sessionWatch.tries;
    sessionWatch.triedMs = platform.timeMs();
    if (!sessionWatch.watched && sessionWatch.tries < SessionWatchTries) {
        requestPassIn(SessionWatchRetryMs);
    }
}

// Sleep, or only its display going off (a Modern Standby tablet may never
// say it sleeps): contacts are cut off as by a lock.
void powerChange(uintptr_t event, intptr_t lParam) {
    if (event == win::PBT_APMSUSPEND) {
        cancelAllInput();
    } else if (event == win::PBT_APMRESUMESUSPEND || event == win::PBT_APMRESUMEAUTOMATIC) {
        inputBackToScene();
    } else if (event == win::PBT_POWERSETTINGCHANGE) {
        const int32_t display = platform.consoleDisplayState(lParam);
        if (display == 0) {
            cancelAllInput();
        } else if (display == 1) {
            inputBackToScene();
        }
    }
}

// The window menu: the system's entries, then the scene's, as they are now.
void buildWindowMenu(WindowHandle window) {
    static WindowMenuEntry entries[256];
    const int32_t count = sceneWindowMenu(entries, static_cast<int32_t>(std::size(entries)));
    platform.setWindowMenu(window, entries, count);
}

// A command of the scene's entries: the window menu's own, or a popup
// menu's in it, which comes as WM_COMMAND under Wine.
bool sceneMenuCommand(uintptr_t command) {
    if (command < WindowMenuFirst || command >= WindowMenuEnd || (command & 0xF) != 0) {
        return false;
    }
    windowMenuChosen = command;
    requestPassIn(0);
    return true;
}

// The system's modal loops the window is in now (a title-bar drag, the
// window menu, a caption button held down; one may hold another). They run
// none of the main loop's passes and lose the thread messages that wake it:
// a timer keeps strokes, lifts, the phone's fingers and owed breaks going
// until the last ends. It ticks at the system's tick (about 15.6 ms, not
// the 10 ms asked), so a contact's message handled inside runs a pass at
// once.
int32_t modalLoops = 0;

void modalLoopBegins(WindowHandle window) {
    if (modalLoops++ == 0) {
        platform.setTimer(window, ModalPassTimer, ModalPassMs);
    }
}

// The key that ended the loop (Return choosing an item of the window menu,
// whatever the item) is still down: it presses nothing of the program's.
void modalLoopEnds(WindowHandle window) {
    if (modalLoops > 0 && --modalLoops == 0) {
        platform.killTimer(window, ModalPassTimer);
        holdActionsAsTheyAre();
        requestPassIn(0);
    }
}

// A contact's message handled: inside a modal loop its strokes go now.
intptr_t passInsideModalLoop(intptr_t result) {
    if (modalLoops > 0) {
        runModalPass();
    }
    return result;
}

} // namespace

WindowHandle mainWindow = nullptr;
uintptr_t windowMenuChosen = 0;
int32_t windowActive = 0;
WindowHandle windowLeftForUs = nullptr;
MouseState mouseState = {};
int32_t overlayAsked = 0;
int32_t editLayoutAsked = 0;

intptr_t mainWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    mainWindow = window;
    switch (message) {
    case win::WM_CREATE:
        noteSystemWatch(WatchTouch, platform.registerTouchWindow(window, win::TWF_WANTPALM));
        watchSession(window);
        buildWindowMenu(window);
        return 0;
    case win::WM_DESTROY:
        sessionWatch = SessionWatch{};
        platform.watchSessionChanges(window, false);
        stopEngine();
        platform.postQuitMessage(0);
        return 0;
    case win::WM_ACTIVATE:
        windowActive = (wParam & 0xFFFF) != win::WA_INACTIVE ? 1 : 0;
        if (windowActive == 0) {
            dropMouseFinger();
        } else {
            windowLeftForUs = reinterpret_cast<WindowHandle>(lParam);
        }
        // Whatever window is active keeps the focus when this one is clicked.
        allowActivation(window, windowActive != 0);
        // The default handling gives the active window the keyboard focus.
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_MOUSEACTIVATE:
        // A click or touch on the controller never takes the focus from the game.
        return win::MA_NOACTIVATE;
    case win::WM_POINTERACTIVATE:
        return win::PA_NOACTIVATE;
    case win::WM_ENTERSIZEMOVE:
    case win::WM_ENTERMENULOOP:
        modalLoopBegins(window);
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_EXITSIZEMOVE:
    case win::WM_EXITMENULOOP:
        modalLoopEnds(window);
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_NCLBUTTONDOWN: {
        // A caption button held down (minimise, maximise, close) is followed
        // in a loop of the default handling's own, which says nothing of it.
        modalLoopBegins(window);
        const intptr_t result = platform.defWindowProc(window, message, wParam, lParam);
        modalLoopEnds(window);
        return result;
    }
    case win::WM_TIMER:
        if (wParam == ModalPassTimer) {
            runModalPass();
            return 0;
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_POINTERCAPTURECHANGED:
        // The window lost a contact: "typically, no further notifications"
        // of that pointer follow, its up among them. Its finger lifts, and
        // no other: the message may come after an ordinary up, for a pointer
        // no finger has, and a phone's finger is no pointer of this window.
        liftFinger(static_cast<uint32_t>(wParam & 0xFFFF));
        requestPassIn(0);
        return passInsideModalLoop(platform.defWindowProc(window, message, wParam, lParam));
    case win::WM_LBUTTONDOWN:
        mouseState.leftHeld = 1;
        mouseState.leftDownLatch = 1;
        // The system also makes mouse messages from the first touch contact:
        // that finger is in the touch table already.
        if (fromMouseOrPen(lParam)) {
            fingerButton(true);
        }
        return passInsideModalLoop(0);
    case win::WM_LBUTTONUP:
        mouseState.leftHeld = 0;
        mouseState.dragBegunHere = 0;
        if (fromMouseOrPen(lParam)) {
            fingerButton(false);
        }
        return passInsideModalLoop(0);
    case win::WM_MOUSEMOVE:
        if ((wParam & win::MK_LBUTTON) == 0) {
            mouseState.dragBegunHere = 0;
        }
        if (fromMouseOrPen(lParam) && mouseState.fingerHeld != 0) {
            noteInputReport();
            // The button went up where this window did not hear it.
            if ((wParam & win::MK_LBUTTON) == 0) {
                dropMouseFinger();
            }
        } else if (mouseState.dragBegunHere != 0 && isOverlay(window) && fromMouseOrPen(lParam)) {
            // Over the game the window is not in the foreground, and its
            // capture follows only its visible part: a mouse or pen held down
            // on one pad lost the window on the way to the next, and comes
            // back over it with the button still down. It slides on as a
            // finger does; a drag begun in the game does not.
            fingerButton(true);
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_MOUSELEAVE:
        if (mouseState.fingerHeld != 0) {
            noteInputReport();
            dropMouseFinger();
        }
        return passInsideModalLoop(0);
    case win::WM_CAPTURECHANGED:
        // The mouse went elsewhere: its button counts as released.
        if (reinterpret_cast<WindowHandle>(lParam) != window) {
            dropMouseFinger();
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_CANCELMODE:
        cancelAllInput();
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_WTSSESSION_CHANGE:
        if (sessionLeaves(wParam)) {
            cancelAllInput();
        } else if (sessionComesBack(wParam)) {
            inputBackToScene();
        }
        return 0;
    case win::WM_DESKTOP_SWITCHED:
        // To a UAC prompt or the lock screen: the contacts are cut off and
        // their ups never come. Back: what was refused meanwhile may go.
        cancelAllInput();
        inputBackToScene();
        return 0;
    case win::WM_POWERBROADCAST:
        powerChange(wParam, lParam);
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_DISPLAYCHANGE:
        fitWindowToMonitor(window, nullptr);
        repaintWindow();
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_DPICHANGED:
        // The system's suggested window rectangle for the new DPI in lParam.
        fitWindowToMonitor(window, reinterpret_cast<const WinRect*>(lParam));
        repaintWindow();
        return 0;
    case win::WM_RBUTTONDOWN:
        mouseState.rightHeld = 1;
        mouseState.rightDownLatch = 1;
        fromMouseOrPen(lParam);
        return 0;
    case win::WM_RBUTTONUP:
        mouseState.rightHeld = 0;
        fromMouseOrPen(lParam);
        return 0;
    case win::WM_ENDSESSION:
        // The session ends and the process may be ended as soon as this
        // returns: the scene is left now, as at a close (no key stays down,
        // what is remembered is saved), and the main loop ends after it.
        if (wParam != 0) {
            releaseScene();
            stopEngine();
        }
        return 0;
    case win::WM_SYSCOMMAND:
        if ((wParam & win::SC_COMMAND_MASK) == OverlayMenuCommand) {
            overlayAsked = 1;
            return 0;
        }
        if ((wParam & win::SC_COMMAND_MASK) == EditLayoutMenuCommand) {
            editLayoutAsked = 1;
            return 0;
        }
        if (sceneMenuCommand(wParam & win::SC_COMMAND_MASK)) {
            return 0;
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_COMMAND:
        // From a menu (not a control, not an accelerator).
        if (lParam == 0 && (wParam >> 16) == 0 && sceneMenuCommand(wParam & 0xFFFF)) {
            return 0;
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_INITMENU:
        buildWindowMenu(window);
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_TABLET_QUERYSYSTEMGESTURESTATUS:
        return static_cast<intptr_t>(SystemGesturesOff);
    case win::WM_TOUCH:
        return passInsideModalLoop(handleTouchMessage(window, wParam, lParam));
    case win::WM_SHOWWINDOW:
        // Hidden by another program (ShowWindow): its contacts end there.
        if (wParam == 0) {
            dropWindowContacts();
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_WINDOWPOSCHANGED:
        // Hidden by SetWindowPos, which sends no WM_SHOWWINDOW.
        if (lParam != 0 &&
            (reinterpret_cast<const WindowPlaced*>(lParam)->flags & win::SWP_HIDEWINDOW) != 0) {
            dropWindowContacts();
        }
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_SIZE:
        // Minimised by Windows (Win+M, Win+D, the taskbar button).
        if (wParam == win::SIZE_MINIMIZED) {
            dropWindowContacts();
        }
        repaintWindow();
        return platform.defWindowProc(window, message, wParam, lParam);
    case win::WM_PAINT:
        // The window's picture is gone or no longer fits: the next frame is
        // drawn whole. The default handling validates the window.
        repaintWindow();
        return platform.defWindowProc(window, message, wParam, lParam);
    default:
        return platform.defWindowProc(window, message, wParam, lParam);
    }
}

bool insideModalLoop() {
    return modalLoops > 0;
}

bool madeFromTouch(uintptr_t extraInfo) {
    const auto info = static_cast<uint32_t>(extraInfo);
    return (info & win::SIGNATURE_MASK) == win::MI_WP_SIGNATURE && (info & win::MI_TOUCH_BIT) != 0;
}

void dropWindowContacts() {
    liftScreenFingers();
    dropMouseFinger();
    requestPassIn(0);
}

void cancelAllInput() {
    liftAllFingers();
    dropMouseFinger();
    mouseState.dragBegunHere = 0;
    releaseScene();
}

void dropMouseFinger() {
    mouseState.fingerHeld = 0;
    mouseState.fingerIsMouse = 0;
    mouseState.captureWanted = 0;
    if (mouseState.captured != 0) {
        mouseState.captured = 0;
        platform.releaseCapture();
    }
}

void finishMouseCapture() {
    if (mouseState.captureWanted != 0) {
        mouseState.captureWanted = 0;
        mouseState.captured = 1;
        // A window that is not the foreground window gets no mouse message
        // from outside itself, captured or not: the release may happen out
        // there. Its leaving is what it hears of that.
        platform.trackMouseLeave(mainWindow);
        platform.setCapture(mainWindow);
    }
}

void keepWatchingSession() {
    if (sessionWatch.tries == 0 || sessionWatch.watched || mainWindow == nullptr ||
        sessionWatch.tries >= SessionWatchTries) {
        return;
    }
    if (platform.timeMs() - sessionWatch.triedMs >= SessionWatchRetryMs) {
        watchSession(mainWindow);
    } else {
        requestPassBy(sessionWatch.triedMs + SessionWatchRetryMs);
    }
}

bool sessionWatched() {
    return sessionWatch.watched;
}

void resetWindowState() {
    sessionWatch = SessionWatch{};
    modalLoops = 0;
    mainWindow = nullptr;
    windowActive = 0;
    windowLeftForUs = nullptr;
    mouseState = MouseState{};
    overlayAsked = 0;
    editLayoutAsked = 0;
    windowMenuChosen = 0;
}
