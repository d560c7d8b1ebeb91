// DisableProcessWindowsGhosting, where user32.dll has it: Windows never lays
// its "not responding" ghost over the controller's window. It cannot be undone
// for the process, and it changes nothing else of the window.
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
