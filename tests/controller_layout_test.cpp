// Layouts: the built-in presets, layout files and their errors, the fit to
// the frame, and the controller playing a layout of two discs.
#include "controller/layouts/layout.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "engine/engine.h"
#include "support/controller_fixture.h"
#include "support/held_key_mirror.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A pad at least a fingertip (1 cm) wide on a 13-inch 16:9 screen, whose
// 1280 logical pixels are 28.8 cm wide.
constexpr int32_t Fingertip = 45;

TEST(Layouts, EveryPresetIsPlayableWithFingersAndItsControlsLieApart) {
    std::vector<std::string> names;
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        const Layout fitted = fittedToFrame(*presetLayout(i));
        names.push_back(fitted.name);
        char overlap[64];
        findOverlap(fitted, overlap, sizeof overlap);
        EXPECT_STREQ(overlap, "") << fitted.name;
        EXPECT_GT(fitted.padCount, 0) << fitted.name;
        EXPECT_LE(layoutKeyCount(fitted), MaxAssignedKeys) << fitted.name;
        for (int32_t p = 0; p < fitted.padCount; ++p) {
            const LayoutPad& pad = fitted.pads[p];
            EXPECT_GE(std::min(pad.width, pad.height), Fingertip) << fitted.name << " pad " << p;
            // Every pad lies wholly on the screen.
            EXPECT_TRUE(pad.x >= 0 && pad.y >= 0 && pad.x + pad.width < 1280 &&
                        pad.y + pad.height < 720)
                << fitted.name << " pad " << p;
        }
        for (int32_t d = 0; d < fitted.discCount; ++d) {
            EXPECT_DOUBLE_EQ(fitted.discs[d].deadBand, 0.05) << fitted.name;
        }
    }
    // Lanes a pixel apart: a finger between two presses neither.
    for (const char* lanes : {"lanes4", "lanes6", "lanes7"}) {
        const Layout& layout = *presetNamed(lanes);
        for (int32_t i = 0; i + 1 < layout.padCount; ++i) {
            EXPECT_EQ(layout.pads[i].x + layout.pads[i].width + 2, layout.pads[i + 1].x) << lanes;
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"default", "mirrored", "double", "nine", "knobs",
                                               "lanes4", "lanes6", "lanes7", "overlay-turntable",
                                               "overlay-nine", "overlay-knobs", "overlay-lanes4",
                                               "overlay-lanes6", "overlay-lanes7"}));
    EXPECT_EQ(presetNamed("lanes6"), presetLayout(6));
    EXPECT_EQ(presetNamed("popn"), nullptr);
    EXPECT_EQ(layoutKeyCount(*presetNamed("double")), 18);
    EXPECT_EQ(layoutKeyCount(*presetNamed("knobs")), 10);
}

TEST(Layouts, KeptProportionsScaleAlikeAndCentreStretchedOnesFill) {
    Layout square = {};
    std::strcpy(square.name, "square");
    square.width = 1000;
    square.height = 1000;
    square.padCount = 1;
    square.pads[0] = LayoutPad{0, 0, 1000, 500, LookColour, 0xFF, "", {0x2C, 0}};
    square.discCount = 1;
    square.discs[0] = LayoutDisc{500, 750, 200, 0.05, {{0x1D, 0}, {0x2A, 0}}};
    square.keepProportions = true;
    Layout kept = fittedToFrame(square);
    // 0.72 both ways, centred: 280 pixels spare on each side.
    EXPECT_EQ(kept.pads[0].x, 280);
    EXPECT_EQ(kept.pads[0].width, 720);
    EXPECT_EQ(kept.pads[0].height, 360);
    EXPECT_EQ(kept.discs[0].x, 640);
    EXPECT_EQ(kept.discs[0].y, 540);
    EXPECT_EQ(kept.discs[0].radius, 144);
    square.keepProportions = false;
    const Layout stretched = fittedToFrame(square);
    EXPECT_EQ(stretched.pads[0].x, 0);
    EXPECT_EQ(stretched.pads[0].width, 1280);
    EXPECT_EQ(stretched.pads[0].height, 360);
    EXPECT_EQ(stretched.discs[0].radius, 144); // a circle still: the smaller scale
    // A wide one kept: 0.64 both ways, 200 rows spare above and below, as the
    // editor's drags scale it too.
    square.width = 2000;
    square.height = 500;
    square.keepProportions = true;
    kept = fittedToFrame(square);
    EXPECT_EQ((std::vector<int32_t>{kept.pads[0].x, kept.pads[0].y, kept.pads[0].height}),
              (std::vector<int32_t>{0, 200, 320}));
    const FitScale fit = fitScale(square);
    EXPECT_EQ((std::vector<double>{fit.scaleX, fit.scaleY, fit.offsetX, fit.offsetY}),
              (std::vector<double>{0.64, 0.64, 0, 200}));
}

constexpr const char* GoodFile = "# nine buttons\n"
                                 "layout 1\n"
                                 "\n"
                                 "name popn\n"
                                 "size 1280 720\n"
                                 "fit keep\n"
                                 "pad 40 470 200 200 white 2C\n"
                                 "pad 164 230 200 200 #FFD700 1F  yellow  # a comment\n"
                                 "disc 700 160 100 0.08 e0:1D 36\n";

TEST(LayoutFiles, AGoodFileIsTakenWhole) {
    Layout layout;
    char problem[128] = "";
    ASSERT_TRUE(parseLayoutFile(GoodFile, layout, problem, sizeof problem)) << problem;
    EXPECT_STREQ(layout.name, "popn");
    EXPECT_TRUE(layout.keepProportions);
    ASSERT_EQ(layout.padCount, 2);
    EXPECT_EQ(layout.pads[0].look, LookWhite);
    EXPECT_EQ(layout.pads[1].look, LookColour);
    EXPECT_EQ(layout.pads[1].colour, 0x00D7FFu); // as 0x00BBGGRR
    EXPECT_STREQ(layout.pads[1].label, "yellow");
    ASSERT_EQ(layout.discCount, 1);
    EXPECT_DOUBLE_EQ(layout.discs[0].deadBand, 0.08);
    EXPECT_EQ(layout.discs[0].keys[0].prefix, KeyStateE0);
    EXPECT_EQ(layout.discs[0].keys[1].code, 0x36);
    // The longest name.
    const std::string longest = "layout 1\nname " + std::string(31, 'n') + "\nsize 200 200\n" +
                                "pad 0 0 100 100 white 2C\n";
    EXPECT_TRUE(parseLayoutFile(longest, layout, problem, sizeof problem)) << problem;
}

TEST(LayoutFiles, EveryKindOfErrorIsSaidWithItsLine) {
    const std::string head = "layout 1\nname x\nsize 1280 720\n";
    const struct {
        std::string text;
        const char* problem;
    } cases[] = {
        {"", "line 1: the file does not begin with \"layout 1\""},
        {"layout 2\n", "line 1: the file does not begin with \"layout 1\""},
        {"layout 1\n", "line 2: the name is missing"},
        {"layout 1\nname x\n", "line 3: the size is missing"},
        {head, "line 4: there is no pad and no disc"},
        {head + "name y\n", "line 4: the name comes twice"},
        {"layout 1\nname two words\n", "line 2: name needs one word"},
        {"layout 1\nname caf\xc3\xa9\n", "line 2: name needs one word"},
        {"layout 1\nname " + std::string(32, 'n') + "\n", "line 2: name needs one word"},
        {head + "size 1280 720\n", "line 4: the size comes twice"},
        {"layout 1\nname x\nsize 99 720\n", "line 3: size needs a width and a height"},
        {"layout 1\nname x\nsize 1280\n", "line 3: size needs a width and a height"},
        {"layout 1\nname x\npad 0 0 100 100 white 2C\n", "line 3: the size comes before"},
        {head + "fit fill\n", "line 4: fit needs keep or stretch"},
        {head + "fit keep\nfit keep\n", "line 5: the fit comes twice"},
        {head + "pad 0 0 100 white 2C\n", "line 4: pad needs x, y, width, height"},
        {head + "pad 0 0 0 100 white 2C\n", "line 4: pad needs x, y, width, height"},
        {head + "pad 0 0 100 100 purple 2C\n", "line 4: a pad's look is white, blue"},
        {head + "pad 0 0 100 100 #12345G 2C\n", "line 4: a pad's look is white, blue"},
        {head + "pad 0 0 100 100 white 2C2\n", "line 4: a pad's key is a scancode"},
        {head + "pad 0 0 100 100 white 2C abcdefghijklmnopq\n", "line 4: a pad's label"},
        {head + "pad 0 0 100 100 white 2C abcdefghijklmnop\n", "line 4: a pad's label has at most"},
        {head + "pad 0 0 100 100 white 2C 71\r\r #\n", "line 4: a pad's label is printable"},
        {head + "pad 0 0 100 100 white 2C a\x7f\n", "line 4: a pad's label is printable"},
        {head + "pad 0 0 100 100 white 2C a\x01b\n", "line 4: a pad's label is printable"},
        {head + "pad 3000 0 100 100 white 2C\n", "line 4: the pad lies too far off"},
        {head + "pad 0 0 100 100 white 2C\npad 50 50 100 100 blue 2D\n",
         "line 6: pads 0 and 1 overlap"},
        {head + "disc 0 0 100 0.05 1D\n", "line 4: disc needs x, y, a radius"},
        {head + "disc 0 0 5 0.05 1D 2A\n", "line 4: disc needs x, y, a radius"},
        {head + "disc 0 0 100 2 1D 2A\n", "line 4: a disc's dead band"},
        {head + "disc 0 0 100 -0.05 1D 2A\n", "line 4: a disc's dead band"},
        {head + "disc 0 0 100 0.05 1D xx\n", "line 4: a disc's keys are scancodes"},
        {head + "disc 0 0 2000 0.05 1D 2A\n", "line 4: the disc lies too far off"},
        {head + "disc 0 0 100 0.05 1D 2A\ndisc 900 0 100 0.05 1D 2A\ndisc 500 500 10 0.05 1 2\n",
         "line 6: more than 2 discs"},
        {head + "disc 0 0 100 0.05 1D 2A\npad 50 50 100 100 blue 2D\n",
         "line 6: pad 0 and disc 0 overlap"},
        {head + "disc 200 200 100 0.05 1D 2A\ndisc 350 200 100 0.05 1E 2B\n",
         "line 6: discs 0 and 1 overlap"},
        {head + "volume 11\n", "line 4: this is none of name, size, fit, game, pad and disc"},
        {head + "game\n", "line 4: game needs a program's file name"},
        {head + "game popn\n", "line 4: game needs a program's file name"},
        {head + "game .exe\n", "line 4: game needs a program's file name"},
        {head + "game C:\\Games\\popn.exe\n", "line 4: game needs a program's file name"},
        {head + "game games/popn.exe\n", "line 4: game needs a program's file name"},
        {head + "game po?n.exe\n", "line 4: game needs a program's file name"},
        {head + "game po\x01n.exe\n", "line 4: game needs a program's file name"},
        {head + "game " + std::string(60, 'g') + ".exe\n", "line 4: game needs a program's"},
        {head + "game popn.exe\ngame POPN.EXE\n", "line 5: the game is named twice"},
        {head + "game a.exe\ngame b.exe\ngame c.exe\ngame d.exe\ngame e.exe\ngame f.exe\n" +
             "game g.exe\ngame h.exe\ngame i.exe\n",
         "line 12: more than 8 games"},
        {head + "pad 0 0 1 1 white 1 1 1 1 1\n", "line 4: too many words"},
        {head + std::string(1, '\0'), "the file holds a zero byte"},
        {head + std::string(LayoutFileMaxBytes, '#'), "the file is longer than 16384 bytes"},
    };
    for (const auto& c : cases) {
        Layout layout;
        char problem[160] = "";
        EXPECT_FALSE(parseLayoutFile(c.text, layout, problem, sizeof problem)) << c.text;
        EXPECT_EQ(std::string(problem).rfind(c.problem, 0), 0u) << c.text << " gave: " << problem;
        EXPECT_EQ(layout.padCount + layout.discCount, 0) << c.text; // nothing half-applied
    }
    std::string many = head;
    for (int i = 0; i <= MaxPads; ++i) {
        many += "pad " + std::to_string(i * 50) + " 0 40 40 white 2C\n";
    }
    Layout layout;
    char problem[160] = "";
    EXPECT_FALSE(parseLayoutFile(many, layout, problem, sizeof problem));
    EXPECT_STREQ(problem, "line 28: more than 24 pads");
}

// Controls apart in the file's units can land on the same pixel once the
// fit scales and rounds them: one touch would press both. Such files are
// refused, and say so; files whose controls stay apart are taken.
TEST(LayoutFiles, ControlsMustLieApartInTheFramesPixels) {
    const struct {
        const char* what;
        std::string text;
        const char* problem; // nullptr: taken
    } cases[] = {
        {"a pixel apart at half the scale",
         "layout 1\nname half\nsize 2560 1440\npad 0 0 99 100 white 2C\n"
         "pad 100 0 100 100 white 2D\n",
         "line 6: pads 0 and 1 overlap once fitted to the screen: move them further apart"},
        {"a pixel apart vertically, stretched",
         "layout 1\nname tall\nsize 1280 2160\nfit stretch\npad 0 0 100 299 white 2C\n"
         "pad 0 300 100 100 white 2D\n",
         "line 7: pads 0 and 1 overlap once fitted"},
        {"a pad and a disc",
         "layout 1\nname near\nsize 3840 2160\ndisc 300 300 200 0.05 1D 2A\n"
         "pad 501 100 100 100 white 2C\n",
         "line 6: pad 0 and disc 0 overlap once fitted"},
        {"two discs",
         "layout 1\nname twins\nsize 3840 2160\ndisc 300 300 200 0.05 1D 2A\n"
         "disc 701 300 200 0.05 1E 2B\n",
         "line 6: discs 0 and 1 overlap once fitted"},
        {"far enough apart at half the scale",
         "layout 1\nname half\nsize 2560 1440\npad 0 0 99 100 white 2C\n"
         "pad 102 0 100 100 white 2D\n",
         nullptr},
        // Apart only by the last side: the later pad lies below.
        {"apart below",
         "layout 1\nname below\nsize 1280 720\npad 0 0 100 100 white 2C\n"
         "pad 0 200 100 100 white 2D\n",
         nullptr},
        {"apart above",
         "layout 1\nname above\nsize 1280 720\npad 0 200 100 100 white 2C\n"
         "pad 0 0 100 100 white 2D\n",
         nullptr},
        // Every letter of a name's alphabet, the last ones too.
        {"a name of the last letters",
         "layout 1\nname zZ9_-\nsize 1280 720\npad 0 0 100 100 "
         "white 2C\n",
         nullptr},
    };
    for (const auto& c : cases) {
        Layout layout;
        char problem[160] = "";
        const bool taken = parseLayoutFile(c.text, layout, problem, sizeof problem);
        EXPECT_EQ(taken, c.problem == nullptr) << c.what << ": " << problem;
        if (c.problem != nullptr) {
            EXPECT_EQ(std::string(problem).rfind(c.problem, 0), 0u) << c.what << ": " << problem;
        }
    }
}

TEST(LayoutFiles, GameLinesNameTheProgramsALayoutIsFor) {
    const std::string text = "layout 1\nname popn\nsize 1280 720\n"
                             "game popn.exe\n"
                             "game\tPop'n Music Lively.EXE   # the store's one\n"
                             "game " +
                             std::string(59, 'g') + ".exe\npad 0 0 100 100 white 2C\n";
    Layout layout;
    char problem[160] = "";
    ASSERT_TRUE(parseLayoutFile(text, layout, problem, sizeof problem)) << problem;
    ASSERT_EQ(layout.gameCount, 3);
    EXPECT_STREQ(layout.games[1], "Pop'n Music Lively.EXE");
    // Windows' file names: letters of either case alike, nothing else.
    EXPECT_TRUE(layoutIsFor(layout, "POPN.exe"));
    EXPECT_TRUE(layoutIsFor(layout, "pop'n music lively.exe"));
    EXPECT_FALSE(layoutIsFor(layout, "popn2.exe"));
    EXPECT_FALSE(layoutIsFor(layout, "popn.ex"));
    EXPECT_FALSE(layoutIsFor(layout, ""));
    EXPECT_FALSE(layoutIsFor(defaultLayout(), "popn.exe"));
    // Written and read back the same.
    char written[LayoutFileMaxBytes];
    const size_t length = writeLayoutFile(layout, written, sizeof written);
    Layout again;
    ASSERT_TRUE(parseLayoutFile(std::string_view(written, length), again, problem, sizeof problem))
        << problem;
    ASSERT_EQ(again.gameCount, 3);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(again.games[i], layout.games[i]);
    }
}

TEST(LayoutFiles, EveryPresetWrittenAsAFileIsReadBackTheSame) {
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        const Layout& preset = *presetLayout(i);
        char text[LayoutFileMaxBytes];
        const size_t length = writeLayoutFile(preset, text, sizeof text);
        ASSERT_GT(length, 0u) << preset.name;
        Layout read;
        char problem[160] = "";
        ASSERT_TRUE(parseLayoutFile(std::string_view(text, length), read, problem, sizeof problem))
            << preset.name << ": " << problem << "\n"
            << text;
        char again[LayoutFileMaxBytes];
        ASSERT_EQ(writeLayoutFile(read, again, sizeof again), length) << preset.name;
        EXPECT_STREQ(again, text) << preset.name;
        EXPECT_EQ(layoutKeyCount(read), layoutKeyCount(preset));
    }
    // Pads and no disc, as a file says them.
    char text[LayoutFileMaxBytes];
    ASSERT_GT(writeLayoutFile(*presetNamed("lanes4"), text, sizeof text), 0u);
    EXPECT_STREQ(text, "layout 1\nname lanes4\nsize 1280 720\nfit stretch\n"
                       "pad 0 0 318 719 #C0C0C0 20\npad 320 0 318 719 #0080FF 21\n"
                       "pad 640 0 318 719 #C0C0C0 24\npad 960 0 318 719 #0080FF 25\n");
    char tiny[16];
    EXPECT_EQ(writeLayoutFile(defaultLayout(), tiny, sizeof tiny), 0u);
}

using LayoutPlay = ControllerFixture;

TEST_F(LayoutPlay, AssignmentAsksForEachPadThenEachDiscsTwoKeys) {
    useLayout(*presetNamed("double"));
    std::vector<std::string> prompts;
    fakeInterception.onWait = [&] {
        const bool prompt = std::strncmp(statusText, "PRESS", 5) == 0;
        if (prompt && (prompts.empty() || prompts.back() != statusText)) {
            prompts.push_back(statusText);
        }
    };
    for (int i = 0; i < 18; ++i) {
        scriptKeyPress(1, static_cast<unsigned short>(0x02 + i));
    }
    switchScene(1);
    updateController();
    ASSERT_EQ(prompts.size(), 18u);
    EXPECT_EQ(prompts[13], "PRESS KEY TO ASSIGN KEY 13");
    EXPECT_EQ(prompts[14], "PRESS KEY TO ASSIGN SCRATCH CLOCKWISE");
    EXPECT_EQ(prompts[15], "PRESS KEY TO ASSIGN SCRATCH COUNTER-CLOCKWISE");
    EXPECT_EQ(prompts[16], "PRESS KEY TO ASSIGN SCRATCH 2 CLOCKWISE");
    EXPECT_EQ(prompts[17], "PRESS KEY TO ASSIGN SCRATCH 2 COUNTER-CLOCKWISE");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[13], 0x02 + 13);
    EXPECT_EQ(ScratchScancodes[3], 0x02 + 17);
}

TEST_F(LayoutPlay, EachDiscTurnsItsOwnKeysAndThePadsTheirs) {
    useLayout(*presetNamed("double"));
    enterPlay();
    HeldKeyMirror mirror;
    // The right disc's centre is at (1276, 360): a finger left of it and a
    // little below, turned clockwise there (upward on the screen).
    down(1, 1076, 420);
    down(2, 296 + 10, 510); // the first pad of the left group
    updateController();
    EXPECT_EQ(brokenPlayRule(mirror), "");
    move(1, 1076, 400);
    updateController();
    EXPECT_EQ(brokenPlayRule(mirror), "");
    EXPECT_EQ(ScratchTrackers[1].keyHeld[Clockwise], 1);
    EXPECT_EQ(ScratchTrackers[0].keyHeld[Clockwise], 0);
    EXPECT_EQ(strokes(), (std::vector<std::string>{"make 0x2C", "make 0x1D e0"}));
    up(1, 1076, 400);
    up(2, 306, 510);
    updateController();
    EXPECT_EQ(brokenPlayRule(mirror), "");
    EXPECT_EQ(mirror.heldCount(), 0);
}

} // namespace

// Every built-in preset is in the layout parser's fuzz seeds, written as a
// file exactly, as the README says.
TEST(LayoutPresets, EachIsInTheFuzzSeedsAsItsFile) {
    static char written[LayoutFileMaxBytes + 1];
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        const Layout& preset = *presetLayout(i);
        const std::string path =
            std::string(PADRELLE_SOURCE_DIR) + "/fuzz/corpus/layout/" + preset.name + ".txt";
        std::ifstream file(path, std::ios::binary);
        const std::string seed((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        const size_t length = writeLayoutFile(preset, written, sizeof written);
        EXPECT_EQ(seed, std::string(written, length)) << path;
    }
}

// The README's rule exactly: each edge scaled and rounded to the nearest
// pixel, halves away from zero, with no floating point between (1672 units of
// 4864 on 720 rows is 247.5, which must give 248).
TEST(LayoutFit, HalvesRoundAwayFromZeroExactly) {
    struct Case {
        const char* file;
        int32_t x, y, width, height; // the first pad, fitted
        int32_t discX, discY, radius;
    };
    const Case cases[] = {
        {"size 1280 4864\nfit stretch\npad 0 1672 100 100 white 2C\ndisc 640 4000 10 0.05 1D 2A\n",
         0, 248, 100, 14, 640, 592, 1},
        {"size 2560 720\nfit stretch\npad 1 3 3 10 white 2C\ndisc 1281 600 11 0.05 1D 2A\n", 1, 3,
         1, 10, 641, 600, 6},
        {"size 2560 720\nfit stretch\npad -1 0 4 10 white 2C\ndisc 1281 600 11 0.05 1D 2A\n", -1, 0,
         3, 10, 641, 600, 6},
        {"size 2560 720\nfit keep\npad 1 1 100 100 white 2C\ndisc 1281 600 11 0.05 1D 2A\n", 1, 181,
         50, 50, 641, 480, 6},
        {"size 1280 1440\nfit keep\npad 1 1 100 100 white 2C\ndisc 640 720 11 0.05 1D 2A\n", 321, 1,
         50, 50, 640, 360, 6},
    };
    for (const Case& c : cases) {
        Layout layout;
        char problem[200] = "";
        ASSERT_TRUE(parseLayoutFile(std::string("layout 1\nname fit\n") + c.file, layout, problem,
                                    sizeof problem))
            << c.file << problem;
        const Layout fitted = fittedToFrame(layout);
        const LayoutPad& pad = fitted.pads[0];
        EXPECT_EQ(std::vector<int32_t>({pad.x, pad.y, pad.width, pad.height}),
                  std::vector<int32_t>({c.x, c.y, c.width, c.height}))
            << c.file;
        const LayoutDisc& disc = fitted.discs[0];
        EXPECT_EQ(std::vector<int32_t>({disc.x, disc.y, disc.radius}),
                  std::vector<int32_t>({c.discX, c.discY, c.radius}))
            << c.file;
    }
}

// A label of the longest length is taken whole and written back the same.
TEST(LayoutFiles, ALabelOfTheLongestLengthIsTakenWhole) {
    const std::string label(PadLabelSize - 1, 'L');
    Layout layout;
    char problem[128] = "";
    ASSERT_TRUE(
        parseLayoutFile("layout 1\nname l\nsize 1280 720\npad 0 0 100 100 white 2C " + label + "\n",
                        layout, problem, sizeof problem))
        << problem;
    EXPECT_EQ(std::string(layout.pads[0].label), label);
    char written[LayoutFileMaxBytes];
    ASSERT_GT(writeLayoutFile(layout, written, sizeof written), 0u);
    EXPECT_NE(std::string(written).find(" 2C " + label + "\n"), std::string::npos) << written;
}
