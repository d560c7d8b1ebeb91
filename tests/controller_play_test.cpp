// Play mode: pads, and the Return toggle of the screen mode.
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/win_constants.h"
#include "engine/window_proc.h"
#include "support/controller_fixture.h"
#include "support/fake_platform.h"

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

// A contact whose capture the window loses sends no up: its finger lifts and
// its key goes up; another finger keeps its key. A pointer that no finger
// stands for lifts every touch finger.
TEST_F(ControllerFixture, AContactWhoseCaptureIsLostLetsGoOfItsKey) {
    enterPlay();
    down(5, 700, 600);  // pad 0: 2C
    down(6, 1150, 100); // pad 8: 11
    updateController();
    ASSERT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x11"}));
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    mainWindowMessage(window, win::WM_POINTERCAPTURECHANGED, 5, 0);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x11", "break 0x2C"}));
    move(6, 1151, 100); // the other finger is still down
    updateController();
    EXPECT_EQ(strokes().size(), 3u);
    mainWindowMessage(window, win::WM_POINTERCAPTURECHANGED, 0x10063, 0); // pointer 99
    updateController();
    EXPECT_EQ(strokes().back(), "break 0x11");
    EXPECT_EQ(fakePlatform.defaultHandled.back().message, win::WM_POINTERCAPTURECHANGED);
}

// Dragging the title bar or opening the window menu runs the system's modal
// loop: it dispatches the window's messages (its timer's among them) and
// runs no pass of the main loop, and the thread messages that wake it are
// lost. A touch filed meanwhile becomes its key on the timer's next tick;
// the timer ends with the loop.
TEST_F(ControllerFixture, InsideTheSystemsModalLoopsKeysGoOnOnATimer) {
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    for (const uint32_t enter : {win::WM_ENTERSIZEMOVE, win::WM_ENTERMENULOOP}) {
        switchScene(0);
        clearStrokes();
        enterPlay();
        mainWindowMessage(window, enter, 0, 0);
        ASSERT_EQ(fakePlatform.timers.count(ModalPassTimer), 1u) << enter;
        EXPECT_LE(fakePlatform.timers[ModalPassTimer], 16u); // a frame at most
        down(5, 700, 600);
        EXPECT_TRUE(strokes().empty()); // filed, no pass yet
        mainWindowMessage(window, win::WM_TIMER, ModalPassTimer, 0);
        EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C"})) << enter;
        up(5, 700, 600);
        mainWindowMessage(window, win::WM_TIMER, ModalPassTimer, 0);
        EXPECT_EQ(strokes().back(), "break 0x2C") << enter;
        // Another timer's tick is the system's own.
        const size_t handled = fakePlatform.defaultHandled.size();
        mainWindowMessage(window, win::WM_TIMER, 7, 0);
        EXPECT_EQ(fakePlatform.defaultHandled.size(), handled + 1);
        mainWindowMessage(window, enter + 1, 0, 0); // the loop ends
        EXPECT_EQ(fakePlatform.timers.count(ModalPassTimer), 0u) << enter;
    }
}
