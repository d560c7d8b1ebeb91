// The timer, priority and power throttling asked for while
// Padrelle runs, and undone at the end.
#include "engine/responsiveness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> asked;
bool granted = true;

SchedulingApi recordingApi() {
    return SchedulingApi{
        .raiseTimerResolution = [] { return asked.push_back("timer 1"), granted; },
        .restoreTimerResolution = [] { asked.push_back("timer back"); },
        .raisePriority = [] { return asked.push_back("priority"), granted; },
        .stopPowerThrottling = [] { return asked.push_back("no throttling"), true; },
    };
}

TEST(Responsiveness, AskedForAtTheStartUndoneAtTheEndAndSaidInTheLog) {
    for (const bool had : {true, false}) {
        resetSchedulingApi();
        schedulingApi = recordingApi();
        asked.clear();
        granted = had;
        startResponsiveRun();
        startResponsiveRun(); // once only
        char said[256];
        describeResponsiveRun(said, sizeof said);
        endResponsiveRun();
        endResponsiveRun();
        if (had) {
            EXPECT_EQ(asked, (std::vector<std::string>{"timer 1", "priority", "no throttling",
                                                       "timer back"}));
            EXPECT_EQ(std::string(said), std::string("timer 1 ms, high priority, no power "
                                                     "throttling; ") +
                                             NoSchedulerReason);
        } else {
            // What was not had is not undone.
            EXPECT_EQ(asked, (std::vector<std::string>{"timer 1", "priority", "no throttling"}));
            EXPECT_EQ(std::string(said), std::string("no 1 ms timer, no high priority, no "
                                                     "power throttling; ") +
                                             NoSchedulerReason);
        }
    }
    resetSchedulingApi();
}

} // namespace
