// Play mode: pads, and the Return toggle of the screen mode.
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "engine/actions.h"
#include "engine/window_proc.h"
#include "support/controller_fixture.h"

namespace {

class ControllerPlayTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        enterPlay();
    }
    using Strokes = std::vector<std::string>;
};

TEST_F(ControllerPlayTest, OneFingerOnPadZero) {
    down(1, 700, 600);
    updatePlayMode();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    updatePlayMode();
    move(1, 705, 610);
    updatePlayMode();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    up(1, 705, 610);
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C"}));
}

TEST_F(ControllerPlayTest, TwoFingersOnOnePad) {
    down(1, 700, 600);
    down(2, 800, 650);
    updatePlayMode();
    up(1, 700, 600);
    updatePlayMode();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    up(2, 800, 650);
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C"}));
}

TEST_F(ControllerPlayTest, SlidingBetweenPadsInBothDirections) {
    down(1, 930, 300); // pad 3
    updatePlayMode();
    move(1, 850, 600); // pad 2
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2F", "make 0x2E", "break 0x2F"}));
    clearStrokes();
    move(1, 930, 300); // back to pad 3
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"break 0x2E", "make 0x2F"}));
}

TEST_F(ControllerPlayTest, BorderPixelsAndGaps) {
    down(1, 820, 600); // right border of pad 0
    updatePlayMode();
    EXPECT_EQ(PadPressed[0], 1);
    move(1, 830, 600); // gap between pads 0 and 2
    updatePlayMode();
    EXPECT_EQ(PadPressed[0], 0);
    EXPECT_EQ(PadPressed[2], 0);
    move(1, 1276, 200); // pad 8
    updatePlayMode();
    EXPECT_EQ(PadPressed[8], 1);
    move(1, 1277, 200);
    updatePlayMode();
    EXPECT_EQ(PadPressed[8], 0);
}

TEST_F(ControllerPlayTest, OneFrameTouch) {
    down(1, 700, 600);
    updatePlayMode();
    up(1, 700, 600);
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C"}));
}

TEST_F(ControllerPlayTest, TwoPadsWithTheSameCode) {
    KeyScancodes[2] = 0x2C;
    down(1, 700, 600);
    down(2, 850, 600);
    updatePlayMode();
    up(1, 700, 600);
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "make 0x2C", "break 0x2C"}));
    EXPECT_EQ(PadPressed[2], 1);
}

TEST_F(ControllerPlayTest, ReturnTogglesOnlyWhenActive) {
    windowActive = 0;
    ActionMap[ActionEnter].pressed = 1;
    updatePlayMode();
    EXPECT_EQ(fullScreen, 0);
    EXPECT_TRUE(fakePlatform.positions.empty());

    windowActive = 1;
    updatePlayMode();
    EXPECT_EQ(fullScreen, 1);
    ASSERT_EQ(fakePlatform.positions.size(), 1u);
    EXPECT_EQ(fakePlatform.positions[0].width, 1920); // covers the monitor
    EXPECT_EQ(fakePlatform.exStyle & 0x08000000, 0);  // active, it stays active

    ActionMap[ActionEnter].pressed = 0; // held: no further change
    ActionMap[ActionEnter].held = 1;
    updatePlayMode();
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(fakePlatform.positions.size(), 1u);

    ActionMap[ActionEnter].pressed = 1;
    updatePlayMode();
    EXPECT_EQ(fullScreen, 0);
    ASSERT_EQ(fakePlatform.positions.size(), 2u);
    EXPECT_EQ(fakePlatform.style, 0x10CF0000);
}

} // namespace
