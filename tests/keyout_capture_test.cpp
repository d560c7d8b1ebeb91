// Taking one key press from the keyboard-filter driver while the window goes
// on living: the capture is armed, polled and disarmed.
#include "keyout/interception_output.h"
#include "keyout/sendinput_output.h"
#include "support/fake_interception.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

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
    const std::vector<std::string> expected = {"filter 1", "wait", "receive 2",
                                               "send 2 0x001E 0x0000", "filter 0"};
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
    ASSERT_EQ(fakeInterception.sent.size(), 1u);
    EXPECT_EQ(fakeInterception.sent[0].device, 4);
    EXPECT_EQ(fakeInterception.sent[0].state, KeyStateE0);
    EXPECT_EQ(fakeInterception.sent[0].information, 0xABCDu);
    EXPECT_EQ(keyboardDevice, 4);
    // Later strokes go to that keyboard and carry the captured information.
    sendKey(0x1D, 0, key.prefix);
    EXPECT_EQ(fakeInterception.sent[1].device, 4);
    EXPECT_EQ(fakeInterception.sent[1].state, 0x03);
    EXPECT_EQ(fakeInterception.sent[1].information, 0xABCDu);
}

TEST_F(KeyoutCaptureTest, NothingPressedStaysPendingAndAsksToBePolledAgain) {
    keyOutput.armCapture();
    CapturedKey key = {};
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(keyOutput.pollCapture(&key), CapturePending);
    }
    EXPECT_EQ(keyOutput.capturePollMs, DriverCapturePollMs);
    EXPECT_EQ(fakeInterception.filter, 1);
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
    ASSERT_EQ(fakeInterception.sent.size(), 1u);

    for (int i = 0; i < 100; ++i) {
        scriptFailedReceive(1);
    }
    fakeInterception.sent.clear();
    fakeInterception.waits = 0;
    EXPECT_EQ(capture(key, 1000), CaptureFailed);
    EXPECT_EQ(fakeInterception.waits, MaxFailedReceives);
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
    const std::vector<std::string> expected = {"filter 1", "filter 0", "destroy"};
    EXPECT_EQ(fakeInterception.calls, expected);
}

TEST_F(KeyoutCaptureTest, LibraryWithoutTimedWaitTakesKeysFromTheSystemHook) {
    resetKeyboardOutput();
    interception.wait_with_timeout = nullptr;
    systemInput.hookKeyboard = [] { return true; };
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(outputInUse, DriverOutput);
    EXPECT_EQ(keyOutput.capturePollMs, 0u); // a hooked key wakes the loop itself
    keyOutput.armCapture();
    CapturedKey key = {};
    EXPECT_EQ(keyOutput.pollCapture(&key), CapturePending);
    systemKeyDown(0x1E, 0, 0x41, 0);
    EXPECT_EQ(keyOutput.pollCapture(&key), CaptureTaken);
    EXPECT_EQ(key.code, 0x1E);
    keyOutput.disarmCapture();
    EXPECT_EQ(fakeInterception.filter, 0); // the driver never held anything back
    resetSystemInput();
}

} // namespace
