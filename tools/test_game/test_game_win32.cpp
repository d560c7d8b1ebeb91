// The end-to-end test's game.
//
//   padrelle-test-game.exe LOG            the game: a window titled
//                                         "Padrelle test game" that takes the
//                                         focus and logs to LOG every key it
//                                         receives and, through a low-level
//                                         mouse hook, every left-button press
//                                         and release of the system
//   padrelle-test-game.exe --full-screen LOG
//                                         the same game ("Padrelle test game,
//                                         full screen") in a borderless window
//                                         over the whole screen, as a game in
//                                         borderless full screen: lanes and
//                                         notes to be seen through an overlay;
//                                         it also logs the clicks its window
//                                         gets, and whether it was the
//                                         foreground window then
//   other.exe LOG                        a copy under another name: another
//                                         game, "Padrelle test game: other.exe"
//   padrelle-test-game.exe --floor        a small window titled "Padrelle
//                                         floor" that never takes the focus and
//                                         turns a click into SendInput of the
//                                         space bar (scancode 39) at once
//
// Log lines: "<microseconds> <event> key=value ...", on the performance
// counter's clock, which every process of the session shares.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

FILE* logFile = nullptr;
HHOOK mouseHook = nullptr;

unsigned long long microseconds() {
    LARGE_INTEGER frequency = {};
    LARGE_INTEGER now = {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<unsigned long long>(now.QuadPart / frequency.QuadPart) * 1000000ull +
           static_cast<unsigned long long>(now.QuadPart % frequency.QuadPart) * 1000000ull /
               static_cast<unsigned long long>(frequency.QuadPart);
}

void logLine(const char* event, const char* details) {
    if (logFile != nullptr) {
        std::fprintf(logFile, "%llu %s%s%s\n", microseconds(), event, details[0] ? " " : "",
                     details);
        std::fflush(logFile);
    }
}

LRESULT CALLBACK mouseHookProc(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
        const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
        char details[96];
        std::snprintf(details, sizeof details, "%s x=%ld y=%ld injected=%d",
                      message == WM_LBUTTONDOWN ? "down" : "up", mouse->pt.x, mouse->pt.y,
                      (mouse->flags & LLMHF_INJECTED) != 0 ? 1 : 0);
        logLine("mouse", details);
    }
    return CallNextHookEx(nullptr, code, message, data);
}

bool fullScreen = false;

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT box = {left, top, right, bottom};
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}

// The full-screen game's picture: lanes of two shades, notes falling in
// them, the line where they are to be hit near the bottom.
void paintLanes(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    for (int x = 0; x < client.right; x += 40) {
        fill(dc, x, 0, x + 40, client.bottom,
             (x / 40) % 2 == 0 ? RGB(24, 28, 64) : RGB(64, 24, 72));
    }
    for (int i = 0; i < 24; ++i) {
        const int x = (i * 7 % 48) * 40;
        const int y = (i * 173) % (client.bottom - 200);
        fill(dc, x + 4, y, x + 36, y + 14, RGB(240, 240, 255));
    }
    fill(dc, 0, client.bottom - 190, client.right, client.bottom - 184, RGB(255, 64, 64));
    EndPaint(window, &paint);
}

void logKey(WPARAM virtualKey, LPARAM info, bool down) {
    char details[128];
    std::snprintf(details, sizeof details, "%s code=0x%02X e0=%d repeat=%d vk=0x%02X",
                  down ? "make" : "break", static_cast<unsigned>((info >> 16) & 0xFF),
                  (info & (1 << 24)) != 0 ? 1 : 0, down && (info & (1 << 30)) != 0 ? 1 : 0,
                  static_cast<unsigned>(virtualKey));
    logLine("key", details);
}

LRESULT CALLBACK gameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        logKey(wParam, lParam, true);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        logKey(wParam, lParam, false);
        return 0;
    case WM_LBUTTONDOWN: {
        char details[96];
        std::snprintf(details, sizeof details, "x=%d y=%d foreground=%d",
                      static_cast<int>(static_cast<short>(LOWORD(lParam))),
                      static_cast<int>(static_cast<short>(HIWORD(lParam))),
                      GetForegroundWindow() == window ? 1 : 0);
        logLine("click", details);
        return 0;
    }
    case WM_PAINT:
        if (!fullScreen) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        paintLanes(window);
        return 0;
    case WM_SETFOCUS:
        logLine("focus", "on");
        return 0;
    case WM_KILLFOCUS:
        logLine("focus", "off");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void sendSpace(bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = 0x39;
    input.ki.dwFlags = KEYEVENTF_SCANCODE | (down ? 0 : KEYEVENTF_KEYUP);
    SendInput(1, &input, sizeof input);
}

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        sendSpace(true);
        return 0;
    case WM_LBUTTONUP:
        sendSpace(false);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND makeWindow(HINSTANCE instance, const char* className, const char* title, WNDPROC proc,
                DWORD exStyle, int x, int y, int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(exStyle, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                           height, nullptr, nullptr, instance, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const bool floor = std::strncmp(commandLine, "--floor", 7) == 0;
    HWND window = nullptr;
    if (floor) {
        window = makeWindow(instance, "PadrelleFloor", "Padrelle floor", floorProc,
                            WS_EX_NOACTIVATE | WS_EX_TOPMOST, 20, 320, 260, 160);
    } else {
        const char* const FullScreen = "--full-screen ";
        fullScreen = std::strncmp(commandLine, FullScreen, std::strlen(FullScreen)) == 0;
        logFile = std::fopen(commandLine + (fullScreen ? std::strlen(FullScreen) : 0), "w");
        if (logFile == nullptr) {
            return 1;
        }
        logLine("start", "");
        mouseHook = SetWindowsHookExA(WH_MOUSE_LL, mouseHookProc, instance, 0);
        // A copy under another program's name is another game: its title
        // says which.
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, sizeof path);
        const char* slash = std::strrchr(path, '\\');
        const char* program = slash != nullptr ? slash + 1 : path;
        char title[MAX_PATH + 32];
        std::snprintf(title, sizeof title, "%s%s%s",
                      fullScreen ? "Padrelle test game, full screen" : "Padrelle test game",
                      _stricmp(program, "padrelle-test-game.exe") == 0 ? "" : ": ",
                      _stricmp(program, "padrelle-test-game.exe") == 0 ? "" : program);
        window = makeWindow(instance, "PadrelleTestGame", title, gameProc, 0, 0, 0, 300, 240);
        if (fullScreen && window != nullptr) {
            SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
            SetWindowPos(window, HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED);
        }
        SetForegroundWindow(window);
        SetFocus(window);
    }
    if (window == nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (mouseHook != nullptr) {
        UnhookWindowsHookEx(mouseHook);
    }
    if (logFile != nullptr) {
        logLine("end", "");
        std::fclose(logFile);
    }
    return 0;
}
