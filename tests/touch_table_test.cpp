// Filing touch records in the ten slots, and the hit queries.
#include "base/logical_scale.h"
#include "support/fake_platform.h"
#include "touch/touch_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

class TouchTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        installFakePlatform();
        resetTouchTable();
        keepFrameProportions(false);
    }
    void TearDown() override { resetPlatform(); }

    // A record at logical (x, y) with the fake's one-to-one stretch.
    static TouchRecord at(uint32_t id, uint32_t flags, int32_t x, int32_t y) {
        return TouchRecord{x * 100, y * 100, id, flags};
    }
    void file(std::vector<TouchRecord> records) {
        fileTouchRecords(nullptr, records.data(), static_cast<int32_t>(records.size()));
    }
};

TEST_F(TouchTableTest, FingerDownMovedAndLiftedUsesOneSlot) {
    file({at(5, TouchFlagDown, 100, 200)});
    EXPECT_EQ(TouchTable[0].down, 1);
    file({at(5, TouchFlagMove, 110, 210)});
    EXPECT_EQ(TouchTable[0].x, 110);
    EXPECT_EQ(TouchTable[0].y, 210);
    file({at(5, TouchFlagUp, 120, 220)});
    EXPECT_EQ(TouchTable[0].down, 0);
    EXPECT_EQ(TouchTable[0].x, 120);
    EXPECT_EQ(TouchTable[0].id, 5u);
    for (int i = 1; i < TouchSlotCount; ++i) {
        EXPECT_EQ(TouchTable[i].down, 0);
        EXPECT_EQ(TouchTable[i].id, 0u);
    }
    Sprite pad(nullptr, 100, 200, 130, 190);
    EXPECT_FALSE(isTouched(pad));
}

// A palm and a contact that only hovers press nothing; everything else keeps
// the rules: move and down make a slot down, an unknown finger's move too.
TEST_F(TouchTableTest, PalmsAndHoveringContactsAreNotFingersOnTheScreen) {
    struct Case {
        const char* what;
        std::vector<uint32_t> flags; // the records of one contact, in order
        int32_t down;
    };
    const uint32_t InRange = TouchFlagInRange;
    const Case cases[] = {
        {"a palm coming down", {TouchFlagDown | TouchFlagPalm}, 0},
        {"a finger found to be a palm", {TouchFlagDown, TouchFlagMove | TouchFlagPalm}, 0},
        {"hovering", {TouchFlagMove | InRange, TouchFlagMove | InRange}, 0},
        {"hovering, then down", {TouchFlagMove | InRange, TouchFlagDown | InRange}, 1},
        {"down, then moving in range", {TouchFlagDown | InRange, TouchFlagMove | InRange}, 1},
        {"down and lifted, hovering again",
         {TouchFlagDown | InRange, TouchFlagUp | InRange, TouchFlagMove | InRange},
         0},
        {"a move of a finger never filed", {TouchFlagMove}, 1},
    };
    for (const Case& c : cases) {
        resetTouchTable();
        for (uint32_t flags : c.flags) {
            file({at(7, flags, 100, 200)});
        }
        EXPECT_EQ(TouchTable[0].down, c.down) << c.what;
    }
}

TEST_F(TouchTableTest, ThirdFingerTakesTheFirstFreeSlot) {
    file({at(11, TouchFlagDown, 1, 1), at(12, TouchFlagDown, 2, 2)});
    EXPECT_EQ(TouchTable[0].id, 11u);
    EXPECT_EQ(TouchTable[1].id, 12u);
    file({at(11, TouchFlagUp, 1, 1)});
    file({at(13, TouchFlagDown, 3, 3)});
    EXPECT_EQ(TouchTable[0].id, 13u);
    EXPECT_EQ(TouchTable[0].down, 1);
}

TEST_F(TouchTableTest, IdStillHeldByAReleasedSlotGoesBackThere) {
    file({at(11, TouchFlagDown, 1, 1), at(12, TouchFlagDown, 2, 2)});
    file({at(11, TouchFlagUp, 1, 1), at(12, TouchFlagUp, 2, 2)});
    file({at(12, TouchFlagDown, 5, 5)});
    EXPECT_EQ(TouchTable[1].down, 1);
    EXPECT_EQ(TouchTable[0].down, 0);
}

TEST_F(TouchTableTest, IdZeroTakesTheLowestSlotHoldingZero) {
    file({at(7, TouchFlagDown, 1, 1)});
    file({at(7, TouchFlagUp, 1, 1)});
    // Slot 0 is free but holds id 7; slot 1 still holds id 0.
    file({at(0, TouchFlagDown, 4, 4)});
    EXPECT_EQ(TouchTable[1].down, 1);
    EXPECT_EQ(TouchTable[1].x, 4);
    EXPECT_EQ(TouchTable[0].down, 0);
}

TEST_F(TouchTableTest, UpForAnUnknownIdLandsInAFreeSlotAndStaysUp) {
    file({at(3, TouchFlagUp, 50, 60)});
    EXPECT_EQ(TouchTable[0].id, 3u);
    EXPECT_EQ(TouchTable[0].x, 50);
    EXPECT_EQ(TouchTable[0].down, 0);
}

TEST_F(TouchTableTest, TwoFingersOnOneSpriteGiveTheLowerSlot) {
    Sprite pad(nullptr, 690, 500, 130, 190);
    file({at(1, TouchFlagDown, 10, 10), at(2, TouchFlagDown, 700, 600),
          at(3, TouchFlagDown, 710, 610)});
    EXPECT_EQ(touchIndexOn(pad), 1);
    Sprite nowhere(nullptr, 300, 300, 10, 10);
    EXPECT_EQ(touchIndexOn(nowhere), -1);
}

TEST_F(TouchTableTest, ScreenToClientIsApplied) {
    fakePlatform.clientOrigin = {318, 187, 0, 0};
    file({at(1, TouchFlagDown, 318 + 20, 187 + 30)});
    EXPECT_EQ(TouchTable[0].x, 20);
    EXPECT_EQ(TouchTable[0].y, 30);
}

TEST_F(TouchTableTest, HundredthsTruncateTowardZero) {
    file({TouchRecord{-150, -199, 1, TouchFlagDown}});
    EXPECT_EQ(TouchTable[0].x, -1);
    EXPECT_EQ(TouchTable[0].y, -1);
    file({TouchRecord{51299, 30099, 1, TouchFlagMove}});
    EXPECT_EQ(TouchTable[0].x, 512);
    EXPECT_EQ(TouchTable[0].y, 300);
}

TEST_F(TouchTableTest, ThreePointsLeaveLinesThreeToNineAlone) {
    std::strcpy(touchDebugLines[3], "old three");
    std::strcpy(touchDebugLines[9], "old nine");
    file({at(1, 2, 1, 1), at(2, 2, 2, 2), at(3, 2, 3, 3)});
    EXPECT_STREQ(touchDebugLines[2], "[2][3][2] 300 300");
    EXPECT_STREQ(touchDebugLines[3], "old three");
    EXPECT_STREQ(touchDebugLines[9], "old nine");
}

TEST_F(TouchTableTest, MoreThanTenPointsAreFiledWithoutExtraLines) {
    std::vector<TouchRecord> many;
    for (uint32_t id = 1; id <= 15; ++id) {
        many.push_back(at(id, TouchFlagDown, static_cast<int32_t>(id), 0));
    }
    // Five of the ten slots are free when the message comes.
    file({at(100, TouchFlagDown, 0, 0), at(101, TouchFlagDown, 0, 0), at(102, 2, 0, 0),
          at(103, 2, 0, 0), at(104, 2, 0, 0)});
    file({at(100, TouchFlagUp, 0, 0), at(101, 4, 0, 0), at(102, 4, 0, 0), at(103, 4, 0, 0),
          at(104, 4, 0, 0)});
    std::strcpy(touchDebugLines[9], "");
    file(many);
    EXPECT_STREQ(touchDebugLines[9], "[9][10][2] 1000 0");
    for (int i = 0; i < TouchSlotCount; ++i) {
        EXPECT_EQ(TouchTable[i].down, 1);
    }
}

TEST_F(TouchTableTest, ZeroSizedClientAreaNeverFaults) {
    fakePlatform.client = {0, 0, 0, 0};
    file({TouchRecord{INT_MAX, INT_MIN, 1, TouchFlagDown}});
    EXPECT_EQ(TouchTable[0].down, 1);
    EXPECT_EQ(TouchTable[0].x, 0);
    fakePlatform.client = {0, 0, 1, 1};
    file({TouchRecord{INT_MAX, INT_MIN, 1, TouchFlagMove}});
    EXPECT_EQ(TouchTable[0].x, INT_MAX);
    EXPECT_EQ(TouchTable[0].y, INT_MIN);
}

TEST_F(TouchTableTest, NoRecordsChangeNothing) {
    fileTouchRecords(nullptr, nullptr, 3);
    std::vector<TouchRecord> none;
    fileTouchRecords(nullptr, none.data(), 0);
    EXPECT_EQ(TouchTable[0].down, 0);
    EXPECT_STREQ(touchDebugLines[0], "");
}

TEST_F(TouchTableTest, OutOfRangeSlotIndexIsIgnored) {
    storeTouch(10, at(1, TouchFlagDown, 1, 1), 1, 1);
    storeTouch(-1, at(1, TouchFlagDown, 1, 1), 1, 1);
    for (const TouchSlot& slot : TouchTable) {
        EXPECT_EQ(slot.down, 0);
    }
}

} // namespace

namespace {

// A layout that keeps its proportions, on a 3:2 and on a 16:10 screen: the
// frame is the largest 16:9 box in the middle, touches map through it, and
// a touch on the bars lies on no control.
TEST_F(TouchTableTest, AKeptLayoutPutsEveryControlWhereItIsDrawnOnAnyScreen) {
    const struct {
        WinRect client;
        FrameView view;
        int32_t x, y;               // a touch, client pixels
        int32_t logicalX, logicalY; // where it lands
    } cases[] = {
        {{0, 0, 1920, 1280}, {0, 100, 1920, 1080}, 960, 640, 640, 360},
        {{0, 0, 1920, 1280}, {0, 100, 1920, 1080}, 0, 100, 0, 0},
        {{0, 0, 1920, 1280}, {0, 100, 1920, 1080}, 960, 99, OutsideTheFrame, OutsideTheFrame},
        {{0, 0, 1920, 1280}, {0, 100, 1920, 1080}, 960, 1180, OutsideTheFrame, OutsideTheFrame},
        {{0, 0, 1280, 800}, {0, 40, 1280, 720}, 1279, 759, 1279, 719},
        {{0, 0, 2560, 1080}, {320, 0, 1920, 1080}, 319, 540, OutsideTheFrame, OutsideTheFrame},
        {{0, 0, 2560, 1080}, {320, 0, 1920, 1080}, 320, 540, 0, 360},
        {{0, 0, 2560, 1080}, {320, 0, 1920, 1080}, 2239, 540, 1279, 360},
        {{0, 0, 2560, 1080}, {320, 0, 1920, 1080}, 2240, 540, OutsideTheFrame, OutsideTheFrame},
        {{0, 0, 1280, 720}, {0, 0, 1280, 720}, 100, 200, 100, 200},
    };
    keepFrameProportions(true);
    for (const auto& c : cases) {
        resetTouchTable();
        fakePlatform.client = c.client;
        const FrameView view = frameViewIn(c.client.right, c.client.bottom);
        EXPECT_EQ(view.x, c.view.x);
        EXPECT_EQ(view.y, c.view.y);
        EXPECT_EQ(view.width, c.view.width);
        EXPECT_EQ(view.height, c.view.height);
        file({TouchRecord{c.x * 100, c.y * 100, 1, TouchFlagDown}});
        EXPECT_EQ(TouchTable[0].x, c.logicalX) << c.x << "," << c.y;
        EXPECT_EQ(TouchTable[0].y, c.logicalY) << c.x << "," << c.y;
    }
    // Stretched, as ever: the whole client area.
    keepFrameProportions(false);
    const FrameView whole = frameViewIn(1920, 1280);
    EXPECT_EQ(whole.y, 0);
    EXPECT_EQ(whole.height, 1280);
}

} // namespace
