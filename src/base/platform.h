// The core's only door to the operating system.
//
// The portable core never calls the platform directly: it calls through the
// function table below. The Win32 layer fills it with the real calls at start;
// tests and native tools fill it with fakes. Every entry always points at a
// function: resetPlatform() installs harmless defaults.
#pragma once

#include <cstddef>
#include <cstdint>

// HWND on Windows; opaque everywhere else.
using WindowHandle = void*;

// A rectangle in the platform's order (left, top, right, bottom), as the
// window calls take and give it. Not the engine's Rect (graphics/geometry.h).
struct WinRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// A monitor: its whole rectangle and its work area, the part that the
// taskbar and docked bars leave free.
struct MonitorArea {
    WinRect whole;
    WinRect work;
};

constexpr size_t MonitorNameSize = 32;    // "\\.\DISPLAY1"
constexpr size_t MonitorDeviceSize = 256; // "\\?\DISPLAY#DEL40A3#...#{e6f07b5f-...}"

struct MonitorIdentity {
    char name[MonitorNameSize];
    char device[MonitorDeviceSize];
};

// One record of a touch message, as GetTouchInputInfo gives it.
struct TouchInput {
    int32_t x; // screen position, hundredths of a pixel
    int32_t y;
    uint32_t id;
    uint32_t flags;
    // When the system took the report, on the preciseTimeUs clock; 0 when
    // it does not say.
    uint64_t timeUs = 0;
};

// An entry of the window menu below the system's own: a command, or the
// start or the end of a submenu.
enum WindowMenuKind : int32_t { WindowMenuCommand = 0, WindowMenuSubmenu, WindowMenuSubmenuEnd };
struct WindowMenuEntry {
    int32_t kind;
    uintptr_t command; // WM_SYSCOMMAND's number: below 0xF000, its low four bits 0
    bool checked;
    char text[64]; // UTF-8
};

struct Platform {
    // Clocks and keyboard state.
    uint32_t (*timeMs)();                         // timeGetTime
    uint64_t (*preciseTimeUs)();                  // QueryPerformanceCounter, microseconds
    int16_t (*asyncKeyState)(int32_t virtualKey); // GetAsyncKeyState

    // Mouse capture and client area.
    void (*setCapture)(WindowHandle window);
    void (*releaseCapture)();
    // TrackMouseEvent(TME_LEAVE): one WM_MOUSELEAVE when the cursor leaves
    // the window's client area.
    void (*trackMouseLeave)(WindowHandle window);
    // Whether the mouse's primary button is down now, wherever the cursor is
    // (GetAsyncKeyState of the primary button).
    bool (*primaryButtonDown)();
    bool (*screenToClient)(WindowHandle window, int32_t* x, int32_t* y);
    bool (*clientRect)(WindowHandle window, WinRect* out); // GetClientRect

    // Message pump. The pump keeps its one message record itself.
    // PeekMessageA with PM_REMOVE, any window: 0 when no message waits, 1 for
    // a message taken, -1 for one that is not to be dispatched (WM_QUIT).
    int32_t (*takeMessage)();
    // Whether the window's close waits in the queue, posted (WM_CLOSE, a
    // WM_SYSCOMMAND of SC_CLOSE, or WM_QUIT): PeekMessage with PM_NOREMOVE
    // and PM_QS_POSTMESSAGE, which looks at posted messages only.
    bool (*closeQueued)();
    void (*dispatchMessage)(); // TranslateMessage, then DispatchMessageA
    // Sleeps until input of any kind (touch and pointer included) or a sent
    // message arrives, or timeoutMs pass (WaitForever: no limit). True when
    // something arrived.
    bool (*waitForInput)(uint32_t timeoutMs);
    // As waitForInput, until deadlineUs on the preciseTimeUs clock: a stroke
    // waiting for its time. A high-resolution waitable timer where the
    // system has one (Windows 10 1803 on), else a timer at the 1 ms period.
    bool (*waitForInputUntilUs)(uint64_t deadlineUs);
    // From any thread: the main loop's wait ends (a thread message to the
    // program's first thread), so that it takes what that thread queued.
    void (*wakeMainLoop)();
    // GetMessageExtraInfo: the extra information of the message being handled.
    uintptr_t (*messageExtraInfo)();
    intptr_t (*defWindowProc)(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam);
    void (*postQuitMessage)(int32_t exitCode);

    // Touch input.
    bool (*registerTouchWindow)(WindowHandle window, uint32_t flags);
    // GetTouchInputInfo: the count records of a WM_TOUCH message's handle.
    bool (*readTouchInputs)(intptr_t handle, TouchInput* records, uint32_t count);
    // CloseTouchInputHandle: after it the handle is gone.
    void (*closeTouchInput)(intptr_t handle);

    // Window styles and placement.
    int32_t (*getWindowLong)(WindowHandle window, int32_t index);
    int32_t (*setWindowLong)(WindowHandle window, int32_t index, int32_t value);
    bool (*windowRect)(WindowHandle window, WinRect* out); // GetWindowRect
    // AdjustWindowRectExForDpi where the system has it (dpi 0: the
    // system's), else AdjustWindowRectEx.
    bool (*adjustWindowRectEx)(WinRect* rect, uint32_t style, bool menu, uint32_t exStyle,
                               uint32_t dpi);
    // The window's DPI (GetDpiForWindow); 0 where the system cannot tell.
    uint32_t (*windowDpi)(WindowHandle window);
    // MonitorFromRect(nearRect, MONITOR_DEFAULTTONEAREST), then its whole
    // rectangle and its work area (without the taskbar).
    bool (*monitorRect)(const WinRect* nearRect, MonitorArea* out);
    bool (*setWindowPos)(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y,
                         int32_t width, int32_t height, uint32_t flags);
    // Hidden (SW_HIDE), or shown (SW_SHOWNA), never activated: SetWindowPos
    // with SWP_HIDEWINDOW or SWP_SHOWWINDOW and SWP_NOACTIVATE.
    void (*showWindow)(WindowHandle window, int32_t command);
    // SetLayeredWindowAttributes(LWA_ALPHA) of a layered window: 0 clear,
    // 255 opaque.
    bool (*setWindowOpacity)(WindowHandle window, uint8_t alpha);
    // SetWindowRgn: the window is drawn and takes input only inside these
    // boxes (client coordinates, right and bottom outside); clicks elsewhere
    // go to the windows below. No boxes (count 0): nowhere; boxes null: the
    // whole window again. The boxes go to ExtCreateRegion as RGNDATA's,
    // which are sorted top to bottom, left to right, and apart
    // (shape_bands.h makes any boxes so).
    bool (*setWindowShape)(WindowHandle window, const WinRect* boxes, int32_t count);
    // SHQueryUserNotificationState: a game holds the display in exclusive
    // full screen (QUNS_RUNNING_D3D_FULL_SCREEN), where no window can lie
    // over it.
    bool (*exclusiveFullScreen)();
    // What lies above the window where it is, in the z-order (GetWindow's
    // walk upward, visible windows over its rectangle): nothing
    // (WindowAboveNone), another program's window (WindowAboveOther), or one
    // of the shell's own, the taskbar or Start (WindowAboveShell).
    int32_t (*windowAbove)(WindowHandle window);
    // The system's names of the monitor nearest the window: its display name
    // ("\\.\DISPLAY1", renumbered as monitors come and go) and its device
    // interface name (one monitor's own; "" where the system cannot tell).
    // The rectangles of the monitor of a display name, or of a device
    // interface name; false when there is none.
    bool (*monitorName)(WindowHandle window, MonitorIdentity* out);
    bool (*monitorNamed)(const char* name, MonitorArea* out);
    bool (*monitorWithDevice)(const char* device, MonitorArea* out);
    // Refresh rate of the window's display in hertz; 0 when not known.
    int32_t (*refreshRateHz)(WindowHandle window);
    // WTSRegisterSessionNotification for the window's own session (watch),
    // or its end: WM_WTSSESSION_CHANGE comes while it is on; with it the
    // console display's state (RegisterPowerSettingNotification,
    // GUID_CONSOLE_DISPLAY_STATE) and every switch of the input desktop
    // (EVENT_SYSTEM_DESKTOPSWITCH, posted to the window as
    // win::WM_DESKTOP_SWITCHED). False when the session could not be
    // watched (early in a session, before its services are ready).
    bool (*watchSessionChanges)(WindowHandle window, bool watch);
    // The console display's state in a WM_POWERBROADCAST of
    // PBT_POWERSETTINGCHANGE: 0 off, 1 on, 2 dimmed; -1 for another setting.
    int32_t (*consoleDisplayState)(intptr_t lParam);

    // The folder padrelle.exe lies in, in UTF-8, ending in a backslash; at
    // most ProgramFolderSize bytes with the end.
    bool (*programFolder)(char* out, size_t size);

    // Dialogs and sound.
    int32_t (*messageBox)(WindowHandle owner, const char* text, const char* caption, uint32_t type);
    // PlaySoundA with no module; for SND_RESOURCE the name is an integer id.
    bool (*playSound)(const char* name, uint32_t flags);

    // GetSystemMetrics(SM_MAXIMUMTOUCHES): how many touch points the PC's
    // touch screens take at once; 0 without a touch screen.
    int32_t (*touchPoints)();
    // Whether a keyboard is attached (GetRawInputDeviceList lists a device
    // of RIM_TYPEKEYBOARD).
    bool (*keyboardAttached)();
    // ShellExecuteW's "open" of a file, a folder or a program, with its
    // parameters (both UTF-8; parameters null: none): a folder in Explorer,
    // a page in the browser. 0 when done, else the system's error.
    uint32_t (*openInShell)(const char* file, const char* parameters);
    // PostMessage(WM_CLOSE): the window closes as by its close button.
    void (*closeWindow)(WindowHandle window);
    // The window menu (GetSystemMenu): the system's own entries, then a
    // separator and these, made anew each time.
    void (*setWindowMenu)(WindowHandle window, const WindowMenuEntry* entries, int32_t count);

    // SetTimer on the window (WM_TIMER with that id every ms, however the
    // thread's messages are taken, a modal loop's included), and KillTimer.
    bool (*setTimer)(WindowHandle window, uintptr_t id, uint32_t ms);
    void (*killTimer)(WindowHandle window, uintptr_t id);

    // Hands the foreground, and with it the keyboard, from this window,
    // active, to another: `to` while it is a visible window that is not
    // minimised, else the next such window below this one
    // (SetForegroundWindow, which the foreground's own process may call).
    // False when none took it.
    bool (*giveForeground)(WindowHandle window, WindowHandle to);
    // ShowWindow itself, with a show command (SW_SHOWNORMAL, ...). Its first
    // call in the process takes the launcher's STARTUPINFO show command,
    // where one was given, instead of the one given here.
    void (*showWindowCommand)(WindowHandle window, int32_t command);
};

constexpr uint32_t WaitForever = 0xFFFFFFFFu;
constexpr int32_t WindowAboveNone = 0;
constexpr int32_t WindowAboveOther = 1;
constexpr int32_t WindowAboveShell = 2;
// The longest path the system has (32767 UTF-16 units) in UTF-8.
constexpr size_t ProgramFolderSize = 32768 * 3;

extern Platform platform;
// The program's module (HINSTANCE on Windows), kept by the program's start;
// its resources (the bitmaps, the window class) are found through it.
extern void* moduleInstance;

// Puts the defaults back: every call does nothing and reports failure, the
// clock stands at 0, no key is down and no message waits.
void resetPlatform();
