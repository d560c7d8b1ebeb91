#include <windows.h>

#include "engine/window_ghosting.h"

void disableWindowGhosting() {
    // Resolved at run time, so that a system without the call carries on.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return;
    }
    using DisableGhosting = void(WINAPI*)();
    auto call = reinterpret_cast<DisableGhosting>(
        reinterpret_cast<void*>(GetProcAddress(user32, "DisableProcessWindowsGhosting")));
    if (call != nullptr) {
        call();
    }
}
