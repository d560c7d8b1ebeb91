// Capturing one key press from a physical keyboard.
#include "keyout/keyboard_output.h"
#include "support/fake_interception.h"

#include <gtest/gtest.h>

namespace {

class KeyoutCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetKeyboardOutput();
        installFakeInterception();
        ASSERT_TRUE(openKeyboardOutput());
        fakeInterception.calls.clear();
    }
    void TearDown() override {
        resetKeyboardOutput();
        interception = InterceptionApi{};
    }
};

TEST_F(KeyoutCaptureTest, FilterSetBeforeAndClearedAfterEachCapture) {
    scriptKeyPress(2, 0x1E);
    const CapturedKey key = captureKey();
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
    const CapturedKey key = captureKey();
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

TEST_F(KeyoutCaptureTest, KeyRepeatedAcrossCapturesIsTakenEachTime) {
    scriptKeyPress(1, 0x2C);
    scriptKeyPress(1, 0x2C);
    EXPECT_EQ(captureKey().code, 0x2C);
    EXPECT_EQ(captureKey().code, 0x2C);
    EXPECT_EQ(fakeInterception.filters.size(), 4u);
}

TEST_F(KeyoutCaptureTest, FailedReceiveWaitsAgain) {
    scriptFailedReceive(1);
    scriptFailedReceive(2);
    scriptKeyPress(3, 0x10);
    const CapturedKey key = captureKey();
    EXPECT_TRUE(key.captured);
    EXPECT_EQ(key.code, 0x10);
    EXPECT_EQ(fakeInterception.waits, 3);
    EXPECT_EQ(keyboardDevice, 3);
    ASSERT_EQ(fakeInterception.sent.size(), 1u);
}

TEST_F(KeyoutCaptureTest, EndlessFailedReceivesGiveUp) {
    for (int i = 0; i < 100; ++i) {
        scriptFailedReceive(1);
    }
    keyboardDevice = 1;
    const CapturedKey key = captureKey();
    EXPECT_FALSE(key.captured);
    EXPECT_EQ(fakeInterception.waits, MaxFailedReceives);
    EXPECT_TRUE(fakeInterception.sent.empty());
    EXPECT_EQ(fakeInterception.filter, 0);
}

TEST_F(KeyoutCaptureTest, WaitWithoutKeyboardGivesUpAtOnce) {
    for (InterceptionDevice bad : {0, -1, 11, 20}) {
        fakeInterception = FakeInterception{};
        fakeInterception.waitResults.push_back(bad);
        fakeInterception.receiveResults.push_back({1, {0x2C, 0, 0}});
        keyboardDevice = 1;
        EXPECT_FALSE(captureKey().captured) << bad;
        EXPECT_EQ(fakeInterception.waits, 1);
        EXPECT_EQ(fakeInterception.receives, 0);
        EXPECT_EQ(keyboardDevice, 1);
        EXPECT_EQ(fakeInterception.filter, 0);
    }
}

TEST_F(KeyoutCaptureTest, NullContextCallsNothing) {
    closeKeyboardOutput();
    fakeInterception.calls.clear();
    scriptKeyPress(1, 0x2C);
    EXPECT_FALSE(captureKey().captured);
    EXPECT_TRUE(fakeInterception.calls.empty());
}

} // namespace
