// When frames go to the window, and the health figures a player can read.
#include "base/health.h"
#include "engine/engine.h"
#include "engine/frame_pacing.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

namespace {

class Pacing : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        resetEngine();
        resetWindowState();
        fakePlatform.time = 10000;
    }
    void TearDown() override {
        resetEngine();
        resetPlatform();
    }
    // A pass that asks frameDue, like a scene's render does.
    static bool pass(uint64_t content, bool withStrokes = false) {
        notePassStarted();
        if (withStrokes) {
            noteStrokeSent();
        }
        const bool due = frameDue(content);
        if (due) {
            frameShown(content);
        }
        return due;
    }
    // The wait of the next pass without a message: when the frame comes.
    static uint32_t nextWait() {
        const size_t before = fakePlatform.waits.size();
        runMainLoopPass();
        return fakePlatform.waits.size() > before ? fakePlatform.waits.back() : 0;
    }
};

TEST_F(Pacing, AFrameOnlyForAChangeAndNoFasterThanTheDisplay) {
    fakePlatform.refreshHz = 60; // 17 ms a frame
    EXPECT_TRUE(pass(1));        // the first frame
    EXPECT_FALSE(pass(1));       // nothing changed
    fakePlatform.time += 5;
    EXPECT_FALSE(pass(2)); // changed too soon: a pass is asked for
    EXPECT_EQ(nextWait(), 12u);
    fakePlatform.time += 12;
    EXPECT_TRUE(pass(2));
    EXPECT_EQ(refreshPeriodMs(60), 17u);
    EXPECT_EQ(refreshPeriodMs(144), 7u);
    EXPECT_EQ(refreshPeriodMs(0), 17u);
    EXPECT_EQ(refreshPeriodMs(5000), 17u);
}

TEST_F(Pacing, ARepaintIsDueAtOnceAndTheRefreshRateIsAskedAgainAfterIt) {
    static int asked = 0;
    asked = 0;
    platform.refreshRateHz = [](WindowHandle) {
        ++asked;
        return int32_t{100};
    };
    EXPECT_TRUE(pass(1));
    fakePlatform.time += 1;
    EXPECT_FALSE(pass(2));
    EXPECT_FALSE(pass(3));
    EXPECT_EQ(asked, 1);
    repaintWindow();
    EXPECT_TRUE(repaintPending());
    EXPECT_TRUE(pass(3)); // unchanged, and too soon, but the window lost its picture
    EXPECT_FALSE(repaintPending());
    fakePlatform.time += 1;
    EXPECT_FALSE(pass(4));
    EXPECT_EQ(asked, 2);
}

TEST_F(Pacing, AfterStrokesTheFrameWaitsAMomentButNotBeyondAPeriod) {
    EXPECT_TRUE(pass(1));
    fakePlatform.time += 100;
    EXPECT_FALSE(pass(2, true));
    EXPECT_EQ(nextWait(), StrokeLeadMs);
    fakePlatform.time += StrokeLeadMs;
    EXPECT_TRUE(pass(2)); // no strokes in this pass
    // Strokes in every pass: the frame goes out after a period all the same.
    fakePlatform.time += 100;
    EXPECT_FALSE(pass(3, true));
    fakePlatform.time += 10;
    EXPECT_FALSE(pass(3, true));
    fakePlatform.time += 7;
    EXPECT_TRUE(pass(3, true));
}

TEST_F(Pacing, HealthCountsReportsFramesAndTheLongestReportToStroke) {
    // reported: how long before its taking the system says the report came;
    // a time after the taking is no report's time.
    auto report = [](uint64_t takes, bool stroke, int64_t reported = 0) {
        fakePlatform.preciseUs += 1000;
        noteMessageTaken();
        noteInputReport();
        noteInputReport(); // one report a message
        if (reported != 0) {
            noteReportTime(fakePlatform.preciseUs - static_cast<uint64_t>(reported));
        }
        fakePlatform.preciseUs += takes;
        if (stroke) {
            noteStrokeSent();
        }
        finishInputTiming();
    };
    healthFigures();
    report(40, true);
    report(90, true);
    report(60, true, 70);  // 130 from the system's report
    report(95, true, -50); // a time after the taking: from the taking, 95
    report(500, false);    // no stroke: nothing to time
    noteFramePresented(true);
    noteFramePresented(false); // for the health line alone
    noteStrokeLost();
    EXPECT_EQ(healthFigures().reportsPerSecond, 0); // the second is not over
    // While the figures change, a pass is asked for at the next second.
    EXPECT_EQ(nextWait(), 1000u);
    fakePlatform.time += 1000;
    HealthFigures f = healthFigures();
    EXPECT_EQ(f.reportsPerSecond, 5);
    EXPECT_EQ(f.framesPerSecond, 1);
    EXPECT_EQ(f.longestReportUs, 130u);
    EXPECT_EQ(f.strokesLost, 1);
    EXPECT_EQ(nextWait(), 1000u);
    fakePlatform.time += 1000;
    f = healthFigures();
    EXPECT_EQ(f.reportsPerSecond, 0);
    // After a gap, the last whole second was empty, and an idle program
    // asks for nothing more.
    fakePlatform.time += 5000;
    EXPECT_EQ(healthFigures().reportsPerSecond, 0);
    EXPECT_EQ(nextWait(), WaitForever);
}

} // namespace
