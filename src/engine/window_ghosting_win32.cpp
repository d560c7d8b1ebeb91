#include <windows.h>

#include "base/system_call.h"
#include "engine/window_ghosting.h"

void disableWindowGhosting() {
    using DisableGhosting = void(WINAPI*)();
    auto call = systemCallAs<DisableGhosting>("user32.dll", "DisableProcessWindowsGhosting");
    if (call != nullptr) {
        call();
    }
}
