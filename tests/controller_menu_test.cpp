// The menu on the controller screen and the window menu, made of one table
// of commands: each command against what the next start remembers, the
// hold that opens the menu, no key while it is open, the layouts with their
// pictures, every page inside the frame, and the phone offered at the first
// start of a PC without a touch screen.
#include "base/logical_scale.h"
#include "base/win_constants.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/menu_view.h"
#include "controller/modes/overlay.h"
#include "controller/modes/phone_offer.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/settings/launch_options.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "remote/remote_fingers.h"
#include "remote/remote_link.h"
#include "support/controller_fixture.h"
#include "support/fake_network.h"
#include "support/fake_store.h"
#include "support/recording_canvas.h"

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Strokes = std::vector<std::string>;
const std::string Saved = "version 2\nkeys default 2C 2D 2E 2F 30 31 32 10 11 1D 2A\n";
WindowHandle const Window = reinterpret_cast<WindowHandle>(0x4242);

class Menu : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        installFakeStore();
        store.file = Saved;
        store.read = SettingsFound;
        network = RecordingNetwork;
        fakeNetwork = FakeNetwork{};
        // A monitor of the frame's size: over the game a touch's screen
        // point is its point in the frame.
        fakePlatform.monitor = {0, 0, 1280, 720};
        fakePlatform.workArea = {0, 0, 1280, 680};
    }
    void TearDown() override {
        ControllerFixture::TearDown();
        network = SystemNetwork;
        resetSettingsStore();
    }
    // A start as the program makes it, in play once keys are known.
    static void start(const char* commandLine = "") {
        startWith(commandLine);
        const StartScreen screen = rememberedStartScreen();
        fullScreen = screen.fullScreen ? 1 : 0;
        mainWindow = Window;
        fakePlatform.clientIsWindow = screen.overlay; // a window without a frame
        if (screen.overlay) {
            fakePlatform.windowRect = fakePlatform.monitor;
            fakePlatform.exStyle = static_cast<int32_t>(win::WS_EX_OVERLAY);
        }
        switchScene(1);
        clearStrokes();
    }
    static void restart() {
        switchScene(0);
        resetController();
        start();
    }
    static void pass(uint32_t ms = 1) {
        fakePlatform.time += ms;
        updateController();
    }
    static Point centre(const Rect& box) {
        return Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }
    static void tapAt(Point p, uint32_t id = 9) {
        down(id, p.x, p.y);
        pass();
        up(id, p.x, p.y);
        pass();
    }
    static const MenuButton* button(MenuTargetKind kind, int32_t value) {
        for (const MenuButton& b : menuButtons()) {
            if (b.kind == kind && b.value == value) {
                return &b;
            }
        }
        return nullptr;
    }
    static void press(MenuTargetKind kind, int32_t value) {
        const MenuButton* found = button(kind, value);
        ASSERT_NE(found, nullptr) << kind << " " << value;
        tapAt(centre(found->box));
    }
    static void holdMenu() {
        const Point p = centre(overlayState.on ? overlayButtonBox(OverlayMenu) : menuButtonBox());
        down(8, p.x, p.y);
        pass();
        pass(MenuHoldMs);
        up(8, p.x, p.y);
        pass();
        ASSERT_EQ(controllerMode, MenuOpen);
    }
    static void openAt(MenuPage page) {
        holdMenu();
        if (page == PageTiming) { // a page of the phone's page
            press(TargetPage, PagePhone);
        }
        if (page != PageMain) {
            press(TargetPage, page);
        }
    }
    static std::string upper(std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return text;
    }
};

// The window menu and the screen's pages come from the one table: the same
// commands, in the same order, the same ones checked and marked; a choice in
// the window menu (as WM_SYSCOMMAND, or WM_COMMAND from a popup under Wine)
// does what the screen's button does.
TEST_F(Menu, TheWindowMenuAndTheScreenAreBuiltFromOneTable) {
    start();
    mainWindowMessage(Window, win::WM_INITMENU, 0, 0);
    const std::vector<WindowMenuEntry>& entries = fakePlatform.windowMenu;
    for (int32_t page = PagePhone; page < PageAbout; ++page) {
        std::vector<std::string> windowSays;
        bool inside = false;
        for (const WindowMenuEntry& e : entries) {
            if (e.kind == WindowMenuSubmenu) {
                inside = std::string(e.text) == menuPageTitle(static_cast<MenuPage>(page));
            } else if (e.kind == WindowMenuSubmenuEnd) {
                inside = false;
            } else if (inside) {
                windowSays.push_back(upper(e.text) + (e.checked ? " *" : ""));
            }
        }
        openAt(static_cast<MenuPage>(page));
        std::vector<std::string> screenSays;
        for (const MenuButton& b : menuButtons()) {
            char text[64];
            menuButtonText(b, text, sizeof text);
            if (b.kind == TargetCommand || b.kind == TargetLayout) {
                screenSays.push_back(upper(text) + (menuButtonMarked(b) ? " *" : ""));
            }
        }
        if (page == PageLayout) { // the window menu has them all, the page twelve
            windowSays.resize(screenSays.size());
        }
        EXPECT_FALSE(screenSays.empty()) << page;
        EXPECT_EQ(windowSays, screenSays) << menuPageTitle(static_cast<MenuPage>(page));
        tapAt(Point{10, 10}); // outside the menu: it closes
        ASSERT_EQ(controllerMode, Play);
    }
    // Output, from the window menu both ways, then from the screen.
    mainWindowMessage(Window, win::WM_SYSCOMMAND, menuCommandNumber(CommandOutputSendInput), 0);
    pass();
    EXPECT_EQ(outputInUse, SendInputOutput);
    mainWindowMessage(Window, win::WM_COMMAND, menuCommandNumber(CommandOutputAuto), 0);
    pass();
    EXPECT_EQ(outputInUse, DriverOutput);
    mainWindowMessage(Window, win::WM_COMMAND, menuCommandNumber(CommandOutputAuto), 0x77);
    EXPECT_EQ(windowMenuChosen, 0u); // from a control, not a menu
}

// Each command against a restart: what it makes the next start remember is
// what its option would (and "nothing" leaves the file as it was).
TEST_F(Menu, EachCommandIsRememberedAsItsOptionIs) {
    const struct {
        int32_t command;
        const char* before; // a line the settings hold first
        std::function<void()> then;
        const char* saved;                 // a line the file holds; null: the file unchanged
        std::function<bool()> atNextStart; // null: the command's own mark holds
    } cases[] = {
        {CommandPhoneOn, "", nullptr, "remote on 89144gj28914", nullptr},
        {CommandPhoneOff, "remote on 89144gj28914\n", nullptr, "remote off 89144gj28914", nullptr},
        {CommandNewCode, "remote off 2wbhe5rq2wbh\n", nullptr, "remote on 89144gj28914",
         [] { return remoteStatus().state == RemoteState::Waiting; }},
        {CommandDelayAtOnce, "", nullptr, "remote-delay 0", nullptr},
        {CommandDelaySteady, "remote-delay 0\n", nullptr, "remote-delay auto", nullptr},
        {CommandDelayLonger, "", nullptr, "remote-delay 45", nullptr}, // from the bound
        {CommandDelayShorter, "remote-delay 20\n", nullptr, "remote-delay 15",
         [] { return remoteDelay().fixedMs == 15; }},
        {CommandDelayShorter, "remote-delay 3\n", nullptr, "remote-delay 1",
         [] { return remoteDelay().fixedMs == 1; }},
        {CommandWindow, "screen \\\\.\\DISPLAY1 fullscreen\n", nullptr, "DISPLAY1 window", nullptr},
        {CommandFullScreen, "", nullptr, "DISPLAY1 fullscreen", nullptr},
        {CommandOverTheGame, "", nullptr, "overlay on 60",
         [] { // the one screen mode marked
             return menuCommand(CommandOverTheGame).chosen() &&
                    !menuCommand(CommandWindow).chosen() &&
                    !menuCommand(CommandFullScreen).chosen();
         }},
        {CommandLessOpaque, "", nullptr, "overlay off 50",
         [] { return overlayState.opacity == 50 && !overlayState.on; }},
        {CommandMoreOpaque, "overlay on 90\n", nullptr, "overlay on 100",
         [] { return overlayState.opacity == 100 && overlayState.on; }},
        {CommandAskKeys, "",
         [] {
             for (unsigned short key = 0x10; key < 0x1B; ++key) {
                 scriptKeyPress(1, key);
             }
             pass();
         },
         "keys default 10 11 12 13 14 15 16 17 18 19 1A", [] { return KeyScancodes[0] == 0x10; }},
        {CommandOwnKeys, "keys lanes4 20 21 22 23\nlayout lanes4\n", nullptr,
         "keys lanes4 20 21 24 25", nullptr},
        {CommandOutputSendInput, "", nullptr, "output sendinput", nullptr},
        {CommandOutputDriver, "output sendinput\n", nullptr, "output interception", nullptr},
        {CommandOutputAuto, "output interception\n", nullptr, "output auto", nullptr},
        {CommandEditLayout, "", nullptr, nullptr, [] { return controllerMode == Play; }},
        {CommandLayoutsFolder, "", nullptr, nullptr, [] { return true; }},
        {CommandAbout, "", nullptr, nullptr, [] { return true; }},
    };
    for (const auto& c : cases) {
        const std::string name = menuCommand(c.command).text;
        switchScene(0);
        resetController();
        installFakeStore();
        store.file = Saved + c.before;
        store.read = SettingsFound;
        start();
        const std::string before = store.file;
        openAt(menuCommand(c.command).page);
        press(TargetCommand, c.command);
        if (c.then) {
            c.then();
        }
        if (c.saved != nullptr) {
            EXPECT_NE(store.file.find(c.saved), std::string::npos) << name << ", at once:\n"
                                                                   << store.file;
        } else {
            EXPECT_EQ(store.file, before) << name;
        }
        const MenuCommand& command = menuCommand(c.command);
        if (command.remembered[0] != '\0') {
            EXPECT_NE(std::string(menuOutcome().text).find(command.remembered), std::string::npos)
                << name << ": " << menuOutcome().text;
        }
        if (controllerMode == MenuOpen) {
            closeMenu();
        }
        if (controllerMode == EditLayout) {
            leaveEditor();
        }
        restart();
        if (c.saved != nullptr) {
            EXPECT_NE(store.file.find(c.saved), std::string::npos) << name << ":\n" << store.file;
        }
        EXPECT_TRUE(c.atNextStart ? c.atNextStart() : command.chosen())
            << name << " is not what the next start has";
    }
}

// The gesture play never makes by chance: a press held 500 ms on the button
// by a finger that came down on it, shown filling as it is held.
TEST_F(Menu, OnlyAPressHeldHalfASecondOnTheButtonOpensIt) {
    enum Kind { Down, Move, Up };
    struct Step {
        uint32_t at; // ms from the first step
        uint32_t finger;
        Kind kind;
        bool onButton; // else on the free floor right of it
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
        bool opens;
    } cases[] = {
        {"held 499 ms", {{0, 1, Down, true}, {499, 1, Up, true}}, false},
        {"held 500 ms", {{0, 1, Down, true}, {250, 1, Move, true}, {500, 1, Move, true}}, true},
        {"slid off and back",
         {{0, 1, Down, true}, {200, 1, Move, false}, {300, 1, Move, true}, {900, 1, Move, true}},
         false},
        {"slid onto it", {{0, 1, Down, false}, {10, 1, Move, true}, {900, 1, Move, true}}, false},
        {"a second finger on it as the first lifts",
         {{0, 1, Down, true}, {100, 2, Down, true}, {300, 1, Up, true}, {900, 2, Move, true}},
         false},
        {"a second finger on it meanwhile",
         {{0, 1, Down, true}, {100, 2, Down, true}, {500, 1, Move, true}},
         true},
        {"the phone's finger, the menu being on the PC's screen",
         {{0, RemoteTouchIdBase + 1, Down, true}, {900, RemoteTouchIdBase + 1, Move, true}},
         false},
        {"a tap, then held",
         {{0, 1, Down, true}, {50, 1, Up, true}, {60, 1, Down, true}, {560, 1, Move, true}},
         true},
    };
    for (const auto& c : cases) {
        switchScene(0);
        resetController();
        resetTouchTable();
        start();
        const Point on = centre(menuButtonBox());
        const Point off = {menuButtonBox().right + 200, on.y};
        const uint32_t start = fakePlatform.time;
        for (const Step& s : c.steps) {
            fakePlatform.time = start + s.at;
            const Point p = s.onButton ? on : off;
            touch(s.finger,
                  s.kind == Down   ? TouchFlagDown
                  : s.kind == Move ? TouchFlagMove
                                   : TouchFlagUp,
                  p.x, p.y);
            updateController();
            if (s.at == 250 && controllerMode == Play) {
                EXPECT_EQ(menuHoldShare(), 500) << c.what; // half filled
            }
        }
        EXPECT_EQ(controllerMode == MenuOpen, c.opens) << c.what;
    }
}

// Opening lets go of every key; while the menu is open no finger of any
// source presses one; a finger held as it closes presses nothing until it
// comes down again. Over the game the window spreads over the monitor,
// readable, and gets its band back after.
TEST_F(Menu, NoKeyReachesTheGameWhileItIsOpen) {
    start("--overlay 30 --layout overlay-turntable --keys 2C,2D,2E,2F,30,31,32,1D,2A");
    pass();
    const WinRect band = fakePlatform.windowRect;
    const Layout fitted = fittedToFrame(*presetNamed("overlay-turntable"));
    const auto padCentre = [&fitted](int32_t pad) {
        const LayoutPad& p = fitted.pads[pad];
        return Point{p.x + p.width / 2, p.y + p.height / 2};
    };
    const Point pad0 = padCentre(0);
    const Point pad3 = padCentre(3);
    const Point disc = {fitted.discs[0].x, fitted.discs[0].y};
    down(1, pad0.x, pad0.y);
    pass();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    holdMenu();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C"}));
    EXPECT_EQ(fakePlatform.alpha, 255 * MenuOpacityMin / 100);
    pass();
    EXPECT_EQ(fakePlatform.windowRect.top, 0); // the whole monitor
    clearStrokes();
    down(2, pad3.x, pad3.y); // a pad and the disc, under the menu's panel or not
    down(3, disc.x + 10, disc.y);
    move(3, disc.x, disc.y + 10);
    pass();
    windowActive = 1;
    ActionMap[ActionEsc].pressed = 1; // Esc while the window is active closes it
    pass();
    ActionMap[ActionEsc].pressed = 0;
    EXPECT_EQ(controllerMode, Play);
    pass();
    EXPECT_TRUE(strokes().empty()) << strokes()[0];
    EXPECT_EQ(fakePlatform.alpha, 77); // 30 % of 255, rounded
    EXPECT_EQ(fakePlatform.windowRect.top, band.top);
    EXPECT_GT(band.top, 0);
    up(2, pad3.x, pad3.y);
    pass();
    down(2, pad3.x, pad3.y);
    pass();
    EXPECT_EQ(strokes(), Strokes{"make 0x2F"}); // down anew: it plays
}

// The layout page: every preset and every saved layout with its picture,
// the one in use marked; a file that cannot be used named with its problem;
// a layout without keys asked for them when a keyboard is there, played
// with its own otherwise.
TEST_F(Menu, TheLayoutsWithTheirPicturesAndABadFileNamed) {
    const std::string folder = FakeLayoutsFolder;
    store.files[folder + "popn.txt"] =
        "layout 1\nname popn\nsize 1280 720\npad 100 100 300 300 red 1E\n";
    store.files[folder + "broken.txt"] = "layout 1\nname broken\ngame x.exe\n";
    start();
    openAt(PageLayout);
    const std::vector<MenuLayout>& all = menuLayouts();
    ASSERT_EQ(all.size(), 16u); // 14 built-in, then the folder's files by path
    EXPECT_FALSE(all[14].usable);
    EXPECT_STREQ(all[14].name, "broken.txt");
    EXPECT_STREQ(all[15].name, "popn");
    EXPECT_TRUE(menuButtonMarked(*button(TargetLayout, 0)));
    EXPECT_EQ(button(TargetLayout, 12), nullptr); // twelve a page
    RecordingCanvas canvas;
    composeControllerFrame(canvas);
    const Rect pad0Cell = button(TargetLayout, 0)->box;
    int32_t padsInCell = 0;
    for (const DrawnOutline& fill : canvas.fills) {
        padsInCell += fill.colour == WhiteCapColour && fill.rect.left >= pad0Cell.left &&
                      fill.rect.right <= pad0Cell.right && fill.rect.bottom <= pad0Cell.bottom;
    }
    EXPECT_EQ(padsInCell, 6); // the default's white pads, small
    press(TargetLater, 0);
    press(TargetLayout, 14);
    EXPECT_TRUE(menuOutcome().problem);
    EXPECT_STREQ(menuOutcome().text, "broken.txt cannot be used: line 4: the size is missing");
    press(TargetLayout, 15);
    EXPECT_EQ(controllerMode, AssignKeys); // a keyboard is there: its key is asked for
    scriptKeyPress(1, 0x20);
    pass();
    EXPECT_EQ(controllerMode, Play);
    EXPECT_NE(store.file.find("layout file " + folder + "popn.txt\nkeys default"),
              std::string::npos)
        << store.file;
    EXPECT_NE(store.file.find("keys popn 20\n"), std::string::npos);
    fakePlatform.keyboardAttached = false;
    openAt(PageLayout);
    press(TargetLayout, 2); // double: none saved, no keyboard: its own
    EXPECT_EQ(controllerMode, Play);
    EXPECT_STREQ(controllerLayout.name, "double");
    EXPECT_NE(store.file.find("layout double\n"), std::string::npos) << store.file;
    // The files gone while their page is shown: the window menu, as it
    // opens, reads the folder again, and the page follows it.
    openAt(PageLayout);
    press(TargetLater, 0);
    store.files.clear();
    mainWindowMessage(Window, win::WM_INITMENU, 0, 0);
    pass();
    EXPECT_NE(button(TargetLayout, 13), nullptr);
    EXPECT_EQ(button(TargetLayout, 14), nullptr);
    RecordingCanvas after;
    composeControllerFrame(after);
}

// Every page inside the frame at 1280 x 720, its texts inside the panel and
// each button's inside the button; each button reached by a finger at its
// middle on a full-screen 1920 x 1080 and on a small 641 x 361 window.
TEST_F(Menu, EveryPageInsideTheFrameAndEveryButtonReached) {
    start("--remote");
    constexpr int32_t CharWidth = 8; // the widest the system's font draws on average
    for (int32_t page = PageMain; page < PageCount; ++page) {
        fakePlatform.client = {0, 0, 1280, 720};
        if (controllerMode != MenuOpen) {
            holdMenu();
        }
        openMenu(static_cast<MenuPage>(page));
        RecordingCanvas canvas;
        composeControllerFrame(canvas);
        const Rect panel = menuPanel();
        for (const DrawnText& t : canvas.texts) {
            const int32_t width = static_cast<int32_t>(t.text.size()) * CharWidth;
            const int32_t left = t.anchor == AnchorTopLeft ? t.x : t.x - width / 2;
            EXPECT_TRUE(left >= panel.left && left + width <= panel.right && t.y >= panel.top &&
                        t.y + 16 <= panel.bottom)
                << page << ": \"" << t.text << "\" at " << t.x << "," << t.y;
        }
        for (const MenuButton& b : menuButtons()) {
            char text[64];
            menuButtonText(b, text, sizeof text);
            EXPECT_LE(static_cast<int32_t>(std::strlen(text)) * CharWidth, b.box.right - b.box.left)
                << text;
        }
        for (const WinRect client : {WinRect{0, 0, 1920, 1080}, WinRect{0, 0, 641, 361}}) {
            fakePlatform.client = client;
            for (const MenuButton& b : menuButtons()) {
                const Point p = centre(b.box);
                const TouchRecord record{p.x * client.right / 1280 * 100,
                                         p.y * client.bottom / 720 * 100, 5, TouchFlagDown};
                fileTouchRecords(nullptr, &record, 1);
                EXPECT_TRUE(pointInRect(TouchTable[0].x, TouchTable[0].y, b.box)) << page;
                liftAllFingers();
            }
        }
    }
}

// The first start of a PC without a touch screen offers the phone beside
// the keys' prompt; choosing it starts the server (the firewall's question
// comes then), remembered at once, its address in the log and its code large.
TEST_F(Menu, AFirstStartWithoutATouchScreenOffersThePhone) {
    store = FakeStore{};
    for (const int32_t points : {10, 0}) {
        switchScene(0);
        resetController();
        fakePlatform.touchPoints = points;
        start();
        ASSERT_EQ(controllerMode, AssignKeys);
        EXPECT_EQ(phoneOffered(), points == 0);
    }
    RecordingCanvas offer;
    composeControllerFrame(offer);
    EXPECT_NE(std::find_if(offer.texts.begin(), offer.texts.end(),
                           [](const DrawnText& t) { return t.text == PhoneOfferText; }),
              offer.texts.end());
    EXPECT_FALSE(fakeNetwork.started);
    tapAt(centre(PhoneOfferButton));
    EXPECT_TRUE(fakeNetwork.started);
    EXPECT_FALSE(phoneOffered());
    EXPECT_EQ(store.file.substr(store.file.find("version")), "version 2\nremote on 89144gj28914\n");
    EXPECT_NE(store.log.find("remote controller: http://192.168.1.20:8750/#89144gj28914"),
              std::string::npos)
        << store.log;
    RecordingCanvas code;
    composeControllerFrame(code);
    int32_t modules = 0;
    for (const DrawnOutline& fill : code.fills) {
        modules += fill.colour == 0 && fill.rect.right - fill.rect.left == AssignCodeModule &&
                   fill.rect.left >= AssignCodeLeft;
    }
    EXPECT_GT(modules, 100);
    EXPECT_EQ(controllerMode, AssignKeys); // the keys are still asked for
}

// What the shell is asked to open, and what is said when it cannot be.
TEST_F(Menu, FilesOpenInExplorerAndWhatCannotBeDoneIsSaid) {
    start();
    platform.programFolder = [](char* out, size_t size) {
        std::snprintf(out, size, "%s", "D:\\Pädrelle\\");
        return true;
    };
    openAt(PageFiles);
    press(TargetCommand, CommandLayoutsFolder);
    press(TargetCommand, CommandLog);
    press(TargetCommand, CommandGuide);
    const std::string folder = FakeLayoutsFolder;
    const std::string padrelle = folder.substr(0, folder.size() - 8);
    EXPECT_EQ(fakePlatform.opened,
              (std::vector<std::string>{padrelle + "layouts",
                                        "explorer.exe /select,\"" + padrelle + "padrelle.log\"",
                                        "D:\\Pädrelle\\padrelle-guide.html"}));
    fakePlatform.openError = 1155;
    press(TargetCommand, CommandGuide);
    EXPECT_STREQ(menuOutcome().text,
                 "the guide D:\\Pädrelle\\padrelle-guide.html could not be opened (error 1155)");
    press(TargetBack, 0);
    press(TargetPage, PageOutput);
    fakeInterception.contextFails = true;
    resetKeyboardOutput();
    openKeyboardOutput(OutputSendInput);
    press(TargetCommand, CommandOutputDriver);
    EXPECT_EQ(outputInUse, SendInputOutput); // as it was
    EXPECT_TRUE(menuOutcome().problem);
    EXPECT_NE(std::string(menuOutcome().text).find("driver is not installed"), std::string::npos)
        << menuOutcome().text;
    press(TargetBack, 0);
    press(TargetCommand, CommandClose);
    EXPECT_EQ(fakePlatform.closeRequests, 1);
}

} // namespace
