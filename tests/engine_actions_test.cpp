// The keyboard action map polled from the key state.
#include "base/win_constants.h"
#include "engine/actions.h"
#include "engine/window_proc.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Actions : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        initActions();
        windowActive = 1;
    }
    void TearDown() override {
        resetWindowState();
        resetPlatform();
    }
    InputAction& enter = ActionMap[ActionEnter];
};

TEST_F(Actions, KeyHeldAcrossFramesIsPressedInTheFirstOnly) {
    fakePlatform.keyDown[win::VK_RETURN] = true;
    pollActions();
    EXPECT_EQ(enter.held, 1);
    EXPECT_EQ(enter.pressed, 1);
    pollActions();
    pollActions();
    EXPECT_EQ(enter.held, 1);
    EXPECT_EQ(enter.pressed, 0);
    fakePlatform.keyDown[win::VK_RETURN] = false;
    pollActions();
    EXPECT_EQ(enter.held, 0);
    EXPECT_EQ(enter.pressed, 0);
}

TEST_F(Actions, OnlyTheDownBitCounts) {
    // Low bit alone: pressed since an earlier call, not down now.
    platform.asyncKeyState = [](int32_t) -> int16_t { return 1; };
    pollActions();
    for (const InputAction& action : ActionMap) {
        EXPECT_EQ(action.held, 0);
    }
}

// The seven keys of the table, asked in its order (their names and
// descriptions are the table's alone: nothing reads them).
TEST_F(Actions, AllSevenArePolledInOrder) {
    static std::vector<int32_t> asked;
    asked.clear();
    platform.asyncKeyState = [](int32_t key) -> int16_t {
        asked.push_back(key);
        return 0;
    };
    pollActions();
    EXPECT_EQ(asked, (std::vector<int32_t>{0x26, 0x28, 0x25, 0x27, 0x20, 0x0D, 0x1B}));

    // While another window is active the keyboard is not asked, and nothing
    // is held; Return still down when the window is active again is pressed.
    fakePlatform.keyDown[win::VK_RETURN] = true;
    platform.asyncKeyState = [](int32_t key) -> int16_t {
        asked.push_back(key);
        return fakePlatform.keyDown[key] ? static_cast<int16_t>(0x8000) : 0;
    };
    pollActions();
    windowActive = 0;
    asked.clear();
    pollActions();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(ActionMap[ActionEnter].held, 0);
    windowActive = 1;
    pollActions();
    EXPECT_EQ(ActionMap[ActionEnter].pressed, 1);
}

} // namespace
