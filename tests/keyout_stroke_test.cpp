// Opening the keyboard output and the strokes it sends.
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "support/fake_interception.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class KeyoutStrokeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetKeyboardOutput();
        installFakeInterception();
    }
    void TearDown() override {
        resetKeyboardOutput();
        interception = InterceptionApi{};
    }
};

TEST_F(KeyoutStrokeTest, OpenTakesTheFirstKeyboard) {
    fakeInterception.firstKeyboard = 3;
    EXPECT_TRUE(openKeyboardOutput());
    EXPECT_EQ(keyboardDevice, 3);
    EXPECT_EQ(interceptionContext, &fakeInterceptionContextObject);
    EXPECT_EQ(keyboardLibraryStatus, KeyboardLibraryReady);
}

TEST_F(KeyoutStrokeTest, OpenWithoutKeyboardStopsAfterTheKeyboardNumbers) {
    fakeInterception.firstKeyboard = 11;
    fakeInterception.lastKeyboard = 20;
    keyboardDevice = 0;
    EXPECT_FALSE(openKeyboardOutput());
    EXPECT_EQ(keyboardDevice, 0);
    EXPECT_EQ(fakeInterception.calls.back(), "is_keyboard 10");
    sendKey(0x2C, 1);
    EXPECT_TRUE(fakeInterception.sent.empty());
}

TEST_F(KeyoutStrokeTest, MakeAndBreakStates) {
    ASSERT_TRUE(openKeyboardOutput());
    sendKey(0x2C, 1);
    sendKey(0x2C, 0);
    sendKey(0x2C, 7);
    ASSERT_EQ(fakeInterception.sent.size(), 3u);
    EXPECT_EQ(fakeInterception.sent[0].code, 0x2C);
    EXPECT_EQ(fakeInterception.sent[0].state, 0);
    EXPECT_EQ(fakeInterception.sent[1].state, 1);
    EXPECT_EQ(fakeInterception.sent[2].state, 0);
    EXPECT_EQ(fakeInterception.sent[0].device, 1);
}

TEST_F(KeyoutStrokeTest, BytesOf0x80AndMoreAreSignWidened) {
    ASSERT_TRUE(openKeyboardOutput());
    sendKey(static_cast<int8_t>(0x80), 1);
    sendKey(static_cast<int8_t>(0xE0), 0);
    sendKey(0x7F, 1);
    EXPECT_EQ(fakeInterception.sent[0].code, 0xFF80);
    EXPECT_EQ(fakeInterception.sent[1].code, 0xFFE0);
    EXPECT_EQ(fakeInterception.sent[2].code, 0x007F);
}

TEST_F(KeyoutStrokeTest, PrefixBitsGoWithMakeAndBreak) {
    ASSERT_TRUE(openKeyboardOutput());
    sendKey(0x1D, 1, KeyStateE0);
    sendKey(0x1D, 0, KeyStateE0);
    sendKey(0x1D, 1, KeyStateE1);
    sendKey(0x1D, 0, 0xFFF8); // no bits beyond the prefixes get through
    EXPECT_EQ(fakeInterception.sent[0].state, 0x02);
    EXPECT_EQ(fakeInterception.sent[1].state, 0x03);
    EXPECT_EQ(fakeInterception.sent[2].state, 0x04);
    EXPECT_EQ(fakeInterception.sent[3].state, 0x01);
}

TEST_F(KeyoutStrokeTest, NothingIsSentWithoutContext) {
    sendKey(0x2C, 1); // never opened
    fakeInterception.contextFails = true;
    EXPECT_FALSE(openKeyboardOutput());
    EXPECT_EQ(keyboardLibraryStatus, KeyboardDriverMissing);
    sendKey(0x2C, 1);
    EXPECT_TRUE(fakeInterception.sent.empty());
}

TEST_F(KeyoutStrokeTest, CloseDestroysOnceAndSilencesSending) {
    ASSERT_TRUE(openKeyboardOutput());
    closeKeyboardOutput();
    closeKeyboardOutput();
    EXPECT_EQ(fakeInterception.destroys, 1);
    EXPECT_EQ(fakeInterception.destroyedContext, &fakeInterceptionContextObject);
    sendKey(0x2C, 1);
    EXPECT_TRUE(fakeInterception.sent.empty());
}

TEST_F(KeyoutStrokeTest, LibraryStatusFromTheTable) {
    const char* missing = "x";
    EXPECT_EQ(checkInterceptionTable(interception, &missing), KeyboardLibraryReady);
    EXPECT_EQ(missing, nullptr);
    InterceptionApi partial = interception;
    partial.wait = nullptr;
    EXPECT_EQ(checkInterceptionTable(partial, &missing), KeyboardLibraryIncomplete);
    EXPECT_STREQ(missing, "interception_wait");
    EXPECT_EQ(checkInterceptionTable(InterceptionApi{}, &missing), KeyboardLibraryNotLoaded);
}

TEST_F(KeyoutStrokeTest, IncompleteLibraryIsNeverCalled) {
    interception.receive = nullptr;
    EXPECT_FALSE(openKeyboardOutput());
    EXPECT_EQ(keyboardLibraryStatus, KeyboardLibraryIncomplete);
    EXPECT_TRUE(fakeInterception.calls.empty());
    EXPECT_FALSE(captureKey().captured);
    sendKey(0x2C, 1);
    EXPECT_TRUE(fakeInterception.calls.empty());
}

TEST_F(KeyoutStrokeTest, MessagesSayWhatIsMissingAndHowToFixIt) {
    char text[512];
    keyboardLibraryMessage(KeyboardLibraryNotLoaded, nullptr, text, sizeof text);
    EXPECT_NE(std::strstr(text, "interception.dll"), nullptr);
    EXPECT_NE(std::strstr(text, "beside padrelle.exe"), nullptr);
    EXPECT_NE(std::strstr(text, "reboot"), nullptr);
    keyboardLibraryMessage(KeyboardLibraryIncomplete, "interception_send", text, sizeof text);
    EXPECT_NE(std::strstr(text, "interception_send"), nullptr);
    keyboardLibraryMessage(KeyboardDriverMissing, nullptr, text, sizeof text);
    EXPECT_NE(std::strstr(text, "driver is not installed"), nullptr);
    EXPECT_NE(std::strstr(text, "reboot"), nullptr);
    keyboardLibraryMessage(KeyboardLibraryReady, nullptr, text, sizeof text);
    EXPECT_STREQ(text, "");
    char tiny[4];
    keyboardLibraryMessage(KeyboardDriverMissing, nullptr, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);
}

} // namespace
