// SendInput, and the low-level keyboard hook on a thread of its own.
//
// Windows calls a low-level hook's callback through the message loop of the
// thread that set it, and removes the hook without a word when the callback
// is late (LowLevelHooksTimeout). On the main thread a long frame or a busy
// game could make it late; its own thread does nothing but wait for the
// hook's calls, and the callback only queues the key and wakes the main loop.
#include <windows.h>

#include "base/process_names.h"
#include "base/system_watches.h"
#include "base/wide_text.h"
#include "base/window_owners.h"
#include "keyout/keyboard_output.h"
#include "keyout/system_input.h"

#include <cstring>
#include <string>

namespace {

struct HookThread {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    DWORD mainThreadId = 0;
    HANDLE ready = nullptr;
    bool hooked = false;
};

HookThread hookThread;

uint32_t sendEvents(const SystemKeyEvent* events, uint32_t count, uint32_t* error) {
    constexpr uint32_t MaxEvents = 16;
    INPUT inputs[MaxEvents] = {};
    const uint32_t n = count < MaxEvents ? count : MaxEvents;
    for (uint32_t i = 0; i < n; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = events[i].virtualKey;
        // Windows ignores wVk beside a scancode; Wine passes it on to the
        // game, which without it gets virtual key 0 for every key (a second
        // key pressed while one is held then looks like a repeat).
        if ((events[i].flags & KeyEventScancode) != 0 && events[i].virtualKey == 0) {
            const UINT scan =
                events[i].scanCode | ((events[i].flags & KeyEventExtended) != 0 ? 0xE000u : 0u);
            inputs[i].ki.wVk = static_cast<WORD>(MapVirtualKeyW(scan, MAPVK_VSC_TO_VK_EX));
        }
        inputs[i].ki.wScan = events[i].scanCode;
        inputs[i].ki.dwFlags = events[i].flags;
        inputs[i].ki.time = 0;
        // So that the program's own hook knows its strokes.
        inputs[i].ki.dwExtraInfo = PadrelleInputTag;
    }
    // SendInput leaves the last error alone when it succeeds; while another
    // desktop has the input it sets ERROR_ACCESS_DENIED and may count the
    // events all the same.
    SetLastError(ERROR_SUCCESS);
    const UINT sent = SendInput(n, inputs, sizeof(INPUT));
    *error = GetLastError();
    return sent;
}

LRESULT CALLBACK keyboardHookProc(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        uint32_t scanCode = key->scanCode;
        // Some on-screen keyboards give a virtual key alone.
        if (scanCode == 0) {
            scanCode = MapVirtualKeyW(key->vkCode, MAPVK_VK_TO_VSC);
        }
        const HookedKey hooked = {scanCode, key->flags, key->vkCode, key->dwExtraInfo};
        queueHookedKey(hooked);
        PostThreadMessageW(hookThread.mainThreadId, WM_NULL, 0, 0);
        // Typed into the layout editor: for Padrelle alone.
        if (keepHookedKey(hooked)) {
            return 1;
        }
    }
    // Every other key goes on to the system as usual.
    return CallNextHookEx(nullptr, code, message, data);
}

DWORD WINAPI runHookThread(void*) {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProc, GetModuleHandleW(nullptr), 0);
    hookThread.hooked = hook != nullptr;
    // The thread's message queue exists once it has asked for a message.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(hookThread.ready);
    if (hook == nullptr) {
        return 1;
    }
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

void unhook() {
    if (hookThread.thread == nullptr) {
        return;
    }
    PostThreadMessageW(hookThread.threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread.thread, 2000);
    CloseHandle(hookThread.thread);
    CloseHandle(hookThread.ready);
    hookThread = HookThread{};
}

bool hook() {
    if (hookThread.thread != nullptr) {
        return hookThread.hooked;
    }
    hookThread.mainThreadId = GetCurrentThreadId();
    hookThread.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (hookThread.ready == nullptr) {
        return false;
    }
    hookThread.thread = CreateThread(nullptr, 0, runHookThread, nullptr, 0, &hookThread.threadId);
    if (hookThread.thread == nullptr) {
        CloseHandle(hookThread.ready);
        hookThread = HookThread{};
        return false;
    }
    // The hook thread gets the time it needs: a late callback loses the hook.
    SetThreadPriority(hookThread.thread, THREAD_PRIORITY_TIME_CRITICAL);
    WaitForSingleObject(hookThread.ready, 2000);
    if (!hookThread.hooked) {
        unhook();
        return false;
    }
    return true;
}

// The integrity level of a process (its token's mandatory label); 0 when it
// cannot be read, AccessDenied when the process keeps its token from us.
constexpr DWORD AccessDenied = 0xFFFFFFFF;

DWORD integrityOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return GetLastError() == ERROR_ACCESS_DENIED ? AccessDenied : 0;
    }
    alignas(TOKEN_MANDATORY_LABEL) unsigned char buffer[128];
    DWORD length = 0;
    DWORD level = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &length)) {
        const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer);
        const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
        level = count > 0 ? *GetSidSubAuthority(label->Label.Sid, count - 1u) : 0;
    }
    CloseHandle(token);
    return level;
}

DWORD ownIntegrity = 0;
bool ownIntegrityRead = false;
bool foregroundOutranks = false;
bool watchingForeground = false;
DWORD mainThreadId = 0;

DWORD ownLevel() {
    if (!ownIntegrityRead) {
        ownIntegrityRead = true;
        ownIntegrity = integrityOf(GetCurrentProcess());
        if (ownIntegrity == AccessDenied) {
            ownIntegrity = 0;
        }
    }
    return ownIntegrity;
}

std::string foregroundName;
std::string foregroundContent;
HWND checkedWindow = nullptr; // the foreground window checkForeground last looked at

// A UWP app's content window inside its frame: the child of another process
// than the frame's (Windows.UI.Core.CoreWindow), whose program is the app.
struct ContentSearch {
    DWORD frameProcess;
    std::string program;
};

BOOL CALLBACK findContent(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ContentSearch*>(data);
    DWORD processId = 0;
    char name[64] = "";
    if (GetWindowThreadProcessId(child, &processId) != 0 && processId != search->frameProcess &&
        GetClassNameA(child, name, sizeof name) > 0 &&
        std::strcmp(name, "Windows.UI.Core.CoreWindow") == 0) {
        search->program = programNameOfWindow(child);
        return FALSE;
    }
    return TRUE;
}

// A foreground process that will not even be asked (an elevated one keeps
// its token from a program that is not) is taken to outrank us.
void checkForeground() {
    DWORD processId = 0;
    HWND window = GetForegroundWindow();
    checkedWindow = window;
    foregroundName.clear();
    foregroundContent.clear();
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 ||
        processId == GetCurrentProcessId()) {
        foregroundOutranks = false;
        return;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    DWORD level = 0;
    if (process == nullptr) {
        level = GetLastError() == ERROR_ACCESS_DENIED ? AccessDenied : 0;
    } else {
        level = integrityOf(process);
        foregroundName = programNameOfProcess(process);
        CloseHandle(process);
        if (isAppFrameHost(foregroundName)) {
            ContentSearch search = {processId, std::string()};
            EnumChildWindows(window, findContent, reinterpret_cast<LPARAM>(&search));
            foregroundContent = search.program;
        }
    }
    const DWORD own = ownLevel();
    foregroundOutranks = level == AccessDenied ? own != 0 && own < SECURITY_MANDATORY_HIGH_RID
                                               : level > own && own != 0;
}

// Another window came to the foreground: keys that were dropped on the way
// to an elevated one may reach the game now. A look that finds another
// window in front goes the same way (lookAtForeground).
void CALLBACK foregroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    checkForeground();
    foregroundChangeHeard();
    PostThreadMessageW(mainThreadId, WM_NULL, 0, 0);
}

void watchForeground() {
    mainThreadId = GetCurrentThreadId();
    // Called on the main thread's message loop.
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                        foregroundChanged, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    noteSystemWatch(WatchForeground, hook != nullptr);
    checkForeground();
    // Without the hook nothing says when the foreground changes: it is asked
    // at each stroke instead.
    watchingForeground = hook != nullptr;
}

// Without the watch (the guard) the foreground is asked each time.
bool outranked() {
    if (!watchingForeground) {
        checkForeground();
    }
    return foregroundOutranks;
}

// A name too long for the buffer is none: cut, it could pass for another's.
void copyName(const std::string& name, char* out, size_t size) {
    if (size > 0) {
        const size_t length = name.size() < size ? name.size() : 0;
        std::memcpy(out, name.data(), length);
        out[length] = '\0';
    }
}

void keysDown(KeyStateBits* out) {
    *out = KeyStateBits{};
    for (int key = 0x08; key <= 0xFE; ++key) {
        if ((static_cast<uint16_t>(GetAsyncKeyState(key)) & 0x8000u) != 0) {
            out->bits[key / 8] = static_cast<uint8_t>(out->bits[key / 8] | 1u << (key % 8));
        }
    }
}

} // namespace

void useWin32SystemInput() {
    systemInput = SystemInputApi{
        .send = sendEvents,
        .hookKeyboard = hook,
        .unhookKeyboard = unhook,
        .keysDown = keysDown,
        .numLockOn = [] { return (GetKeyState(VK_NUMLOCK) & 1) != 0; },
        .foregroundOutranksUs = outranked,
        .foregroundKnown = [] { return GetForegroundWindow() != nullptr; },
        .foregroundProgram =
            [](char* out, size_t size) {
                // As last heard; without the watch (the guard), asked now.
                if (!watchingForeground) {
                    checkForeground();
                }
                copyName(foregroundName, out, size);
            },
        .foregroundContentProgram = [](char* out,
                                       size_t size) { copyName(foregroundContent, out, size); },
        .lookAtForeground =
            [] {
                // GetForegroundWindow costs little; the process is asked
                // only when the window is another.
                if (GetForegroundWindow() == checkedWindow) {
                    return false;
                }
                checkForeground();
                return true;
            },
    };
}

void watchForegroundWindow() {
    if (!watchingForeground) {
        watchForeground();
    }
}
