// Key assignment: the eleven prompts, the highlighted pad, the stored codes.
#include "controller/controller_scene.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/play_mode.h"
#include "engine/engine.h"
#include "graphics/frame_target.h"
#include "keyout/interception_output.h"
#include "support/controller_fixture.h"
#include "support/recording_canvas.h"

#include <cstdio>

namespace {

class ControllerAssignmentTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        frameTarget = &frames;
        enterController();
        fakeInterception.calls.clear();
    }
    void TearDown() override {
        frameTarget = nullptr;
        ControllerFixture::TearDown();
    }
    // The prompt and pressed pads of each frame drawn.
    static std::string promptOf(const RecordingCanvas& frame) {
        for (const DrawnText& text : frame.texts) {
            if (text.x == 600 && text.y == 200 && text.colour == ColourYellow) {
                return text.text;
            }
        }
        return "";
    }
    RecordingFrameTarget frames;
};

TEST_F(ControllerAssignmentTest, ElevenPromptsInOrderWithTheHighlightedPad) {
    std::vector<std::string> prompts;
    std::vector<std::vector<int>> highlighted;
    fakeInterception.onWait = [&] {
        // Each press is waited for twice, for its make and its break.
        if (!prompts.empty() && prompts.back() == statusText) {
            return;
        }
        prompts.push_back(statusText);
        std::vector<int> pads;
        for (int i = 0; i < 9; ++i) {
            if (PadPressed[i] != 0) {
                pads.push_back(i);
            }
        }
        highlighted.push_back(pads);
    };
    for (int i = 0; i < 11; ++i) {
        scriptKeyPress(1, static_cast<unsigned short>(0x02 + i));
    }
    updateController();
    ASSERT_EQ(prompts.size(), 11u);
    ASSERT_EQ(frames.frames.size(), 11u);
    for (int i = 0; i < 9; ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "PRESS KEY TO ASSIGN KEY %02d", i);
        EXPECT_EQ(prompts[i], expected);
        EXPECT_EQ(promptOf(frames.frames[i]), expected);
        EXPECT_EQ(highlighted[i], std::vector<int>{i});
        EXPECT_EQ(KeyScancodes[i], 0x02 + i);
    }
    EXPECT_EQ(prompts[9], "PRESS KEY TO ASSIGN SCRATCH CLOCKWISE");
    EXPECT_EQ(prompts[10], "PRESS KEY TO ASSIGN SCRATCH COUNTER-CLOCKWISE");
    EXPECT_TRUE(highlighted[9].empty());
    EXPECT_TRUE(highlighted[10].empty());
    EXPECT_EQ(ScratchScancodes[0], 0x0B);
    EXPECT_EQ(ScratchScancodes[1], 0x0C);
    EXPECT_EQ(controllerMode, Play);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(PadPressed[i], 0);
    }
}

TEST_F(ControllerAssignmentTest, FramesShowNewCodesBeforeAndDefaultsAfter) {
    for (int i = 0; i < 11; ++i) {
        scriptKeyPress(1, 0x1E);
    }
    updateController();
    // Frame of the prompt for pad 03: pads 00..02 show 30, pad 04 its default 48.
    const RecordingCanvas& frame = frames.frames[3];
    auto numberAt = [&](int pad) {
        const Point c = spriteCentre(*padSprites[pad]);
        for (const DrawnText& text : frame.texts) {
            if (text.x == c.x && text.y == c.y && text.colour == ColourGreen) {
                return text.text;
            }
        }
        return std::string();
    };
    EXPECT_EQ(numberAt(0), "30");
    EXPECT_EQ(numberAt(2), "30");
    EXPECT_EQ(numberAt(3), "47");
    EXPECT_EQ(numberAt(4), "48");
}

TEST_F(ControllerAssignmentTest, SameKeyElevenTimes) {
    for (int i = 0; i < 11; ++i) {
        scriptKeyPress(2, 0x39);
    }
    updateController();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(KeyScancodes[i], 0x39);
    }
    EXPECT_EQ(ScratchScancodes[0], 0x39);
    EXPECT_EQ(ScratchScancodes[1], 0x39);
    // Every press and release passed on, the last release as the filter is cleared.
    EXPECT_EQ(fakeInterception.sent.size(), 22u);
    EXPECT_EQ(keyboardDevice, 2);
}

TEST_F(ControllerAssignmentTest, CodesAboveAByteKeepTheirLowByteAndPrefixesAreKept) {
    scriptKeyPress(1, 0x12E0);
    scriptKeyPress(1, 0x1D, KeyStateE0);
    for (int i = 2; i < 11; ++i) {
        scriptKeyPress(1, 0x2C);
    }
    updateController();
    EXPECT_EQ(KeyScancodes[0], static_cast<int8_t>(0xE0));
    EXPECT_EQ(KeyScancodes[1], 0x1D);
    EXPECT_EQ(KeyPrefixes[1], KeyStateE0);
    EXPECT_EQ(KeyPrefixes[0], 0);
    // Playing pad 1 presses right Ctrl, not left Ctrl.
    clearStrokes();
    down(1, 770, 300);
    updateController();
    up(1, 770, 300);
    updateController();
    const std::vector<std::string> expected = {"make 0x1D e0", "break 0x1D e0"};
    EXPECT_EQ(strokes(), expected);
}

TEST_F(ControllerAssignmentTest, CaptureThatTakesNoKeyKeepsTheDefault) {
    scriptKeyPress(1, 0x02);
    fakeInterception.waitResults.push_back(99); // step 1: the wait fails
    for (int i = 2; i < 11; ++i) {
        scriptKeyPress(1, 0x03);
    }
    updateController();
    EXPECT_EQ(KeyScancodes[0], 0x02);
    EXPECT_EQ(KeyScancodes[1], 0x2D);
    EXPECT_EQ(KeyScancodes[2], 0x03);
    EXPECT_EQ(controllerMode, Play);
}

// While no key comes the update returns at once: the main loop goes on with
// the window's messages and comes back when the driver must be asked again.
// Closing the window then ends the capture with nothing held.
TEST_F(ControllerAssignmentTest, WaitingForAKeyLeavesTheWindowAlive) {
    currentScene = 1;
    installFakePlatform();
    runMainLoopPass();
    EXPECT_EQ(controllerMode, AssignKeys);
    EXPECT_STREQ(statusText, "PRESS KEY TO ASSIGN KEY 00");
    EXPECT_EQ(PadPressed[0], 1);
    EXPECT_EQ(fakeInterception.filter, FilterKeyDownUp);
    runMainLoopPass(); // no input: the loop waits for the driver's next turn
    ASSERT_FALSE(fakePlatform.waits.empty());
    EXPECT_EQ(fakePlatform.waits.back(), DriverCapturePollMs);

    scriptKeyPress(1, 0x1E);
    runMainLoopPass();
    EXPECT_EQ(KeyScancodes[0], 0x1E);
    EXPECT_STREQ(statusText, "PRESS KEY TO ASSIGN KEY 01");
    EXPECT_EQ(frames.frames.size(), 2u); // one frame a prompt

    fakeInterception.calls.clear();
    clearStrokes();
    leaveController();
    // The filter cleared, what it still held passed on, then the end.
    const std::vector<std::string> expected = {"filter 0", "timed_wait 0", "destroy"};
    EXPECT_EQ(fakeInterception.calls, expected);
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(PadPressed[1], 0);
}

} // namespace
