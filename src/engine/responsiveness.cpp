#include "engine/responsiveness.h"

#include "base/format_text.h"

namespace {

constexpr SchedulingApi NoScheduling = {
    .raiseTimerResolution = [] { return false; },
    .restoreTimerResolution = [] {},
    .raisePriority = [] { return false; },
    .stopPowerThrottling = [] { return false; },
};

struct Had {
    bool started = false;
    bool timer = false;
    bool priority = false;
    bool noThrottling = false;
};

Had had;

} // namespace

SchedulingApi schedulingApi = NoScheduling;

void resetSchedulingApi() {
    schedulingApi = NoScheduling;
    had = Had{};
}

void startResponsiveRun() {
    if (had.started) {
        return;
    }
    had.started = true;
    had.timer = schedulingApi.raiseTimerResolution();
    had.priority = schedulingApi.raisePriority();
    had.noThrottling = schedulingApi.stopPowerThrottling();
}

void endResponsiveRun() {
    if (had.timer) {
        schedulingApi.restoreTimerResolution();
    }
    had = Had{};
}

void describeResponsiveRun(char* buffer, size_t size) {
    formatTextN(buffer, size, "%s, %s, %s; %s", had.timer ? "timer 1 ms" : "no 1 ms timer",
                had.priority ? "high priority" : "no high priority",
                had.noThrottling ? "no power throttling" : "power throttling not turned off",
                NoSchedulerReason);
}
