// The timer, priority, scheduler task and power throttling asked for while
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
        .joinGamesTask = [] { return asked.push_back("games"), granted; },
        .leaveGamesTask = [] { asked.push_back("games back"); },
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
        char said[128];
        describeResponsiveRun(said, sizeof said);
        endResponsiveRun();
        endResponsiveRun();
        if (had) {
            EXPECT_EQ(asked,
                      (std::vector<std::string>{"timer 1", "priority", "games", "no throttling",
                                                "games back", "timer back"}));
            EXPECT_STREQ(said, "timer 1 ms, high priority, Games task, no power throttling");
        } else {
            // What was not had is not undone.
            EXPECT_EQ(asked,
                      (std::vector<std::string>{"timer 1", "priority", "games", "no throttling"}));
            EXPECT_STREQ(said, "no 1 ms timer, no high priority, no Games task, no power "
                               "throttling");
        }
    }
    resetSchedulingApi();
}

} // namespace
