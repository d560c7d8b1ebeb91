// Entering and leaving the controller scene, and the keys it lets go of.
#include "base/win_constants.h"
#include "controller/controller_scene.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/modes/scratch.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend.h"
#include "keyout/interception_output.h"
#include "support/controller_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ControllerSceneTest = ControllerFixture;

TEST_F(ControllerSceneTest, LayoutAndDefaults) {
    enterController();
    const int32_t xs[9] = {690, 766, 842, 918, 994, 1070, 1146, 690, 1146};
    const int32_t ys[9] = {500, 292, 500, 292, 500, 292, 500, 10, 10};
    const int8_t keys[9] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x10, 0x11};
    for (int i = 0; i < 9; ++i) {
        ASSERT_NE(padSprites[i], nullptr);
        EXPECT_EQ(padSprites[i]->x, xs[i]);
        EXPECT_EQ(padSprites[i]->y, ys[i]);
        EXPECT_EQ(padSprites[i]->w, 130);
        EXPECT_EQ(padSprites[i]->h, 190);
        EXPECT_EQ(padSprites[i]->instance->image,
                  (i == 1 || i == 3 || i == 5) ? blueImage : whiteImage);
        EXPECT_EQ(KeyScancodes[i], keys[i]);
    }
    ASSERT_NE(scratchDisc, nullptr);
    EXPECT_EQ(scratchDisc->rect.left, -459);
    EXPECT_EQ(scratchDisc->rect.bottom, 671);
    EXPECT_EQ(spriteCentre(*scratchDisc).x, 4);
    EXPECT_EQ(spriteCentre(*scratchDisc).y, 208);
    EXPECT_EQ(ScratchScancodes[0], 0x1D);
    EXPECT_EQ(ScratchScancodes[1], 0x2A);
    EXPECT_EQ(frameClock.fps, 1000);
    EXPECT_EQ(controllerMode, AssignKeys);
    EXPECT_TRUE(fakePlatform.messageBoxes.empty());
    EXPECT_EQ(keyboardDevice, 1);
}

TEST_F(ControllerSceneTest, WithoutTheDriverSendInputTakesOverWithoutABox) {
    fakeInterception.contextFails = true;
    enterController();
    EXPECT_TRUE(fakePlatform.messageBoxes.empty());
    EXPECT_EQ(outputInUse, SendInputOutput);
    EXPECT_NE(std::string(outputNotice).find("SendInput: the Interception driver is not installed"),
              std::string::npos)
        << outputNotice;
    EXPECT_EQ(controllerMode, AssignKeys);
}

TEST_F(ControllerSceneTest, TheDriverAskedForAndUnusableIsReportedInABox) {
    fakeInterception.contextFails = true;
    launchOptions.output = OutputInterception;
    launchOptions.outputGiven = true;
    enterController();
    ASSERT_EQ(fakePlatform.messageBoxes.size(), 1u);
    EXPECT_NE(fakePlatform.messageBoxes[0].text.find("--output interception"), std::string::npos);
    EXPECT_NE(fakePlatform.messageBoxes[0].text.find("driver is not installed"), std::string::npos);
    EXPECT_EQ(fakePlatform.messageBoxes[0].caption, KeyboardLibraryCaption);
    EXPECT_EQ(outputInUse, NoOutput);
}

// Players start padrelle.exe from shortcuts and launchers that set another
// current folder: the pictures beside the program are found all the same.
TEST_F(ControllerSceneTest, PicturesComeFromBesideTheProgramWhenTheCurrentFolderHasNone) {
    static std::vector<std::string> asked;
    static std::string only;
    asked.clear();
    bitmapBackend.loadFile = [](const char* path) {
        asked.push_back(path);
        return asked.back().rfind(only, 0) == 0 ? reinterpret_cast<BitmapHandle>(0x10) : nullptr;
    };
    bitmapBackend.querySize = [](BitmapHandle, int32_t* w, int32_t* h) {
        *w = 130;
        *h = 190;
        return true;
    };
    platform.programFolder = [](char* out, size_t size) {
        return std::snprintf(out, size,
                             "C:\\Spiele\\P\xc3\xa4"
                             "drelle\\") > 0;
    };
    for (const std::string folder : {"img", "C:\\Spiele\\P\xc3\xa4"
                                            "drelle\\img"}) {
        only = folder;
        asked.clear();
        enterController();
        EXPECT_EQ(whiteImage->loaded, 1) << folder;
        EXPECT_EQ(scratchImage->loaded, 1) << folder;
        EXPECT_EQ(asked.back(), folder + "/scratch.bmp");
        EXPECT_EQ(asked.size(), folder == "img" ? 3u : 6u) << folder;
        leaveController();
    }
    resetBitmapBackend();
}

TEST_F(ControllerSceneTest, UnknownModeDoesNothing) {
    enterPlay();
    controllerMode = static_cast<ControllerMode>(2);
    down(1, 700, 600);
    updateController();
    EXPECT_EQ(PadPressed[0], 0);
    EXPECT_EQ(fakeInterception.waits, 0);
}

TEST_F(ControllerSceneTest, LeaveReleasesHeldKeysThenDestroysTheContext) {
    enterPlay();
    down(1, 700, 600);  // pad 0
    down(2, 1150, 100); // pad 8
    down(3, 204, 208);  // disc
    updateController();
    move(3, 203, 220);
    updateController();
    // The mouse holds pad 4 too, captured: its button counts as released.
    mainWindowMessage(nullptr, win::WM_LBUTTONDOWN, win::MK_LBUTTON, 600 << 16 | 1000);
    finishMouseCapture();
    pollMouse();
    updateController();
    clearStrokes();
    fakeInterception.calls.clear();
    fakePlatform.calls.clear();
    leaveController();
    const std::vector<std::string> expected = {"break 0x2C", "break 0x30", "break 0x11",
                                               "break 0x1D"};
    EXPECT_EQ(strokes(), expected);
    EXPECT_EQ(mouseState.fingerHeld, 0);
    EXPECT_EQ(fakePlatform.calls, std::vector<std::string>{"releaseCapture"});
    EXPECT_EQ(fakeInterception.calls.back(), "destroy");
    EXPECT_EQ(padSprites[0], nullptr);
    EXPECT_EQ(scratchDisc, nullptr);
    leaveController();
    releaseHeldKeys();
    EXPECT_EQ(strokes(), expected);
    EXPECT_EQ(fakeInterception.destroys, 1);
}

} // namespace
