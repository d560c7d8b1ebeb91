// Breaks that Windows refuses (the lock screen or a UAC prompt is the input
// desktop) or drops without a word (an elevated window in front) are kept
// and sent again until the game has them: no key stays down after the
// refusal ends.
#include "base/win_constants.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/guard.h"
#include "keyout/held_record.h"
#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"
#include "support/controller_fixture.h"
#include "support/fake_desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Keys = std::vector<std::string>;

WindowHandle const window = reinterpret_cast<WindowHandle>(0x4321);

class RefusedBreaks : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        resetWindowState();
        launchOptions.output = OutputSendInput;
        launchOptions.outputGiven = true;
        installFakeDesktop();
    }
    void TearDown() override {
        launchOptions.output = OutputAuto;
        ControllerFixture::TearDown();
        resetSystemInput();
    }

    // Pads 0, 3 and 8 and the clockwise scratch held in the game.
    static void holdThreePadsAndScratch() {
        enterPlay();
        down(1, 700, 600);  // pad 0: 2C
        down(2, 930, 300);  // pad 3: 2F
        down(3, 1150, 100); // pad 8: 11
        down(4, 204, 208);  // the disc
        pass();
        move(4, 203, 220); // turned clockwise: 1D
        pass();
    }
    static void liftEveryFinger() {
        up(1, 700, 600);
        up(2, 930, 300);
        up(3, 1150, 100);
        up(4, 203, 220);
        pass();
    }
    static void pass(uint32_t ms = 1) {
        fakePlatform.time += ms;
        updateController();
    }
    static void message(uintptr_t change) {
        mainWindowMessage(window, win::WM_WTSSESSION_CHANGE, change, 0);
    }
};

const Keys Held = {"11", "1D", "2C", "2F"};

// How the program hears that a refusal starts and ends.
enum class Told { Nothing, Session, DesktopSwitch, Power, Foreground };
// When the fingers go: with the news (its handler lets go), after it, or
// before the program has heard (taken, and gone with the desktop that went).
enum class Lift { WithTheNews, After, Before };

TEST_F(RefusedBreaks, EveryKeyGoesUpOnceTheRefusalEnds) {
    struct Case {
        const char* name;
        InputDesktop desktop; // the default: an elevated window in front instead
        Told told;
        uintptr_t starts, ends; // the session's or the power's notices
        Lift lift;
        uint32_t waitMs; // from the end to the pass that must let go
    };
    using D = InputDesktop;
    const Case cases[] = {
        {"the lock screen: its notice comes after the switch", D::Locked, Told::Session,
         win::WTS_SESSION_LOCK, win::WTS_SESSION_UNLOCK, Lift::WithTheNews, 1},
        {"another user on the console, then this one again", D::Locked, Told::Session,
         win::WTS_CONSOLE_DISCONNECT, win::WTS_CONSOLE_CONNECT, Lift::WithTheNews, 1},
        {"a UAC prompt: the desktop switches there and back", D::SecureDesktop, Told::DesktopSwitch,
         0, 0, Lift::WithTheNews, 1},
        {"a UAC prompt whose end says nothing", D::SecureDesktop, Told::Nothing, 0, 0, Lift::After,
         OwedBreakRetryMs},
        {"an elevated window in front, then the game again", D::Default, Told::Foreground, 0, 0,
         Lift::After, 1},
        {"breaks taken just before the news of an elevated window in front", D::Default,
         Told::Foreground, 0, 0, Lift::Before, 1},
        {"breaks taken as the input desktop switches to a UAC prompt", D::SecureDesktop,
         Told::DesktopSwitch, 0, 0, Lift::Before, 1},
        {"breaks taken as the lock screen comes, its notice after", D::Locked, Told::Session,
         win::WTS_SESSION_LOCK, win::WTS_SESSION_UNLOCK, Lift::Before, 1},
        {"woken from sleep", D::Locked, Told::Power, win::PBT_APMSUSPEND,
         win::PBT_APMRESUMEAUTOMATIC, Lift::WithTheNews, 1},
    };
    const auto tell = [](const Case& c, bool starts) {
        if (c.told == Told::Session) {
            message(starts ? c.starts : c.ends);
        } else if (c.told == Told::Power) {
            mainWindowMessage(window, win::WM_POWERBROADCAST, starts ? c.starts : c.ends, 0);
        } else if (c.told == Told::DesktopSwitch) {
            mainWindowMessage(window, win::WM_DESKTOP_SWITCHED, 0, 0);
        } else if (c.told == Told::Foreground) {
            foregroundEventDelivered();
        }
    };
    const auto refuse = [](const Case& c, InputDesktop desktop) {
        fakeDesktop.elevatedForeground = c.desktop == D::Default;
        fakeDesktop.desktop = c.desktop == D::Default ? D::Default : desktop;
    };
    // Another desktop's SendInput counts the events with ERROR_ACCESS_DENIED,
    // or gives 0 on some 64-bit Windows.
    for (const bool zero : {false, true}) {
        for (const Case& c : cases) {
            switchScene(0);
            resetTouchTable();
            fakeDesktop.refusesWithZero = zero;
            holdThreePadsAndScratch();
            ASSERT_EQ(gameHeldKeys(), Held) << c.name;
            if (c.lift == Lift::Before) {
                refuse(c, D::Switching);
                liftEveryFinger();
            }
            refuse(c, c.desktop);
            tell(c, true);
            if (c.lift == Lift::After) {
                liftEveryFinger();
            }
            pass(OwedBreakRetryMs / 2);
            pass(OwedBreakRetryMs);
            // Refused or dropped: the game still holds them, and so does the record.
            EXPECT_EQ(gameHeldKeys(), Held) << c.name;
            EXPECT_EQ(owedBreakCount(), 4) << c.name;
            EXPECT_EQ(keysHeldInRecord(*heldRecord), 4) << c.name;
            EXPECT_EQ(PadPressed[0], 0) << c.name; // the controller let go
            fakeDesktop.elevatedForeground = false;
            fakeDesktop.desktop = D::Default;
            tell(c, false);
            pass(c.waitMs);
            EXPECT_EQ(gameHeldKeys(), Keys{}) << c.name;
            EXPECT_EQ(owedBreakCount(), 0) << c.name;
            EXPECT_EQ(keysHeldInRecord(*heldRecord), 0) << c.name;
        }
    }
}

// The guard's break on the lock screen: not taken while another desktop has
// the input, however SendInput counts it, nor while the guard's thread sees
// no foreground; taken once the desktop is back.
TEST_F(RefusedBreaks, TheGuardTakesABreakOnlyWhenWindowsDid) {
    static int32_t pauses;
    for (const bool zero : {false, true}) {
        installFakeDesktop();
        fakeDesktop.refusesWithZero = zero;
        fakeDesktop.gameHolds = {0x2C};
        fakeDesktop.desktop = InputDesktop::Locked;
        HeldRecord record = {};
        setKeyBit(record.held, 0x2C, 0, true);
        pauses = 0;
        releaseUntilTaken(
            record,
            [](uint16_t code, unsigned short prefix, void*) {
                return injectGuardBreak(code, prefix);
            },
            nullptr, accessibilityApi,
            [](uint32_t) {
                if (++pauses == 3) {
                    fakeDesktop.desktop = InputDesktop::Default;
                }
            });
        EXPECT_EQ(pauses, 3) << zero;
        EXPECT_EQ(gameHeldKeys(), Keys{}) << zero;
        EXPECT_EQ(keysHeldInRecord(record), 0) << zero;
    }
}

TEST_F(RefusedBreaks, WhileOwedTheBreaksGoAgainAtTheirPaceAndThePassesAreAskedFor) {
    holdThreePadsAndScratch();
    fakeDesktop.desktop = InputDesktop::SecureDesktop;
    liftEveryFinger();
    const int32_t refusedAtFirst = fakeDesktop.refused;
    EXPECT_EQ(refusedAtFirst, 4);
    pass(OwedBreakRetryMs - 1); // not yet
    EXPECT_EQ(fakeDesktop.refused, refusedAtFirst);
    pass(1);
    EXPECT_EQ(fakeDesktop.refused, refusedAtFirst + 4);
    // The main loop is asked back while breaks are owed, even with no input.
    fakePlatform.waits.clear();
    fakePlatform.queue.clear();
    runMainLoopPass();
    ASSERT_FALSE(fakePlatform.waits.empty());
    EXPECT_LE(fakePlatform.waits.back(), OwedBreakRetryMs);
}

TEST_F(RefusedBreaks, AFingerBackOnAPadWhoseBreakIsOwedKeepsItsKeyWithoutAStrayBreak) {
    holdThreePadsAndScratch();
    liftEveryFinger();
    ASSERT_EQ(gameHeldKeys(), Keys{});
    down(1, 700, 600);
    pass();
    fakeDesktop.desktop = InputDesktop::Locked;
    up(1, 700, 600);
    pass(); // refused: owed
    EXPECT_EQ(owedBreakCount(), 1);
    down(1, 700, 600); // back on the pad: refused again, but wanted down
    pass();
    EXPECT_EQ(owedBreakCount(), 0);
    fakeDesktop.desktop = InputDesktop::Default;
    message(win::WTS_SESSION_UNLOCK);
    pass(OwedBreakRetryMs);
    EXPECT_EQ(gameHeldKeys(), Keys{"2C"}); // still held, as the finger is
    up(1, 700, 600);
    pass();
    EXPECT_EQ(gameHeldKeys(), Keys{});
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 0);
}

// A change of the foreground is heard at most a second late (its event at the
// next message, a look every half second): a break taken just before it goes
// again, one taken longer before reached the window in front then.
TEST_F(RefusedBreaks, OnlyABreakTakenJustBeforeAChangeGoesAgainAtIt) {
    for (const uint32_t before : {uint32_t{1}, ChangeHeardLateMs + 1}) {
        switchScene(0);
        holdThreePadsAndScratch();
        liftEveryFinger();
        const int32_t sent = fakeDesktop.sent;
        pass(before);
        foregroundEventDelivered();
        pass();
        EXPECT_EQ(fakeDesktop.sent - sent, before == 1 ? 4 : 0) << before;
        EXPECT_EQ(owedBreakCount(), 0);
    }
}

// A new output starts owing nothing, whatever the last one owed.
TEST_F(RefusedBreaks, AResetOutputOwesNothing) {
    holdThreePadsAndScratch();
    fakeDesktop.desktop = InputDesktop::Locked;
    liftEveryFinger();
    ASSERT_EQ(owedBreakCount(), 4);
    resetKeyboardOutput();
    installFakeDesktop();
    ASSERT_TRUE(openKeyboardOutput(OutputSendInput));
    EXPECT_EQ(owedBreakCount(), 0);
    sendKey(0x2C, 1);
    sendKey(0x2C, 0);
    EXPECT_EQ(owedBreakCount(), 0);
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 0);
}

TEST_F(RefusedBreaks, AtCloseARefusedBreakStaysInTheRecordForTheGuard) {
    holdThreePadsAndScratch();
    fakeDesktop.desktop = InputDesktop::Locked;
    switchScene(0); // the window closes on the lock screen
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 4);
    EXPECT_EQ(heldRecord->output, SendInputOutput);
}

} // namespace
