// The timer, the priority and power throttling.
#include <windows.h>

#include <mmsystem.h>

#include "base/system_call.h"
#include "engine/responsiveness.h"

namespace {

bool raiseTimer() {
    return timeBeginPeriod(1) == TIMERR_NOERROR;
}

void restoreTimer() {
    timeEndPeriod(1);
}

bool raisePriority() {
    return SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS) != 0;
}

// PROCESS_POWER_THROTTLING_STATE, from Windows 10 1709 on.
struct PowerThrottlingState {
    ULONG version;
    ULONG controlMask;
    ULONG stateMask;
};
constexpr int ProcessPowerThrottlingClass = 4;
constexpr ULONG ThrottleExecutionSpeed = 0x1;
constexpr ULONG ThrottleIgnoreTimerResolution = 0x4; // Windows 11: keep the 1 ms timer

bool stopThrottling() {
    using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    auto set = systemCallAs<SetInformation>("kernel32.dll", "SetProcessInformation");
    if (set == nullptr) {
        return false;
    }
    // Asked off, not left to the system; older systems know the speed only.
    PowerThrottlingState state = {1, ThrottleExecutionSpeed | ThrottleIgnoreTimerResolution, 0};
    if (set(GetCurrentProcess(), ProcessPowerThrottlingClass, &state, sizeof state)) {
        return true;
    }
    state.controlMask = ThrottleExecutionSpeed;
    return set(GetCurrentProcess(), ProcessPowerThrottlingClass, &state, sizeof state) != 0;
}

} // namespace

void useWin32SchedulingApi() {
    schedulingApi = SchedulingApi{
        .raiseTimerResolution = raiseTimer,
        .restoreTimerResolution = restoreTimer,
        .raisePriority = raisePriority,
        .stopPowerThrottling = stopThrottling,
    };
}
