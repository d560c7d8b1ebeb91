// The window procedure's message table and the mouse state.
#include "base/win_constants.h"
#include "engine/engine.h"
#include "engine/frame_pacing.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"
#include "touch/touch_table.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <climits>

namespace {

// The cursor's client position as a mouse message carries it.
intptr_t at(int32_t x, int32_t y) {
    return static_cast<intptr_t>(static_cast<uint16_t>(x)) |
           static_cast<intptr_t>(static_cast<uint16_t>(y)) << 16;
}

int leaves = 0;
void countLeave() {
    ++leaves;
}

class WindowProc : public ::testing::Test {
  protected:
    void SetUp() override {
        resetEngine();
        resetWindowState();
        installFakePlatform();
        leaves = 0;
    }
    void TearDown() override {
        resetEngine();
        resetPlatform();
    }
    WindowHandle window = reinterpret_cast<WindowHandle>(0x1234);
};

TEST_F(WindowProc, DestroyLeavesTheSceneOnceAndPostsQuit) {
    SceneTable[1] = {sceneNoOp, sceneNoOp, sceneNoOp, countLeave, sceneNoOp, sceneNoOp};
    switchScene(1);
    EXPECT_EQ(mainWindowMessage(window, win::WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(currentScene, 0);
    EXPECT_EQ(fakePlatform.quitCodes, (std::vector<int32_t>{0}));
}

TEST_F(WindowProc, ActivationFlagAndTheDefaultHandlingThatGivesTheKeyboardFocus) {
    mainWindowMessage(window, win::WM_ACTIVATE, win::WA_CLICKACTIVE, 0);
    EXPECT_EQ(windowActive, 1);
    mainWindowMessage(window, win::WM_ACTIVATE, win::WA_INACTIVE | 0x10000, 0);
    EXPECT_EQ(windowActive, 0);
    mainWindowMessage(window, win::WM_ACTIVATE, win::WA_ACTIVE, 0);
    EXPECT_EQ(windowActive, 1);
    // Without the default handling an active window has no keyboard focus:
    // every key pressed in it beeps.
    ASSERT_EQ(fakePlatform.defaultHandled.size(), 3u);
    for (const FakeMessage& m : fakePlatform.defaultHandled) {
        EXPECT_EQ(m.message, win::WM_ACTIVATE);
    }
}

TEST_F(WindowProc, CreateAndDestroyWatchTheSessionAndStopWatching) {
    mainWindowMessage(window, win::WM_CREATE, 0, 0);
    mainWindowMessage(window, win::WM_DESTROY, 0, 0);
    EXPECT_EQ(fakePlatform.calls, (std::vector<std::string>{"registerTouchWindow 0x00000002",
                                                            "watchSession", "unwatchSession"}));
}

// Early in a session WTSRegisterSessionNotification fails until the
// session's services are ready: it is asked again, and no more once it works.
TEST_F(WindowProc, ASessionThatCannotBeWatchedYetIsAskedAgainUntilItIs) {
    const auto watches = [] {
        return std::count(fakePlatform.calls.begin(), fakePlatform.calls.end(), "watchSession");
    };
    fakePlatform.sessionServicesReady = false;
    mainWindowMessage(window, win::WM_CREATE, 0, 0);
    EXPECT_EQ(watches(), 1);
    EXPECT_FALSE(sessionWatched());
    fakePlatform.time += SessionWatchRetryMs - 1;
    keepWatchingSession();
    EXPECT_EQ(watches(), 1);
    fakePlatform.time += 1;
    keepWatchingSession();
    EXPECT_EQ(watches(), 2);
    fakePlatform.sessionServicesReady = true;
    fakePlatform.time += SessionWatchRetryMs;
    keepWatchingSession();
    EXPECT_EQ(watches(), 3);
    EXPECT_TRUE(sessionWatched());
    fakePlatform.time += 10 * SessionWatchRetryMs;
    keepWatchingSession();
    EXPECT_EQ(watches(), 3);
    // Never ready: the asking ends after its tries.
    resetWindowState();
    fakePlatform.sessionServicesReady = false;
    mainWindowMessage(window, win::WM_CREATE, 0, 0);
    for (int32_t i = 0; i < 2 * SessionWatchTries; ++i) {
        fakePlatform.time += SessionWatchRetryMs;
        keepWatchingSession();
    }
    EXPECT_EQ(watches(), 3 + SessionWatchTries);
}

TEST_F(WindowProc, OtherMessagesTakeTheDefaultPath) {
    EXPECT_EQ(mainWindowMessage(window, win::WM_CLOSE, 1, 2), 77);
    EXPECT_EQ(mainWindow, window); // every message sets the window's handle
    ASSERT_EQ(fakePlatform.defaultHandled.size(), 1u);
    EXPECT_EQ(fakePlatform.defaultHandled[0].message, win::WM_CLOSE);
    EXPECT_EQ(fakePlatform.defaultHandled[0].wParam, 1u);
    EXPECT_EQ(fakePlatform.defaultHandled[0].lParam, 2);
}

// The window menu's "Over the game" is kept for the scene (the system's
// four low bits of wParam aside); every other command is the system's.
TEST_F(WindowProc, TheWindowMenusOverTheGameIsKeptForTheScene) {
    const uintptr_t SystemClose = 0xF060;
    EXPECT_EQ(mainWindowMessage(window, win::WM_SYSCOMMAND, SystemClose, 0), 77);
    EXPECT_EQ(overlayAsked, 0);
    EXPECT_EQ(mainWindowMessage(window, win::WM_SYSCOMMAND, OverlayMenuCommand | 0x3, 0), 0);
    EXPECT_EQ(overlayAsked, 1);
    ASSERT_EQ(fakePlatform.defaultHandled.size(), 1u);
    EXPECT_EQ(fakePlatform.defaultHandled[0].wParam, SystemClose);
    resetWindowState();
    EXPECT_EQ(overlayAsked, 0);
}

TEST_F(WindowProc, AClickOrTwoDownsBetweenPollsGiveOnePressedFrame) {
    mainWindowMessage(window, win::WM_LBUTTONDOWN, 0, 0);
    mainWindowMessage(window, win::WM_LBUTTONUP, 0, 0);
    pollMouse();
    EXPECT_EQ(mouseState.leftHeld, 0);
    EXPECT_EQ(mouseState.leftPressed, 1);
    pollMouse();
    EXPECT_EQ(mouseState.leftPressed, 0);
    mainWindowMessage(window, win::WM_RBUTTONDOWN, 0, 0);
    mainWindowMessage(window, win::WM_RBUTTONDOWN, 0, 0);
    pollMouse();
    EXPECT_EQ(mouseState.rightPressed, 1);
    EXPECT_EQ(mouseState.rightHeld, 1);
    pollMouse();
    EXPECT_EQ(mouseState.rightPressed, 0);
    EXPECT_EQ(mouseState.rightHeld, 1);
    mainWindowMessage(window, win::WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(mouseState.rightHeld, 0);
}

TEST_F(WindowProc, MouseIsStretchedToTheLogicalScreen) {
    const struct {
        WinRect client;
        int32_t x, y;
        int32_t logicalX, logicalY;
    } cases[] = {
        {{0, 0, 1280, 720}, 100, 50, 100, 50},
        {{0, 0, 640, 360}, 100, 50, 200, 100},
        {{0, 0, 640, 360}, -10, 50, -20, 100},   // captured, left of the window
        {{0, 0, 1920, 1080}, 1919, -1, 1279, 0}, // 1919 x 0.6666667f; -0.67 toward zero
        {{0, 0, 0, 0}, 500, 500, 0, 0},          // minimised: no stretch
        {{10, 10, 0, 0}, 500, 500, 0, 0},        // inverted
        {{0, 0, 1, 1}, 32767, -32768, 32767 * 1280, -32768 * 720},
    };
    for (const auto& c : cases) {
        fakePlatform.client = c.client;
        mainWindowMessage(window, win::WM_MOUSEMOVE, 0, at(c.x, c.y));
        pollMouse();
        EXPECT_EQ(mouseState.x, c.logicalX) << c.x << "," << c.y;
        EXPECT_EQ(mouseState.y, c.logicalY) << c.x << "," << c.y;
    }
}

TEST_F(WindowProc, FailedClientReadKeepsTheLastGoodSize) {
    fakePlatform.client = {0, 0, 640, 360};
    pollMouse();
    fakePlatform.clientRectFails = true;
    mainWindowMessage(window, win::WM_MOUSEMOVE, 0, at(10, 0));
    pollMouse();
    EXPECT_EQ(mouseState.clientWidth, 640);
    EXPECT_EQ(mouseState.x, 20);
}

constexpr uintptr_t FromTouch = 0xFF515780u;
constexpr uintptr_t FromPen = 0xFF515700u;

TEST_F(WindowProc, TheMouseAndThePenAreAFingerTouchMadeMouseMessagesAreNot) {
    fakePlatform.extraInfo = FromTouch;
    mainWindowMessage(window, win::WM_LBUTTONDOWN, 0, at(100, 50));
    EXPECT_EQ(mouseState.fingerHeld, 0);
    EXPECT_EQ(mouseState.leftHeld, 1); // the spec's button state still follows it
    mainWindowMessage(window, win::WM_LBUTTONUP, 0, at(100, 50));

    for (const uintptr_t source : {uintptr_t{0}, FromPen}) {
        fakePlatform.extraInfo = source;
        fakePlatform.calls.clear();
        mainWindowMessage(window, win::WM_LBUTTONDOWN, 0, at(100, 50));
        EXPECT_EQ(mouseState.fingerHeld, 1);
        EXPECT_TRUE(fakePlatform.calls.empty()); // the capture waits for the strokes
        finishMouseCapture();
        pollMouse();
        EXPECT_EQ(MouseFinger.down, 1);
        EXPECT_EQ(MouseFinger.x, 100);
        EXPECT_EQ(MouseFinger.y, 50);
        // A move made from a touch does not move the finger.
        fakePlatform.extraInfo = FromTouch;
        mainWindowMessage(window, win::WM_MOUSEMOVE, 0, at(700, 600));
        fakePlatform.extraInfo = source;
        mainWindowMessage(window, win::WM_MOUSEMOVE, 0, at(-5, 60));
        pollMouse();
        EXPECT_EQ(MouseFinger.x, -5);
        mainWindowMessage(window, win::WM_LBUTTONUP, 0, at(-5, 60));
        pollMouse();
        EXPECT_EQ(MouseFinger.down, 0);
        EXPECT_EQ(fakePlatform.calls,
                  (std::vector<std::string>{"trackMouseLeave", "setCapture", "releaseCapture"}));
    }
}

// Windows gives a window that is not in the foreground no mouse message from
// outside itself, captured or not: the controller, which never takes the
// foreground, hears of a release out there only in these ways.
TEST_F(WindowProc, TheMouseFingerLiftsWhenItsButtonWentUpWhereTheWindowCannotHear) {
    struct Case {
        const char* what;
        uintptr_t source; // the button's message extra information
        uint32_t message; // 0: no message, the button is asked for
        uintptr_t wParam;
        uint32_t after; // milliseconds
        bool lifted;
    };
    const Case cases[] = {
        {"a move without the button", 0, win::WM_MOUSEMOVE, 0, 0, true},
        {"a move with the button", 0, win::WM_MOUSEMOVE, win::MK_LBUTTON, 0, false},
        {"the cursor left the window", 0, win::WM_MOUSELEAVE, 0, 0, true},
        {"the button is up when asked", 0, 0, 0, ButtonCheckMs, true},
        {"asked before its time", 0, 0, 0, ButtonCheckMs - 1, false},
        {"a pen's button is not asked", FromPen, 0, 0, ButtonCheckMs, false},
    };
    for (const Case& c : cases) {
        resetWindowState();
        resetTouchTable();
        fakePlatform.calls.clear();
        fakePlatform.time = 5000;
        fakePlatform.buttonDown = true;
        fakePlatform.extraInfo = c.source;
        mainWindowMessage(window, win::WM_LBUTTONDOWN, win::MK_LBUTTON, at(100, 50));
        finishMouseCapture(); // after the pass's strokes
        pollMouse();
        ASSERT_EQ(MouseFinger.down, 1) << c.what;
        EXPECT_EQ(fakePlatform.calls, (std::vector<std::string>{"trackMouseLeave", "setCapture"}))
            << c.what;
        // Released out there: the window hears of it only as the case says.
        fakePlatform.buttonDown = false;
        fakePlatform.time += c.after;
        if (c.message != 0) {
            mainWindowMessage(window, c.message, c.wParam, at(900, 50));
        }
        pollMouse();
        EXPECT_EQ(MouseFinger.down, c.lifted ? 0 : 1) << c.what;
    }
}

TEST_F(WindowProc, AHeldMouseFingerAsksForAPassWhenItsButtonIsToBeAsked) {
    fakePlatform.time = 5000;
    mainWindowMessage(window, win::WM_LBUTTONDOWN, win::MK_LBUTTON, at(100, 50));
    pollMouse();
    fakePlatform.time += 30;
    runMainLoopPass();
    ASSERT_FALSE(fakePlatform.waits.empty());
    EXPECT_EQ(fakePlatform.waits.back(), ButtonCheckMs - 30);
}

TEST_F(WindowProc, TheButtonCountsAsUpWhenTheMouseGoesElsewhere) {
    struct Case {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool dropped;
    };
    const intptr_t other = 0x9999;
    const Case cases[] = {
        {win::WM_CAPTURECHANGED, 0, other, true},
        {win::WM_CAPTURECHANGED, 0, reinterpret_cast<intptr_t>(window), false},
        {win::WM_CANCELMODE, 0, 0, true},
        {win::WM_ACTIVATE, win::WA_INACTIVE, 0, true},
        {win::WM_ACTIVATE, win::WA_ACTIVE, 0, false},
    };
    for (const Case& c : cases) {
        fakePlatform.calls.clear();
        mainWindowMessage(window, win::WM_LBUTTONDOWN, 0, at(10, 10));
        finishMouseCapture();
        mainWindowMessage(window, c.message, c.wParam, c.lParam);
        EXPECT_EQ(mouseState.fingerHeld, c.dropped ? 0 : 1) << c.message;
        const bool released =
            std::count(fakePlatform.calls.begin(), fakePlatform.calls.end(), "releaseCapture") == 1;
        EXPECT_EQ(released, c.dropped) << c.message;
        dropMouseFinger();
    }
}

TEST_F(WindowProc, AClickNeverActivatesAndAnotherActiveWindowKeepsTheFocus) {
    EXPECT_EQ(mainWindowMessage(window, win::WM_MOUSEACTIVATE, 0, 0), win::MA_NOACTIVATE);
    EXPECT_EQ(mainWindowMessage(window, win::WM_POINTERACTIVATE, 0, 0), win::PA_NOACTIVATE);
    mainWindowMessage(window, win::WM_ACTIVATE, win::WA_INACTIVE, 0);
    EXPECT_EQ(fakePlatform.exStyle & 0x08040000, 0x08040000);
    mainWindowMessage(window, win::WM_ACTIVATE, win::WA_ACTIVE, 0);
    EXPECT_EQ(fakePlatform.exStyle & 0x08040000, 0x00040000); // still on the taskbar
}

TEST_F(WindowProc, PaintSizeAndDisplayChangesMakeTheNextFrameWhole) {
    for (const uint32_t message : {win::WM_PAINT, win::WM_SIZE, win::WM_DISPLAYCHANGE}) {
        resetFramePacing();
        EXPECT_EQ(mainWindowMessage(window, message, 0, 0), 77) << message; // the default path too
        EXPECT_TRUE(repaintPending()) << message;
    }
    resetFramePacing();
    const WinRect suggested = {0, 0, 1300, 763};
    EXPECT_EQ(mainWindowMessage(window, win::WM_DPICHANGED, 120 | 120 << 16,
                                reinterpret_cast<intptr_t>(&suggested)),
              0);
    EXPECT_TRUE(repaintPending());
}

} // namespace
