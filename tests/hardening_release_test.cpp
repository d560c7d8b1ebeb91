// Held keys let go when the session ends, and the system's touch gestures
// kept off the window.
#include "base/win_constants.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "support/controller_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

using Strokes = std::vector<std::string>;

WindowHandle const window = reinterpret_cast<WindowHandle>(0x4321);

class SessionEndRelease : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        resetWindowState();
    }

    // Pads 0, 3 and 8 and the clockwise scratch held; the strokes so far cleared.
    static void holdThreePadsAndScratch() {
        enterPlay();
        KeyPrefixes[3] = KeyStateE0; // pad 3 was assigned an extended key
        down(1, 700, 600);           // pad 0
        down(2, 930, 300);           // pad 3
        down(3, 1150, 100);          // pad 8
        down(4, 204, 208);           // the disc
        updateController();
        move(4, 203, 220); // turned clockwise
        updateController();
        clearStrokes();
        fakePlatform.defaultHandled.clear();
    }

    static intptr_t endSession(uintptr_t ending) {
        return mainWindowMessage(window, win::WM_ENDSESSION, ending, 0);
    }
};

// The session's end lets go of every held key once, pads first, then the
// scene is left as at a close; fingers lifted afterwards send nothing.
TEST_F(SessionEndRelease, EndingSessionBreaksEveryHeldKeyPadsFirstThenScratch) {
    holdThreePadsAndScratch();
    EXPECT_EQ(endSession(1), 0);
    const Strokes expected = {"break 0x2C", "break 0x2F e0", "break 0x11", "break 0x1D"};
    EXPECT_EQ(strokes(), expected);
    for (int32_t i = 0; i < PadCount; ++i) {
        EXPECT_EQ(PadPressed[i], 0) << "pad " << i;
    }
    EXPECT_EQ(ScratchState.keyHeld[0], 0);
    EXPECT_EQ(ScratchState.keyHeld[1], 0);
    EXPECT_TRUE(fakePlatform.defaultHandled.empty());
    EXPECT_EQ(currentScene, 0);
    EXPECT_EQ(fakeInterception.destroys, 1);
    endSession(1);
    releaseHeldKeys();
    leaveController();
    up(1, 700, 600);
    up(2, 930, 300);
    up(3, 1150, 100);
    up(4, 203, 220);
    updateController();
    EXPECT_EQ(strokes(), expected);
    EXPECT_EQ(fakeInterception.destroys, 1);
}

TEST_F(SessionEndRelease, CancelledOrQueriedEndKeepsTheKeysDown) {
    holdThreePadsAndScratch();
    // wParam false: the session goes on after all.
    EXPECT_EQ(endSession(0), 0);
    // The query may still be answered "no" by another program: default path.
    mainWindowMessage(window, win::WM_QUERYENDSESSION, 0, 0);
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(PadPressed[0], 1);
    EXPECT_EQ(ScratchState.keyHeld[0], 1);
    ASSERT_EQ(fakePlatform.defaultHandled.size(), 1u);
    EXPECT_EQ(fakePlatform.defaultHandled[0].message, win::WM_QUERYENDSESSION);
}

TEST_F(SessionEndRelease, DuringKeyAssignmentTheHighlightedPadGetsNoBreak) {
    enterController();
    clearStrokes();
    PadPressed[5] = 1; // highlighted only: no make stroke went out for it
    endSession(1);
    EXPECT_TRUE(strokes().empty());
}

TEST_F(SessionEndRelease, AfterTheOutputIsClosedNothingIsSent) {
    holdThreePadsAndScratch();
    closeKeyboardOutput();
    endSession(1);
    EXPECT_TRUE(strokes().empty());
}

// The secure desktop, a lock, sleep, a session switch or a cancelled mode cut
// the contacts off: their up records may never come.
TEST_F(SessionEndRelease, TheSystemCuttingInputOffLetsGoOfEveryFingerAndKey) {
    struct Case {
        uint32_t message;
        uintptr_t wParam;
        bool cut;
        intptr_t lParam = 0; // the fake's console display state
    };
    const Case cases[] = {
        {win::WM_CANCELMODE, 0, true},
        {win::WM_DESKTOP_SWITCHED, 0, true}, // a UAC prompt's secure desktop
        {win::WM_WTSSESSION_CHANGE, win::WTS_SESSION_LOCK, true},
        {win::WM_WTSSESSION_CHANGE, win::WTS_CONSOLE_DISCONNECT, true},
        {win::WM_WTSSESSION_CHANGE, win::WTS_REMOTE_DISCONNECT, true},
        {win::WM_WTSSESSION_CHANGE, win::WTS_SESSION_LOGOFF, true},
        {win::WM_WTSSESSION_CHANGE, 0x8, false}, // unlocked
        {win::WM_WTSSESSION_CHANGE, 0x1, false}, // console connected
        {win::WM_POWERBROADCAST, win::PBT_APMSUSPEND, true},
        {win::WM_POWERBROADCAST, 0x12, false}, // resumed
        // Modern Standby: the display going off may be all that is said.
        {win::WM_POWERBROADCAST, win::PBT_POWERSETTINGCHANGE, true, 0},
        {win::WM_POWERBROADCAST, win::PBT_POWERSETTINGCHANGE, false, 1},  // on
        {win::WM_POWERBROADCAST, win::PBT_POWERSETTINGCHANGE, false, 2},  // dimmed
        {win::WM_POWERBROADCAST, win::PBT_POWERSETTINGCHANGE, false, -1}, // another setting
    };
    for (const Case& c : cases) {
        switchScene(0);
        resetTouchTable();
        holdThreePadsAndScratch();
        // The mouse holds pad 4 too.
        mainWindowMessage(window, win::WM_LBUTTONDOWN, win::MK_LBUTTON, 1000 | 600 << 16);
        pollMouse();
        updateController();
        clearStrokes();
        mainWindowMessage(window, c.message, c.wParam, c.lParam);
        const Strokes released = {"break 0x2C", "break 0x2F e0", "break 0x30", "break 0x11",
                                  "break 0x1D"};
        EXPECT_EQ(strokes(), c.cut ? released : Strokes{}) << c.message << " " << c.wParam;
        // The next pass presses nothing again: the fingers are up. Where
        // input changed hands (the desktop switched, the session came back),
        // breaks taken since the last change go again: taken is not
        // delivered there. A break too many costs nothing.
        clearStrokes();
        pollMouse();
        updateController();
        Strokes again = strokes();
        std::sort(again.begin(), again.end());
        Strokes releasedInOrder = released;
        std::sort(releasedInOrder.begin(), releasedInOrder.end());
        if (c.message == win::WM_DESKTOP_SWITCHED) {
            EXPECT_EQ(again, releasedInOrder);
        }
        for (const std::string& stroke : again) {
            EXPECT_EQ(stroke.rfind("break", 0), 0u) << c.message << " " << c.wParam;
        }
        for (const TouchSlot& slot : TouchTable) {
            EXPECT_EQ(slot.down != 0 && c.cut, false) << c.message << " " << c.wParam;
        }
        EXPECT_EQ(mouseState.fingerHeld, c.cut ? 0 : 1);
    }
}

// A long note: a finger held still sends nothing for as long as it rests,
// and nothing but the system's own word lifts it.
TEST_F(SessionEndRelease, AFingerHeldStillForTenSecondsKeepsItsKey) {
    holdThreePadsAndScratch();
    for (uint32_t ms = 0; ms < 10000; ms += 50) {
        fakePlatform.time += 50;
        runMainLoopPass();
    }
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(PadPressed[0], 1);
    EXPECT_EQ(PadPressed[3], 1);
    EXPECT_EQ(PadPressed[8], 1);
}

class SystemGestures : public ControllerFixture {};

TEST_F(SystemGestures, PressAndHoldFlicksAndPenFeedbackAreOff) {
    const intptr_t answer =
        mainWindowMessage(window, win::WM_TABLET_QUERYSYSTEMGESTURESTATUS, 0, 0);
    // Neither of the touch-UI overrides: the system's own choice stands.
    EXPECT_EQ(static_cast<uint32_t>(answer),
              win::TABLET_DISABLE_PRESSANDHOLD | win::TABLET_DISABLE_FLICKS |
                  win::TABLET_DISABLE_PENTAPFEEDBACK | win::TABLET_DISABLE_PENBARRELFEEDBACK |
                  win::TABLET_DISABLE_SMOOTHSCROLLING | win::TABLET_DISABLE_FLICKFALLBACKKEYS);
    EXPECT_TRUE(fakePlatform.defaultHandled.empty());
    EXPECT_EQ(mainWindow, window);
}

} // namespace
