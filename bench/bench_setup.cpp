#include "bench_setup.h"

#include "controller/controller_scene.h"
#include "controller/program_state.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "keyout/interception_api.h"
#include "support/fake_platform.h"

int64_t strokesSent = 0;

namespace {

int contextObject = 0;

InterceptionContext driverCreate() {
    return &contextObject;
}
void driverDestroy(InterceptionContext) {}
int driverIsKeyboard(InterceptionDevice device) {
    return device >= FirstKeyboard && device <= LastKeyboard;
}
void driverSetFilter(InterceptionContext, InterceptionPredicate, InterceptionFilter) {}
InterceptionDevice driverWait(InterceptionContext) {
    return 0;
}
int driverReceive(InterceptionContext, InterceptionDevice, void*, unsigned int) {
    return 0;
}
int driverSend(InterceptionContext, InterceptionDevice, const void*, unsigned int count) {
    strokesSent += count;
    return static_cast<int>(count);
}

} // namespace

void startPlay(const char* layout) {
    installFakePlatform();
    resetProgramState();
    if (layout != nullptr) {
        useLayout(*presetNamed(layout));
    }
    // An older build of the library: no timed wait, no hardware ids.
    interception =
        InterceptionApi{driverCreate,  driverDestroy, driverIsKeyboard, driverSetFilter, driverWait,
                        driverReceive, driverSend,    nullptr,          nullptr};
    enterController();
    controllerMode = Play;
    strokesSent = 0;
}

void putFingerDown(uint32_t id, int32_t x, int32_t y) {
    const TouchRecord record{x * 100, y * 100, id, TouchFlagDown};
    fileTouchRecords(nullptr, &record, 1);
}

void fingerPlace(int32_t finger, int32_t* x, int32_t* y) {
    if (finger == 0) {
        // On the first disc, right of its centre and a little below.
        const LayoutDisc& disc = controllerLayout.discs[0];
        *x = disc.x + disc.radius * 200 / 463;
        *y = disc.y + disc.radius * 92 / 463;
        return;
    }
    const LayoutPad& pad = controllerLayout.pads[(finger - 1) % controllerLayout.padCount];
    *x = pad.x + pad.width / 2;
    *y = pad.y + pad.height / 2;
}
