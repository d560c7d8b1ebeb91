// Window placement: centring on the monitor, full screen, no-activate.
#include "engine/win_constants.h"
#include "engine/window_modes.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

namespace {

class WindowModes : public ::testing::Test {
  protected:
    void SetUp() override { installFakePlatform(); }
    void TearDown() override { resetPlatform(); }
    WindowHandle window = reinterpret_cast<WindowHandle>(0x42);
};

TEST(CentreOnMonitor, CentresOnTheWholeMonitorWithSignedHalving) {
    const WindowPlacement p = centreOnMonitor({0, 0, 1300, 763}, {0, 0, 1920, 1080});
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, 158); // 158.5 truncated
    EXPECT_EQ(p.width, 1300);
    EXPECT_EQ(p.height, 763);
}

TEST(CentreOnMonitor, SecondMonitorOffsets) {
    const WindowPlacement p = centreOnMonitor({-8, -31, 1288, 728}, {1920, 0, 3840, 1080});
    EXPECT_EQ(p.x, 1920 + 312);
    EXPECT_EQ(p.y, (1080 - 759) / 2);
}

TEST(CentreOnMonitor, WindowLargerThanItsMonitorStartsBeforeItsEdge) {
    const WindowPlacement p = centreOnMonitor({0, 0, 1301, 800}, {0, 0, 1024, 768});
    EXPECT_EQ(p.x, -138); // -277 / 2 truncates toward zero
    EXPECT_EQ(p.y, -16);
}

TEST_F(WindowModes, WindowedModeSetsStyleSizeAndCentre) {
    setWindowedMode(window, 1280, 720);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x10CF0000));
    ASSERT_EQ(fakePlatform.positions.size(), 1u);
    const FakeWindowPos& pos = fakePlatform.positions[0];
    EXPECT_EQ(pos.width, 1296); // 1280 + the fake frame of 8 + 8
    EXPECT_EQ(pos.height, 759); // 720 + 31 + 8
    EXPECT_EQ(pos.x, 312);
    EXPECT_EQ(pos.y, 160);
    EXPECT_EQ(pos.flags, win::SWP_FRAMECHANGED);
    // The outer size is asked for the windowed style and the current extended style.
    EXPECT_EQ(fakePlatform.calls[0], "adjust 0x10CF0000 0x00000200");
}

TEST_F(WindowModes, WindowedAfterFullScreenGivesTheSameWindow) {
    setWindowedMode(window, 1280, 720);
    setFullScreenMode(window);
    setNoActivate(window);
    setWindowedMode(window, 1280, 720);
    const FakeWindowPos& first = fakePlatform.positions[0];
    const FakeWindowPos& last = fakePlatform.positions[2];
    EXPECT_EQ(last.x, first.x);
    EXPECT_EQ(last.y, first.y);
    EXPECT_EQ(last.width, first.width);
    EXPECT_EQ(last.height, first.height);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x10CF0000));
    EXPECT_EQ(static_cast<uint32_t>(fakePlatform.exStyle), 0x08040200u);
}

TEST_F(WindowModes, FullScreenCoversTheMonitorOfTheWindowAsItWas) {
    fakePlatform.windowRect = {2000, 100, 3296, 859};
    fakePlatform.monitor = {1920, 0, 4480, 1440};
    setFullScreenMode(window);
    ASSERT_EQ(fakePlatform.monitorQueries.size(), 1u);
    EXPECT_EQ(fakePlatform.monitorQueries[0].left, 2000);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x90000000));
    const FakeWindowPos& pos = fakePlatform.positions[0];
    EXPECT_EQ(pos.x, 1920);
    EXPECT_EQ(pos.y, 0);
    EXPECT_EQ(pos.width, 2560);
    EXPECT_EQ(pos.height, 1440);
    EXPECT_EQ(pos.flags, win::SWP_FRAMECHANGED);
    EXPECT_EQ(fakePlatform.exStyle, 0x200); // the client edge stays
}

TEST_F(WindowModes, NoActivateAddsTwoBitsAndMovesNothing) {
    setNoActivate(window);
    setNoActivate(window);
    EXPECT_EQ(static_cast<uint32_t>(fakePlatform.exStyle), 0x08040200u);
    EXPECT_TRUE(fakePlatform.positions.empty());
}

} // namespace
