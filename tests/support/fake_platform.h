// A recording fake of the platform table for tests.
//
// installFakePlatform() resets it and points every platform entry at it; the
// client area is 1280 x 720 at the screen origin, so screen and client
// coordinates agree and the stretch is one to one.
#pragma once

#include "base/platform.h"

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct FakeWindowPos {
    intptr_t insertAfter; // HWND_TOP 0, HWND_TOPMOST -1, HWND_NOTOPMOST -2
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t flags;
};

struct FakeMessageBox {
    std::string text;
    std::string caption;
    uint32_t type;
};

// Wakes of the main loop, from any thread.
extern std::atomic<int> fakeMainLoopWakes;

struct FakePlatform {
    uint32_t time = 0;
    uint64_t preciseUs = 0;
    bool keyDown[256] = {};
    WinRect client = {0, 0, 1280, 720};
    bool clientRectFails = false;
    WinRect clientOrigin = {0, 0, 0, 0}; // client area's screen origin in left/top
    // A window without a frame (the overlay): its client area is the window
    // itself, wherever it is placed.
    bool clientIsWindow = false;

    // Messages waiting in the queue; takeMessage hands out the front one.
    // WM_QUIT (0x12) and a message of 0xFFFFFFFF are taken but not dispatched.
    std::deque<FakeMessage> queue;
    FakeMessage current = {};
    int32_t messagesTaken = 0;
    std::vector<FakeMessage> dispatched;
    std::vector<FakeMessage> defaultHandled;
    // The records behind each touch input handle, as GetTouchInputInfo
    // reads them; a handle not here cannot be read. A handle once closed
    // is gone: reading it, closing it again or passing it to the default
    // handling (which closes it) is a fault, recorded in touchFaults.
    std::map<intptr_t, std::vector<TouchInput>> touchInputs;
    std::vector<intptr_t> closedTouchHandles;
    std::vector<std::string> touchFaults;
    // The primary mouse button as GetAsyncKeyState reads it. Down unless a
    // test lets it go where the window hears nothing of that.
    bool buttonDown = true;
    std::vector<int32_t> quitCodes;
    bool sessionServicesReady = true;
    bool touchRegistrationFails = false; // as under Wine (error 120)
    uintptr_t extraInfo = 0;             // what messageExtraInfo gives
    std::vector<uint32_t> waits;         // timeouts of every waitForInput
    // Deadlines of every waitForInputUntilUs; with nothing queued the wait
    // lasts until the deadline, and the precise clock stands there after it.
    std::vector<uint64_t> preciseWaits;
    // Called by waitForInput; may queue messages or move the clock.
    std::function<void(uint32_t timeoutMs)> onWait;
    int32_t refreshHz = 60;

    // Window state.
    int32_t style = 0x10CF0000;
    int32_t exStyle = 0x00000200;
    WinRect windowRect = {0, 0, 1300, 763};
    WinRect monitor = {0, 0, 1920, 1080};
    WinRect workArea = {0, 0, 1920, 1040}; // the taskbar along the bottom
    uint32_t dpi = 0;                      // GetDpiForWindow; 0: not known
    // The monitors by name, and the name of the one the window is on.
    std::map<std::string, MonitorArea> monitors = {
        {"\\\\.\\DISPLAY1", {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}}};
    std::string windowMonitor = "\\\\.\\DISPLAY1";
    // Each display name's device interface name; none where not here.
    std::map<std::string, std::string> monitorDevices;
    // What adjustWindowRectEx adds on each side at 96 DPI (or DPI 0), scaled
    // for other DPIs.
    WinRect frame = {-8, -31, 8, 8};
    std::vector<WinRect> monitorQueries;
    std::vector<FakeWindowPos> positions;
    int32_t activations = 0;        // SetWindowPos calls without SWP_NOACTIVATE
    std::vector<std::string> calls; // "setWindowLong style 0x...", "setCapture", ...

    // Padrelle's window is the active, foreground window: the keyboard's
    // keys, SendInput's among them, go to it and not to the game. Hiding it
    // with SetWindowPos (SWP_HIDEWINDOW | SWP_NOACTIVATE) leaves it so
    // (Wine's win.c, run on Windows); handing the foreground to another
    // window ends it, with WM_ACTIVATE (WA_INACTIVE) sent to ours.
    bool ownWindowInFront = false;
    // The launcher's show command (STARTUPINFO), which ShowWindow's first
    // call takes instead of its own; -1: none given. What the window is now.
    int32_t launcherShow = -1;
    bool showWindowCalled = false;
    bool minimised = false;
    WindowHandle foregroundGivenTo = nullptr;
    // Shown or hidden (ShowWindow), the layered window's alpha (-1: never
    // set), and its shape: none (the whole window) or these boxes.
    bool visible = true;
    int32_t alpha = -1;
    bool shaped = false;
    std::vector<WinRect> shape;
    int32_t shapeCalls = 0;
    // Boxes given in another form than RGNDATA's (ExtCreateRegion): sorted
    // top to bottom, left to right, none overlapping. Refused, as nothing
    // promises what such data makes.
    int32_t shapesRefused = 0;
    // The taskbar and Alt+Tab follow a change of the tool-window or
    // app-window style only while the window is hidden: a change while it
    // is shown is counted here (the taskbar would keep the old button).
    int32_t taskbarStyleChangesWhileShown = 0;
    bool exclusiveFullScreen = false; // a game holds the display
    // The windows above ours where it is, the topmost first: 'S' one of the
    // shell's own (the taskbar, Start), 'O' another program's. Another
    // topmost window may come over ours without any change of the
    // foreground.
    std::string windowsAbove;
    // Whether Windows lets the program bring its window to the top now:
    // SetWindowPos's remarks tie that to the permission to set the
    // foreground window, which the program has, for example, when it
    // received the last input event.
    bool mayRaise = true;

    // The window's timers by id: their period in ms as asked; and when each
    // next ticks, in microseconds of the fake clock. Windows rounds a period
    // up to the system's tick (Wine's msg.c, run on Windows: a 10 ms timer
    // ticks 64 or 43 times a second, not 100).
    std::map<uintptr_t, uint32_t> timers;
    std::map<uintptr_t, uint64_t> timerDueUs;
    // What DefWindowProc does with a caption button pressed (WM_NCLBUTTONDOWN
    // on HTMINBUTTON, HTMAXBUTTON or HTCLOSE): a modal loop of the system's
    // until the button comes up, without WM_ENTERSIZEMOVE.
    std::function<void(WindowHandle)> captionButtonLoop;

    // A touch screen of ten points and a keyboard, unless a test says not.
    int32_t touchPoints = 10;
    bool keyboardAttached = true;
    // What the shell was asked to open ("FILE" or "FILE PARAMETERS"), and
    // the error it answers (0: done).
    std::vector<std::string> opened;
    uint32_t openError = 0;
    int32_t closeRequests = 0;
    // The window menu's entries below the system's own, as last set.
    std::vector<WindowMenuEntry> windowMenu;

    std::vector<FakeMessageBox> messageBoxes;
    std::vector<std::pair<std::string, uint32_t>> sounds;

    // Called on every dispatched message (after it is recorded).
    std::function<void(const FakeMessage&)> onDispatch;
};

extern FakePlatform fakePlatform;

// The system's timer tick, and a timer's period as Windows keeps it.
constexpr uint64_t SystemTickUs = 15625;
uint64_t timerPeriodUs(uint32_t askedMs);
// A modal loop of the system's for ms milliseconds of the fake clock: every
// millisecond `during` may queue messages, which the loop dispatches to the
// window at once, with WM_TIMER of each timer when due; it runs no pass of
// the program's own.
void runModalLoop(WindowHandle window, uint32_t ms, const std::function<void(uint32_t)>& during);

// Whether boxes are as RGNDATA holds a region's rectangles: each one not
// empty, sorted top to bottom, then left to right, none overlapping another.
bool inRegionDataForm(const WinRect* boxes, size_t count);

void installFakePlatform();
