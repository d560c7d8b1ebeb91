// Window placement: centring on the monitor, full screen, no-activate.
#include "base/win_constants.h"
#include "engine/shape_bands.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class WindowModes : public ::testing::Test {
  protected:
    void SetUp() override { installFakePlatform(); }
    void TearDown() override { resetPlatform(); }
    WindowHandle window = reinterpret_cast<WindowHandle>(0x42);
};

// ExtCreateRegion takes RGNDATA's rectangles: sorted top to bottom, left to
// right, none overlapping. Any boxes become that, covering the same pixels.
TEST(ShapeBands, AnyBoxesBecomeSortedBandsOfTheSamePixels) {
    using Boxes = std::vector<WinRect>;
    const Boxes cases[] = {
        {},
        {{5, 5, 5, 9}, {3, 3, 1, 1}},                       // empty only
        {{10, 10, 20, 20}, {0, 0, 12, 12}},                 // overlapping, out of order
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 20}}, // touching: one band
        {{2, 2, 8, 8}, {2, 2, 8, 8}, {0, 4, 30, 5}},        // the same twice, a cross
        {{-5, -3, 4, 2}, {20, 1, 25, 29}, {1, 28, 26, 30}, {3, 3, 7, 7}},
    };
    for (const Boxes& c : cases) {
        Boxes bands = c;
        shapeBands(bands);
        EXPECT_TRUE(inRegionDataForm(bands.data(), bands.size())) << c.size();
        const auto in = [](const Boxes& boxes, int32_t x, int32_t y) {
            for (const WinRect& b : boxes) {
                if (b.left <= x && x < b.right && b.top <= y && y < b.bottom) {
                    return true;
                }
            }
            return false;
        };
        for (int32_t y = -6; y < 32; ++y) {
            for (int32_t x = -6; x < 32; ++x) {
                ASSERT_EQ(in(bands, x, y), in(c, x, y)) << c.size() << " at " << x << "," << y;
            }
        }
    }
    Boxes touching = {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 20}};
    shapeBands(touching);
    EXPECT_EQ(touching.size(), 1u);
}

// Centred on the whole monitor, halves truncated toward zero: a window larger
// than its monitor starts before its edge.
TEST(CentreOnMonitor, CentresOnTheWholeMonitorWithSignedHalving) {
    const struct {
        WinRect window, monitor;
        WindowPlacement placed;
    } cases[] = {
        {{0, 0, 1300, 763}, {0, 0, 1920, 1080}, {310, 158, 1300, 763}}, // 158.5 truncated
        {{-8, -31, 1288, 728}, {1920, 0, 3840, 1080}, {1920 + 312, 160, 1296, 759}},
        {{0, 0, 1301, 800}, {0, 0, 1024, 768}, {-138, -16, 1301, 800}}, // -277 / 2
    };
    for (const auto& c : cases) {
        const WindowPlacement p = centreOnMonitor(c.window, c.monitor);
        EXPECT_EQ((std::vector<int32_t>{p.x, p.y, p.width, p.height}),
                  (std::vector<int32_t>{c.placed.x, c.placed.y, c.placed.width, c.placed.height}))
            << c.monitor.left;
    }
}

TEST_F(WindowModes, WindowedModeCentresOnTheWorkAreaNotUnderTheTaskbar) {
    setWindowedMode(window, 1280, 720);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x10CF0000));
    ASSERT_EQ(fakePlatform.positions.size(), 1u);
    const FakeWindowPos& pos = fakePlatform.positions[0];
    EXPECT_EQ(pos.width, 1296); // 1280 + the fake frame of 8 + 8
    EXPECT_EQ(pos.height, 759); // 720 + 31 + 8
    EXPECT_EQ(pos.x, 312);
    EXPECT_EQ(pos.y, 140); // (1040 - 759) / 2: the taskbar's 40 rows are left free
    EXPECT_EQ(pos.insertAfter, win::HWND_TOP);
    EXPECT_EQ(pos.flags, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE);
    EXPECT_EQ(fakePlatform.activations, 0);
    // The outer size is asked for the windowed style and the current extended style.
    EXPECT_EQ(fakePlatform.calls[0], "adjust 0x10CF0000 0x00000200 dpi 0");
}

// The taskbar steps back only for the active full-screen window, and this one
// never takes the focus: without the topmost band it stays over the pads.
TEST_F(WindowModes, FullScreenCoversTheWholeMonitorAboveTheTaskbarWithoutActivation) {
    fakePlatform.windowRect = {2000, 100, 3296, 859};
    fakePlatform.monitor = {1920, 0, 4480, 1440};
    fakePlatform.workArea = {1920, 0, 4480, 1400};
    setFullScreenMode(window);
    ASSERT_EQ(fakePlatform.monitorQueries.size(), 1u);
    EXPECT_EQ(fakePlatform.monitorQueries[0].left, 2000);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x90000000));
    const FakeWindowPos& pos = fakePlatform.positions[0];
    EXPECT_EQ(pos.x, 1920);
    EXPECT_EQ(pos.y, 0);
    EXPECT_EQ(pos.width, 2560);
    EXPECT_EQ(pos.height, 1440);
    EXPECT_EQ(pos.insertAfter, win::HWND_TOPMOST);
    EXPECT_EQ(pos.flags, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE);
    // No sunken edge: the client area is the whole monitor.
    EXPECT_EQ(fakePlatform.exStyle, static_cast<int32_t>(win::WS_EX_TOPMOST));
}

TEST_F(WindowModes, WindowedAfterFullScreenGivesTheSameWindowOutOfTheTopmostBand) {
    setWindowedMode(window, 1280, 720);
    setFullScreenMode(window);
    setNoActivate(window);
    setWindowedMode(window, 1280, 720);
    ASSERT_EQ(fakePlatform.positions.size(), 4u);
    const FakeWindowPos& first = fakePlatform.positions[0];
    const FakeWindowPos& leave = fakePlatform.positions[2];
    const FakeWindowPos& last = fakePlatform.positions[3];
    EXPECT_EQ(leave.insertAfter, win::HWND_NOTOPMOST);
    EXPECT_EQ(leave.flags, win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
    EXPECT_EQ(last.x, first.x);
    EXPECT_EQ(last.y, first.y);
    EXPECT_EQ(last.width, first.width);
    EXPECT_EQ(last.height, first.height);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(0x10CF0000));
    EXPECT_EQ(static_cast<uint32_t>(fakePlatform.exStyle), 0x08040200u);
}

// ShowWindow's first call takes the launcher's show command (STARTUPINFO)
// instead of its own: a launcher that starts Padrelle hidden or minimised
// would hide the controller. It is shown whatever the launcher gave, and
// activated only when the launcher did not ask otherwise.
TEST_F(WindowModes, AHiddenOrMinimisedStartStillShowsTheController) {
    const struct {
        int32_t launcher; // -1: no STARTUPINFO show command
        bool activated;
    } cases[] = {{-1, true},
                 {win::SW_HIDE, true},
                 {win::SW_SHOWMINIMIZED, true},
                 {win::SW_SHOWMINNOACTIVE, false},
                 {win::SW_SHOWNOACTIVATE, false},
                 {win::SW_SHOWMAXIMIZED, true}};
    for (const auto& c : cases) {
        installFakePlatform();
        fakePlatform.visible = false;
        fakePlatform.launcherShow = c.launcher;
        showWindowAtStart(window, c.launcher >= 0 ? c.launcher : win::SW_SHOWNORMAL);
        EXPECT_TRUE(fakePlatform.visible) << c.launcher;
        EXPECT_FALSE(fakePlatform.minimised) << c.launcher;
        const std::string last = fakePlatform.calls.back();
        EXPECT_EQ(last, c.activated ? "ShowWindow 1" : "ShowWindow 4") << c.launcher;
    }
}

// Windows activates a window on any SetWindowPos without SWP_NOACTIVATE (the
// fake counts it): no path of ours may, or the game loses the focus.
TEST_F(WindowModes, NoCallOfOursActivatesTheWindow) {
    const MonitorArea second = {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}};
    const struct {
        const char* what;
        std::function<void()> run;
    } paths[] = {
        {"windowed", [&] { setWindowedMode(window, 1280, 720); }},
        {"full screen", [&] { setFullScreenMode(window); }},
        {"full screen and back",
         [&] {
             setFullScreenMode(window);
             setWindowedMode(window, 1280, 720);
         }},
        {"start, nothing remembered", [&] { placeWindowAtStart(window, 1280, 720, {}); }},
        {"start, windowed on a monitor",
         [&] {
             placeWindowAtStart(window, 1280, 720, {true, second, false, false, 0});
         }},
        {"start, full screen on a monitor",
         [&] {
             placeWindowAtStart(window, 1280, 720, {true, second, true, false, 0});
         }},
        {"display change, windowed off the monitor",
         [&] {
             fakePlatform.windowRect = {3000, 0, 4300, 763};
             fitWindowToMonitor(window, nullptr);
         }},
        {"display change, full screen",
         [&] {
             fakePlatform.style = static_cast<int32_t>(win::WS_POPUP_VISIBLE);
             fitWindowToMonitor(window, nullptr);
         }},
        {"start, over the game on a monitor",
         [&] {
             fakePlatform.exStyle = static_cast<int32_t>(win::WS_EX_OVERLAY);
             placeWindowAtStart(window, 1280, 720, {true, second, false, true, 60});
         }},
        {"over the game and back",
         [&] {
             setOverlayMode(window, second, 50);
             keepOverlayOnTop(window);
             leaveOverlayMode(window, 1280, 720);
         }},
    };
    for (const auto& path : paths) {
        installFakePlatform();
        path.run();
        EXPECT_FALSE(fakePlatform.positions.empty()) << path.what;
        EXPECT_EQ(fakePlatform.activations, 0) << path.what;
    }
}

// A game that changes the resolution, a monitor that goes, a new DPI: the
// window is put back on its monitor at the right size, in its mode.
TEST_F(WindowModes, DisplayChangesPutTheWindowBackOnItsMonitor) {
    struct Case {
        const char* what;
        uint32_t message;
        uintptr_t wParam;
        uint32_t style;
        FakeWindowPos expected;
        const WinRect* suggested = nullptr; // WM_DPICHANGED's lParam
    };
    constexpr intptr_t Top = win::HWND_TOP;
    constexpr intptr_t Topmost = win::HWND_TOPMOST;
    static const WinRect suggested = {100, 50, 2050, 1190};
    const Case cases[] = {
        {"full screen, new resolution",
         win::WM_DISPLAYCHANGE,
         32,
         0x90000000,
         {Topmost, 0, 0, 1280, 1024, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE}},
        {"windowed, new resolution",
         win::WM_DISPLAYCHANGE,
         32,
         0x10CF0000,
         {Top, -8, 117, 1296, 759, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE}},
        // At a new DPI the window takes the rectangle the system suggests.
        {"windowed, new DPI",
         win::WM_DPICHANGED,
         144 | 144 << 16,
         0x10CF0000,
         {Top, 100, 50, 1950, 1140, win::SWP_NOZORDER | win::SWP_NOACTIVATE},
         &suggested},
        {"full screen, new DPI",
         win::WM_DPICHANGED,
         144 | 144 << 16,
         0x90000000,
         {Topmost, 0, 0, 1280, 1024, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE}},
    };
    for (const Case& c : cases) {
        installFakePlatform();
        fakePlatform.monitor = {0, 0, 1280, 1024};
        fakePlatform.workArea = {0, 0, 1280, 994};
        fakePlatform.style = static_cast<int32_t>(c.style);
        mainWindowMessage(window, c.message, c.wParam, reinterpret_cast<intptr_t>(c.suggested));
        ASSERT_EQ(fakePlatform.positions.size(), 1u) << c.what;
        EXPECT_EQ(fakePlatform.activations, 0) << c.what;
        const FakeWindowPos& pos = fakePlatform.positions[0];
        const FakeWindowPos& e = c.expected;
        EXPECT_EQ(pos.insertAfter, e.insertAfter) << c.what;
        EXPECT_EQ(pos.x, e.x) << c.what;
        EXPECT_EQ(pos.y, e.y) << c.what;
        EXPECT_EQ(pos.width, e.width) << c.what;
        EXPECT_EQ(pos.height, e.height) << c.what;
        EXPECT_EQ(pos.flags, e.flags) << c.what;
    }
    // A window the player put somewhere on the monitor stays there.
    installFakePlatform();
    fakePlatform.windowRect = {300, 200, 1600, 963};
    mainWindowMessage(window, win::WM_DISPLAYCHANGE, 32, 0);
    EXPECT_TRUE(fakePlatform.positions.empty());
    // A minimised window is left where the system keeps it.
    installFakePlatform();
    fakePlatform.style = static_cast<int32_t>(0x10CF0000 | win::WS_MINIMIZE);
    mainWindowMessage(window, win::WM_DISPLAYCHANGE, 32, 0);
    EXPECT_TRUE(fakePlatform.positions.empty());
}

// Over the game: a layered topmost tool window over the whole monitor, out
// of the taskbar (its style changed only while hidden, as the taskbar
// needs), shown with no shape until its controls' is set; back to a window
// of the taskbar the same way. Neither way activates it.
TEST_F(WindowModes, OverTheGameAndBackWithTheTaskbarToldWhileHidden) {
    allowActivation(window, false);
    fakePlatform.calls.clear();
    fakePlatform.taskbarStyleChangesWhileShown = 0; // the window as it was made
    const MonitorArea second = {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}};
    setOverlayMode(window, second, 60);
    auto ex = static_cast<uint32_t>(fakePlatform.exStyle);
    EXPECT_EQ(ex, win::WS_EX_OVERLAY);
    EXPECT_EQ(fakePlatform.style, static_cast<int32_t>(win::WS_POPUP));
    EXPECT_EQ(fakePlatform.alpha, 153);
    EXPECT_TRUE(fakePlatform.shaped);
    EXPECT_TRUE(fakePlatform.shape.empty());
    ASSERT_FALSE(fakePlatform.positions.empty());
    const FakeWindowPos& pos = fakePlatform.positions.back();
    EXPECT_EQ(std::vector<int32_t>({pos.x, pos.y, pos.width, pos.height}),
              std::vector<int32_t>({1920, 0, 2560, 1440}));
    EXPECT_EQ(pos.insertAfter, win::HWND_TOPMOST);
    EXPECT_EQ(fakePlatform.calls.front(), "hide");
    EXPECT_EQ(fakePlatform.calls.back(), "show");
    // Activation is never allowed back, nor the taskbar's button.
    allowActivation(window, true);
    setNoActivate(window);
    EXPECT_EQ(static_cast<uint32_t>(fakePlatform.exStyle), win::WS_EX_OVERLAY);
    // A display change covers the monitor again, still over the game.
    fakePlatform.style = static_cast<int32_t>(win::WS_POPUP_VISIBLE);
    fitWindowToMonitor(window, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(fakePlatform.exStyle), win::WS_EX_OVERLAY);
    EXPECT_EQ(fakePlatform.positions.back().insertAfter, win::HWND_TOPMOST);
    // Back to a window of the taskbar, windowed, out of the topmost band.
    leaveOverlayMode(window, 1280, 720);
    ex = static_cast<uint32_t>(fakePlatform.exStyle);
    EXPECT_EQ(ex & (win::WS_EX_LAYERED | win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST), 0u);
    EXPECT_EQ(ex & (win::WS_EX_APPWINDOW | win::WS_EX_NOACTIVATE | win::WS_EX_CLIENTEDGE),
              win::WS_EX_APPWINDOW | win::WS_EX_NOACTIVATE | win::WS_EX_CLIENTEDGE);
    EXPECT_FALSE(fakePlatform.shaped);
    EXPECT_TRUE(fakePlatform.visible);
    EXPECT_EQ(fakePlatform.positions.back().width, 1296);
    EXPECT_EQ(fakePlatform.taskbarStyleChangesWhileShown, 0);
    EXPECT_EQ(fakePlatform.activations, 0);
    // A window that is no overlay is left as it is.
    const size_t calls = fakePlatform.calls.size();
    leaveOverlayMode(window, 1280, 720);
    EXPECT_EQ(fakePlatform.calls.size(), calls);
    // Opacities out of bounds are held to them.
    setOverlayOpacity(window, 140);
    EXPECT_EQ(fakePlatform.alpha, 255);
    setOverlayOpacity(window, -5);
    EXPECT_EQ(fakePlatform.alpha, 0);
}

// A window the player started (active by then) can be activated again; one
// started behind the game never takes the focus from it.
TEST_F(WindowModes, AtTheStartOnlyAnActiveWindowMayBeActivatedAgain) {
    for (const int32_t active : {0, 1}) {
        installFakePlatform();
        windowActive = active;
        placeWindowAtStart(window, 1280, 720, {});
        EXPECT_EQ((static_cast<uint32_t>(fakePlatform.exStyle) & win::WS_EX_NOACTIVATE) != 0,
                  active == 0)
            << active;
    }
    windowActive = 0;
}

} // namespace
