#include "base/health.h"
#include "base/system_watches.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/frame_pacing.h"

namespace {

constexpr Scene noScene = {sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp, sceneNoOp};

Scene standardScenes[SceneCount] = {noScene, noScene};

int32_t noWindowMenu(WindowMenuEntry*, int32_t) {
    return 0;
}

} // namespace

Scene SceneTable[SceneCount] = {noScene, noScene};
WindowMenuSource sceneWindowMenu = noWindowMenu;
int32_t currentScene = 0;

void sceneNoOp() {}

void installScene(int32_t scene, const Scene& handlers) {
    if (scene <= 0 || scene >= SceneCount) {
        return;
    }
    standardScenes[scene] = handlers;
    SceneTable[scene] = handlers;
}

void installWindowMenu(WindowMenuSource source) {
    sceneWindowMenu = source != nullptr ? source : noWindowMenu;
}

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
