#include "controller/program_state.h"

#include "base/logical_scale.h"
#include "controller/controller_scene.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "graphics/frame_target.h"
#include "remote/remote_link.h"
#include "touch/touch_table.h"

void resetProgramState() {
    installControllerScene();
    resetEngine();
    resetWindowState();
    resetTouchTable();
    resetRemote();
    resetBitmapBackend();
    resetController();
    keepFrameProportions(false);
    frameTarget = nullptr;
}
