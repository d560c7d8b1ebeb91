// Keys on time while a game keeps every core busy. Windows' default timer
// ticks every 15.6 ms, so a short wait (the frame's stroke lead, a paced
// frame) ends up to a tick late; a process at normal priority waits behind a
// busy game; a laptop may slow a program it takes for background work. While
// Padrelle runs: a 1 ms timer, a higher priority class, the multimedia
// scheduler's "Games" task for the main thread where the system has it, and
// no power throttling. All of it is undone at the end.
#pragma once

#include <cstddef>
#include <cstdint>

struct SchedulingApi {
    bool (*raiseTimerResolution)();   // timeBeginPeriod(1)
    void (*restoreTimerResolution)(); // timeEndPeriod(1)
    bool (*raisePriority)();          // a higher priority class for the process
    bool (*joinGamesTask)();          // AvSetMmThreadCharacteristics("Games"), this thread
    void (*leaveGamesTask)();
    bool (*stopPowerThrottling)(); // SetProcessInformation(ProcessPowerThrottling)
};

// Until filled: nothing is asked for and nothing is had.
extern SchedulingApi schedulingApi;
void resetSchedulingApi();
// Windows only.
void useWin32SchedulingApi();

// Asks for all of it; what was had is undone by endResponsiveRun.
void startResponsiveRun();
void endResponsiveRun();
// What was had, for the log: "timer 1 ms, high priority, Games task, no power
// throttling", with "no" before each part that could not be had.
void describeResponsiveRun(char* buffer, size_t size);
