// Scratch tracking round the disc centred at (4, 208).
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "controller/scratch.h"
#include "support/controller_fixture.h"

#include <cmath>

namespace {

class ControllerScratchTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        enterPlay();
    }
    using Strokes = std::vector<std::string>;
    static void expectPoint(Point p, int32_t x, int32_t y) {
        EXPECT_EQ(p.x, x);
        EXPECT_EQ(p.y, y);
    }
};

TEST_F(ControllerScratchTest, LandingAtAngleZeroSendsNothing) {
    down(1, 204, 208);
    updateScratch();
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(ScratchState.tracking, 1);
    EXPECT_EQ(ScratchState.angle, 0.0);
    expectPoint(ScratchState.lowEnd, 466, 184);
    expectPoint(ScratchState.highEnd, 466, 231);
    expectPoint(ScratchState.touchPoint, 204, 208);
}

TEST_F(ControllerScratchTest, TurnHoldReverseAndLift) {
    down(1, 204, 208);
    updateScratch();
    move(1, 203, 220);
    updateScratch();
    EXPECT_EQ(strokes(), Strokes{"make 0x1D"});
    EXPECT_DOUBLE_EQ(ScratchState.lowBound, std::atan2(12.0, 199.0) - 0.05);
    EXPECT_EQ(ScratchState.lowBound, ScratchState.highBound);
    expectPoint(ScratchState.lowEnd, 466, 212);
    expectPoint(ScratchState.highEnd, 466, 212);
    updateScratch(); // held there
    move(1, 204, 214);
    updateScratch(); // still past the anchor clockwise
    EXPECT_EQ(strokes(), Strokes{"make 0x1D"});
    const double anchor = ScratchState.lowBound;
    move(1, 204, 208);
    updateScratch();
    EXPECT_EQ(strokes(), (Strokes{"make 0x1D", "break 0x1D", "make 0x2A"}));
    EXPECT_EQ(ScratchState.highBound, anchor);
    EXPECT_EQ(ScratchState.lowBound, anchor);
    up(1, 204, 208);
    updateScratch();
    EXPECT_EQ(strokes(), (Strokes{"make 0x1D", "break 0x1D", "make 0x2A", "break 0x2A"}));
    EXPECT_EQ(ScratchState.tracking, 0);
    expectPoint(ScratchState.touchPoint, 204, 208); // lines keep their place
}

TEST_F(ControllerScratchTest, EqualityIsNoExit) {
    down(1, 204, 208);
    updateScratch();
    ScratchState.highBound = ScratchState.angle;
    ScratchState.lowBound = ScratchState.angle;
    updateScratch();
    EXPECT_TRUE(strokes().empty());
}

TEST_F(ControllerScratchTest, HitAreaIsTheSquareRect) {
    down(1, 460, 660);
    updateScratch();
    EXPECT_EQ(ScratchState.tracking, 1);
    move(1, 468, 660);
    updateScratch();
    EXPECT_EQ(ScratchState.tracking, 0);
}

TEST_F(ControllerScratchTest, SlidingOffReleasesAndBackStartsANewBand) {
    down(1, 204, 208);
    updateScratch();
    move(1, 203, 220);
    updateScratch();
    move(1, 500, 220); // off the rect, still down
    updateScratch();
    EXPECT_EQ(strokes(), (Strokes{"make 0x1D", "break 0x1D"}));
    move(1, 204, 308);
    updateScratch();
    EXPECT_EQ(strokes().size(), 2u);
    EXPECT_DOUBLE_EQ(ScratchState.highBound, std::atan2(100.0, 200.0) + 0.05);
}

TEST_F(ControllerScratchTest, TwoFingersHandOverWithoutANewBand) {
    down(1, 204, 208); // slot 0, followed
    down(2, 4, 408);   // slot 1, angle pi/2
    updateScratch();
    const double low = ScratchState.lowBound;
    up(1, 204, 208);
    updateScratch();
    EXPECT_EQ(strokes(), Strokes{"make 0x1D"});
    EXPECT_EQ(ScratchState.lowBound, ScratchState.highBound);
    EXPECT_GT(ScratchState.lowBound, low);
    expectPoint(ScratchState.touchPoint, 4, 408);
}

TEST_F(ControllerScratchTest, LeftEdgeJumpIsTakenAsTheOtherDirection) {
    down(1, 0, 209); // just below the line left of the centre: about +pi
    updateScratch();
    move(1, 0, 207); // upward there, a clockwise turn: about -pi
    updateScratch();
    EXPECT_EQ(strokes(), Strokes{"make 0x2A"});
    clearStrokes();
    move(1, 0, 209); // back down: counter-clockwise on screen, taken as clockwise
    updateScratch();
    EXPECT_EQ(strokes(), (Strokes{"break 0x2A", "make 0x1D"}));
}

TEST_F(ControllerScratchTest, MarkEndsAreTruncatedTowardZero) {
    expectPoint(markEndPoint({4, 208}, 1.6), -9, 670);
    expectPoint(markEndPoint({4, 208}, M_PI / 2), 4, 671);
    expectPoint(markEndPoint({4, 208}, -M_PI / 2), 4, -255);
}

TEST_F(ControllerScratchTest, StopWithNothingHeldSendsNothing) {
    sendScratch(Stop);
    updateScratch();
    sendScratch(static_cast<ScratchDirection>(7));
    EXPECT_TRUE(strokes().empty());
}

TEST_F(ControllerScratchTest, DirectionsAreMadeOnceAndNeverBothHeld) {
    sendScratch(Clockwise);
    sendScratch(Clockwise);
    sendScratch(CounterClockwise);
    sendScratch(Stop);
    EXPECT_EQ(strokes(), (Strokes{"make 0x1D", "break 0x1D", "make 0x2A", "break 0x2A"}));
}

TEST_F(ControllerScratchTest, RunsInsidePlayModeAfterThePads) {
    down(1, 204, 208);
    down(2, 700, 600);
    updatePlayMode();
    move(1, 203, 220);
    up(2, 700, 600);
    updatePlayMode();
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C", "make 0x1D"}));
}

} // namespace
