// Layouts that follow the game in front: the switch, its keys, what the game
// holds through it, and what changes nothing.
#include "controller/controller_scene.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/game_layouts.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/settings/launch_options.h"
#include "engine/engine.h"
#include "keyout/held_record.h"
#include "keyout/system_input.h"
#include "support/controller_fixture.h"
#include "support/fake_desktop.h"
#include "support/fake_store.h"

#include <string>
#include <vector>

namespace {

using Keys = std::vector<std::string>;

const std::string Folder = FakeLayoutsFolder;

class GameLayouts : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        installFakeStore();
        installFakeDesktop();
        store.file = "version 2\nlayout default\n"
                     "keys default 2C 2D 2E 2F 30 31 32 10 11 1D 2A\n"
                     "keys popn 24 25\n";
        store.read = SettingsFound;
        // Two pads at the top left; its keys are saved as 24 and 25.
        store.files[Folder + "popn.txt"] = "layout 1\nname popn\nsize 1280 720\ngame popn.exe\n"
                                           "pad 0 0 100 100 white 20\npad 200 0 100 100 blue 21\n";
        // One pad over the whole bottom, its own key 1E; two programs.
        store.files[Folder + "lanes.txt"] =
            "layout 1\nname lanes\nsize 1280 720\ngame Lanes Game.exe\ngame lanes2.exe\n"
            "pad 0 600 1280 100 white 1E\n";
        store.files[Folder + "plain.txt"] =
            "layout 1\nname plain\nsize 1280 720\npad 0 0 100 100 white 20\n";
        store.files[Folder + "broken.txt"] = "layout 1\nname broken\ngame x.exe\n";
        store.files["C:\\Games\\elsewhere.txt"] =
            "layout 1\nname elsewhere\nsize 1280 720\ngame popn.exe\npad 0 0 9 9 white 20\n";
    }
    void TearDown() override {
        launchOptions.output = OutputAuto;
        ControllerFixture::TearDown();
        resetSettingsStore();
        resetSystemInput();
    }
    static void start(const char* commandLine = "--output sendinput") {
        char problem[512];
        ASSERT_TRUE(parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem));
        loadRememberedSettings();
        ASSERT_TRUE(chooseStartLayout(problem, sizeof problem)) << problem;
        switchScene(1);
        ASSERT_EQ(controllerMode, Play);
        pass();
    }
    static void pass() {
        fakePlatform.time += 1;
        updateController();
    }
    static void front(const std::string& program) {
        bringToFront(program);
        pass();
    }
    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    }
};

TEST_F(GameLayouts, TheGameInFrontBringsItsLayoutWithItsKeysAndTheGameLeavingTakesItAway) {
    start();
    EXPECT_EQ(gameLayoutCount(), 2); // popn and lanes; plain names no game
    EXPECT_NE(store.log.find("the layout file " + Folder + "broken.txt is not usable"),
              std::string::npos)
        << store.log;
    // A finger on pad 0 of the default: the game holds its key.
    down(1, 700, 600);
    pass();
    EXPECT_EQ(gameHeldKeys(), Keys{"2C"});

    // Steps: the program that comes to the front, and the layout, keys and
    // what the game holds after it.
    struct Step {
        const char* program;
        const char* layout;
        const char* keys;
        int switches; // the log's layout lines so far
    };
    const Step steps[] = {
        // The finger's key goes up before popn comes: it lies on no pad there.
        {"popn.exe", "popn", "24 25", 1},
        {"", "popn", "24 25", 1}, // Padrelle's own window: nothing changes
        {"notepad.exe", "default", "2C 2D 2E 2F 30 31 32 10 11 1D 2A", 2},
        {"Notepad.exe", "default", "2C 2D 2E 2F 30 31 32 10 11 1D 2A", 2},
        {"LANES GAME.EXE", "lanes", "1E", 3}, // never saved: its own key
        {"lanes2.exe", "lanes", "1E", 3},     // the same layout's other game
        {"POPN.exe", "popn", "24 25", 4},     // from one game to another
        {"explorer.exe", "default", "2C 2D 2E 2F 30 31 32 10 11 1D 2A", 5},
    };
    for (const Step& step : steps) {
        front(step.program);
        EXPECT_STREQ(controllerLayout.name, step.layout) << step.program;
        char keys[KeyListSize];
        writeKeyList(currentKeys(), keys, sizeof keys);
        EXPECT_STREQ(keys, step.keys) << step.program;
        EXPECT_EQ(count(store.log, "\nlayout "), step.switches) << step.program << store.log;
        EXPECT_EQ(fakePlatform.activations, 0) << step.program;
    }
    EXPECT_EQ(gameHeldKeys(), Keys{"2C"}); // the finger is still on pad 0 of the default
    up(1, 700, 600);
    pass();
    EXPECT_TRUE(gameHeldKeys().empty());

    front("popn.exe");
    EXPECT_NE(std::string(layoutNotice).find("layout popn for popn.exe"), std::string::npos)
        << layoutNotice;
    EXPECT_TRUE(gameHeldKeys().empty());
    down(2, 50, 50); // popn's pad 0
    down(3, 250, 50);
    pass();
    EXPECT_EQ(gameHeldKeys(), (Keys{"24", "25"}));
    front("notepad.exe");
    EXPECT_TRUE(gameHeldKeys().empty()); // popn's keys up before the default comes
    EXPECT_STREQ(layoutNotice, "layout default again: notepad.exe is in front");
    // The player's layout is what is remembered, whatever came up for a game.
    front("popn.exe");
    switchScene(0);
    EXPECT_NE(store.file.find("layout default\n"), std::string::npos) << store.file;
}

TEST_F(GameLayouts, WhatIsHeardWhileNotPlayingIsActedOnOncePlayResumes) {
    start();
    enterEditor(playedLayout);
    front("popn.exe");
    front("");
    EXPECT_EQ(controllerMode, EditLayout); // the editor stays on what it edits
    EXPECT_STREQ(controllerLayout.name, "default-own");
    EXPECT_STREQ(lastProgramInFront(), "popn.exe"); // Padrelle's own is never offered
    leaveEditor();
    pass();
    // The last change heard was Padrelle's own window: nothing changes.
    EXPECT_STREQ(controllerLayout.name, "default");
    front("popn.exe");
    EXPECT_STREQ(controllerLayout.name, "popn");
    // The WinEvent not yet delivered: nothing changes until it comes...
    fakeDesktop.foregroundProgram = "notepad.exe";
    pass();
    EXPECT_STREQ(controllerLayout.name, "popn");
    foregroundEventDelivered();
    pass();
    EXPECT_STREQ(controllerLayout.name, "default");
    // ...or until the next look, half a second on, when it never comes.
    fakeDesktop.foregroundProgram = "popn.exe";
    fakePlatform.time += FollowLookMs - 3;
    pass();
    EXPECT_STREQ(controllerLayout.name, "default");
    pass();
    pass();
    EXPECT_STREQ(controllerLayout.name, "popn");
}

// Wine 8 sends no foreground event: an elevated window came in front, a
// break taken meanwhile was dropped on the way (UIPI), and the game came
// back, each found only by the look. The break goes again.
TEST_F(GameLayouts, AChangeFoundByTheLookReachesTheKeysAsItsEventWould) {
    start();
    down(1, 700, 600);
    pass();
    fakeDesktop.foregroundProgram = "taskmgr.exe";
    fakeDesktop.elevatedForeground = true;
    up(1, 700, 600);
    pass(); // taken, and dropped
    EXPECT_EQ(gameHeldKeys(), Keys{"2C"});
    fakePlatform.time += FollowLookMs;
    pass();
    fakeDesktop.foregroundProgram = "game.exe";
    fakeDesktop.elevatedForeground = false;
    fakePlatform.time += FollowLookMs;
    pass();
    EXPECT_EQ(gameHeldKeys(), Keys{});
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 0);
}

TEST_F(GameLayouts, ALayoutNamingAProgramNotRunningOrAFileElsewhereChangesNothing) {
    // A layout outside the folder names popn.exe too: only the folder's follow.
    start("--output sendinput --layout C:\\Games\\elsewhere.txt --keys 2C");
    EXPECT_STREQ(controllerLayout.name, "elsewhere");
    for (const char* program : {"notepad.exe", "popn", "popn.exe.exe", ""}) {
        front(program);
        EXPECT_STREQ(controllerLayout.name, "elsewhere") << program;
    }
    EXPECT_EQ(std::string(layoutNotice), "");
    // The player's own layout follows its own game line: popn.exe keeps it.
    front("popn.exe");
    EXPECT_STREQ(controllerLayout.name, "elsewhere");
    // A UWP game is named by its own program, not its frame's: the frame
    // alone, its app not to be told, changes nothing.
    fakeDesktop.foregroundContent = "popn.exe";
    front("ApplicationFrameHost.exe");
    EXPECT_STREQ(lastProgramInFront(), "popn.exe");
    fakeDesktop.foregroundContent = "";
    front("applicationframehost.exe");
    EXPECT_STREQ(lastProgramInFront(), "popn.exe");
    // A name the system gives cut short is no name.
    fakeDesktop.foregroundProgram = std::string(80, 'p') + ".exe";
    foregroundEventDelivered();
    pass();
    EXPECT_STREQ(controllerLayout.name, "elsewhere");
    // The folder holds files only: a file's name is never a built-in layout's.
    settingsStore.eachSavedLayout = [](void (*each)(const char*, void*), void* context) {
        each("overlay-knobs", context);
    };
    loadGameLayouts();
    EXPECT_NE(store.log.find("the layout file overlay-knobs is not there"), std::string::npos)
        << store.log;
}

} // namespace
