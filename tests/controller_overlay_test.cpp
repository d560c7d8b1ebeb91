// The controller over the game: the window's shape against what the
// controls answer for, the panel's place and buttons, the shape following
// the window, and the overlay staying on top without ever being activated.
#include "base/logical_scale.h"
#include "base/win_constants.h"
#include "base/window_owners.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "keyout/system_input.h"
#include "support/controller_fixture.h"
#include "support/fake_desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool inside(int32_t x, int32_t y, const Rect& r) {
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

// Whether a place of the frame is answered for: by a control's box (a
// disc's square) or the panel; by the prompt while keys are assigned.
bool answered(const Layout& fitted, bool assigning, int32_t x, int32_t y) {
    if (x == OutsideTheFrame) {
        return false;
    }
    for (int32_t i = 0; i < fitted.padCount; ++i) {
        const LayoutPad& p = fitted.pads[i];
        if (inside(x, y, Rect{p.y, p.x, p.y + p.height, p.x + p.width})) {
            return true;
        }
    }
    for (int32_t i = 0; i < fitted.discCount; ++i) {
        const LayoutDisc& d = fitted.discs[i];
        if (inside(x, y, Rect{d.y - d.radius, d.x - d.radius, d.y + d.radius, d.x + d.radius})) {
            return true;
        }
    }
    return inside(x, y, overlayPanelBox()) ||
           (assigning && inside(x, y, Rect{186, 200, 500, 1080}));
}

// The pixels of the window's shape (its boxes do not overlap).
int64_t shapeArea() {
    int64_t area = 0;
    for (const WinRect& b : fakePlatform.shape) {
        area += int64_t{b.right - b.left} * (b.bottom - b.top);
    }
    return area;
}

bool shaped(const std::vector<WinRect>& boxes, int32_t x, int32_t y) {
    for (const WinRect& b : boxes) {
        if (b.left <= x && x < b.right && b.top <= y && y < b.bottom) {
            return true;
        }
    }
    return false;
}

// Every client pixel of whole rows and columns (a box's edges lie on every
// row and every column it crosses): in the shape exactly where a touch
// there would land on a control or the panel.
TEST(OverlayShape, TakesInputExactlyWhereAControlAnswers) {
    struct Case {
        const char* layout;
        int32_t width;
        int32_t height;
        bool assigning;
    };
    const Case cases[] = {
        {"overlay-turntable", 1920, 1080, false},
        {"overlay-turntable", 1916, 1076, true},
        {"default", 1366, 768, false},
        {"overlay-knobs", 3840, 2160, false},
        {"knobs", 2000, 700, false},
        {"knobs", 700, 2000, true},
        {"overlay-lanes7", 641, 359, false},
        {"double", 1281, 721, false},
    };
    for (const Case& c : cases) {
        const Layout fitted = fittedToFrame(*presetNamed(c.layout));
        keepFrameProportions(fitted.keepProportions);
        placeOverlayPanel(fitted);
        std::vector<WinRect> boxes;
        overlayShape(fitted, c.assigning, c.width, c.height, boxes);
        const std::string what =
            std::string(c.layout) + " " + std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_TRUE(inRegionDataForm(boxes.data(), boxes.size())) << what;
        int32_t wrong = 0;
        for (int32_t y = 0; y < c.height && wrong < 5; ++y) {
            for (int32_t x = 0; x < c.width && wrong < 5; ++x) {
                if (y % 13 != 0 && x % 13 != 0) {
                    continue;
                }
                int32_t lx = 0;
                int32_t ly = 0;
                clientToLogical(x, y, c.width, c.height, &lx, &ly);
                if (answered(fitted, c.assigning, lx, ly) != shaped(boxes, x, y)) {
                    ++wrong;
                    ADD_FAILURE() << what << ": pixel " << x << "," << y << " (frame " << lx << ","
                                  << ly << ")";
                }
            }
        }
    }
    keepFrameProportions(false);
    std::vector<WinRect> boxes = {{1, 2, 3, 4}};
    overlayShape(defaultLayout(), false, 0, 720, boxes);
    EXPECT_TRUE(boxes.empty()); // no client area: nothing
}

// The shell's own windows, which the overlay never rises over, by class; a
// UWP game's content window has the class of Start's and is no shell's.
TEST(ShellWindows, AreTheShellsByClassAndACoreWindowByItsProgram) {
    const struct {
        const char* windowClass;
        const char* program;
        bool shell;
    } cases[] = {
        {"Shell_TrayWnd", "explorer.exe", true},
        {"Shell_SecondaryTrayWnd", "", true},
        {"Windows.UI.Core.CoreWindow", "StartMenuExperienceHost.exe", true},
        {"Windows.UI.Core.CoreWindow", "shellexperiencehost.exe", true},
        {"Windows.UI.Core.CoreWindow", "SearchHost.exe", true},
        {"Windows.UI.Core.CoreWindow", "Game.exe", false},
        {"Windows.UI.Core.CoreWindow", "", false},
        {"ApplicationFrameWindow", "ApplicationFrameHost.exe", false},
        {"UnityWndClass", "explorer.exe", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isShellWindow(c.windowClass, c.program), c.shell) << c.windowClass << c.program;
    }
}

// The panel takes the first free corner, else a free stretch of an edge;
// it never shares a place with a control where there is room.
TEST(OverlayPanel, GoesWhereNoControlLies) {
    const struct {
        const char* layout;
        Rect panel;
    } cases[] = {
        // Just above the controls, to the right: the window need cover no
        // more than their band and the panel.
        {"overlay-turntable", {454, 868, 502, 1272}},
        {"overlay-lanes4", {504, 868, 552, 1272}},
        {"nine", {174, 868, 222, 1272}},
        {"lanes4", {8, 868, 56, 1272}}, // lanes reach every corner: shared
        {"default", {204, 1208, 494, 1272}},
        {"mirrored", {204, 8, 494, 72}},
    };
    for (const auto& c : cases) {
        placeOverlayPanel(fittedToFrame(*presetNamed(c.layout)));
        const Rect box = overlayPanelBox();
        EXPECT_EQ(std::vector<int32_t>({box.top, box.left, box.bottom, box.right}),
                  std::vector<int32_t>({c.panel.top, c.panel.left, c.panel.bottom, c.panel.right}))
            << c.layout;
        // MENU first, then the label, then the other buttons, apart inside it.
        Rect previous = overlayButtonBox(OverlayMenu);
        for (int32_t b = -1; b < OverlayMenu; ++b) {
            const Rect button = b < 0 ? overlayLabelBox() : overlayButtonBox(b);
            EXPECT_TRUE(inside(button.left, button.top, box) &&
                        inside(button.right, button.bottom, box))
                << c.layout;
            EXPECT_TRUE(button.left > previous.right || button.top > previous.bottom) << c.layout;
            EXPECT_GE(std::min(button.right - button.left, button.bottom - button.top), 45);
            previous = button;
        }
    }
}

class OverlayPlay : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        mainWindow = reinterpret_cast<WindowHandle>(0x42);
        fakePlatform.exStyle = static_cast<int32_t>(win::WS_EX_OVERLAY);
        fakePlatform.style = static_cast<int32_t>(win::WS_POPUP_VISIBLE);
        // A monitor of the frame's size at the screen's origin: a touch's
        // screen point is its logical point.
        fakePlatform.monitor = {0, 0, 1280, 720};
        fakePlatform.workArea = {0, 0, 1280, 680};
        fakePlatform.windowRect = fakePlatform.monitor;
        fakePlatform.clientIsWindow = true;
        overlayState = OverlayState{true, 60};
        useLayout(*presetNamed("overlay-turntable"));
        enterPlay();
    }
    void TearDown() override {
        mainWindow = nullptr;
        ControllerFixture::TearDown();
    }
    // A tap on a button of the panel.
    static void tap(int32_t button) {
        const Rect box = overlayButtonBox(button);
        const int32_t x = (box.left + box.right) / 2;
        const int32_t y = (box.top + box.bottom) / 2;
        down(9, x, y);
        updateController();
        up(9, x, y);
        updateController();
    }
};

TEST_F(OverlayPlay, ThePanelsButtonsChangeTheOpacityWithinItsBounds) {
    tap(OverlayMore);
    EXPECT_EQ(overlayState.opacity, 70);
    EXPECT_EQ(fakePlatform.alpha, 179); // 70 % of 255, rounded
    for (int i = 0; i < 5; ++i) {
        tap(OverlayMore);
    }
    EXPECT_EQ(overlayState.opacity, 100);
    EXPECT_EQ(fakePlatform.alpha, 255);
    for (int i = 0; i < 12; ++i) {
        tap(OverlayLess);
    }
    EXPECT_EQ(overlayState.opacity, 20);
    EXPECT_EQ(fakePlatform.alpha, 51);
    // Down on a button and off it before the lift: nothing.
    const Rect more = overlayButtonBox(OverlayMore);
    down(3, more.left + 5, more.top + 5);
    updateController();
    move(3, more.left + 5, 300);
    updateController();
    up(3, more.left + 5, 300);
    updateController();
    // Held on it: nothing until the lift.
    down(4, more.left + 5, more.top + 5);
    updateController();
    updateController();
    EXPECT_EQ(overlayState.opacity, 20);
    up(4, more.left + 5, more.top + 5);
    updateController();
    EXPECT_EQ(overlayState.opacity, 30);
    EXPECT_TRUE(strokes().empty()); // the panel sends no key
    EXPECT_EQ(fakePlatform.activations, 0);
}

TEST_F(OverlayPlay, PadsPlayAsEverywhereAndTheShapeFollowsTheWindow) {
    updateController();
    const int32_t shapes = fakePlatform.shapeCalls;
    ASSERT_TRUE(fakePlatform.shaped);
    EXPECT_EQ(fakePlatform.shapesRefused, 0);
    const int64_t area = shapeArea(); // seven pads, the disc, the panel
    // The window is the band its controls and the panel take along the
    // bottom, not the whole monitor; the frame lies on the monitor still.
    const WinRect& band = fakePlatform.windowRect;
    EXPECT_EQ(std::vector<int32_t>({band.left, band.top, band.right, band.bottom}),
              std::vector<int32_t>({10, 454, 1273, 711}));
    const LayoutPad& pad = controllerLayout.pads[2];
    down(1, pad.x + 3, pad.y + 3);
    updateController();
    up(1, pad.x + 3, pad.y + 3);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2E", "break 0x2E"}));
    EXPECT_EQ(fakePlatform.shapeCalls, shapes); // nothing changed: no new shape
    // A 4K monitor: the band again, its shape in the window's pixels.
    fakePlatform.monitor = {0, 0, 3840, 2160};
    updateController();
    EXPECT_EQ(fakePlatform.shapeCalls, shapes + 1);
    EXPECT_EQ(std::vector<int32_t>({band.left, band.top, band.right, band.bottom}),
              std::vector<int32_t>({10 * 3, 454 * 3, 1273 * 3, 711 * 3}));
    // The panel's last unit, 1272, is three pixels wide: its shape ends
    // where the frame's 1273 begins (in the window's pixels, from its left).
    int32_t right = 0;
    for (const WinRect& box : fakePlatform.shape) {
        right = std::max(right, box.right);
    }
    EXPECT_EQ(right + band.left, 1273 * 3);
    // A touch on the 4K screen lands where it lies on the frame.
    clearStrokes();
    down(2, (pad.x + 3) * 3, (pad.y + 3) * 3);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2E"}));
    up(2, (pad.x + 3) * 3, (pad.y + 3) * 3);
    updateController();
    // Keys asked for again: the prompt and its button take input too.
    const int64_t area4k = shapeArea();
    EXPECT_EQ(area4k, area * 9);
    controllerMode = AssignKeys;
    updateController();
    EXPECT_GT(shapeArea(), area4k);
    controllerMode = Play;
    updateController();
    EXPECT_EQ(shapeArea(), area4k);
    EXPECT_EQ(fakePlatform.shapesRefused, 0);
}

// Editing over the game: the window takes the whole monitor (a control may
// go anywhere the game's notes land) and takes input everywhere; the band
// and its shape come back when editing ends. Never activated, no key sent.
TEST_F(OverlayPlay, TheEditorWorksInPlaceOverTheWholeMonitor) {
    updateController();
    const int64_t area = shapeArea();
    const WinRect& window = fakePlatform.windowRect;
    EXPECT_EQ(std::vector<int32_t>({window.left, window.top, window.right, window.bottom}),
              std::vector<int32_t>({10, 454, 1273, 711}));
    tap(OverlayEdit); // the panel's EDIT: the window menu cannot be reached here
    ASSERT_EQ(controllerMode, EditLayout);
    updateController();
    EXPECT_EQ(std::vector<int32_t>({window.left, window.top, window.right, window.bottom}),
              std::vector<int32_t>({0, 0, 1280, 720}));
    ASSERT_EQ(fakePlatform.shape.size(), 1u);
    EXPECT_EQ(fakePlatform.shape[0].right, 1280);
    EXPECT_EQ(fakePlatform.shape[0].bottom, 720);
    // Pad 2 goes 200 pixels up, to where the game's notes fall.
    const LayoutPad pad = controllerLayout.pads[2];
    down(1, pad.x + 3, pad.y + 3);
    updateController();
    for (int32_t dy = 50; dy <= 200; dy += 50) {
        move(1, pad.x + 3, pad.y + 3 - dy);
        updateController();
    }
    up(1, pad.x + 3, pad.y - 197);
    updateController();
    EXPECT_EQ(controllerLayout.pads[2].y, pad.y - 200);
    EXPECT_TRUE(strokes().empty());
    // The overlay's own panel does nothing meanwhile: the editor's bar lies there.
    EXPECT_EQ(overlayState.opacity, 60);
    leaveEditor();
    updateController();
    EXPECT_EQ(std::vector<int32_t>({window.left, window.top, window.right, window.bottom}),
              std::vector<int32_t>({10, 454, 1273, 711}));
    EXPECT_EQ(shapeArea(), area);
    EXPECT_EQ(fakePlatform.activations, 0);
}

// Another program's topmost window over the overlay: it goes back on top,
// never activated, when the foreground changes and also when that window
// raised itself without any change of the foreground (within the look's
// half second). Where Windows refuses the raise (no foreground permission)
// it is asked again, and a finger down on the overlay (its last input
// event) brings it back at once. The taskbar and Start stay over it.
TEST_F(OverlayPlay, BackOnTopOfAnotherProgramsWindowNeverOverTheShells) {
    updateController();
    fakePlatform.positions.clear();
    updateController();
    EXPECT_TRUE(fakePlatform.positions.empty()); // nothing over it: no call
    // A topmost window came to the front.
    fakePlatform.windowsAbove = "O";
    noteForegroundChange();
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "");
    ASSERT_EQ(fakePlatform.positions.size(), 1u);
    EXPECT_EQ(fakePlatform.positions[0].insertAfter, win::HWND_TOPMOST);
    EXPECT_EQ(fakePlatform.positions[0].flags,
              win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
    // One raised itself, the foreground the same.
    fakePlatform.windowsAbove = "O";
    fakePlatform.time += 499;
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "O");
    fakePlatform.time += 1;
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "");
    // Refused: asked again; a touch on a pad brings it back at once.
    fakePlatform.mayRaise = false;
    fakePlatform.windowsAbove = "O";
    fakePlatform.time += 500;
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "O");
    fakePlatform.mayRaise = true; // the touch below is the program's last input
    const LayoutPad& pad = controllerLayout.pads[0];
    fakePlatform.time += 10;
    down(1, pad.x + 3, pad.y + 3);
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "");
    up(1, pad.x + 3, pad.y + 3);
    updateController();
    // The taskbar or Start over it: left there.
    fakePlatform.positions.clear();
    fakePlatform.windowsAbove = "S";
    noteForegroundChange();
    fakePlatform.time += 1000;
    updateController();
    EXPECT_EQ(fakePlatform.windowsAbove, "S");
    EXPECT_TRUE(fakePlatform.positions.empty());
    EXPECT_EQ(fakePlatform.activations, 0);
}

TEST_F(OverlayPlay, TheWindowButtonMakesItAnOrdinaryWindowAgain) {
    const LayoutPad& pad = controllerLayout.pads[0];
    down(1, pad.x + 3, pad.y + 3); // a pad held meanwhile: hidden, its contact ends
    updateController();
    tap(OverlayLeave);
    EXPECT_FALSE(overlayState.on);
    EXPECT_EQ(fullScreen, 0);
    // The window's own styles: the window modes' over-the-game-and-back test.
    EXPECT_FALSE(fakePlatform.shaped);
    EXPECT_EQ(fakePlatform.activations, 0);
    // The window was hidden for the change: its contacts' ups never come,
    // and the key goes up in the next pass.
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "break 0x2C"}));
    // The panel is gone: its place no longer acts.
    const int32_t shapes = fakePlatform.shapeCalls;
    tap(OverlayMore);
    EXPECT_EQ(overlayState.opacity, 60);
    EXPECT_EQ(fakePlatform.shapeCalls, shapes);
}

// From a window, the window menu's "Over the game" lays it over the game
// on its monitor, shaped from the same pass, at the opacity it last had;
// the WINDOW button brings it back. Neither way activates it.
TEST_F(ControllerFixture, TheWindowMenuLaysAWindowOverTheGameAndBack) {
    mainWindow = reinterpret_cast<WindowHandle>(0x42);
    useLayout(*presetNamed("overlay-lanes4"));
    enterPlay();
    overlayState.opacity = 40;
    updateController();
    EXPECT_EQ(fakePlatform.shapeCalls, 0); // a window: no shape
    overlayAsked = 1;
    updateController();
    EXPECT_EQ(overlayAsked, 0);
    EXPECT_TRUE(overlayState.on);
    EXPECT_EQ(fakePlatform.alpha, 102);       // at the opacity it last had
    EXPECT_EQ(fakePlatform.shape.size(), 5u); // four lanes and the panel
    // The band its lanes and the panel take along the bottom of the monitor.
    const WinRect& covered = fakePlatform.windowRect;
    EXPECT_EQ(std::vector<int32_t>({covered.left, covered.top, covered.right, covered.bottom}),
              std::vector<int32_t>({686, 756, 1910, 1076}));
    overlayAsked = 1; // again while over the game: nothing more
    const size_t calls = fakePlatform.calls.size();
    updateController();
    EXPECT_EQ(fakePlatform.calls.size(), calls);
    leaveOverlay();
    EXPECT_FALSE(overlayState.on);
    EXPECT_EQ(fakePlatform.activations, 0);
    mainWindow = nullptr;
}

// A window hidden with SetWindowPos (SWP_HIDEWINDOW | SWP_NOACTIVATE) stays
// active, foreground and focused: "Over the game" chosen from the menu of
// the active controller would keep the keyboard, and SendInput's keys, with
// Padrelle. The window the player left for it gets the foreground first; a
// window that was never active hands nothing.
TEST_F(ControllerFixture, OverTheGameFromTheActiveControllerGivesTheGameTheForeground) {
    const auto window = reinterpret_cast<WindowHandle>(0x42);
    const auto game = reinterpret_cast<WindowHandle>(0x77);
    launchOptions.output = OutputSendInput;
    launchOptions.outputGiven = true;
    for (const bool active : {true, false}) {
        switchScene(0);
        installFakePlatform();
        installFakeDesktop();
        overlayState = OverlayState{};
        enterPlay();
        mainWindowMessage(window, win::WM_ACTIVATE, active ? win::WA_ACTIVE : win::WA_INACTIVE,
                          reinterpret_cast<intptr_t>(game));
        fakePlatform.ownWindowInFront = active;
        mainWindowMessage(window, win::WM_SYSCOMMAND, OverlayMenuCommand, 0);
        updateController();
        EXPECT_TRUE(overlayState.on);
        EXPECT_FALSE(fakePlatform.ownWindowInFront) << active;
        EXPECT_EQ(fakePlatform.foregroundGivenTo, active ? game : nullptr);
        EXPECT_EQ(windowActive, 0);
        sendKey(0x2C, 1);
        EXPECT_EQ(gameHeldKeys(), std::vector<std::string>{"2C"}) << active;
        EXPECT_EQ(fakePlatform.activations, 0);
    }
    switchScene(0);
    launchOptions.output = OutputAuto;
    launchOptions.outputGiven = false;
    resetSystemInput();
    mainWindow = nullptr;
}

} // namespace

// A game in exclusive full screen hides every window over it, and the
// overlay would still take touches on its pads: it stands aside (hidden,
// its contacts lifted), never activated, and comes back on top once the game
// lets go, also when no change of the foreground says so.
TEST_F(OverlayPlay, UnderAGameInExclusiveFullScreenItStandsAsideUntilTheGameLetsGo) {
    const LayoutPad& pad = controllerLayout.pads[0];
    down(1, pad.x + 3, pad.y + 3);
    updateController();
    fakePlatform.exclusiveFullScreen = true;
    noteForegroundChange();
    updateController();
    EXPECT_FALSE(fakePlatform.visible);
    updateController();
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "break 0x2C"}));
    fakePlatform.exclusiveFullScreen = false;
    fakePlatform.time += OverlayLookMs - 1;
    updateController();
    EXPECT_FALSE(fakePlatform.visible);
    fakePlatform.positions.clear();
    fakePlatform.time += 1;
    updateController();
    EXPECT_TRUE(fakePlatform.visible);
    ASSERT_FALSE(fakePlatform.positions.empty());
    EXPECT_EQ(fakePlatform.positions.back().insertAfter, win::HWND_TOPMOST);
    EXPECT_EQ(fakePlatform.activations, 0);
}

// Over the game the window is in the background, and a background window's
// capture follows only its visible part (its region): a mouse held down on a
// pad and moved across the gap to the next leaves the window (which lets its
// finger go) and comes back over the next pad with the button still down.
// It slides on as a finger does; a move without the button starts nothing.
TEST_F(OverlayPlay, TheMouseSlidesFromPadToPadOverTheGame) {
    updateController();
    const LayoutPad& from = controllerLayout.pads[0];
    const LayoutPad& to = controllerLayout.pads[1];
    // In the window's own pixels: the window is the band along the bottom.
    const auto at = [](const LayoutPad& pad) {
        return static_cast<intptr_t>((pad.x + 3 - fakePlatform.windowRect.left) |
                                     ((pad.y + 3 - fakePlatform.windowRect.top) << 16));
    };
    mainWindowMessage(mainWindow, win::WM_LBUTTONDOWN, win::MK_LBUTTON, at(from));
    pollMouse();
    updateController();
    ASSERT_EQ(strokes().size(), 1u);
    mainWindowMessage(mainWindow, win::WM_MOUSELEAVE, 0, 0); // the gap: outside the region
    pollMouse();
    updateController();
    ASSERT_EQ(strokes().size(), 2u);
    EXPECT_EQ(strokes()[1].rfind("break", 0), 0u);
    mainWindowMessage(mainWindow, win::WM_MOUSEMOVE, win::MK_LBUTTON, at(to));
    pollMouse();
    updateController();
    ASSERT_EQ(strokes().size(), 3u);
    EXPECT_EQ(strokes()[2].rfind("make", 0), 0u);
    EXPECT_NE(strokes()[2], strokes()[0]); // the next pad's key
    mainWindowMessage(mainWindow, win::WM_LBUTTONUP, 0, at(to));
    pollMouse();
    updateController();
    EXPECT_EQ(strokes().size(), 4u);
    // Hovering without the button presses nothing, nor does a drag begun in
    // the game that crosses the overlay.
    for (const uintptr_t keys : {uintptr_t{0}, win::MK_LBUTTON}) {
        mainWindowMessage(mainWindow, win::WM_MOUSEMOVE, keys, at(from));
        pollMouse();
        updateController();
        EXPECT_EQ(strokes().size(), 4u) << keys;
    }
    // A drag from the overlay let go out in the game (the button asked for
    // says so), then one begun there: nothing either.
    const auto pass = [] {
        pollMouse();
        updateController();
    };
    mainWindowMessage(mainWindow, win::WM_LBUTTONDOWN, win::MK_LBUTTON, at(from));
    pass();
    mainWindowMessage(mainWindow, win::WM_MOUSELEAVE, 0, 0);
    pass();
    fakePlatform.buttonDown = false;
    fakePlatform.time += ButtonCheckMs;
    pass();
    fakePlatform.buttonDown = true;
    mainWindowMessage(mainWindow, win::WM_MOUSEMOVE, win::MK_LBUTTON, at(to));
    pass();
    EXPECT_EQ(strokes().size(), 6u);
}
