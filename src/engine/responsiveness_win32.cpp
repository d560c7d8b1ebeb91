// The timer, the priority, the multimedia scheduler and power throttling.
#include <windows.h>

#include <mmsystem.h>

#include "engine/responsiveness.h"
#include "engine/system_call.h"

namespace {

HANDLE gamesTask = nullptr;
HMODULE avrt = nullptr;

bool raiseTimer() {
    return timeBeginPeriod(1) == TIMERR_NOERROR;
}

void restoreTimer() {
    timeEndPeriod(1);
}

bool raisePriority() {
    return SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS) != 0;
}

// avrt.dll is there from Vista on; loaded from System32 only.
bool joinGames() {
    avrt = LoadLibraryExW(L"avrt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (avrt == nullptr) {
        return false;
    }
    using Join = HANDLE(WINAPI*)(LPCWSTR task, LPDWORD index);
    auto join = reinterpret_cast<Join>(
        reinterpret_cast<void*>(GetProcAddress(avrt, "AvSetMmThreadCharacteristicsW")));
    DWORD index = 0;
    gamesTask = join != nullptr ? join(L"Games", &index) : nullptr;
    return gamesTask != nullptr;
}

void leaveGames() {
    using Leave = BOOL(WINAPI*)(HANDLE task);
    auto leave = avrt == nullptr ? nullptr
                                 : reinterpret_cast<Leave>(reinterpret_cast<void*>(
                                       GetProcAddress(avrt, "AvRevertMmThreadCharacteristics")));
    if (leave != nullptr && gamesTask != nullptr) {
        leave(gamesTask);
    }
    gamesTask = nullptr;
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
        .joinGamesTask = joinGames,
        .leaveGamesTask = leaveGames,
        .stopPowerThrottling = stopThrottling,
    };
}
