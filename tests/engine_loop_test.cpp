// The scene table, the frame clock and the main loop against a fake message source.
#include "base/pass_requests.h"
#include "base/win_constants.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

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

TEST_F(MainLoop, SwitchingRunsLeaveThenEnter) {
    switchScene(1);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1"}));
    switchScene(1);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "leave1", "enter1"}));
    switchScene(0);
    switchScene(0);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1", "leave1", "enter1", "leave1"}));
    EXPECT_EQ(currentScene, 0);
}

TEST_F(MainLoop, UnknownSceneNumbersChangeNothing) {
    switchScene(1);
    switchScene(2);
    switchScene(-1);
    EXPECT_EQ(currentScene, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"enter1"}));
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

TEST_F(MainLoop, FrameClockAfterStartIsTheScenes) {
    SceneTable[1].enter = enterOneSettingRate;
    fakePlatform.time = 5000;
    startEngine();
    EXPECT_EQ(frameClock.fps, 1000);
    EXPECT_EQ(frameClock.framePeriod, 1);
    EXPECT_EQ(frameClock.frameSpare, 4);
    EXPECT_EQ(frameClock.nextFrameTime, 5000u);
    runMainLoopPass();
    EXPECT_EQ(frameClock.nextFrameTime, 5001u);
}

TEST_F(MainLoop, FrameRateArithmetic) {
    setFrameRate(240, 4);
    EXPECT_EQ(frameClock.framePeriod, 4);
    setFrameRate(0, 0); // would divide by zero
    EXPECT_EQ(frameClock.fps, 1);
    EXPECT_EQ(frameClock.framePeriod, 1000);
}

TEST_F(MainLoop, FrameTimeWrapsAround) {
    switchScene(1);
    setFrameRate(240, 4);
    frameClock.nextFrameTime = 0xFFFFFFFEu;
    runMainLoopPass();
    EXPECT_EQ(frameClock.nextFrameTime, 2u);
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

TEST_F(MainLoop, InputThatEndsTheWaitIsHandledInTheSamePass) {
    switchScene(1);
    fakePlatform.onWait = [](uint32_t) { fakePlatform.queue.push_back({WM_NULL, 0, 0}); };
    events.clear();
    runMainLoopPass();
    EXPECT_EQ(fakePlatform.dispatched.size(), 1u);
    EXPECT_EQ(events, (std::vector<std::string>{"update1", "render1"}));
}

} // namespace
