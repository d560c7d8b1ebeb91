// The platform table filled with the real Win32 calls.
#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "base/platform.h"
#include "base/platform_win32.h"
#include "base/system_call.h"
#include "base/system_watches.h"
#include "base/wide_text.h"

namespace {

MSG pumpMessage;

// POINTER_INFO of Windows 8 and later, which the SDK declares for them only.
struct PointerInfo {
    DWORD pointerType;
    UINT32 pointerId;
    UINT32 frameId;
    UINT32 pointerFlags;
    HANDLE sourceDevice;
    HWND hwndTarget;
    POINT ptPixelLocation;
    POINT ptHimetricLocation;
    POINT ptPixelLocationRaw;
    POINT ptHimetricLocationRaw;
    DWORD dwTime;
    UINT32 historyCount;
    INT32 inputData;
    DWORD dwKeyStates;
    UINT64 performanceCount;
    int buttonChangeType;
};
using GetPointerInfoCall = BOOL(WINAPI*)(UINT32 pointerId, PointerInfo* info);
using GetDpiForWindowCall = UINT(WINAPI*)(HWND window);
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle,
                                       UINT dpi);
const GetPointerInfoCall getPointerInfo =
    systemCallAs<GetPointerInfoCall>("user32.dll", "GetPointerInfo");
const GetDpiForWindowCall getDpiForWindow =
    systemCallAs<GetDpiForWindowCall>("user32.dll", "GetDpiForWindow");
const AdjustForDpiCall adjustForDpi =
    systemCallAs<AdjustForDpiCall>("user32.dll", "AdjustWindowRectExForDpi");

HWND asWindow(WindowHandle window) {
    return static_cast<HWND>(window);
}

uint32_t realTime() {
    return timeGetTime();
}

// A performance counter value in microseconds.
uint64_t counterToUs(int64_t count) {
    static const int64_t frequency = [] {
        LARGE_INTEGER f = {};
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : int64_t{1};
    }();
    // Seconds and the rest apart, so that the product never overflows.
    const int64_t seconds = count / frequency;
    const int64_t rest = count % frequency;
    return static_cast<uint64_t>(seconds) * 1000000u +
           static_cast<uint64_t>(rest * 1000000 / frequency);
}

uint64_t realPreciseTime() {
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return counterToUs(now.QuadPart);
}

int16_t realKeyState(int32_t key) {
    return GetAsyncKeyState(key);
}

void realSetCapture(WindowHandle window) {
    SetCapture(asWindow(window));
}
void realReleaseCapture() {
    ReleaseCapture();
}

void realTrackLeave(WindowHandle window) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = asWindow(window);
    TrackMouseEvent(&track);
}

bool realPrimaryButton() {
    // The primary button is the right one for a left-handed mouse.
    const int button = GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_RBUTTON : VK_LBUTTON;
    return (static_cast<uint16_t>(GetAsyncKeyState(button)) & 0x8000u) != 0;
}

bool realScreenToClient(WindowHandle window, int32_t* x, int32_t* y) {
    POINT p = {*x, *y};
    if (!ScreenToClient(asWindow(window), &p)) {
        return false;
    }
    *x = p.x;
    *y = p.y;
    return true;
}

void fromRect(const RECT& r, WinRect* out) {
    *out = {r.left, r.top, r.right, r.bottom};
}
RECT toRect(const WinRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool realClientRect(WindowHandle window, WinRect* out) {
    RECT r = {};
    if (!GetClientRect(asWindow(window), &r)) {
        return false;
    }
    fromRect(r, out);
    return true;
}

int32_t realTake() {
    if (!PeekMessageA(&pumpMessage, nullptr, 0, 0, PM_REMOVE)) {
        return 0;
    }
    return pumpMessage.message == WM_QUIT ? -1 : 1;
}
bool realCloseQueued() {
    constexpr UINT peek = PM_NOREMOVE | PM_NOYIELD | PM_QS_POSTMESSAGE;
    MSG waiting;
    // Most often nothing is posted from WM_CLOSE to WM_SYSCOMMAND: one look.
    if (!PeekMessageA(&waiting, nullptr, WM_CLOSE, WM_SYSCOMMAND, peek)) {
        return false;
    }
    if (PeekMessageA(&waiting, nullptr, WM_CLOSE, WM_CLOSE, peek) ||
        PeekMessageA(&waiting, nullptr, WM_QUIT, WM_QUIT, peek)) {
        return true;
    }
    return PeekMessageA(&waiting, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, peek) &&
           (waiting.wParam & 0xFFF0) == SC_CLOSE;
}
void realDispatch() {
    TranslateMessage(&pumpMessage);
    DispatchMessageA(&pumpMessage);
}

// Touch and pointer input have wake bits of their own from Windows 8 on;
// Windows 7 refuses them, and then the classic set is used.
constexpr DWORD QueueTouch = 0x0800;
constexpr DWORD QueuePointer = 0x1000;
DWORD wakeMask = QS_ALLINPUT | QueueTouch | QueuePointer;

bool realWaitForInput(uint32_t timeoutMs) {
    const DWORD timeout = timeoutMs == WaitForever ? INFINITE : timeoutMs;
    DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, wakeMask, MWMO_INPUTAVAILABLE);
    if (result == WAIT_FAILED && wakeMask != QS_ALLINPUT) {
        wakeMask = QS_ALLINPUT;
        result = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, wakeMask, MWMO_INPUTAVAILABLE);
    }
    if (result == WAIT_FAILED) {
        // Never spin on a wait that cannot wait: yield for a moment instead.
        Sleep(timeoutMs == WaitForever ? 10 : (timeoutMs < 10 ? timeoutMs : 10));
        return false;
    }
    return result == WAIT_OBJECT_0;
}

// The main loop's timer for strokes waiting for their time: a manual-reset
// waitable timer (setting it clears it), of high resolution where Windows
// has one (Windows 10 1803 on: CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which
// ends a wait within its due time's grain instead of the timer period's);
// elsewhere an ordinary one, which the 1 ms timer period the program asks
// for at its start (timeBeginPeriod) makes end within about a millisecond.
// The timer is set a grain early and the rest is waited out on the
// performance counter, looking for input meanwhile: a timer ends its wait up
// to a grain late (Wine's always rounds up to the next millisecond), which
// would land in the time of every key. The processor is offered to other
// threads until the last moments, which are waited out without giving it up:
// a thread that yields may get it back only a quantum later.
constexpr DWORD TimerManualReset = 0x1;    // CREATE_WAITABLE_TIMER_MANUAL_RESET
constexpr DWORD TimerHighResolution = 0x2; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr uint64_t TimerGrainUs = 1500;
constexpr uint64_t QueueLookUs = 250;
constexpr uint64_t KeepProcessorUs = 300;

HANDLE strokeTimer() {
    static const HANDLE timer = [] {
        HANDLE made = CreateWaitableTimerExW(
            nullptr, nullptr, TimerManualReset | TimerHighResolution, TIMER_ALL_ACCESS);
        if (made == nullptr) {
            made = CreateWaitableTimerExW(nullptr, nullptr, TimerManualReset, TIMER_ALL_ACCESS);
        }
        return made;
    }();
    return timer;
}

// Waits on the timer (or, without one, whole milliseconds) until wakeUs;
// whether input came first.
bool waitOnTimer(uint64_t wakeUs, uint64_t now) {
    const HANDLE timer = strokeTimer();
    LARGE_INTEGER due = {};
    due.QuadPart = -static_cast<LONGLONG>((wakeUs - now) * 10); // relative, 100 ns
    if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        return realWaitForInput(static_cast<uint32_t>((wakeUs - now) / 1000));
    }
    DWORD result = MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, wakeMask, MWMO_INPUTAVAILABLE);
    if (result == WAIT_FAILED && wakeMask != QS_ALLINPUT) {
        wakeMask = QS_ALLINPUT;
        result = MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, wakeMask, MWMO_INPUTAVAILABLE);
    }
    if (result == WAIT_FAILED) {
        Sleep(1);
    }
    return result == WAIT_OBJECT_0 + 1;
}

bool realWaitForInputUntil(uint64_t deadlineUs) {
    uint64_t now = realPreciseTime();
    if (deadlineUs > now + TimerGrainUs && waitOnTimer(deadlineUs - TimerGrainUs, now)) {
        return true;
    }
    // The queue is asked now and then only: under Wine each look is a call
    // to its server.
    uint64_t looked = 0;
    while ((now = realPreciseTime()) < deadlineUs) {
        if (now - looked >= QueueLookUs) {
            looked = now;
            if (HIWORD(GetQueueStatus(wakeMask)) != 0) {
                return true;
            }
        }
        if (deadlineUs - now > KeepProcessorUs) {
            SwitchToThread();
        } else {
            YieldProcessor();
        }
    }
    return false;
}

// The thread that made the platform: the main loop's.
const DWORD mainLoopThread = GetCurrentThreadId();

void realWakeMainLoop() {
    PostThreadMessageW(mainLoopThread, WM_NULL, 0, 0);
}

uintptr_t realExtraInfo() {
    return static_cast<uintptr_t>(GetMessageExtraInfo());
}

intptr_t realDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    return DefWindowProcA(asWindow(window), message, wParam, lParam);
}

void realPostQuit(int32_t code) {
    PostQuitMessage(code);
}

bool realRegisterTouch(WindowHandle window, uint32_t flags) {
    return RegisterTouchWindow(asWindow(window), flags) != 0;
}

// The time of a touch report: from Windows 8 on, the touch record's id is
// the contact's pointer, whose latest report carries a performance count.
uint64_t reportTime(DWORD id) {
    PointerInfo info = {};
    if (getPointerInfo == nullptr || !getPointerInfo(id, &info) || info.performanceCount == 0) {
        return 0;
    }
    return counterToUs(static_cast<int64_t>(info.performanceCount));
}

bool realReadTouch(intptr_t handle, TouchInput* records, uint32_t count) {
    constexpr uint32_t OnStack = 32;
    TOUCHINPUT onStack[OnStack];
    TOUCHINPUT* inputs = count <= OnStack ? onStack : new (std::nothrow) TOUCHINPUT[count];
    const bool read = inputs != nullptr && GetTouchInputInfo(reinterpret_cast<HTOUCHINPUT>(handle),
                                                             count, inputs, sizeof(TOUCHINPUT));
    for (uint32_t i = 0; read && i < count; ++i) {
        const TOUCHINPUT& in = inputs[i];
        records[i] = TouchInput{in.x, in.y, in.dwID, in.dwFlags, reportTime(in.dwID)};
    }
    if (inputs != onStack) {
        delete[] inputs;
    }
    return read;
}

void realCloseTouch(intptr_t handle) {
    CloseTouchInputHandle(reinterpret_cast<HTOUCHINPUT>(handle));
}

int32_t realGetWindowLong(WindowHandle window, int32_t index) {
    return GetWindowLongA(asWindow(window), index);
}

int32_t realSetWindowLong(WindowHandle window, int32_t index, int32_t value) {
    return SetWindowLongA(asWindow(window), index, value);
}

bool realWindowRect(WindowHandle window, WinRect* out) {
    RECT r = {};
    if (!GetWindowRect(asWindow(window), &r)) {
        return false;
    }
    fromRect(r, out);
    return true;
}

bool realAdjust(WinRect* rect, uint32_t style, bool menu, uint32_t exStyle, uint32_t dpi) {
    RECT r = toRect(*rect);
    const BOOL good = dpi != 0 && adjustForDpi != nullptr
                          ? adjustForDpi(&r, style, menu ? TRUE : FALSE, exStyle, dpi)
                          : AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, exStyle);
    if (!good) {
        return false;
    }
    fromRect(r, rect);
    return true;
}

uint32_t realWindowDpi(WindowHandle window) {
    return getDpiForWindow != nullptr ? getDpiForWindow(asWindow(window)) : 0;
}

void fromMonitorInfo(const MONITORINFOEXA& info, MonitorArea* out) {
    fromRect(info.rcMonitor, &out->whole);
    fromRect(info.rcWork, &out->work);
}

bool realMonitorRect(const WinRect* nearRect, MonitorArea* out) {
    const RECT r = toRect(*nearRect);
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) {
        return false;
    }
    fromMonitorInfo(info, out);
    return true;
}

bool realSetWindowPos(WindowHandle window, WindowHandle after, int32_t x, int32_t y, int32_t w,
                      int32_t h, uint32_t flags) {
    return SetWindowPos(asWindow(window), asWindow(after), x, y, w, h, flags) != 0;
}

// The device interface name of the (first) monitor of a display: one
// monitor's own, whatever number the display gets. "" where none is told.
void deviceInterfaceOf(const char* display, char* out, size_t size) {
    out[0] = '\0';
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    if (EnumDisplayDevicesA(display, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME)) {
        const size_t length = strnlen(device.DeviceID, sizeof device.DeviceID);
        if (length < size) {
            memcpy(out, device.DeviceID, length);
            out[length] = '\0';
        }
    }
}

bool realMonitorName(WindowHandle window, MonitorIdentity* out) {
    HMONITOR monitor = MonitorFromWindow(asWindow(window), MONITOR_DEFAULTTONEAREST);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) {
        return false;
    }
    const size_t length = strnlen(info.szDevice, sizeof info.szDevice);
    if (length == 0 || length >= sizeof out->name) {
        return false;
    }
    memcpy(out->name, info.szDevice, length);
    out->name[length] = '\0';
    deviceInterfaceOf(info.szDevice, out->device, sizeof out->device);
    return true;
}

struct MonitorSearch {
    const char* name;   // a display name, or null
    const char* device; // a device interface name, or null
    MonitorArea found;
    bool matched;
};

bool sameDevice(const char* display, const char* wanted) {
    char device[MonitorDeviceSize];
    deviceInterfaceOf(display, device, sizeof device);
    return device[0] != '\0' && strcmp(device, wanted) == 0;
}

BOOL CALLBACK matchMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) &&
        (search->name != nullptr ? strncmp(info.szDevice, search->name, sizeof info.szDevice) == 0
                                 : sameDevice(info.szDevice, search->device))) {
        fromMonitorInfo(info, &search->found);
        search->matched = true;
        return FALSE;
    }
    return TRUE;
}

bool findMonitor(MonitorSearch search, MonitorArea* out) {
    EnumDisplayMonitors(nullptr, nullptr, matchMonitor, reinterpret_cast<LPARAM>(&search));
    if (search.matched) {
        *out = search.found;
    }
    return search.matched;
}

bool realMonitorWithDevice(const char* device, MonitorArea* out) {
    return findMonitor(MonitorSearch{nullptr, device, {}, false}, out);
}

bool realMonitorNamed(const char* name, MonitorArea* out) {
    return findMonitor(MonitorSearch{name, nullptr, {}, false}, out);
}

int32_t realRefreshRate(WindowHandle window) {
    HDC dc = GetDC(asWindow(window));
    if (dc == nullptr) {
        return 0;
    }
    const int hz = GetDeviceCaps(dc, VREFRESH);
    ReleaseDC(asWindow(window), dc);
    // 0 and 1 stand for the hardware's default rate.
    return hz > 1 ? hz : 0;
}

// GUID_CONSOLE_DISPLAY_STATE: the display of the console session went off,
// dimmed or on (Modern Standby tablets may never send PBT_APMSUSPEND).
constexpr GUID ConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
HPOWERNOTIFY displayNotify = nullptr;
HWINEVENTHOOK desktopHook = nullptr;
HWND desktopWatcher = nullptr;

// Another desktop became the input desktop (a UAC prompt's secure desktop or
// the lock screen came or went): the window hears of it in its own message.
void CALLBACK desktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (desktopWatcher != nullptr) {
        PostMessageW(desktopWatcher, WM_APP + 1, 0, 0);
    }
}

bool realWatchSession(WindowHandle window, bool watch) {
    if (!watch) {
        if (desktopHook != nullptr) {
            UnhookWinEvent(desktopHook);
            desktopHook = nullptr;
        }
        desktopWatcher = nullptr;
        if (displayNotify != nullptr) {
            UnregisterPowerSettingNotification(displayNotify);
            displayNotify = nullptr;
        }
        WTSUnRegisterSessionNotification(asWindow(window));
        return true;
    }
    if (desktopHook == nullptr) {
        desktopWatcher = asWindow(window);
        desktopHook = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                      nullptr, desktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT);
        noteSystemWatch(WatchDesktopSwitch, desktopHook != nullptr);
    }
    if (displayNotify == nullptr) {
        displayNotify = RegisterPowerSettingNotification(asWindow(window), &ConsoleDisplayState,
                                                         DEVICE_NOTIFY_WINDOW_HANDLE);
        noteSystemWatch(WatchDisplayPower, displayNotify != nullptr);
    }
    return WTSRegisterSessionNotification(asWindow(window), NOTIFY_FOR_THIS_SESSION) != 0;
}

int32_t realConsoleDisplayState(intptr_t lParam) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting == nullptr || setting->PowerSetting != ConsoleDisplayState ||
        setting->DataLength < sizeof(DWORD)) {
        return -1;
    }
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state);
    return state <= 2 ? static_cast<int32_t>(state) : -1;
}

bool realProgramFolder(char* out, size_t size) {
    std::wstring path = programPath();
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return false;
    }
    path.resize(slash + 1);
    const std::string folder = utf8FromWide(path.c_str());
    if (folder.empty() || folder.size() >= size) {
        return false;
    }
    std::memcpy(out, folder.c_str(), folder.size() + 1);
    return true;
}

// The text is UTF-8: a path in it may be in any language.
int32_t realMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    return MessageBoxW(asWindow(owner), wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(),
                       type);
}

bool realPlaySound(const char* name, uint32_t flags) {
    return PlaySoundA(name, nullptr, flags) != 0;
}

int32_t realTouchPoints() {
    return GetSystemMetrics(SM_MAXIMUMTOUCHES);
}

bool realKeyboardAttached() {
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0) {
        return false;
    }
    std::vector<RAWINPUTDEVICELIST> devices(count);
    const UINT listed = GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST));
    for (UINT i = 0; listed != static_cast<UINT>(-1) && i < listed; ++i) {
        if (devices[i].dwType == RIM_TYPEKEYBOARD) {
            return true;
        }
    }
    return false;
}

// The shell may hand the file to an extension that needs COM on the
// calling thread (ShellExecute's remarks).
uint32_t realOpenInShell(const char* file, const char* parameters) {
    static const HRESULT com =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    (void)com;
    const std::wstring wideFile = wideFromUtf8(file);
    const std::wstring wideParameters = parameters != nullptr ? wideFromUtf8(parameters) : L"";
    if (wideFile.empty()) {
        return ERROR_INVALID_NAME;
    }
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", wideFile.c_str(),
        parameters != nullptr ? wideParameters.c_str() : nullptr, nullptr, SW_SHOWNORMAL));
    // Above 32 when done; otherwise an error of its own or the system's.
    if (result > 32) {
        return 0;
    }
    const DWORD error = GetLastError();
    return error != 0 ? static_cast<uint32_t>(error) : static_cast<uint32_t>(result);
}

void realCloseWindow(WindowHandle window) {
    PostMessageW(asWindow(window), WM_CLOSE, 0, 0);
}

// The system's own entries stay; those after them are made anew: a
// separator, then the entries, a submenu a popup menu of its own (deleting
// an entry destroys its submenu).
void realSetWindowMenu(WindowHandle window, const WindowMenuEntry* entries, int32_t count) {
    static HWND madeFor = nullptr;
    static int systemEntries = 0;
    HMENU menu = GetSystemMenu(asWindow(window), FALSE);
    if (menu == nullptr) {
        return;
    }
    if (madeFor != asWindow(window)) {
        madeFor = asWindow(window);
        systemEntries = GetMenuItemCount(menu);
    }
    for (int left = GetMenuItemCount(menu); left > systemEntries; --left) {
        DeleteMenu(menu, static_cast<UINT>(left - 1), MF_BYPOSITION);
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    std::vector<HMENU> open(1, menu);
    for (int32_t i = 0; i < count; ++i) {
        const WindowMenuEntry& entry = entries[i];
        if (entry.kind == WindowMenuSubmenuEnd) {
            if (open.size() > 1) {
                open.pop_back();
            }
            continue;
        }
        const std::wstring text = wideFromUtf8(entry.text);
        if (entry.kind == WindowMenuSubmenu) {
            HMENU submenu = CreatePopupMenu();
            if (submenu != nullptr &&
                AppendMenuW(open.back(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                            text.c_str())) {
                open.push_back(submenu);
            } else if (submenu != nullptr) {
                DestroyMenu(submenu);
            }
            continue;
        }
        AppendMenuW(open.back(), MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED),
                    entry.command, text.c_str());
    }
}

} // namespace

void useWin32Platform() {
    platform = Platform{
        .timeMs = realTime,
        .preciseTimeUs = realPreciseTime,
        .asyncKeyState = realKeyState,
        .setCapture = realSetCapture,
        .releaseCapture = realReleaseCapture,
        .trackMouseLeave = realTrackLeave,
        .primaryButtonDown = realPrimaryButton,
        .screenToClient = realScreenToClient,
        .clientRect = realClientRect,
        .takeMessage = realTake,
        .closeQueued = realCloseQueued,
        .dispatchMessage = realDispatch,
        .waitForInput = realWaitForInput,
        .waitForInputUntilUs = realWaitForInputUntil,
        .wakeMainLoop = realWakeMainLoop,
        .messageExtraInfo = realExtraInfo,
        .defWindowProc = realDefWindowProc,
        .postQuitMessage = realPostQuit,
        .registerTouchWindow = realRegisterTouch,
        .readTouchInputs = realReadTouch,
        .closeTouchInput = realCloseTouch,
        .getWindowLong = realGetWindowLong,
        .setWindowLong = realSetWindowLong,
        .windowRect = realWindowRect,
        .adjustWindowRectEx = realAdjust,
        .windowDpi = realWindowDpi,
        .monitorRect = realMonitorRect,
        .setWindowPos = realSetWindowPos,
        .showWindow = win32ShowWindow,
        .setWindowOpacity = win32SetWindowOpacity,
        .setWindowShape = win32SetWindowShape,
        .exclusiveFullScreen = win32ExclusiveFullScreen,
        .windowAbove = win32WindowAbove,
        .monitorName = realMonitorName,
        .monitorNamed = realMonitorNamed,
        .monitorWithDevice = realMonitorWithDevice,
        .refreshRateHz = realRefreshRate,
        .watchSessionChanges = realWatchSession,
        .consoleDisplayState = realConsoleDisplayState,
        .programFolder = realProgramFolder,
        .messageBox = realMessageBox,
        .playSound = realPlaySound,
        .touchPoints = realTouchPoints,
        .keyboardAttached = realKeyboardAttached,
        .openInShell = realOpenInShell,
        .closeWindow = realCloseWindow,
        .setWindowMenu = realSetWindowMenu,
        .setTimer =
            [](WindowHandle window, uintptr_t id, uint32_t ms) {
                return SetTimer(static_cast<HWND>(window), id, ms, nullptr) != 0;
            },
        .killTimer = [](WindowHandle window,
                        uintptr_t id) { KillTimer(static_cast<HWND>(window), id); },
        .giveForeground = win32GiveForeground,
        .showWindowCommand =
            [](WindowHandle window, int32_t command) {
                ShowWindow(static_cast<HWND>(window), command);
            },
    };
}
