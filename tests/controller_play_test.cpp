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

// The system's modal loops take and dispatch the window's messages and run
// no pass of the main loop: a title-bar drag and the window menu (between
// their enter and exit messages) and a caption button held down (DefWindowProc's
// own loop, with neither). A contact's up dispatched there is its key's
// break at once; what comes by no message of the window (the phone's) goes
// on the timer, which ticks at the system's 15.6 ms, not the 10 ms asked.
TEST_F(ControllerFixture, InsideEveryModalLoopOfTheSystemsKeysGoOn) {
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    static std::vector<size_t> counts; // strokes at each millisecond of the loop
    const auto during = [](uint32_t ms) {
        counts.push_back(strokes().size());
        if (ms == 3) {
            fakePlatform.touchInputs[0x900] = {TouchRecord{700 * 100, 600 * 100, 5, TouchFlagUp}};
            fakePlatform.queue.push_back({win::WM_TOUCH, 1, 0x900});
        }
        if (ms == 5) {
            down(6, 1150, 100); // filed as the phone's fingers are
        }
    };
    const struct {
        const char* name;
        uint32_t enter; // 0: a caption button held down
        uint32_t exit;
    } loops[] = {{"title-bar drag", win::WM_ENTERSIZEMOVE, win::WM_EXITSIZEMOVE},
                 {"window menu", win::WM_ENTERMENULOOP, win::WM_EXITMENULOOP},
                 {"caption button", 0, 0}};
    for (const auto& loop : loops) {
        switchScene(0);
        resetTouchTable();
        clearStrokes();
        fakePlatform.closedTouchHandles.clear();
        enterPlay();
        down(5, 700, 600);
        updateController();
        counts.clear();
        if (loop.enter == 0) {
            fakePlatform.captionButtonLoop = [&during](WindowHandle w) {
                runModalLoop(w, 30, during);
            };
            mainWindowMessage(window, win::WM_NCLBUTTONDOWN, win::HTMINBUTTON, 0);
        } else {
            mainWindowMessage(window, loop.enter, 0, 0);
            runModalLoop(window, 30, during);
            mainWindowMessage(window, loop.exit, 0, 0);
        }
        ASSERT_EQ(counts.size(), 30u) << loop.name;
        EXPECT_EQ(counts[3], 2u) << loop.name;      // the break right after its up
        EXPECT_EQ(counts[5 + 15], 3u) << loop.name; // the make within a tick
        EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "break 0x2C", "make 0x11"}))
            << loop.name;
        EXPECT_EQ(fakePlatform.timers.count(ModalPassTimer), 0u) << loop.name; // gone with it
    }
    // Another timer's tick is the system's own.
    const size_t handled = fakePlatform.defaultHandled.size();
    mainWindowMessage(window, win::WM_TIMER, 7, 0);
    EXPECT_EQ(fakePlatform.defaultHandled.size(), handled + 1);
}
