#include "controller/controller_render.h"
#include "controller/controller_scene.h"
#include "controller/menu_commands.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/frame_pacing.h"
#include "engine/health.h"
#include "engine/system_watches.h"

namespace {

constexpr Scene standardScenes[SceneCount] = {
    {sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp},
    {enterController, updateController, renderController, leaveController, releaseController,
     inputBackToController},
};

} // namespace

Scene SceneTable[SceneCount] = {standardScenes[0], standardScenes[1]};
const WindowMenuSource sceneWindowMenu = controllerWindowMenu;
int32_t currentScene = 0;
void* moduleInstance = nullptr;

void sceneNoOp() {}

void switchScene(int32_t scene) {
    // Only the scenes of the table exist; any other number changes nothing.
    if (scene < 0 || scene >= SceneCount) {
        return;
    }
    if (currentScene != 0) {
        SceneTable[currentScene].leave();
    }
    currentScene = scene;
    if (currentScene != 0) {
        SceneTable[currentScene].enter();
    }
}

void startEngine() {
    initActions();
    setFrameRate(240, 4);
    switchScene(1);
}

void stopEngine() {
    switchScene(0);
}

void releaseScene() {
    if (currentScene >= 0 && currentScene < SceneCount) {
        SceneTable[currentScene].release();
    }
}

void inputBackToScene() {
    if (currentScene >= 0 && currentScene < SceneCount) {
        SceneTable[currentScene].inputBack();
    }
}

void resetEngine() {
    setInputSource(InputSource{});
    resetSystemWatches();
    for (int32_t i = 0; i < SceneCount; ++i) {
        SceneTable[i] = standardScenes[i];
    }
    currentScene = 0;
    frameClock = FrameClock{};
    resetMainLoop();
    resetFramePacing();
    resetHealth();
}
