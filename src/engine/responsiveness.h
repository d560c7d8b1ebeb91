// Keys on time while a game keeps every core busy. Windows' default timer
// ticks every 15.6 ms, so a short wait (the frame's stroke lead, a paced
// frame) ends up to a tick late; a process at normal priority waits behind a
// busy game; a laptop may slow a program it takes for background work. While
// Padrelle runs: a 1 ms timer, a higher priority class and no power
// throttling. All of it is undone at the end. The multimedia scheduler is not
// asked: its "Games" task is no background task, and the threads of such a
// task change with the window focus, which Padrelle never has.
#pragma once

#include <cstddef>
#include <cstdint>

struct SchedulingApi {
    bool (*raiseTimerResolution)();   // timeBeginPeriod(1)
    void (*restoreTimerResolution)(); // timeEndPeriod(1)
    bool (*raisePriority)();          // a higher priority class for the process
    bool (*stopPowerThrottling)();    // SetProcessInformation(ProcessPowerThrottling)
};

// Until filled: nothing is asked for and nothing is had.
extern SchedulingApi schedulingApi;
void resetSchedulingApi();
// Windows only.
void useWin32SchedulingApi();

// Asks for all of it; what was had is undone by endResponsiveRun.
void startResponsiveRun();
void endResponsiveRun();
// What was had, for the log: "timer 1 ms, high priority, no power throttling",
// with "no" before each part that could not be had, and why the multimedia
// scheduler is not asked.
void describeResponsiveRun(char* buffer, size_t size);
constexpr const char* NoSchedulerReason =
    "no multimedia scheduler: its Games task follows the window focus, which Padrelle never has";
