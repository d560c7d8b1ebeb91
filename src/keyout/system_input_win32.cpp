// SendInput and the low-level keyboard hook.
#include <windows.h>

#include "keyout/system_input.h"

namespace {

HHOOK keyboardHook = nullptr;

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
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        uint32_t scanCode = key->scanCode;
        // Some on-screen keyboards give a virtual key alone.
        if (scanCode == 0) {
            scanCode = MapVirtualKeyA(key->vkCode, MAPVK_VK_TO_VSC);
        }
        systemKeyDown(scanCode, key->flags, key->vkCode, key->dwExtraInfo);
    }
    // Every key goes on to the system as usual.
    return CallNextHookEx(nullptr, code, message, data);
}

bool hook() {
    if (keyboardHook == nullptr) {
        keyboardHook =
            SetWindowsHookExA(WH_KEYBOARD_LL, keyboardHookProc, GetModuleHandleA(nullptr), 0);
    }
    return keyboardHook != nullptr;
}

void unhook() {
    if (keyboardHook != nullptr) {
        UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
    }
}

} // namespace

void useWin32SystemInput() {
    systemInput = SystemInputApi{
        .send = sendEvents,
        .hookKeyboard = hook,
        .unhookKeyboard = unhook,
    };
}
