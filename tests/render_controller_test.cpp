// Composing the controller screen.
#include "base/format_text.h"
#include "base/health.h"
#include "controller/controller_scene.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "engine/engine.h"
#include "support/controller_fixture.h"
#include "support/recording_canvas.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class RenderControllerTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        enterController();
    }
    RecordingCanvas compose() {
        RecordingCanvas canvas;
        composeControllerFrame(canvas);
        return canvas;
    }
    static std::vector<std::string> padNumbers(const RecordingCanvas& canvas) {
        std::vector<std::string> numbers;
        for (const DrawnText& text : canvas.texts) {
            if (text.colour == ColourGreen && text.anchor == 5) {
                numbers.push_back(text.text);
            }
        }
        return numbers;
    }
};

TEST_F(RenderControllerTest, DefaultNumbersOnThePads) {
    const RecordingCanvas canvas = compose();
    const std::vector<std::string> expected = {"44", "45", "46", "47", "48",
                                               "49", "50", "16", "17"};
    EXPECT_EQ(padNumbers(canvas), expected);
    ASSERT_EQ(canvas.outlines.size(), 10u); // and the layout-keys button while assigning
    EXPECT_EQ(canvas.outlines[0].colour, ColourRed);
    EXPECT_EQ(canvas.texts[0].x, 755); // centre of pad 0
    EXPECT_EQ(canvas.texts[0].y, 595);
}

TEST_F(RenderControllerTest, HighBytesPrintNegative) {
    KeyScancodes[4] = static_cast<int8_t>(0xE0);
    EXPECT_EQ(padNumbers(compose())[4], "-32");
}

TEST_F(RenderControllerTest, PromptAndTheLayoutKeysButtonOnlyWhileAssigning) {
    formatText(statusText, "%s", "PRESS KEY TO ASSIGN KEY 00");
    auto prompts = [](const RecordingCanvas& canvas) {
        std::vector<std::string> said;
        for (const DrawnText& text : canvas.texts) {
            if (text.colour == ColourYellow && (text.anchor == 5 || text.anchor == 8)) {
                said.push_back(text.text + " " + std::to_string(text.x) + "," +
                               std::to_string(text.y));
            }
        }
        return said;
    };
    const std::vector<std::string> assigning = {"PRESS KEY TO ASSIGN KEY 00 600,200",
                                                // centred in the button, top and bottom
                                                std::string(LayoutKeysButtonText) + " 640,234"};
    EXPECT_EQ(prompts(compose()), assigning);
    controllerMode = Play; // the menu's button instead, under the turntable
    EXPECT_EQ(prompts(compose()), std::vector<std::string>{"HOLD FOR MENU 68,688"});
}

// Over the game, the panel says the opacity and names its buttons, each
// centred in its box; in a window there is no panel.
TEST_F(RenderControllerTest, TheOverlaysPanelOnlyOverTheGame) {
    controllerMode = Play;
    auto panel = [this] {
        std::vector<std::string> said;
        for (const DrawnText& text : compose().texts) {
            if (text.anchor == 8) {
                said.push_back(text.text + " " + std::to_string(text.x) + "," +
                               std::to_string(text.y));
            }
        }
        return said;
    };
    EXPECT_EQ(panel(), std::vector<std::string>{"HOLD FOR MENU 68,688"});
    overlayState = OverlayState{true, 40};
    // The default layout leaves room upright along the right edge.
    EXPECT_EQ(panel(),
              (std::vector<std::string>{"MENU 1240,220", "40% 1240,269", "LESS 1240,318",
                                        "MORE 1240,367", "WINDOW 1240,416", "EDIT 1240,465"}));
}

TEST_F(RenderControllerTest, CreditTouchHealthAndNoticeLines) {
    for (int i = 0; i < 10; ++i) {
        formatText(touchDebugLines[i], "[%d][1][2] 1 2", i);
    }
    formatText(settingsNotice, "%s", "saved keys unusable");
    RecordingFrameTarget target;
    frameTarget = &target;
    renderControllerNow();
    // Nothing changes: no frame; only the health line changes: a frame.
    std::vector<size_t> frames;
    for (const bool lost : {false, false, true}) {
        if (lost) {
            noteStrokeLost();
        }
        fakePlatform.time += 100;
        renderController();
        frames.push_back(target.frames.size());
    }
    frameTarget = nullptr;
    EXPECT_EQ(frames, (std::vector<size_t>{2, 2, 3}));
    EXPECT_NE(std::find_if(target.frames[2].texts.begin(), target.frames[2].texts.end(),
                           [](const DrawnText& t) { return t.text.ends_with("strokes lost 1"); }),
              target.frames[2].texts.end());
    const RecordingCanvas& canvas = target.frames[0];
    std::vector<int32_t> debugY;
    std::vector<std::string> below;
    bool credit = false;
    for (const DrawnText& text : canvas.texts) {
        if (text.text == "program by Vistrel") {
            credit = true;
            EXPECT_EQ(text.x, 1280);
            EXPECT_EQ(text.y, 720);
            EXPECT_EQ(text.anchor, 3);
            EXPECT_EQ(text.colour, ColourBlue);
        } else if (text.colour == ColourBlue) {
            EXPECT_EQ(text.x, 0);
            EXPECT_EQ(text.anchor, 7);
            debugY.push_back(text.y);
        } else if (text.x == 0 && text.y >= 200) {
            EXPECT_EQ(text.anchor, 7);
            below.push_back(std::to_string(text.y) + " " + text.text);
        }
    }
    EXPECT_TRUE(credit);
    EXPECT_EQ(debugY, (std::vector<int32_t>{0, 20, 40, 60, 80, 100, 120, 140, 160, 180}));
    // Below the touch lines: health, the output in use, the saved keys.
    ASSERT_EQ(below.size(), 3u);
    EXPECT_EQ(below[0], "200 touch 0/s  frames 0/s  touch to key 0.00 ms");
    EXPECT_EQ(below[1], "220 keys go out through the Interception driver (keyboard 1)");
    EXPECT_EQ(below[2], "240 saved keys unusable");
}

TEST_F(RenderControllerTest, HealthLine) {
    const struct {
        HealthFigures figures;
        const char* line;
    } cases[] = {
        {{0, 0, 0, 0, 0}, "touch 0/s  frames 0/s  touch to key 0.00 ms"},
        {{125, 60, 49, 0, 0}, "touch 125/s  frames 60/s  touch to key 0.04 ms"},
        {{3, 2, 1234567, 5, 0}, "touch 3/s  frames 2/s  touch to key 1234.56 ms  strokes lost 5"},
        {{0, 0, 1000, 1, 0}, "touch 0/s  frames 0/s  touch to key 1.00 ms  strokes lost 1"},
        {{0, 0, 1000, 0, 7}, "touch 0/s  frames 0/s  touch to key 1.00 ms  strokes blocked 7"},
        {{0, 0, 1000, 2, 7},
         "touch 0/s  frames 0/s  touch to key 1.00 ms  strokes lost 2  strokes blocked 7"},
    };
    for (const auto& c : cases) {
        char line[NoticeSize];
        writeHealthLine(c.figures, line, sizeof line);
        EXPECT_STREQ(line, c.line);
    }
}

TEST_F(RenderControllerTest, ScratchLinesBeforeTheFirstTouch) {
    const RecordingCanvas canvas = compose();
    ASSERT_EQ(canvas.lines.size(), 3u);
    const uint32_t colours[3] = {ColourRed, ColourBlue, ColourBlue};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(canvas.lines[i].x1, 4);
        EXPECT_EQ(canvas.lines[i].y1, 208);
        EXPECT_EQ(canvas.lines[i].x2, 0);
        EXPECT_EQ(canvas.lines[i].y2, 0);
        EXPECT_EQ(canvas.lines[i].colour, colours[i]);
    }
    EXPECT_EQ(canvas.order.back(), "line");
}

TEST_F(RenderControllerTest, ScratchLinesFollowTheTracker) {
    controllerMode = Play;
    down(1, 204, 208);
    updateController();
    const RecordingCanvas canvas = compose();
    EXPECT_EQ(canvas.lines[0].x2, 204);
    EXPECT_EQ(canvas.lines[1].x2, 466);
    EXPECT_EQ(canvas.lines[1].y2, 184);
    EXPECT_EQ(canvas.lines[2].y2, 231);
}

TEST_F(RenderControllerTest, WithoutTargetOrObjectsNothingBreaks) {
    renderController();
    leaveController();
    controllerMode = Play;
    const RecordingCanvas canvas = compose();
    EXPECT_TRUE(canvas.outlines.empty());
    EXPECT_TRUE(canvas.lines.empty());
}

// A frame is drawn only when the fingerprint changes: each thing the screen
// shows must change it, or its change would never reach the window.
TEST_F(RenderControllerTest, EverythingTheScreenShowsChangesTheFingerprint) {
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"a pad pressed", [] { PadPressed[4] = 1; }},
        {"a pad's key label", [] { KeyScancodes[8] = 0x1E; }},
        {"the followed finger",
         [] {
             ScratchTrackers[0].touchPoint = Point{300, 400};
         }},
        {"the low end",
         [] {
             ScratchTrackers[0].lowEnd = Point{300, 401};
         }},
        {"the high end",
         [] {
             ScratchTrackers[0].highEnd = Point{300, 402};
         }},
        {"a touch line", [] { formatText(touchDebugLines[3], "%s", "3: 100 200"); }},
        {"a notice", [] { formatText(noticeLines[2], "%s", "the game runs as administrator"); }},
        {"the mode", [] { controllerMode = Play; }},
        {"the prompt", [] { formatText(statusText, "%s", "PRESS KEY TO ASSIGN KEY 05"); }},
    };
    controllerMode = AssignKeys;
    for (const auto& c : changes) {
        resetController();
        enterController();
        controllerMode = AssignKeys;
        const uint64_t before = controllerSceneContent();
        EXPECT_EQ(controllerSceneContent(), before) << c.what; // the same screen, the same print
        c.change();
        EXPECT_NE(controllerSceneContent(), before) << c.what;
    }
}

} // namespace

// The editor's screen: its bar of buttons, its two lines, the selection, and
// a refused place in red; none of play's lines; every change a new print.
TEST_F(RenderControllerTest, TheEditorShowsItsBarItsLinesAndARefusedPlace) {
    controllerMode = Play;
    enterEditor(playedLayout);
    formatText(touchDebugLines[0], "%s", "0: 100 200");
    const uint64_t before = controllerSceneContent();
    startDrag(editor, 755, 595); // pad 0, onto pad 1
    dragTo(editor, 755, 400);
    ++editorVersion;
    EXPECT_NE(controllerSceneContent(), before);
    const RecordingCanvas canvas = compose();
    std::vector<std::string> buttons;
    bool touchLine = false;
    bool refusedLine = false;
    for (const DrawnText& text : canvas.texts) {
        touchLine = touchLine || std::string(text.text) == "0: 100 200";
        refusedLine = refusedLine || std::string(text.text) == "refused: pads 0 and 1 overlap";
        if (text.anchor == 8) {
            buttons.push_back(text.text);
        }
    }
    EXPECT_EQ(buttons.size(), static_cast<size_t>(EditorButtonCount));
    EXPECT_EQ(buttons.front(), "+PAD");
    EXPECT_EQ(buttons.back(), "LEAVE");
    EXPECT_FALSE(touchLine);
    EXPECT_TRUE(refusedLine);
    // Where pad 0 would lie, 195 pixels up: outlined in red.
    bool outlined = false;
    for (const DrawnOutline& outline : canvas.outlines) {
        outlined = outlined || (outline.colour == ColourRed && outline.rect.left == 690 &&
                                outline.rect.top == 300);
    }
    EXPECT_TRUE(outlined);
    // Pad 0 selected: its handle filled at its bottom right corner.
    bool handle = false;
    for (const DrawnOutline& fill : canvas.fills) {
        handle = handle || (fill.colour == ColourYellow && fill.rect.left == 820 - HandleSize / 2 &&
                            fill.rect.top == 690 - HandleSize / 2);
    }
    EXPECT_TRUE(handle);
    endDrag(editor);
    // The disc selected by a tap: outlined round its square, its handle
    // halfway down its right side.
    startDrag(editor, 4, 208);
    endDrag(editor);
    const RecordingCanvas disc = compose();
    const bool discOutlined =
        std::any_of(disc.outlines.begin(), disc.outlines.end(), [](const DrawnOutline& o) {
            return o.colour == ColourYellow && o.rect.left == -460 && o.rect.top == -256;
        });
    const bool discHandle =
        std::any_of(disc.fills.begin(), disc.fills.end(), [](const DrawnOutline& f) {
            return f.colour == ColourYellow && f.rect.left == 467 - HandleSize / 2 &&
                   f.rect.top == 208 - HandleSize / 2;
        });
    EXPECT_TRUE(discOutlined && discHandle);
    leaveEditor();
}

// A layout of the most pads: every one is drawn with its number, every one
// presses its own key, and every one is let go at the end.
TEST_F(RenderControllerTest, ALayoutOfTheMostPadsIsDrawnPressedAndLetGoWhole) {
    switchScene(0);
    std::string file = "layout 1\nname most\nsize 1280 720\n";
    char line[96];
    for (int32_t i = 0; i < MaxPads; ++i) {
        std::snprintf(line, sizeof line, "pad %d %d 150 150 white %02X\n", 20 + (i % 6) * 200,
                      20 + (i / 6) * 170, 0x10 + i);
        file += line;
    }
    Layout layout;
    char problem[128] = "";
    ASSERT_TRUE(parseLayoutFile(file, layout, problem, sizeof problem)) << problem;
    useLayout(layout);
    enterPlay();
    const RecordingCanvas canvas = compose();
    ASSERT_EQ(padNumbers(canvas).size(), static_cast<size_t>(MaxPads));
    EXPECT_EQ(padNumbers(canvas).back(), "39"); // 0x27 in decimal
    // Each pad in turn presses its own key (ten fingers at most at once).
    for (int32_t i = 0; i < MaxPads; ++i) {
        const LayoutPad& pad = controllerLayout.pads[i];
        down(static_cast<uint32_t>(100 + i), pad.x + 5, pad.y + 5);
        updateController();
        up(static_cast<uint32_t>(100 + i), pad.x + 5, pad.y + 5);
        updateController();
    }
    ASSERT_EQ(strokes().size(), static_cast<size_t>(2 * MaxPads));
    EXPECT_EQ(strokes()[2 * MaxPads - 2], "make 0x27");
    // The last ten held as the window closes: each is let go.
    clearStrokes();
    for (int32_t i = MaxPads - 10; i < MaxPads; ++i) {
        const LayoutPad& pad = controllerLayout.pads[i];
        down(static_cast<uint32_t>(200 + i), pad.x + 5, pad.y + 5);
    }
    updateController();
    ASSERT_EQ(strokes().size(), 10u);
    switchScene(0);
    const std::vector<std::string> all = strokes();
    ASSERT_EQ(all.size(), 20u);
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const std::string& s) { return s.rfind("break", 0) == 0; }),
              10);
}
