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
    ASSERT_EQ(fakePlatform.positions.size(), 3u); // out of the topmost band, then placed
    EXPECT_EQ(fakePlatform.style, 0x10CF0000);
}

} // namespace
