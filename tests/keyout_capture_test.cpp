// Taking one key press from the keyboard-filter driver while the window goes
// on living: the capture is armed, polled and disarmed.
#include "keyout/interception_output.h"
#include "keyout/sendinput_output.h"
#include "support/fake_interception.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class KeyoutCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        resetKeyboardOutput();
        installFakeInterception();
        ASSERT_TRUE(openKeyboardOutput());
        ASSERT_EQ(outputInUse, DriverOutput);
        fakeInterception.calls.clear();
    }
    void TearDown() override {
        resetKeyboardOutput();
        interception = InterceptionApi{};
        resetPlatform();
    }
    // Arms, polls until the capture ends (at most `polls` times), disarms.
    static CapturePoll capture(CapturedKey& key, int polls = 20) {
        keyOutput.armCapture();
        CapturePoll result = CapturePending;
        for (int i = 0; i < polls && result == CapturePending; ++i) {
            result = keyOutput.pollCapture(&key);
        }
        keyOutput.disarmCapture();
        return result;
    }
};

TEST_F(KeyoutCaptureTest, FilterSetBeforeAndClearedAfterEachCapture) {
    scriptKeyPress(2, 0x1E);
    CapturedKey key = {};
    EXPECT_EQ(capture(key), CaptureTaken);
    EXPECT_TRUE(key.captured);
    EXPECT_EQ(key.code, 0x1E);
    // The key's break, held back when the filter is cleared, still goes on.
    const std::vector<std::string> expected = {
        "filter 3",    "wait", "receive 2", "send 2 0x001E 0x0000",
        "filter 0",    "wait", "receive 2", "send 2 0x001E 0x0001",
        "timed_wait 0"};
    EXPECT_EQ(fakeInterception.calls, expected);
    for (const FakeFilterCall& call : fakeInterception.filters) {
        EXPECT_EQ(call.predicate, interception.is_keyboard);
    }
    EXPECT_EQ(fakeInterception.filter, 0);
}

TEST_F(KeyoutCaptureTest, StrokePassedOnUnchangedAndDeviceReplaced) {
    scriptKeyPress(4, 0x1D, KeyStateE0, 0xABCD);
    CapturedKey key = {};
    capture(key);
    EXPECT_EQ(key.code, 0x1D);
    EXPECT_EQ(key.prefix, KeyStateE0);
    ASSERT_EQ(fakeInterception.sent.size(), 2u); // the make, and its break after the capture
    EXPECT_EQ(fakeInterception.sent[0].device, 4);
    EXPECT_EQ(fakeInterception.sent[0].state, KeyStateE0);
    EXPECT_EQ(fakeInterception.sent[0].information, 0xABCDu);
    EXPECT_EQ(keyboardDevice, 4);
    // Later strokes go to that keyboard and carry the captured information.
    sendKey(0x1D, 0, key.prefix);
    EXPECT_EQ(fakeInterception.sent[2].device, 4);
    EXPECT_EQ(fakeInterception.sent[2].state, 0x03);
    EXPECT_EQ(fakeInterception.sent[2].information, 0xABCDu);
}

// Makes and breaks are both held back and go on in the order they came; the
// keys are taken as the player pressed them.
TEST_F(KeyoutCaptureTest, EveryStrokeGoesOnInOrderAndOnlyPressedKeysAreTaken) {
    scriptStroke(1, 0x2A, KeyStateE0);              // a fake shift
    scriptStroke(1, 0x47, KeyStateE0);              // Home
    scriptStroke(1, 0x47, KeyStateE0);              // repeated
    scriptStroke(1, 0x47, KeyStateE0 | KeyStateUp); // and let go
    scriptStroke(1, 0x2A, KeyStateE0 | KeyStateUp); // the fake shift's end
    scriptStroke(1, 0x1D, KeyStateE1);              // Pause: E1 1D 45
    scriptStroke(1, 0x45, 0);
    scriptStroke(1, 0x1D, KeyStateE1 | KeyStateUp);
    scriptStroke(1, 0x45, KeyStateUp);
    keyOutput.armCapture();
    std::vector<std::string> taken;
    CapturedKey key = {};
    for (int i = 0; i < 4; ++i) {
        if (keyOutput.pollCapture(&key) == CaptureTaken) {
            taken.push_back(std::to_string(key.code) + "/" + std::to_string(key.prefix));
        }
    }
    keyOutput.disarmCapture();
    EXPECT_EQ(taken, (std::vector<std::string>{"71/2", "29/4"}));
    const std::vector<std::string> states = {"0x002A 0x0002", "0x0047 0x0002", "0x0047 0x0002",
                                             "0x0047 0x0003", "0x002A 0x0003", "0x001D 0x0004",
                                             "0x0045 0x0000", "0x001D 0x0005", "0x0045 0x0001"};
    std::vector<std::string> sent;
    for (const std::string& call : fakeInterception.calls) {
        if (call.rfind("send 1 ", 0) == 0) {
            sent.push_back(call.substr(7));
        }
    }
    EXPECT_EQ(sent, states);
}

TEST_F(KeyoutCaptureTest, NothingPressedStaysPendingAndAsksToBePolledAgain) {
    keyOutput.armCapture();
    CapturedKey key = {};
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(keyOutput.pollCapture(&key), CapturePending);
    }
    EXPECT_EQ(keyOutput.capturePollMs, DriverCapturePollMs);
    EXPECT_EQ(fakeInterception.filter, FilterKeyDownUp);
    keyOutput.disarmCapture();
    EXPECT_EQ(fakeInterception.filter, 0);
    EXPECT_TRUE(fakeInterception.sent.empty());
}

TEST_F(KeyoutCaptureTest, FailedReceivesWaitAgainButNotForever) {
    scriptFailedReceive(1);
    scriptFailedReceive(2);
    scriptKeyPress(3, 0x10);
    CapturedKey key = {};
    EXPECT_EQ(capture(key), CaptureTaken);
    EXPECT_EQ(key.code, 0x10);
    EXPECT_EQ(keyboardDevice, 3);
    ASSERT_EQ(fakeInterception.sent.size(), 2u); // its break went on after the capture

    fakeInterception.waitResults.clear();
    fakeInterception.receiveResults.clear();
    for (int i = 0; i < 100; ++i) {
        scriptFailedReceive(1);
    }
    fakeInterception.sent.clear();
    fakeInterception.waits = 0;
    EXPECT_EQ(capture(key, 1000), CaptureFailed);
    // And one more as the filter is cleared, for what it still held.
    EXPECT_EQ(fakeInterception.waits, MaxFailedReceives + 1);
    EXPECT_TRUE(fakeInterception.sent.empty());
    EXPECT_EQ(fakeInterception.filter, 0);
}

TEST_F(KeyoutCaptureTest, WaitGivingNoKeyboardEndsTheCaptureAtOnce) {
    for (InterceptionDevice bad : {-1, 11, 20}) {
        fakeInterception.waits = 0;
        fakeInterception.receives = 0;
        fakeInterception.waitResults.push_back(bad);
        fakeInterception.receiveResults.push_back({1, {0x2C, 0, 0}});
        keyboardDevice = 1;
        CapturedKey key = {};
        EXPECT_EQ(capture(key), CaptureFailed) << bad;
        EXPECT_EQ(fakeInterception.waits, 1);
        EXPECT_EQ(fakeInterception.receives, 0);
        EXPECT_EQ(keyboardDevice, 1);
        EXPECT_EQ(fakeInterception.filter, 0);
        fakeInterception.receiveResults.clear();
    }
}

TEST_F(KeyoutCaptureTest, ClosedOutputCallsNothing) {
    closeKeyboardOutput();
    fakeInterception.calls.clear();
    scriptKeyPress(1, 0x2C);
    CapturedKey key = {};
    EXPECT_EQ(capture(key), CaptureFailed);
    EXPECT_TRUE(fakeInterception.calls.empty());
}

TEST_F(KeyoutCaptureTest, ClosingDuringACaptureClearsTheFilterThenDestroys) {
    keyOutput.armCapture();
    closeKeyboardOutput();
    const std::vector<std::string> expected = {"filter 3", "filter 0", "timed_wait 0", "destroy"};
    EXPECT_EQ(fakeInterception.calls, expected);
}

// On a thread of its own the capture passes each stroke on as it comes,
// whether or not the main loop polls (a title-bar drag, a stall), and wakes
// the main loop to take the key.
TEST_F(KeyoutCaptureTest, OnItsOwnThreadStrokesGoOnWithoutTheMainLoop) {
    resetKeyboardOutput();
    installFakeInterception();
    useDriverCaptureThread(true);
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(keyOutput.capturePollMs, 0u); // a taken stroke wakes the loop itself
    scriptKeyPress(3, 0x1E);
    scriptStroke(3, 0x30, 0);
    const int wakesBefore = fakeMainLoopWakes.load();
    keyOutput.armCapture();
    // No poll at all until the thread has passed every stroke on.
    for (int i = 0; i < 2000 && fakeMainLoopWakes.load() - wakesBefore < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(fakeMainLoopWakes.load() - wakesBefore, 3);
    CapturedKey key = {};
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken);
    EXPECT_EQ(key.code, 0x1E);
    EXPECT_EQ(keyboardDevice, 3);
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken); // 1E came up before it
    EXPECT_EQ(key.code, 0x30);
    keyOutput.disarmCapture();
    ASSERT_EQ(fakeInterception.sent.size(), 3u);
    EXPECT_EQ(fakeInterception.sent[2].code, 0x30);
    EXPECT_EQ(fakeInterception.filter, 0);
    // A wait that fails ends the capture there too.
    fakeInterception.waitResults.push_back(-1);
    keyOutput.armCapture();
    CapturePoll poll = CapturePending;
    for (int i = 0; i < 2000 && poll == CapturePending; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        poll = keyOutput.pollCapture(&key);
    }
    EXPECT_EQ(poll, CaptureFailed);
    keyOutput.disarmCapture();
    useDriverCaptureThread(false);
}

TEST_F(KeyoutCaptureTest, LibraryWithoutTimedWaitTakesKeysFromTheSystemHook) {
    resetKeyboardOutput();
    interception.wait_with_timeout = nullptr;
    systemInput.hookKeyboard = [] { return true; };
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(outputInUse, DriverOutput);
    EXPECT_EQ(keyOutput.capturePollMs, HookCheckMs); // a hooked key wakes the loop itself
    keyOutput.armCapture();
    CapturedKey key = {};
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    queueHookedKey(HookedKey{0x1E, 0, 0x41, 0});
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken);
    EXPECT_EQ(key.code, 0x1E);
    keyOutput.disarmCapture();
    EXPECT_EQ(fakeInterception.filter, 0); // the driver never held anything back
    // Closed while a capture waits: the hook is let go with the driver.
    static int unhooks;
    unhooks = 0;
    systemInput.unhookKeyboard = [] { ++unhooks; };
    const int destroys = fakeInterception.destroys;
    keyOutput.armCapture();
    closeKeyboardOutput();
    EXPECT_EQ(unhooks, 1);
    EXPECT_EQ(fakeInterception.destroys, destroys + 1);
    resetSystemInput();
}

} // namespace
