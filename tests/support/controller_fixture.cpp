#include "support/controller_fixture.h"

#include "base/logical_scale.h"
#include "controller/modes/remembered.h"
#include "controller/program_state.h"
#include "controller/settings/launch_options.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "graphics/frame_target.h"
#include "keyout/keyboard_output.h"

void ControllerFixture::SetUp() {
    installFakePlatform();
    resetProgramState();
    installFakeInterception();
    for (InputAction& action : ActionMap) {
        action.held = 0;
        action.pressed = 0;
    }
}

void ControllerFixture::TearDown() {
    resetController();
    keepFrameProportions(false);
    interception = InterceptionApi{};
    frameTarget = nullptr;
    resetTouchTable();
    resetPlatform();
}

void ControllerFixture::touch(uint32_t id, uint32_t flags, int32_t x, int32_t y) {
    const TouchRecord record{x * 100, y * 100, id, flags};
    fileTouchRecords(nullptr, &record, 1);
}

void ControllerFixture::startWith(const char* commandLine) {
    char problem[LaunchProblemSize];
    ASSERT_TRUE(parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem)) << problem;
    loadRememberedSettings();
    ASSERT_TRUE(chooseStartLayout(problem, sizeof problem)) << problem;
}

void ControllerFixture::enterPlay() {
    switchScene(1); // the controller scene, current as in the program

    controllerMode = Play;
    fakeInterception.sent.clear();
    fakeInterception.calls.clear();
}
