// SendInput, and the low-level keyboard hook on a thread of its own.
//
// Windows calls a low-level hook's callback through the message loop of the
// thread that set it, and removes the hook without a word when the callback
// is late (LowLevelHooksTimeout). On the main thread a long frame or a busy
// game could make it late; its own thread does nothing but wait for the
// hook's calls, and the callback only queues the key and wakes the main loop.
#include <windows.h>

#include "keyout/system_input.h"

namespace {

struct HookThread {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    DWORD mainThreadId = 0;
    HANDLE ready = nullptr;
    bool hooked = false;
};

HookThread hookThread;

uint32_t sendEvents(const SystemKeyEvent* events, uint32_t count) {
    constexpr uint32_t MaxEvents = 16;
    INPUT inputs[MaxEvents] = {};
    const uint32_t n = count < MaxEvents ? count : MaxEvents;
    for (uint32_t i = 0; i < n; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = events[i].virtualKey;
        inputs[i].ki.wScan = events[i].scanCode;
        inputs[i].ki.dwFlags = events[i].flags;
        inputs[i].ki.time = 0;
        // So that the program's own hook knows its strokes.
        inputs[i].ki.dwExtraInfo = PadrelleInputTag;
    }
    return SendInput(n, inputs, sizeof(INPUT));
}

LRESULT CALLBACK keyboardHookProc(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        uint32_t scanCode = key->scanCode;
        // Some on-screen keyboards give a virtual key alone.
        if (scanCode == 0) {
            scanCode = MapVirtualKeyW(key->vkCode, MAPVK_VK_TO_VSC);
        }
        queueHookedKey(HookedKey{scanCode, key->flags, key->vkCode, key->dwExtraInfo});
        PostThreadMessageW(hookThread.mainThreadId, WM_NULL, 0, 0);
    }
    (void)message;
    // Every key goes on to the system as usual.
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

bool anyKeyDown() {
    for (int key = 0x08; key <= 0xFE; ++key) {
        if ((static_cast<uint16_t>(GetAsyncKeyState(key)) & 0x8000u) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void useWin32SystemInput() {
    systemInput = SystemInputApi{
        .send = sendEvents,
        .hookKeyboard = hook,
        .unhookKeyboard = unhook,
        .anyKeyDown = anyKeyDown,
    };
}
