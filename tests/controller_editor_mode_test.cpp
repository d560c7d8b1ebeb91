// The layout editor in the controller scene: entered from play without a key
// left down, driven by fingers and the bar's buttons, saving a file that
// plays at once, and refusing what cannot be saved without writing a thing.
#include "base/format_text.h"
#include "base/win_constants.h"
#include "controller/controller_scene.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/editor_view.h"
#include "controller/modes/remembered.h"
#include "controller/settings/launch_options.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/system_input.h"
#include "support/controller_fixture.h"
#include "support/fake_desktop.h"
#include "support/fake_store.h"

#include <string>
#include <vector>

namespace {

using Strokes = std::vector<std::string>;

class EditorMode : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        installFakeStore();
        store.file = "version 2\nlayout default\nkeys default 2C 2D 2E 2F 30 31 32 10 11 1D 2A\n";
        store.read = SettingsFound;
    }
    void TearDown() override {
        ControllerFixture::TearDown();
        resetSettingsStore();
    }
    static void start(const char* commandLine = "") {
        startWith(commandLine);
        enterPlay();
    }
    static void pass() {
        fakePlatform.time += 1;
        updateController();
    }
    static void menu() {
        mainWindowMessage(nullptr, win::WM_SYSCOMMAND, EditLayoutMenuCommand, 0);
        pass();
    }
    static void tap(int32_t button) {
        const Rect box = editorButtonBox(button);
        down(9, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
        pass();
        up(9, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
        pass();
    }
    // A finger's drag in a few moves.
    static void slide(uint32_t id, int32_t x, int32_t y, int32_t toX, int32_t toY) {
        down(id, x, y);
        pass();
        for (int32_t i = 1; i <= 4; ++i) {
            move(id, x + (toX - x) * i / 4, y + (toY - y) * i / 4);
            pass();
        }
        up(id, toX, toY);
        pass();
    }
};

TEST_F(EditorMode, FromPlayEveryKeyGoesUpAndNoFingerPressesAKeyWhileEditing) {
    start();
    down(1, 750, 600); // pad 0
    pass();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    menu();
    ASSERT_EQ(controllerMode, EditLayout);
    EXPECT_EQ(strokes(), (Strokes{"make 0x2C", "break 0x2C"}));
    // The finger down as editing began moves nothing until it lifts.
    move(1, 750, 650);
    pass();
    EXPECT_EQ(editor.layout.pads[0].y, 500);
    up(1, 750, 650);
    pass();
    clearStrokes();
    // Pad 0 dragged down 40 pixels, pad 7 touched, the disc turned: no key.
    slide(2, 750, 600, 750, 640);
    EXPECT_EQ(editor.layout.pads[0].y, 540);
    slide(3, 750, 100, 760, 110);
    slide(4, 300, 300, 340, 340);
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(editor.undo.size(), 3u); // pad 0, pad 7 snapped, the disc
    // The menu again while editing changes nothing.
    menu();
    EXPECT_EQ(controllerMode, EditLayout);
    // Leave: the layout and keys as they were; play again.
    tap(EditLeave);
    EXPECT_EQ(controllerMode, Play);
    EXPECT_STREQ(controllerLayout.name, "default");
    EXPECT_EQ(controllerLayout.pads[0].y, 500);
    EXPECT_TRUE(strokes().empty());
    down(5, 750, 600);
    pass();
    EXPECT_EQ(strokes(), Strokes{"make 0x2C"});
    EXPECT_EQ(store.files.size(), 0u); // nothing saved
}

TEST_F(EditorMode, SaveWritesALayoutFileThatPlaysAtOnceAndIsRememberedWithItsKeys) {
    start();
    menu();
    // Pad 0 moves right 100 and down 20 (onto the grid), and gets key 1E
    // from the keyboard; the layout is named by typing.
    slide(1, 750, 600, 850, 620);
    EXPECT_STREQ(editor.problem, "pads 0 and 2 overlap"); // refused on the way
    const LayoutPad moved = editor.layout.pads[0];
    EXPECT_EQ(moved.y, 500);
    slide(1, moved.x + 60, 600, moved.x + 60, 620); // down 20: good
    EXPECT_EQ(editor.layout.pads[0].y, 520);
    tap(EditKey);
    EXPECT_STREQ(editorPrompt(), "PRESS THE KEY FOR PAD 0");
    scriptKeyPress(1, 0x1E);
    pass();
    EXPECT_EQ(editor.layout.pads[0].key.code, 0x1E);
    EXPECT_STREQ(editorPrompt(), "");
    tap(EditName);
    EXPECT_STREQ(editorPrompt(), "TYPE THE NAME: _  (RETURN TAKES IT, ESC LEAVES IT)");
    scriptKeyPress(1, 0x19);
    pass();
    EXPECT_STREQ(editorPrompt(), "TYPE THE NAME: p_  (RETURN TAKES IT, ESC LEAVES IT)");
    for (const unsigned short key : {0x18, 0x19, 0x31, 0x0E, 0x31, 0x39, 0x02, 0x1C}) {
        scriptKeyPress(1, key); // p o p n, backspace, n, space, 1, return
    }
    pass();
    EXPECT_STREQ(editor.layout.name, "popn_1");
    tap(EditSave);
    ASSERT_EQ(controllerMode, Play);
    const std::string path = std::string(FakeLayoutsFolder) + "popn_1.txt";
    ASSERT_EQ(store.files.count(path), 1u);
    Layout read;
    char problem[160];
    ASSERT_TRUE(parseLayoutFile(store.files[path], read, problem, sizeof problem)) << problem;
    EXPECT_EQ(read.pads[0].y, 520);
    EXPECT_EQ(read.pads[0].key.code, 0x1E);
    EXPECT_NE(store.file.find("layout file " + path + "\n"), std::string::npos) << store.file;
    EXPECT_NE(store.file.find("keys popn_1 1E 2D"), std::string::npos) << store.file;
    EXPECT_EQ(std::string(layoutNotice), "layout popn_1 saved as " + path);
    // Played at once: a finger at the pad's new place sends its new key.
    clearStrokes();
    down(2, moved.x + 5, 700);
    pass();
    EXPECT_EQ(strokes(), Strokes{"make 0x1E"});
    up(2, moved.x + 5, 700);
    pass();
    // The next start plays it.
    switchScene(0);
    resetController();
    start();
    EXPECT_STREQ(controllerLayout.name, "popn_1");
}

TEST_F(EditorMode, WhatCannotBeSavedIsSaidAndNothingIsWritten) {
    start();
    menu();
    slide(1, 750, 600, 750, 640);
    // A settings folder that cannot be written: said, still editing, no
    // file and no settings changed.
    store.writable = false;
    const std::string settings = store.file;
    tap(EditSave);
    EXPECT_EQ(controllerMode, EditLayout);
    EXPECT_STREQ(editor.problem, "the layout could not be saved in "
                                 "%APPDATA%\\Padrelle\\layouts (Windows error 5)");
    EXPECT_TRUE(store.files.empty());
    EXPECT_EQ(store.file, settings);
    EXPECT_NE(store.log.find("could not be saved"), std::string::npos);
    // A built-in layout's name is refused before anything is written.
    store.writable = true;
    tap(EditPreset); // the first preset, under its offered name
    EXPECT_STREQ(editor.layout.name, "default-own");
    for (const char* taken : {"double", "nul"}) {
        formatText(editor.layout.name, "%s", taken);
        EXPECT_FALSE(saveEditedLayout()) << taken;
        EXPECT_STREQ(editor.problem, "choose another name: that one is taken");
    }
    EXPECT_TRUE(store.files.empty());
    // Names and labels typed that the file would refuse are not taken.
    formatText(editor.layout.name, "%s", "default-own");
    tap(EditName);
    scriptKeyPress(1, 0x0E); // the offered name backspaced away...
    for (int i = 0; i < 12; ++i) {
        scriptKeyPress(1, 0x0E);
    }
    scriptKeyPress(1, 0x1C); // ...and an empty one given
    pass();
    EXPECT_STREQ(editor.problem, "a name is 1 to 31 letters, digits, - or _");
    EXPECT_STREQ(editor.layout.name, "default-own");
    scriptKeyPress(1, 0x01); // Esc
    pass();
    EXPECT_STREQ(editorPrompt(), "");
    tap(EditLabel);
    EXPECT_STREQ(editor.problem, "touch a pad first");
}

TEST_F(EditorMode, TheBarAddsDeletesUndoesAndOffersTheGameLastInFront) {
    start();
    menu();
    const int32_t pads = editor.layout.padCount;
    tap(EditAddPad);
    EXPECT_EQ(editor.layout.padCount, pads + 1);
    EXPECT_EQ(editor.selected, pads);
    tap(EditDelete);
    EXPECT_EQ(editor.layout.padCount, pads);
    tap(EditUndo);
    EXPECT_EQ(editor.layout.padCount, pads + 1);
    tap(EditRedo);
    EXPECT_EQ(editor.layout.padCount, pads);
    tap(EditGrid);
    EXPECT_FALSE(editor.grid);
    EXPECT_STREQ(editorButtonText(EditGrid), "GRID OFF");
    tap(EditAddDisc);
    EXPECT_STREQ(editor.problem, ""); // room for a second disc
    EXPECT_EQ(editor.layout.discCount, 2);
    // The disc's two keys, one after the other.
    tap(EditKey);
    EXPECT_STREQ(editorPrompt(), "PRESS THE KEY FOR DISC 1 CLOCKWISE");
    scriptKeyPress(1, 0x4B, 0x02);
    pass();
    EXPECT_STREQ(editorPrompt(), "PRESS THE KEY FOR DISC 1 COUNTER-CLOCKWISE");
    scriptKeyPress(1, 0x4D, 0x02);
    pass();
    EXPECT_EQ(editor.layout.discs[1].keys[0].prefix, 0x02);
    EXPECT_EQ(editor.layout.discs[1].keys[1].code, 0x4D);
    // The first disc too: it lies right after the pads.
    editor.selected = editor.layout.padCount;
    tap(EditKey);
    EXPECT_STREQ(editorPrompt(), "PRESS THE KEY FOR DISC 0 CLOCKWISE");
    scriptKeyPress(1, 0x10);
    scriptKeyPress(1, 0x11);
    pass();
    EXPECT_EQ(editor.layout.discs[0].keys[0].code, 0x10);
    EXPECT_EQ(editor.layout.discs[0].keys[1].code, 0x11);
    // No program has been in front: nothing to offer.
    tap(EditGame);
    EXPECT_STREQ(editor.problem, "no other program's window has been in front yet");
    // The bar began where it hides the fewest of the default's controls: two
    // columns of eight at the top's middle, between the disc and the pads.
    // Its lines go under it.
    EXPECT_EQ(editorButtonBox(EditAddPad).left, 560);
    EXPECT_EQ(editorButtonBox(EditAddPad).top, 0);
    EXPECT_EQ(editorButtonBox(EditLeave).right, 720);
    EXPECT_EQ(editorButtonBox(EditLeave).bottom, 320);
    EXPECT_EQ(editorLineY(0), 324);
    // The bar moves to its next place, and its buttons with it.
    const Rect before = editorButtonBox(EditBar);
    tap(EditBar);
    const Rect after = editorButtonBox(EditBar);
    EXPECT_TRUE(after.top != before.top || after.left != before.left);
    // A finger on the bar moves no control; one sliding off a button taps nothing.
    const Rect look = editorButtonBox(EditLook);
    const int32_t undos = static_cast<int32_t>(editor.undo.size());
    down(6, look.left + 5, look.top + 5);
    pass();
    move(6, look.left + 5, look.top - 200);
    pass();
    up(6, look.left + 5, look.top - 200);
    pass();
    EXPECT_EQ(static_cast<int32_t>(editor.undo.size()), undos);
    // PRESET brings the built-in layouts one after the other, then again.
    int32_t presets = 0;
    while (presetLayout(presets) != nullptr) {
        ++presets;
    }
    for (int32_t i = 0; i <= presets; ++i) {
        tap(EditPreset);
        EXPECT_EQ(std::string(editor.layout.name),
                  std::string(presetLayout(i % presets)->name) + "-own");
    }
}

// What is typed into the editor goes to it alone, whatever the output: the
// hook keeps it from the system, the driver does not pass it on. Alt+Tab,
// and the up of a key held from before, go on as usual.
TEST_F(EditorMode, KeysTypedIntoTheEditorGoToItAlone) {
    static bool driver;
    static int32_t passedOn; // keys that went on to the system, downs and ups
    const auto key = [](uint16_t code, bool up) {
        if (driver) {
            scriptStroke(1, code, up ? KeyStateUp : KeyStateDown);
        } else {
            typeKey(code, up);
        }
        pass();
        passedOn =
            driver ? static_cast<int32_t>(fakeInterception.sent.size()) : fakeDesktop.keysTyped;
    };
    const auto type = [&key](uint16_t code) {
        key(code, false);
        key(code, true);
    };
    for (const bool useDriver : {true, false}) {
        driver = useDriver;
        resetController();
        installFakeInterception();
        installFakeDesktop();
        start(useDriver ? "" : "--output sendinput");
        menu();
        clearStrokes();
        passedOn = 0;
        if (!useDriver) {
            key(0x2A, false); // Shift, held from before the hook
        }
        const int32_t before = passedOn;
        editor.selected = 0;
        tap(EditKey);
        type(0x10);
        EXPECT_EQ(editor.layout.pads[0].key.code, 0x10) << useDriver;
        tap(EditName);
        for (const uint16_t code : {0x1E, 0x30, 0x1C}) { // a, b, Return
            type(code);
        }
        EXPECT_STREQ(editor.layout.name, "ab") << useDriver;
        EXPECT_EQ(passedOn, before) << useDriver;
        tap(EditName);
        if (!useDriver) {
            key(0x2A, true); // Shift's up goes on
        }
        key(0x38, false);
        type(0x0F); // Alt+Tab goes on
        key(0x38, true);
        EXPECT_EQ(passedOn, before * 2 + 4) << useDriver;
        resetSystemInput();
    }
}

TEST_F(EditorMode, EditOnTheCommandLineBeginsOnceTheKeysAreKnown) {
    store.files["mine.txt"] =
        "layout 1\nname mine\nsize 640 360\nfit keep\npad 10 10 100 100 blue 20\n";
    start("--edit mine.txt");
    pass();
    EXPECT_EQ(controllerMode, EditLayout);
    EXPECT_STREQ(editor.layout.name, "mine");
    EXPECT_STREQ(playedLayout.name, "mine");
    tap(EditLeave);
    EXPECT_STREQ(controllerLayout.name, "default"); // the layout played stays
    // A layout to edit that cannot be read stops the start.
    resetController();
    char problem[LaunchProblemSize];
    ASSERT_TRUE(parseLaunchOptions("--edit gone.txt", launchOptions, problem, sizeof problem));
    loadRememberedSettings();
    EXPECT_FALSE(chooseStartLayout(problem, sizeof problem));
    EXPECT_EQ(std::string(problem).rfind("the layout file gone.txt is not there", 0), 0u)
        << problem;
    // Keys not known yet: assignment first, the editor after.
    resetController();
    store.file.clear();
    store.read = SettingsMissing;
    ASSERT_TRUE(parseLaunchOptions("--edit", launchOptions, problem, sizeof problem));
    loadRememberedSettings();
    ASSERT_TRUE(chooseStartLayout(problem, sizeof problem));
    switchScene(1);
    EXPECT_EQ(controllerMode, AssignKeys);
    for (unsigned short key = 0x10; key < 0x10 + 11; ++key) {
        scriptKeyPress(1, key);
    }
    pass();
    EXPECT_EQ(controllerMode, EditLayout);
    EXPECT_STREQ(editor.layout.name, "default-own");
    EXPECT_EQ(editor.layout.pads[0].key.code, 0x10); // the keys just given
}

} // namespace

// The editor's line of the selection, as the bar shows it: a pad's place,
// size, key, look and label; a disc's place, radius and both keys in order.
TEST_F(EditorMode, TheSelectionsLineSaysItsControlWhole) {
    start();
    menu();
    editor.layout.discs[0].keys[0] = {0x4B, 0x02};
    const struct {
        int32_t selected; // -1: the first disc
        const char* line;
    } cases[] = {
        {0, "pad 0  x 690  y 500  130 x 190  key 2C  white  label -"},
        {1, "pad 1  x 766  y 292  130 x 190  key 2D  blue  label -"},
        {-1, "disc 0  x 4  y 208  radius 463  keys e0:4B 2A"},
    };
    for (const auto& c : cases) {
        editor.selected = c.selected >= 0 ? c.selected : editor.layout.padCount;
        char line[256];
        describeSelection(line, sizeof line);
        EXPECT_STREQ(line, c.line) << c.selected;
    }
}
