// The scene table, the frame clock and the main loop against a fake message source.
#include "base/pass_requests.h"
#include "base/win_constants.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> events;
int32_t switchToInUpdate = -1;

void enterOne() {
    events.push_back("enter1");
}
void updateOne() {
    events.push_back("update1");
    if (switchToInUpdate >= 0) {
        switchScene(switchToInUpdate);
    }
}
void renderOne() {
    events.push_back("render1");
}
void leaveOne() {
    events.push_back("leave1");
}
void updateZero() {
    events.push_back("update0");
}
void renderZero() {
    events.push_back("render0");
}
void enterOneSettingRate() {
    events.push_back("enter1");
    setFrameRate(1000, 4);
}

constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_NULL = 0x0000;

class MainLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        resetEngine();
        resetWindowState();
        installFakePlatform();
        events.clear();
        switchToInUpdate = -1;
        SceneTable[1] = {enterOne, updateOne, renderOne, leaveOne, sceneNoOp, sceneNoOp};
    }
    void TearDown() override {
        resetEngine();
        resetPlatform();
    }
};

TEST_F(MainLoop, SwitchingRunsLeaveThenEnterAndUnknownScenesChangeNothing) {
    switchScene(1);
    switchScene(2);
    switchScene(-1);
    EXPECT_EQ(currentScene, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1"}));
    switchScene(1);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "leave1", "enter1"}));
    switchScene(0);
    switchScene(0);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "leave1", "enter1", "leave1"}));
    EXPECT_EQ(currentScene, 0);
}

TEST_F(MainLoop, EachPassHandlesExactlyOneMessage) {
    switchScene(1);
    for (int i = 0; i < 3; ++i) {
        fakePlatform.queue.push_back({WM_NULL, 0, 0});
    }
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.dispatched.size(), 1u);
    EXPECT_EQ(fakePlatform.queue.size(), 2u);
    runMainLoopPass();
    runMainLoopPass();
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.dispatched.size(), 3u);
    EXPECT_EQ(fakePlatform.messagesTaken, 3);
}

TEST_F(MainLoop, PassRunsUpdateThenRenderEvenWithoutMessage) {
    switchScene(1);
    events.clear();
    runMainLoopPass();
    runMainLoopPass();
    EXPECT_EQ(events, (std::vector<std::string>{"update1", "render1", "update1", "render1"}));
}

TEST_F(MainLoop, QuitAndErrorMessagesDoNotEndTheLoop) {
    switchScene(1);
    fakePlatform.queue.push_back({WM_QUIT, 0, 0});
    fakePlatform.queue.push_back({0xFFFFFFFFu, 0, 0});
    runMainLoopPass();
    runMainLoopPass();
    EXPECT_EQ(currentScene, 1);
    EXPECT_TRUE(fakePlatform.dispatched.empty());
    EXPECT_EQ(events.back(), "render1");
}

TEST_F(MainLoop, DestroyDuringDispatchEndsTheLoopAfterThatPass) {
    SceneTable[0] = {sceneNoOp, updateZero, renderZero, sceneNoOp, sceneNoOp, sceneNoOp};
    fakePlatform.queue.push_back({win::WM_DESTROY, 0, 0});
    fakePlatform.queue.push_back({WM_NULL, 0, 0});
    runMainLoop();
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "leave1", "update0", "render0"}));
    EXPECT_EQ(fakePlatform.quitCodes, (std::vector<int32_t>{0}));
    EXPECT_EQ(fakePlatform.queue.size(), 1u); // the loop did not turn again
    EXPECT_EQ(currentScene, 0);
}

TEST_F(MainLoop, SwitchMadeInUpdateGetsTheNewScenesRender) {
    SceneTable[0] = {sceneNoOp, updateZero, renderZero, sceneNoOp, sceneNoOp, sceneNoOp};
    switchToInUpdate = 0;
    runMainLoop();
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "update1", "leave1", "render0"}));
}

TEST_F(MainLoop, FrameClockAfterStartIsTheScenesAndWrapsAround) {
    SceneTable[1].enter = enterOneSettingRate;
    fakePlatform.time = 5000;
    startEngine();
    EXPECT_EQ(frameClock.fps, 1000);
    EXPECT_EQ(frameClock.framePeriod, 1);
    EXPECT_EQ(frameClock.frameSpare, 4);
    EXPECT_EQ(frameClock.nextFrameTime, 5000u);
    runMainLoopPass();
    EXPECT_EQ(frameClock.nextFrameTime, 5001u);
    setFrameRate(240, 4);
    EXPECT_EQ(frameClock.framePeriod, 4);
    frameClock.nextFrameTime = 0xFFFFFFFEu;
    runMainLoopPass();
    EXPECT_EQ(frameClock.nextFrameTime, 2u);
    setFrameRate(0, 0); // would divide by zero
    EXPECT_EQ(frameClock.fps, 1);
    EXPECT_EQ(frameClock.framePeriod, 1000);
}

} // namespace

namespace {

// Nothing waiting: the loop sleeps until input comes or the earliest pass
// asked for is due; it never sleeps while one is due or a message waits.
TEST_F(MainLoop, WaitsForInputOrTheEarliestPassAskedFor) {
    switchScene(1);
    fakePlatform.time = 1000;
    runMainLoopPass();
    requestPassBy(1030);
    requestPassIn(10); // 1010: the earliest wins
    requestPassBy(1500);
    runMainLoopPass();
    requestPassBy(990); // already due
    runMainLoopPass();
    fakePlatform.queue.push_back({WM_NULL, 0, 0});
    requestPassIn(50);
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.waits, (std::vector<uint32_t>{WaitForever, 10}));
    // A pass serves every request made before it.
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.waits.back(), WaitForever);
    // The clock wraps: a request past the wrap is still ahead.
    fakePlatform.time = 0xFFFFFFF0u;
    requestPassBy(0x10);
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.waits.back(), 0x20u);
}

// A stroke waiting for its time: the wait ends at that time on the precise
// clock when it comes first, at the millisecond deadline otherwise.
TEST_F(MainLoop, WaitsOnThePreciseClockForAStrokesTime) {
    switchScene(1);
    const struct {
        const char* what;
        uint32_t byMs;   // requestPassBy, 0 none
        uint64_t atUs;   // requestPassAtUs, 0 none
        uint32_t waited; // the millisecond wait's timeout, 0 none
        uint64_t waitedUntilUs;
    } cases[] = {
        {"the stroke first", 1030, 2012500, 0, 2012500},
        {"the milliseconds first", 1010, 2012500, 10, 0},
        {"only the stroke", 0, 2000300, 0, 2000300},
        {"the stroke due already", 1030, 1999000, 0, 0},
    };
    for (const auto& c : cases) {
        fakePlatform.time = 1000;
        fakePlatform.preciseUs = 2000000;
        fakePlatform.waits.clear();
        fakePlatform.preciseWaits.clear();
        if (c.byMs != 0) {
            requestPassBy(c.byMs);
        }
        requestPassAtUs(c.atUs);
        requestPassAtUs(c.atUs + 5000); // the earliest wins
        runMainLoopPass();
        EXPECT_EQ(fakePlatform.waits,
                  c.waited != 0 ? std::vector<uint32_t>{c.waited} : std::vector<uint32_t>{})
            << c.what;
        EXPECT_EQ(fakePlatform.preciseWaits, c.waitedUntilUs != 0
                                                 ? std::vector<uint64_t>{c.waitedUntilUs}
                                                 : std::vector<uint64_t>{})
            << c.what;
    }
}

// A frame begun just before a stroke's time would hold it back: within 4 ms
// of it the frame waits for the stroke's pass, never more than 50 ms.
uint64_t dueAtUs = 0;

TEST_F(MainLoop, AFrameWaitsForAStrokeDueWithinItsTime) {
    switchScene(1);
    const struct {
        const char* what;
        uint64_t dueInUs; // a stroke's precise pass after the pass's end; 0 none
        uint64_t sinceRenderUs;
        bool rendered;
    } cases[] = {
        {"no stroke waits", 0, 1000, true},
        {"a stroke in 1 ms", 1000, 1000, false},
        {"a stroke due already", 1, 1000, false},
        {"a stroke in 3.9 ms", 3900, 1000, false},
        {"a stroke in 4 ms", 4000, 1000, true},
        {"a stroke in 1 ms, the frame held 50 ms", 1000, 50000, true},
    };
    for (const auto& c : cases) {
        resetMainLoop();
        setInputSource(InputSource{});
        fakePlatform.preciseUs = 1000000;
        runMainLoopPass(); // the last frame, now
        fakePlatform.preciseUs += c.sinceRenderUs;
        setInputSource(InputSource{[] { return true; },
                                   [] {
                                       if (dueAtUs != 0) {
                                           requestPassAtUs(dueAtUs);
                                       }
                                   },
                                   nullptr});
        dueAtUs = c.dueInUs != 0 ? fakePlatform.preciseUs + c.dueInUs : 0;
        events.clear();
        runMainLoopPass();
        EXPECT_EQ(events, (c.rendered ? std::vector<std::string>{"update1", "render1"}
                                      : std::vector<std::string>{"update1"}))
            << c.what;
    }
    setInputSource(InputSource{});
}

int32_t sourceDue = 0;
bool sourceWaiting() {
    return sourceDue > 0;
}
void pollSource() {
    events.push_back("poll");
    sourceDue = std::max(0, sourceDue - 1);
}
bool sourceHasMore() {
    return sourceDue > 0;
}

// What an input source has due goes in one pass, a poll and an update each,
// at most 64 a pass; nothing more while the window's close waits.
TEST_F(MainLoop, EachDueInputOfTheSourceHasAnUpdateOfItsOwn) {
    switchScene(1);
    setInputSource(InputSource{sourceWaiting, pollSource, sourceHasMore});
    const struct {
        const char* what;
        int32_t due;
        bool closeQueued;
        size_t polls;
    } cases[] = {
        {"one", 1, false, 1},     {"three", 3, false, 3},
        {"many", 100, false, 64}, {"the close asked", 3, true, 0},
        {"nothing", 0, false, 1},
    };
    for (const auto& c : cases) {
        sourceDue = c.due;
        fakePlatform.queue.clear();
        if (c.closeQueued) {
            fakePlatform.queue = {FakeMessage{WM_NULL, 0, 0}, FakeMessage{win::WM_CLOSE, 0, 0}};
        }
        events.clear();
        runMainLoopPass();
        const auto polls = static_cast<size_t>(std::count(events.begin(), events.end(), "poll"));
        EXPECT_EQ(polls, c.polls) << c.what;
        EXPECT_EQ(static_cast<size_t>(std::count(events.begin(), events.end(), "update1")),
                  std::max<size_t>(1, polls))
            << c.what;
    }
    setInputSource(InputSource{});
}

TEST_F(MainLoop, InputThatEndsTheWaitIsHandledInTheSamePass) {
    switchScene(1);
    fakePlatform.onWait = [](uint32_t) { fakePlatform.queue.push_back({WM_NULL, 0, 0}); };
    events.clear();
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.dispatched.size(), 1u);
    EXPECT_EQ(events, (std::vector<std::string>{"update1", "render1"}));
}

} // namespace
