// Scratch tracking round the disc centred at (4, 208).
#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
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

TEST_F(ControllerScratchTest, EqualityIsNoExit) {
    down(1, 204, 208);
    updateScratch();
    ScratchState.highBound = ScratchState.angle;
    ScratchState.lowBound = ScratchState.angle;
    updateScratch();
    EXPECT_TRUE(strokes().empty());
}

TEST_F(ControllerScratchTest, MarkEndsAreTruncatedTowardZero) {
    expectPoint(markEndPoint({4, 208}, 1.6), -9, 670);
    expectPoint(markEndPoint({4, 208}, M_PI / 2), 4, 671);
    expectPoint(markEndPoint({4, 208}, -M_PI / 2), 4, -255);
}

TEST_F(ControllerScratchTest, DirectionsAreMadeOnceAndNeverBothHeld) {
    sendScratch(Stop); // nothing held: nothing sent
    updateScratch();
    sendScratch(static_cast<ScratchDirection>(7));
    EXPECT_TRUE(strokes().empty());
    sendScratch(Clockwise);
    sendScratch(Clockwise);
    sendScratch(CounterClockwise);
    sendScratch(Stop);
    EXPECT_EQ(strokes(), (Strokes{"make 0x1D", "break 0x1D", "make 0x2A", "break 0x2A"}));
}

} // namespace
