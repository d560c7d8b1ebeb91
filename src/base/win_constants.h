// Values of the Win32 interface that the portable core needs, so that it can
// speak the platform's language without its headers. The Win32 layer uses
// <windows.h> itself and must not include this file: the names are its macros.
#pragma once

#include <cstdint>

namespace win {

// Window messages.
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t WM_EXITMENULOOP = 0x0212;
constexpr uint32_t WM_ENTERSIZEMOVE = 0x0231;
constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr uintptr_t SC_CLOSE = 0xF060;
// A menu's command (a popup menu of the window menu sends it under Wine),
// and a menu about to open.
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_INITMENU = 0x0116;
// The window menu's commands: the system's are 0xF000 and above, and the
// four low bits of wParam are its own.
constexpr uintptr_t SC_COMMAND_MASK = 0xFFF0;

constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_MOUSEACTIVATE = 0x0021;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_POWERBROADCAST = 0x0218;
constexpr uint32_t WM_TOUCH = 0x0240;
constexpr uint32_t WM_POINTERACTIVATE = 0x024B;
constexpr uint32_t WM_POINTERCAPTURECHANGED = 0x024C;
constexpr uint32_t WM_TABLET_QUERYSYSTEMGESTURESTATUS = 0x02CC;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_WTSSESSION_CHANGE = 0x02B1;
constexpr uint32_t WM_DPICHANGED = 0x02E0;
// The program's own: the input desktop switched (WM_APP + 1).
constexpr uint32_t WM_DESKTOP_SWITCHED = 0x8001;

// The mouse messages' key state: the primary button is down.
constexpr uintptr_t MK_LBUTTON = 0x0001;

// WM_POWERBROADCAST: the system is about to sleep; it woke; a power setting
// (the console display's state) changed.
constexpr uintptr_t PBT_APMSUSPEND = 0x0004;
constexpr uintptr_t PBT_APMRESUMESUSPEND = 0x0007;
constexpr uintptr_t PBT_APMRESUMEAUTOMATIC = 0x0012;
constexpr uintptr_t PBT_POWERSETTINGCHANGE = 0x8013;

// WM_WTSSESSION_CHANGE: the session leaves this screen and its input.
constexpr uintptr_t WTS_CONSOLE_DISCONNECT = 0x2;
constexpr uintptr_t WTS_REMOTE_DISCONNECT = 0x4;
constexpr uintptr_t WTS_SESSION_LOGOFF = 0x6;
constexpr uintptr_t WTS_SESSION_LOCK = 0x7;
// ... and comes back to them.
constexpr uintptr_t WTS_CONSOLE_CONNECT = 0x1;
constexpr uintptr_t WTS_REMOTE_CONNECT = 0x3;
constexpr uintptr_t WTS_SESSION_LOGON = 0x5;
constexpr uintptr_t WTS_SESSION_UNLOCK = 0x8;

constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;

constexpr uint32_t TWF_WANTPALM = 0x00000002;

// A press on the frame outside the client area, and where it lies: the
// caption's buttons (each held down runs a modal loop of the system's).
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uintptr_t HTMINBUTTON = 8;
constexpr uintptr_t HTMAXBUTTON = 9;
constexpr uintptr_t HTCLOSE = 20;

// The window shown or hidden, placed, sized: minimised among its sizes.
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr uintptr_t SIZE_MINIMIZED = 1;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;

// Touch record flags beyond move, down and up.
constexpr uint32_t TOUCHEVENTF_INRANGE = 0x0008;
constexpr uint32_t TOUCHEVENTF_PALM = 0x0080;

// Answers that keep a click or a touch from activating the window.
constexpr intptr_t MA_NOACTIVATE = 3;
constexpr intptr_t PA_NOACTIVATE = 3;

// GetMessageExtraInfo of a mouse message that the system made from a pen or a
// touch: the signature in the high bits; bit 0x80 set for touch.
constexpr uint32_t MI_WP_SIGNATURE = 0xFF515700;
constexpr uint32_t SIGNATURE_MASK = 0xFFFFFF00;
constexpr uint32_t MI_TOUCH_BIT = 0x80;

// Answer bits of WM_TABLET_QUERYSYSTEMGESTURESTATUS: what the system's pen
// and touch gestures shall not do over the window.
constexpr uint32_t TABLET_DISABLE_PRESSANDHOLD = 0x00000001;
constexpr uint32_t TABLET_DISABLE_PENTAPFEEDBACK = 0x00000008;
constexpr uint32_t TABLET_DISABLE_PENBARRELFEEDBACK = 0x00000010;
constexpr uint32_t TABLET_DISABLE_TOUCHUIFORCEON = 0x00000100;
constexpr uint32_t TABLET_DISABLE_TOUCHUIFORCEOFF = 0x00000200;
constexpr uint32_t TABLET_DISABLE_TOUCHSWITCH = 0x00008000;
constexpr uint32_t TABLET_DISABLE_FLICKS = 0x00010000;
constexpr uint32_t TABLET_DISABLE_SMOOTHSCROLLING = 0x00080000;
constexpr uint32_t TABLET_DISABLE_FLICKFALLBACKKEYS = 0x00100000;

// Window styles.
constexpr int32_t GWL_STYLE = -16;
constexpr int32_t GWL_EXSTYLE = -20;
constexpr uint32_t WS_OVERLAPPEDWINDOW_VISIBLE = 0x10CF0000;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t WS_POPUP_VISIBLE = 0x90000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_MINIMIZE = 0x20000000;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t WS_EX_NOACTIVATE = 0x08000000;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_LAYERED = 0x00080000;
// The overlay: layered (translucent), above every normal window, out of the
// taskbar and Alt+Tab, never activated.
constexpr uint32_t WS_EX_OVERLAY =
    WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr int32_t SW_HIDE = 0;
constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOWMINIMIZED = 2;
constexpr int32_t SW_SHOWMAXIMIZED = 3;
constexpr int32_t SW_SHOWNOACTIVATE = 4;
constexpr int32_t SW_MINIMIZE = 6;
constexpr int32_t SW_SHOWMINNOACTIVE = 7;
constexpr int32_t SW_SHOWNA = 8;
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_FRAMECHANGED = 0x0020;

// Where SetWindowPos puts a window in the Z order.
constexpr intptr_t HWND_TOP = 0;
constexpr intptr_t HWND_TOPMOST = -1;
constexpr intptr_t HWND_NOTOPMOST = -2;

// Message boxes.
constexpr uint32_t MB_OK = 0x00000000;
constexpr uint32_t MB_ICONEXCLAMATION = 0x00000030;

// Sound.
constexpr uint32_t SND_ASYNC = 0x00000001;
constexpr uint32_t SND_RESOURCE = 0x00040004;
constexpr uint32_t SND_FILENAME = 0x00020000;

// Virtual keys.
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_SPACE = 0x20;
constexpr int32_t VK_LEFT = 0x25;
constexpr int32_t VK_UP = 0x26;
constexpr int32_t VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28;

// Raster operation of a plain copy.
constexpr uint32_t SRCCOPY = 0x00CC0020;

} // namespace win
