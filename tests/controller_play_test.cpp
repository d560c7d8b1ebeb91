// Play mode: pads, and the Return toggle of the screen mode.
#include "base/win_constants.h"
#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "remote/remote_fingers.h"
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

// Return that chooses an item of the window menu is still down when the
// menu's loop ends and the command comes: whatever the command (the
// system's, Padrelle's, one not known here), it switches nothing. Pressed
// again afterwards, it does.
TEST_F(ControllerPlayTest, ReturnThatChoosesAMenuItemTogglesNothing) {
    initActions();
    for (const uintptr_t command : {uintptr_t{0xF010}, EditLayoutMenuCommand, uintptr_t{0x0120}}) {
        windowActive = 1;
        fakePlatform.queue = {{win::WM_ENTERMENULOOP, 0, 0},
                              {win::WM_EXITMENULOOP, 0, 0},
                              {win::WM_SYSCOMMAND, command, 0}};
        runMainLoopPass();
        fakePlatform.keyDown[win::VK_RETURN] = true; // chooses the item
        for (int32_t pass = 0; pass < 3; ++pass) {
            runMainLoopPass();
        }
        fakePlatform.keyDown[win::VK_RETURN] = false;
        runMainLoopPass();
        EXPECT_EQ(fullScreen, 0) << command;
        controllerMode = Play;
        editLayoutAsked = 0;
    }
    fakePlatform.keyDown[win::VK_RETURN] = true;
    runMainLoopPass();
    EXPECT_EQ(fullScreen, 1);
    fakePlatform.keyDown[win::VK_RETURN] = false;
    mainWindow = nullptr;
}

} // namespace

// A contact whose capture the window loses sends no up: its finger lifts
// and its key goes up. Nothing else lifts: not another finger, not a
// phone's, not for a pointer no finger has (a message that came after an
// ordinary up, a pointer of another kind).
TEST_F(ControllerFixture, AContactWhoseCaptureIsLostLetsGoOfItsKeyAndNoOther) {
    enterPlay();
    down(5, 700, 600);                     // pad 0: 2C
    down(6, 1150, 100);                    // pad 8: 11
    down(RemoteTouchIdBase + 1, 930, 300); // the phone's, pad 3: 2F
    updateController();
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    mainWindowMessage(window, win::WM_POINTERCAPTURECHANGED, 5, 0);
    updateController();
    EXPECT_EQ(strokes(),
              (std::vector<std::string>{"make 0x2C", "make 0x2F", "make 0x11", "break 0x2C"}));
    for (const uintptr_t pointer : {uintptr_t{5}, uintptr_t{0x10063}, uintptr_t{1}}) {
        mainWindowMessage(window, win::WM_POINTERCAPTURECHANGED, pointer, 0);
        updateController();
    }
    EXPECT_EQ(strokes().size(), 4u);
    EXPECT_EQ(fakePlatform.defaultHandled.back().message, win::WM_POINTERCAPTURECHANGED);
}

// Windows minimises or hides the window (Win+M, Win+D, its taskbar button,
// another program): no up of its contacts comes. They lift, and the mouse
// finger; the phone's fingers, on no screen of this PC, do not.
TEST_F(ControllerFixture, AWindowMinimisedOrHiddenByWindowsLetsGoOfItsContacts) {
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    // WINDOWPOS as WM_WINDOWPOSCHANGED points at it: SWP_HIDEWINDOW.
    struct {
        WindowHandle window, after;
        int32_t x, y, width, height;
        uint32_t flags;
    } hidden = {window, nullptr, 0, 0, 0, 0, 0x0080};
    const FakeMessage cases[] = {
        {win::WM_SIZE, win::SIZE_MINIMIZED, 0},
        {win::WM_SHOWWINDOW, 0, 0},
        {win::WM_WINDOWPOSCHANGED, 0, reinterpret_cast<intptr_t>(&hidden)},
    };
    for (const FakeMessage& c : cases) {
        switchScene(0);
        resetTouchTable();
        clearStrokes();
        enterPlay();
        down(5, 700, 600);
        down(RemoteTouchIdBase + 1, 930, 300);
        updateController();
        mainWindowMessage(window, c.message, c.wParam, c.lParam);
        updateController();
        EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x2F", "break 0x2C"}))
            << c.message;
    }
    // Restored, shown or moved: nothing lifts.
    for (const FakeMessage& c :
         {FakeMessage{win::WM_SIZE, 0, 0}, FakeMessage{win::WM_SHOWWINDOW, 1, 0}}) {
        mainWindowMessage(window, c.message, c.wParam, c.lParam);
    }
    hidden.flags = 0x0040; // SWP_SHOWWINDOW
    mainWindowMessage(window, win::WM_WINDOWPOSCHANGED, 0, reinterpret_cast<intptr_t>(&hidden));
    updateController();
    EXPECT_EQ(strokes().size(), 3u);
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
