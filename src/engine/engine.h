// Scenes, the frame clock and the main loop. The engine knows no scene of
// its own: the application gives its scenes and its window menu's source at
// the program's start (installScene, installWindowMenu), as tests do.
#pragma once

#include "base/platform.h"

#include <cstdint>

using SceneHandler = void (*)();

struct Scene {
    SceneHandler enter;
    SceneHandler update;
    SceneHandler render;
    SceneHandler leave;
    // Lets go at once of everything the scene holds in the system (keys held
    // down): the session ends or the process dies. The scene stays entered.
    SceneHandler release;
    // The system's input reaches this session's windows again (unlock,
    // console connect, wake, the display on): what it refused meanwhile may
    // go now.
    SceneHandler inputBack;
};

struct FrameClock {
    int32_t fps;
    int32_t framePeriod;    // milliseconds per frame: 1000 / fps
    int32_t frameSpare;     // kept for scenes; read by nothing here
    uint32_t nextFrameTime; // timeMs() clock; advanced once per pass, never waited on
};

constexpr int32_t SceneCount = 2;

extern Scene SceneTable[SceneCount];
// The scene's entries of the window menu: written into entries (at most
// max), their count given. The window menu is built from them when the
// window is made and each time it opens. None until the application gives
// its source.
using WindowMenuSource = int32_t (*)(WindowMenuEntry* entries, int32_t max);
extern WindowMenuSource sceneWindowMenu;

// A scene's handlers, given by the application before the engine starts:
// they are the standard table's from now on (resetEngine puts them back).
// Scene 0 is no scene and stays so; a number outside the table changes
// nothing.
void installScene(int32_t scene, const Scene& handlers);
void installWindowMenu(WindowMenuSource source);
extern int32_t currentScene;
extern FrameClock frameClock;

void sceneNoOp();
void switchScene(int32_t scene);
void startEngine();
void stopEngine();
// The current scene's release handler.
void releaseScene();
// The current scene's inputBack handler.
void inputBackToScene();
void setFrameRate(int32_t framesPerSecond, int32_t spare);
// Starts the engine and runs passes until no scene is current.
void runMainLoop();
// One pass of the main loop: with no message waiting and no pass due, a
// wait for input; then at most one message, input, update, clock, render.
void runMainLoopPass();
// A pass inside a modal loop of the system's (a drag of the title bar, the
// window menu, a caption button held down), which takes and dispatches the
// thread's messages itself and runs none of the main loop's passes: input,
// update and render, without the message step. On the window's timer while
// such a loop runs, and after each contact's message handled there.
void runModalPass();
constexpr uintptr_t ModalPassTimer = 0x50A5;
constexpr uint32_t ModalPassMs = 10; // USER_TIMER_MINIMUM
void resetMainLoop();

// Back to the state at program start: scene 0 current, clock zero, the
// standard scene table.
void resetEngine();
