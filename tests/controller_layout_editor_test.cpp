// The layout editor's model: drags in the frame's pixels, the commands, and
// the rule that the layout is always one the file's reader takes.
#include "controller/layouts/layout_editor.h"
#include "controller/layouts/layout_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::string fileOf(const Layout& layout) {
    char text[LayoutFileMaxBytes];
    const size_t length = writeLayoutFile(layout, text, sizeof text);
    return std::string(text, length);
}

std::string problemOf(const Layout& layout) {
    char problem[EditorProblemSize];
    layoutProblem(layout, problem, sizeof problem);
    return problem;
}

// A drag from one point of the frame to another, in a few moves.
void drag(EditorState& editor, int32_t x, int32_t y, int32_t toX, int32_t toY) {
    startDrag(editor, x, y);
    for (int32_t i = 1; i <= 4; ++i) {
        dragTo(editor, x + (toX - x) * i / 4, y + (toY - y) * i / 4);
    }
}

// A drag straight to its end, in one move.
void jump(EditorState& editor, int32_t x, int32_t y, int32_t toX, int32_t toY) {
    startDrag(editor, x, y);
    dragTo(editor, toX, toY);
}

TEST(LayoutEditor, ADragMovesAControlOnTheGridAndADragThatWouldBeRefusedLeavesIt) {
    // The default: pad 0 at 690 500 (130 x 190), pad 1 at 766 292, the disc
    // at 4 208 with a radius of 463. The grid's step is 20.
    struct Case {
        const char* what;
        int32_t dx, dy; // from the pad's middle
        int32_t x, y;   // where pad 0 is after it
        const char* problem;
    } cases[] = {
        {"a move, snapped", 13, -7, 700, 500, ""},
        {"down, half off the screen", 0, 100, 700, 600, ""},
        {"onto pad 1", 0, -200, 700, 600, "pads 0 and 1 overlap"},
        {"onto the disc", -300, 0, 700, 600, "pad 0 and disc 0 overlap"},
        {"off the bottom", 0, 200, 700, 600, "the pad would lie off the screen"},
        {"far off to the right", 1800, 0, 700, 600, "the pad lies too far off"},
    };
    EditorState editor;
    beginEditing(editor, defaultLayout());
    for (const Case& c : cases) {
        const LayoutPad& pad = editor.layout.pads[0];
        const int32_t x = pad.x + pad.width / 2;
        const int32_t y = pad.y + pad.height / 2;
        startDrag(editor, x, y);
        dragTo(editor, x + c.dx, y + c.dy);
        EXPECT_EQ(editor.selected, 0) << c.what;
        EXPECT_EQ(editor.refused, c.problem[0] != '\0') << c.what;
        EXPECT_EQ(std::string(editor.problem).rfind(c.problem, 0), 0u)
            << c.what << ": " << editor.problem;
        if (editor.refused) {
            // Shown where it would have gone, the pad itself where it was.
            EXPECT_EQ(editor.refusedBox.left, 700 + c.dx) << c.what;
            EXPECT_EQ(editor.refusedBox.top, 600 + c.dy) << c.what;
        }
        endDrag(editor);
        EXPECT_FALSE(editor.refused);
        EXPECT_EQ(pad.x, c.x) << c.what;
        EXPECT_EQ(pad.y, c.y) << c.what;
        EXPECT_EQ(problemOf(editor.layout), "") << c.what;
    }
    // On the way into the disc the pad stops where it was last good.
    drag(editor, 765, 695, 465, 695);
    EXPECT_TRUE(editor.refused);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[0].x, 480);
    EXPECT_TRUE(undoEdit(editor));
    // Two drags changed the layout: two undos back to the default, and redo.
    EXPECT_EQ(editor.undo.size(), 2u);
    EXPECT_TRUE(undoEdit(editor));
    EXPECT_EQ(editor.layout.pads[0].y, 500);
    EXPECT_TRUE(undoEdit(editor));
    EXPECT_EQ(fileOf(editor.layout), fileOf(defaultLayout()));
    EXPECT_FALSE(undoEdit(editor));
    EXPECT_STREQ(editor.problem, "nothing to undo");
    EXPECT_TRUE(redoEdit(editor));
    EXPECT_EQ(editor.layout.pads[0].x, 700);
    // Without the grid a pad goes where the finger takes it.
    editor.grid = false;
    drag(editor, 750, 600, 757, 587);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[0].x, 707);
    EXPECT_EQ(editor.layout.pads[0].y, 487);
    EXPECT_TRUE(editor.redo.empty()); // a new change ends what could be redone
    // Its middle on the screen's bottom edge is on the screen; a pixel lower
    // is not (pad 0 is 190 high: its middle at 720 when its top is at 625).
    jump(editor, 760, 580, 760, 580 + 625 - 487);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[0].y, 625) << editor.problem;
    jump(editor, 760, 700, 760, 696);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[0].y, 621);
    jump(editor, 760, 700, 760, 705); // to 626: its middle at 721
    EXPECT_TRUE(editor.refused);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[0].y, 621);
}

TEST(LayoutEditor, TheHandleResizesAPadOrADiscWithinWhatTheFileTakes) {
    EditorState editor;
    beginEditing(editor, defaultLayout());
    editor.grid = false;
    startDrag(editor, 1200, 100); // pad 8 at 1146 10, 130 x 190
    endDrag(editor);
    ASSERT_EQ(editor.selected, 8);
    const ControlBox corner = handleBox(editor);
    EXPECT_EQ(corner.left + HandleSize / 2, 1276);
    EXPECT_EQ(corner.top + HandleSize / 2, 200);
    EXPECT_EQ(corner.right - corner.left, HandleSize);
    EXPECT_EQ(corner.bottom - corner.top, HandleSize);
    // Every control has its handle, the first one too; none without a selection.
    for (const int32_t selected : {0, 9}) {
        editor.selected = selected;
        EXPECT_EQ(handleBox(editor).right - handleBox(editor).left, HandleSize) << selected;
    }
    editor.selected = -1;
    EXPECT_LT(handleBox(editor).right, handleBox(editor).left);
    editor.selected = 8;
    // Its handle at the bottom right corner: smaller, then inside out.
    drag(editor, 1276, 200, 1236, 150);
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[8].width, 90);
    EXPECT_EQ(editor.layout.pads[8].height, 140);
    jump(editor, 1236, 150, 1100, 150);
    EXPECT_TRUE(editor.refused);
    EXPECT_EQ(std::string(editor.problem).rfind("pad needs x, y, width, height", 0), 0u)
        << editor.problem;
    endDrag(editor);
    EXPECT_EQ(editor.layout.pads[8].width, 90);
    // The disc's handle on its right edge: a radius under 10 is refused.
    startDrag(editor, 100, 300);
    endDrag(editor);
    ASSERT_EQ(editor.selected, 9);
    const ControlBox handle = handleBox(editor);
    const int32_t hx = static_cast<int32_t>((handle.left + handle.right) / 2);
    const int32_t hy = static_cast<int32_t>((handle.top + handle.bottom) / 2);
    EXPECT_EQ(hx, 4 + 463);
    drag(editor, hx, hy, hx - 100, hy);
    endDrag(editor);
    EXPECT_EQ(editor.layout.discs[0].radius, 363);
    jump(editor, hx - 100, hy, hx - 460, hy);
    EXPECT_TRUE(editor.refused);
    endDrag(editor);
    EXPECT_EQ(editor.layout.discs[0].radius, 363);
    // A finger down on nothing selects nothing; no handle then.
    startDrag(editor, 640, 710);
    EXPECT_EQ(editor.selected, -1);
    EXPECT_EQ(editor.drag, DragKind::None);
    dragTo(editor, 700, 600);
    endDrag(editor);
    EXPECT_EQ(editor.undo.size(), 2u);
}

TEST(LayoutEditor, AddingAndDeletingKeepToTheCountsAndFindAFreePlace) {
    EditorState editor;
    Layout one = {};
    std::snprintf(one.name, sizeof one.name, "%s", "one");
    one.width = 1280;
    one.height = 720;
    one.padCount = 1;
    one.pads[0] = LayoutPad{600, 300, 100, 100, LookWhite, 0, {}, {0x2C, 0}};
    beginEditing(editor, one);
    editor.selected = 0;
    EXPECT_FALSE(deleteSelected(editor));
    EXPECT_STREQ(editor.problem, "a layout needs a pad or a disc");
    int32_t added = 0;
    while (addPad(editor)) {
        ++added;
        EXPECT_EQ(problemOf(editor.layout), "");
        EXPECT_EQ(editor.selected, editor.layout.padCount - 1);
    }
    EXPECT_EQ(editor.layout.padCount, MaxPads);
    EXPECT_STREQ(editor.problem, "a layout has at most 24 pads");
    // Each new pad sends a key of its own.
    for (int32_t i = 1; i < MaxPads; ++i) {
        EXPECT_NE(editor.layout.pads[i].key.code, editor.layout.pads[i - 1].key.code);
    }
    EXPECT_TRUE(addDisc(editor));
    EXPECT_NE(editor.layout.discs[0].keys[0].code, editor.layout.discs[0].keys[1].code);
    EXPECT_EQ(problemOf(editor.layout), "");
    // The first of two discs deleted: the second is the first now.
    {
        EditorState discs;
        beginEditing(discs, *presetNamed("double"));
        const LayoutDisc second = discs.layout.discs[1];
        discs.selected = discs.layout.padCount;
        ASSERT_TRUE(deleteSelected(discs));
        ASSERT_EQ(discs.layout.discCount, 1);
        EXPECT_EQ(discs.layout.discs[0].x, second.x);
        EXPECT_EQ(discs.layout.discs[0].keys[1].code, second.keys[1].code);
    }
    // Deleting the disc, then a pad: the others keep their order.
    EXPECT_TRUE(deleteSelected(editor));
    editor.selected = 0;
    const LayoutPad second = editor.layout.pads[1];
    EXPECT_TRUE(deleteSelected(editor));
    EXPECT_EQ(editor.layout.pads[0].x, second.x);
    EXPECT_EQ(editor.selected, -1);
    EXPECT_FALSE(deleteSelected(editor));
    EXPECT_STREQ(editor.problem, "touch a control first");
    // A place apart in units but not in the frame's pixels is passed over:
    // a column 98 units wide of a 6400-unit layout ends on pixel 20, where
    // a pad on the next step of the grid, 100, would begin.
    Layout wide = one;
    wide.width = 6400;
    wide.height = 3600;
    wide.pads[0] = LayoutPad{0, 0, 98, 3600, LookWhite, 0, {}, {0x2C, 0}};
    beginEditing(editor, wide);
    ASSERT_TRUE(addPad(editor)) << editor.problem;
    EXPECT_EQ(editor.layout.pads[1].x, 200);
    // A layout with no room left: a pad over the whole screen.
    one.pads[0] = LayoutPad{0, 0, 1280, 720, LookWhite, 0, {}, {0x2C, 0}};
    beginEditing(editor, one);
    EXPECT_FALSE(addPad(editor));
    EXPECT_STREQ(editor.problem, "there is no room for another pad");
    EXPECT_FALSE(addDisc(editor));
    EXPECT_EQ(editor.layout.padCount + editor.layout.discCount, 1);
    EXPECT_TRUE(editor.undo.empty());
}

TEST(LayoutEditor, NamesLabelsLooksAndGamesAreTakenOnlyAsTheFileTakesThem) {
    EditorState editor;
    beginEditing(editor, defaultLayout());
    EXPECT_FALSE(nextLook(editor));
    EXPECT_FALSE(setLabel(editor, "A"));
    editor.selected = 2;
    for (const char* bad : {"two words", "#1", "sixteen-letters!", "tab\there"}) {
        EXPECT_FALSE(setLabel(editor, bad)) << bad;
    }
    EXPECT_TRUE(setLabel(editor, "fifteen-letters"));
    EXPECT_STREQ(editor.layout.pads[2].label, "fifteen-letters");
    // The looks go round: white, blue, five colours, white.
    const PadLook first = editor.layout.pads[2].look;
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_TRUE(nextLook(editor));
    }
    EXPECT_EQ(editor.layout.pads[2].look, first);
    for (const char* bad : {"", "default", "double", "with space", "caf\xc3\xa9", "con", "NUL",
                            "Com1", "lpt9", "aux", "prn"}) {
        EXPECT_FALSE(setName(editor, bad)) << bad;
    }
    for (const char* fine : {"console", "com", "com10", "lpt", "nul1"}) {
        EXPECT_FALSE(isDeviceName(fine)) << fine;
    }
    EXPECT_TRUE(setName(editor, "my-own_1"));
    EXPECT_FALSE(toggleGame(editor, ""));
    EXPECT_FALSE(toggleGame(editor, "notepad"));
    EXPECT_TRUE(toggleGame(editor, "popn.exe"));
    EXPECT_TRUE(toggleGame(editor, "Other Game.exe"));
    EXPECT_TRUE(layoutIsFor(editor.layout, "POPN.EXE"));
    EXPECT_TRUE(toggleGame(editor, "POPN.exe")); // named already: taken off
    EXPECT_FALSE(layoutIsFor(editor.layout, "popn.exe"));
    EXPECT_EQ(editor.layout.gameCount, 1);
    EXPECT_STREQ(editor.layout.games[0], "Other Game.exe");
    // Keys: a pad's one, a disc's two.
    EXPECT_TRUE(setKey(editor, 0, AssignedKey{0x1E, 0}));
    EXPECT_EQ(editor.layout.pads[2].key.code, 0x1E);
    editor.selected = 9;
    EXPECT_TRUE(setKey(editor, 1, AssignedKey{0x1D, 0x02}));
    EXPECT_EQ(editor.layout.discs[0].keys[1].prefix, 0x02);
    EXPECT_FALSE(setKey(editor, 2, AssignedKey{0x1D, 0}));
    // The fit: kept proportions of a 1280 x 720 layout change nothing on
    // the screen; the file says keep.
    EXPECT_TRUE(toggleFit(editor));
    EXPECT_TRUE(editor.layout.keepProportions);
    EXPECT_EQ(problemOf(editor.layout), "");
}

// Every preset can be edited: its controls lie where a finger reaches them.
TEST(LayoutEditor, EveryPresetStartsGoodAndEachControlCanBeTouched) {
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        const Layout& preset = *presetLayout(i);
        EXPECT_EQ(problemOf(preset), "") << preset.name;
        EditorState editor;
        beginEditing(editor, preset);
        for (int32_t c = 0; c < controlCount(preset); ++c) {
            const ControlBox box = frameBoxOf(preset, c);
            const int32_t x =
                static_cast<int32_t>(std::clamp<int64_t>((box.left + box.right) / 2, 0, 1279));
            const int32_t y =
                static_cast<int32_t>(std::clamp<int64_t>((box.top + box.bottom) / 2, 0, 719));
            EXPECT_EQ(controlAt(fittedToFrame(preset), x, y), c) << preset.name << " " << c;
            // A drag by nothing leaves it where it is.
            startDrag(editor, x, y);
            dragTo(editor, x, y);
            EXPECT_FALSE(editor.refused) << preset.name << " " << c << ": " << editor.problem;
            endDrag(editor);
        }
    }
}

// Random edits of random presets: whatever is done, the layout stays one the
// reader takes and reads back the same, and undoing everything gives the
// preset back.
TEST(LayoutEditor, AnyRunOfEditsKeepsALayoutTheFileReadsBackTheSame) {
    std::mt19937 random(20261208);
    for (int32_t run = 0; run < 40; ++run) {
        int32_t presets = 0;
        while (presetLayout(presets) != nullptr) {
            ++presets;
        }
        const Layout& start = *presetLayout(static_cast<int32_t>(random() % presets));
        EditorState editor;
        beginEditing(editor, start);
        editor.grid = random() % 2 == 0;
        for (int32_t edit = 0; edit < 30; ++edit) {
            const int32_t x = static_cast<int32_t>(random() % 1400) - 60;
            const int32_t y = static_cast<int32_t>(random() % 840) - 60;
            switch (random() % 10) {
            case 0:
                addPad(editor);
                break;
            case 1:
                addDisc(editor);
                break;
            case 2:
                deleteSelected(editor);
                break;
            case 3:
                nextLook(editor);
                break;
            case 4:
                toggleFit(editor);
                break;
            case 5:
                setKey(editor, static_cast<int32_t>(random() % 2),
                       AssignedKey{static_cast<uint8_t>(random() % 0x80), 0});
                break;
            default: {
                // A drag from a control's middle, or its handle, anywhere.
                const ControlBox handle = handleBox(editor);
                const bool onHandle = random() % 2 == 0 && handle.right > handle.left;
                const int32_t fromX = onHandle ? static_cast<int32_t>(handle.left + HandleSize / 2)
                                               : static_cast<int32_t>(random() % 1280);
                const int32_t fromY = onHandle ? static_cast<int32_t>(handle.top + HandleSize / 2)
                                               : static_cast<int32_t>(random() % 720);
                drag(editor, fromX, fromY, x, y);
                endDrag(editor);
            }
            }
            ASSERT_EQ(problemOf(editor.layout), "") << start.name << " edit " << edit;
            Layout read;
            char problem[EditorProblemSize];
            const std::string text = fileOf(editor.layout);
            ASSERT_TRUE(parseLayoutFile(text, read, problem, sizeof problem)) << problem;
            ASSERT_EQ(fileOf(read), text);
        }
        while (undoEdit(editor)) {
        }
        EXPECT_EQ(fileOf(editor.layout), fileOf(start)) << start.name;
    }
}

} // namespace
