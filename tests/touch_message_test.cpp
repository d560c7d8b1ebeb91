// WM_TOUCH: records read from the handle, filed, and the handle closed once.
#include "base/health.h"
#include "base/win_constants.h"
#include "engine/engine.h"
#include "support/fake_platform.h"
#include "touch/touch_message.h"
#include "touch/touch_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TouchMessage : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        resetTouchTable();
        resetHealth();
    }
    void TearDown() override { resetPlatform(); }

    static std::vector<TouchInput> fingers(uint32_t count) {
        std::vector<TouchInput> records;
        for (uint32_t i = 0; i < count; ++i) {
            records.push_back(
                TouchInput{static_cast<int32_t>(i) * 1000, 5000, 100 + i, TouchFlagDown});
        }
        return records;
    }
};

TEST_F(TouchMessage, AReadMessageIsFiledClosedAndNotPassedOn) {
    for (const uint32_t count : {1u, 3u, TouchRecordsOnStack + 8}) {
        resetTouchTable();
        fakePlatform.defaultHandled.clear();
        const intptr_t handle = 40 + count;
        fakePlatform.touchInputs[handle] = fingers(count);
        EXPECT_EQ(handleTouchMessage(nullptr, count, handle), 0) << count;
        EXPECT_EQ(TouchTable[0].id, 100u) << count;
        EXPECT_EQ(TouchTable[0].down, 1) << count;
        EXPECT_EQ(TouchTable[count < 10 ? count - 1 : 9].down, 1) << count;
        // Closed once, and the closed handle never goes to the default handling.
        EXPECT_EQ(fakePlatform.closedTouchHandles.back(), handle) << count;
        EXPECT_TRUE(fakePlatform.defaultHandled.empty()) << count;
    }
    EXPECT_TRUE(fakePlatform.touchFaults.empty()) << fakePlatform.touchFaults[0];
}

TEST_F(TouchMessage, AMessageThatCannotBeReadGoesToTheDefaultHandling) {
    // A handle with no records, a count beyond its records, no count at all.
    fakePlatform.touchInputs[9] = fingers(2);
    fakePlatform.touchInputs[10] = fingers(2);
    const struct {
        uintptr_t wParam;
        intptr_t handle;
    } cases[] = {{3, 8}, {3, 9}, {0x10000, 10}};
    for (const auto& c : cases) {
        fakePlatform.defaultHandled.clear();
        EXPECT_EQ(handleTouchMessage(nullptr, c.wParam, c.handle), 77);
        ASSERT_EQ(fakePlatform.defaultHandled.size(), 1u);
        EXPECT_EQ(fakePlatform.defaultHandled[0].message, win::WM_TOUCH);
    }
    EXPECT_EQ(TouchTable[0].down, 0);
    EXPECT_TRUE(fakePlatform.touchFaults.empty()) << fakePlatform.touchFaults[0];
}

TEST_F(TouchMessage, ATouchIsAReportTimedFromTheSystemsOwnTime) {
    fakePlatform.preciseUs = 10000;
    noteMessageTaken();
    std::vector<TouchInput> records = fingers(2);
    records[0].timeUs = 9000;
    records[1].timeUs = 8500;
    fakePlatform.touchInputs[5] = records;
    handleTouchMessage(nullptr, 2, 5);
    fakePlatform.preciseUs = 10200;
    noteStrokeSent();
    finishInputTiming();
    fakePlatform.time += 1000;
    const HealthFigures figures = healthFigures();
    EXPECT_EQ(figures.reportsPerSecond, 1);
    EXPECT_EQ(figures.longestReportUs, 1700u); // from the earlier of the two reports
}

} // namespace
