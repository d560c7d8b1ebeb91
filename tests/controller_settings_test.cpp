// The command line, the saved settings file, and what Padrelle remembers from
// one run to the next.
#include "base/system_watches.h"
#include "base/win_constants.h"
#include "controller/controller_scene.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/modes/remote_panel.h"
#include "controller/settings/launch_options.h"
#include "controller/settings/saved_settings.h"
#include "controller/settings/settings_store.h"
#include "engine/engine.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "keyout/guard.h"
#include "keyout/sendinput_output.h"
#include "remote/network_reach.h"
#include "remote/remote_link.h"
#include "support/controller_fixture.h"
#include "support/fake_network.h"
#include "support/fake_platform.h"
#include "support/fake_store.h"

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>

namespace {

std::string keyList(const KeySet& keys) {
    char text[128];
    writeKeyList(keys, text, sizeof text);
    return text;
}

TEST(LaunchOptions, EditTakesALayoutOnlyWhereOneFollows) {
    const struct {
        const char* line;
        bool taken;
        const char* layout; // the layout to edit, or part of the problem
    } cases[] = {
        {"--edit", true, ""},
        {"--edit mine.txt", true, "mine.txt"},
        {"--edit \"D:\\My Layouts\\a.txt\" --assign", true, "D:\\My Layouts\\a.txt"},
        {"--edit --assign", true, ""},
        {"--edit=double", true, "double"},
        {"--edit=", false, "--edit= needs a layout's name or a file's path."},
        {"--edit a --edit b", false, "--edit is given twice."},
        {"--edit a b", false, "Unknown option \"b\"."},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        char problem[LaunchProblemSize] = "";
        ASSERT_EQ(parseLaunchOptions(c.line, options, problem, sizeof problem), c.taken) << c.line;
        if (c.taken) {
            EXPECT_TRUE(options.edit) << c.line;
            EXPECT_STREQ(options.editLayout, c.layout) << c.line;
        } else {
            EXPECT_EQ(std::string(problem).rfind(c.layout, 0), 0u) << c.line << ": " << problem;
        }
    }
    const std::string longest(LayoutPathSize - 1, 'x');
    LaunchOptions options;
    char problem[LaunchProblemSize] = "";
    EXPECT_TRUE(
        parseLaunchOptions(("--edit " + longest).c_str(), options, problem, sizeof problem));
    EXPECT_FALSE(
        parseLaunchOptions(("--edit " + longest + "x").c_str(), options, problem, sizeof problem));
}

TEST(LaunchOptions, WhatIsTakenAndWhatIsRefused) {
    const struct {
        const char* line;
        bool taken;
        // taken: "output assign keys", then " remote N" if said; refused: part of
        // the message
        const char* said;
    } cases[] = {
        {"", true, "0 0 -"},
        {"   ", true, "0 0 -"},
        {"--output sendinput", true, "1 0 -"},
        {"--output=interception --assign", true, "2 1 -"},
        {"\"--output\" \"auto\"", true, "0 0 -"},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,e0:1D,E1:1d", true,
         "0 0 2C 2D 2E 2F 30 31 32 10 11 e0:1D e1:1D"},
        {"--keys=1,2,3,4,5,6,7,8,9,a,B", true, "0 0 01 02 03 04 05 06 07 08 09 0A 0B"},
        {"--help", true, "0 0 -"},
        {"--bogus", false, "Unknown option \"--bogus\"."},
        {"-output sendinput", false, "Unknown option \"-output\"."},
        {"--output", false, "--output needs a value."},
        {"--output keyboard", false, "not \"keyboard\""},
        {"--output auto --output auto", false, "--output is given twice."},
        {"--assign --assign", false, "--assign is given twice."},
        {"--assign=yes", false, "\"--assign=yes\" takes no value."},
        {"--keys 2C,2D", false, "2 keys instead of 11"},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A,2B", false, "more than 11 keys"},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,1D,ZZ", false, "key 11 \"ZZ\" is not a scancode"},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,1D,100", false, "key 11 \"100\""},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,1D,e2:1D", false, "key 11 \"e2:1D\""},
        {"--keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A --keys 2C", false, "--keys is given twice."},
        {"--assign --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", false, "cannot go together"},
        {"\x01\xff", false, "Unknown option \"??\"."},
        {"--layout double --keys 1,2,3,4,5,6,7,8,9,a,b,c,d,e,f,10,11,12", true,
         "0 0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12"},
        {"--keys 2C,2D --layout mine.txt", true, "0 0 2C 2D"}, // counted once the file is read
        {"--layout double --keys 2C", false, "1 keys instead of 18"},
        {"--layout", false, "--layout needs a value."},
        {"--layout a --layout b", false, "--layout is given twice."},
        {"--guard 12", false, "--guard is started by padrelle.exe itself."},
        {"--guard 12 3x", false, "--guard is started by padrelle.exe itself."},
        {"--guard 0 34", false, "--guard is started by padrelle.exe itself."},
        {"--guard 12 34 --assign", false, "--guard is started by padrelle.exe itself."},
        {"--assign --guard 12 34", false, "Unknown option \"--guard\"."},
        {"--guard-start 12", false, "--guard-start is started by padrelle.exe itself."},
        // --remote takes its value only where the value is one of its own.
        {"--remote", true, "0 0 - remote 1"},
        {"--remote on", true, "0 0 - remote 1"},
        {"--remote off --assign", true, "0 1 - remote 2"},
        {"--assign --remote new", true, "0 1 - remote 3"},
        {"--remote=new", true, "0 0 - remote 3"},
        {"--remote --output sendinput", true, "1 0 - remote 1"},
        {"--remote maybe", false, "Unknown option \"maybe\"."},
        {"--remote=maybe", false, "--remote takes on, off or new, not \"maybe\"."},
        {"--remote=", false, "--remote takes on, off or new"},
        {"--remote --remote off", false, "--remote is given twice."},
        // --overlay: on, off or an opacity; a number is always its value.
        {"--overlay", true, "0 0 - overlay 1 0"},
        {"--overlay off --assign", true, "0 1 - overlay 2 0"},
        {"--overlay 40", true, "0 0 - overlay 1 40"},
        {"--overlay=75% --remote", true, "0 0 - remote 1 overlay 1 75"},
        {"--overlay 100 --output sendinput", true, "1 0 - overlay 1 100"},
        {"--overlay --assign", true, "0 1 - overlay 1 0"},
        {"--overlay 19", false,
         "--overlay takes on, off or an opacity from 20 to 100 percent, "
         "not \"19\"."},
        {"--overlay 101", false, "not \"101\""},
        {"--overlay 5x", false, "not \"5x\""},
        {"--overlay=", false, "not \"\""},
        {"--overlay maybe", false, "Unknown option \"maybe\"."},
        {"--overlay --overlay off", false, "--overlay is given twice."},
        // --remote-delay: auto, at once (0) or a fixed delay.
        {"--remote-delay auto", true, "0 0 - delay auto"},
        {"--remote-delay=25 --remote", true, "0 0 - remote 1 delay 25"},
        {"--remote-delay 0", true, "0 0 - delay 0"},
        {"--remote-delay", false, "--remote-delay needs a value."},
        {"--remote-delay 251", false,
         "--remote-delay takes auto or milliseconds from 0 to 250, not \"251\"."},
        {"--remote-delay 0 --remote-delay 0", false, "--remote-delay is given twice."},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        char problem[LaunchProblemSize] = "x";
        const bool taken = parseLaunchOptions(c.line, options, problem, sizeof problem);
        ASSERT_EQ(taken, c.taken) << c.line << ": " << problem;
        if (taken) {
            const std::string keys = options.keysGiven ? keyList(options.keys) : "-";
            const std::string remote =
                options.remote != RemoteUnsaid ? " remote " + std::to_string(options.remote) : "";
            const std::string overlay = options.overlay != OverlayUnsaid
                                            ? " overlay " + std::to_string(options.overlay) + " " +
                                                  std::to_string(options.overlayOpacity)
                                            : "";
            char delay[16] = "";
            writeDelaySetting(options.remoteDelay, delay, sizeof delay);
            EXPECT_EQ(std::to_string(options.output) + " " + std::to_string(options.assign) + " " +
                          keys + remote + overlay +
                          (options.remoteDelayGiven ? std::string(" delay ") + delay : ""),
                      c.said)
                << c.line;
            EXPECT_STREQ(problem, "");
        } else {
            EXPECT_NE(std::strstr(problem, c.said), nullptr) << c.line << ": " << problem;
            EXPECT_NE(std::strstr(problem, LaunchUsage), nullptr) << c.line;
        }
    }
    LaunchOptions options;
    char problem[LaunchProblemSize];
    std::string many;
    for (int i = 0; i < 40; ++i) {
        many += "--assign ";
    }
    EXPECT_FALSE(parseLaunchOptions(many.c_str(), options, problem, sizeof problem));
    EXPECT_TRUE(parseLaunchOptions("--help", options, problem, sizeof problem));
    EXPECT_TRUE(options.help);
    EXPECT_FALSE(options.guard);
    EXPECT_TRUE(parseLaunchOptions("--guard 12 18446744073", options, problem, sizeof problem));
    EXPECT_TRUE(options.guard);
    EXPECT_EQ(options.guardProcess, 12u);
    EXPECT_EQ(options.guardRecord, 18446744073u);
    EXPECT_FALSE(options.guardStart);
    EXPECT_TRUE(parseLaunchOptions("--guard-start 12 34", options, problem, sizeof problem));
    EXPECT_TRUE(options.guardStart);
    EXPECT_FALSE(options.guard);
    EXPECT_EQ(options.guardRecord, 34u);
    EXPECT_EQ(std::strstr(LaunchUsage, "--guard"), nullptr); // not the player's option
}

constexpr const char* Keys = "keys 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A\n";

// What a file gave: each layout's keys, the layout, the screen.
std::string taken(const SavedSettings& settings) {
    std::string result;
    for (int32_t i = 0; i < settings.keysCount; ++i) {
        result += std::string(settings.keys[i].layout) + ":" + keyList(settings.keys[i].keys) + ";";
    }
    result += "|";
    if (settings.hasLayout) {
        result += std::string(settings.layoutFromFile ? "file " : "") + settings.layout;
    }
    result += "|";
    if (settings.hasScreen) {
        result +=
            std::string(settings.screen.monitor) + " " + std::to_string(settings.screen.fullScreen);
        if (settings.screen.device[0] != '\0') {
            result += std::string(" ") + settings.screen.device;
        }
    }
    if (settings.hasRemote) {
        result +=
            std::string("|remote ") + (settings.remoteOn ? "on " : "off ") + settings.pairingCode;
    }
    if (settings.hasOverlay) {
        result += std::string("|overlay ") + (settings.overlayOn ? "on " : "off ") +
                  std::to_string(settings.overlayOpacity);
    }
    if (settings.hasOutput) {
        result += std::string("|output ") + outputChoiceName(settings.output);
    }
    if (settings.hasRemoteDelay) {
        char delay[16];
        writeDelaySetting(settings.remoteDelay, delay, sizeof delay);
        result += std::string("|remote-delay ") + delay;
    }
    return result;
}

TEST(SavedSettings, WholeFilesOrNothing) {
    const std::string v2 = "version 2\n";
    const std::string withDevice =
        "default:2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A;||\\\\.\\DISPLAY2 0 " + std::string(255, 'D');
    const struct {
        std::string text;
        const char* result; // what was taken, or the problem
    } cases[] = {
        // Files written before layouts: the default layout's keys.
        {std::string("version 1\n") + Keys, "default:2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A;||"},
        {std::string("# a comment\n\n  version 1  \r\n") + Keys +
             "screen \\\\.\\DISPLAY2 fullscreen",
         "default:2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A;||\\\\.\\DISPLAY2 1"},
        {std::string("version 1\n") + Keys + "screen \\\\.\\DISPLAY2 window " +
             std::string(255, 'D'),
         withDevice.c_str()},
        {std::string("version 1\nscreen M window\n") + Keys,
         "default:2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A;||M 0"},
        {v2 + "layout knobs\nkeys knobs 20 21 24 25 2E 32 11 10 19 18\nkeys default 2C 2D 2E "
              "2F 30 31 32 10 11 1D 2A\n",
         "knobs:20 21 24 25 2E 32 11 10 19 18;default:2C 2D 2E 2F 30 31 32 10 11 1D 2A;|knobs|"},
        {v2 + "keys mine 2C\nlayout file C:\\My Layouts\\mine.txt\n",
         "mine:2C;|file C:\\My Layouts\\mine.txt|"},
        {"", "line 1: the file does not begin with \"version 1\" or \"version 2\""},
        {"version 1\n", "line 2: the keys are missing"},
        // Version 2 may have no keys yet: a pairing kept before any were saved.
        {v2 + "remote on 7k2m9xq4hd0c\n", "|||remote on 7k2m9xq4hd0c"},
        {v2, "||"},
        {"version 3\n", "line 1: the file does not begin"},
        {std::string(Keys), "line 1: the file does not begin"},
        {"version 1\nkeys 2C 2D 2E\n", "line 2: 3 keys instead of 11"},
        {std::string("version 1\n") + Keys + Keys, "line 3: the keys come twice"},
        {v2 + "keys a 2C\nkeys a 2D\n", "line 3: the keys of a layout come twice"},
        {v2 + "keys .2C 2D\n", "line 2: the keys do not begin with a layout's name"},
        {v2 + "keys a\n", "line 2: no keys"},
        {v2 + "keys a zz\n", "line 2: key 1 \"zz\" is not a scancode"},
        {std::string("version 1\nlayout double\n") + Keys,
         "line 2: a layout in a file of version 1"},
        {v2 + "layout double\nlayout nine\n", "line 3: the layout comes twice"},
        {v2 + "layout two words\n", "line 2: the layout is neither"},
        {v2 + "layout file\n", "line 2: the layout is neither"},
        {std::string("version 1\n") + Keys + "screen A window\nscreen A window\n",
         "line 4: the screen comes twice"},
        {std::string("version 1\n") + Keys + "screen A sideways\n", "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen A window \\\\?\\DISPLAY#DEL40A3 x\n",
         "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen A window " + std::string(256, 'D') + "\n",
         "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen\n", "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen " + std::string(32, 'M') + " window\n",
         "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "remote off 7k2m9xq4hd0c\n",
         "default:2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A;|||remote off 7k2m9xq4hd0c"},
        {v2 + "remote on zzzzzzzzzzzz\nkeys a 2C\n", "a:2C;|||remote on zzzzzzzzzzzz"},
        {v2 + "remote on 7k2m9xq4hd0c\nremote on 7k2m9xq4hd0c\n", "line 3: the remote comes twice"},
        {v2 + "remote on\n", "line 2: the remote is not on or off and a pairing code"},
        {v2 + "remote yes 7k2m9xq4hd0c\n", "line 2: the remote is not"},
        {v2 + "remote on 7k2m9xq4hd0\n", "line 2: the remote is not"},
        {v2 + "remote on 7k2m9xq4hd0i\n", "line 2: the remote is not"},
        {v2 + "remote on 7k2m9xq4hd0c x\n", "line 2: the remote is not"},
        {std::string("version 1\n") + Keys + "volume 11\n",
         "line 3: this is none of keys, layout, screen, remote, overlay and output"},
        {v2 + "output sendinput\nkeys a 2C\n", "a:2C;|||output sendinput"},
        {v2 + "output interception\n", "|||output interception"},
        {v2 + "output auto\noutput auto\n", "line 3: the output comes twice"},
        {v2 + "output driver\n", "line 2: the output is not auto, sendinput or interception"},
        {v2 + "overlay on 60\nkeys a 2C\n", "a:2C;|||overlay on 60"},
        {v2 + "keys a 2C\noverlay off 100%\n", "a:2C;|||overlay off 100"},
        {v2 + "keys a 2C\noverlay on 20\n", "a:2C;|||overlay on 20"},
        {v2 + "overlay on 19\n", "line 2: the overlay is not on or off and an opacity"},
        {v2 + "overlay on 101\n", "line 2: the overlay is not"},
        {v2 + "overlay on\n", "line 2: the overlay is not"},
        {v2 + "overlay on 0060\n", "line 2: the overlay is not"},
        {v2 + "overlay on -60\n", "line 2: the overlay is not"},
        {v2 + "overlay on 6O\n", "line 2: the overlay is not"},
        {v2 + "overlay maybe 60\n", "line 2: the overlay is not"},
        {v2 + "overlay on 60 x\n", "line 2: the overlay is not"},
        {v2 + "overlay on 60\noverlay off 60\n", "line 3: the overlay comes twice"},
        {v2 + "remote-delay auto\n", "|||remote-delay auto"},
        {v2 + "remote-delay 0\n", "|||remote-delay 0"},
        {v2 + "remote-delay 250\n", "|||remote-delay 250"},
        {v2 + "remote-delay 251\n", "line 2: the remote delay is not auto or 0 to 250 ms"},
        {v2 + "remote-delay 0 1\n", "line 2: the remote delay is not"},
        {v2 + "remote-delay 5\nremote-delay 5\n", "line 3: the remote delay comes twice"},
        {std::string("version 1\n") + Keys + std::string(1, '\0'), "the file holds a zero byte"},
        {std::string("version 1\n") + Keys + std::string(9000, '#'),
         "the file is longer than 8192 bytes"},
    };
    for (const auto& c : cases) {
        SavedSettings settings;
        char problem[256] = "";
        const std::string result = parseSavedSettings(c.text, settings, problem, sizeof problem)
                                       ? taken(settings)
                                       : std::string(problem);
        EXPECT_EQ(result.rfind(c.result, 0), 0u) << c.text << " gave: " << result;
    }
    // More layouts than the file keeps.
    std::string many = v2;
    for (int i = 0; i <= MaxSavedLayouts; ++i) {
        many += "keys l" + std::to_string(i) + " 2C\n";
    }
    SavedSettings settings;
    char problem[256] = "";
    EXPECT_FALSE(parseSavedSettings(many, settings, problem, sizeof problem));
    EXPECT_STREQ(problem, "line 18: the keys of more than 16 layouts");
}

TEST(SavedSettings, WrittenFilesAreReadBackTheSame) {
    SavedSettings settings = {};
    KeySet keys = layoutKeys(defaultLayout());
    keys.keys[9] = AssignedKey{0x1D, KeyStateE1};
    saveKeysOf(settings, "default", keys);
    saveKeysOf(settings, "lanes4", layoutKeys(*presetNamed("lanes4")));
    saveKeysOf(settings, "default", keys); // in the place of the earlier ones
    settings.hasLayout = true;
    settings.layoutFromFile = true;
    std::strcpy(settings.layout, "D:\\Layouts\\my popn.txt");
    settings.hasScreen = true;
    std::strcpy(settings.screen.monitor, "\\\\.\\DISPLAY3");
    settings.screen.fullScreen = true;
    std::strcpy(settings.screen.device, "\\\\?\\DISPLAY#DEL40A3#5&1a2b3c&0&UID4353#{e6f07b5f}");
    settings.hasRemote = true;
    settings.remoteOn = true;
    std::strcpy(settings.pairingCode, "7k2m9xq4hd0c");
    settings.hasOverlay = true;
    settings.overlayOn = true;
    settings.overlayOpacity = 70;
    settings.hasOutput = true;
    settings.output = OutputInterception;
    settings.hasRemoteDelay = true;
    settings.remoteDelay = DelaySetting{DelayMode::Fixed, 25};
    char text[SavedSettingsMaxBytes];
    const size_t length = writeSavedSettings(settings, text, sizeof text);
    ASSERT_GT(length, 0u);
    SavedSettings read;
    char problem[128];
    ASSERT_TRUE(parseSavedSettings(std::string_view(text, length), read, problem, sizeof problem))
        << problem;
    EXPECT_EQ(taken(read),
              "default:2C 2D 2E 2F 30 31 32 10 11 e1:1D 2A;lanes4:20 21 24 25;"
              "|file D:\\Layouts\\my popn.txt|\\\\.\\DISPLAY3 1 "
              "\\\\?\\DISPLAY#DEL40A3#5&1a2b3c&0&UID4353#{e6f07b5f}|remote on 7k2m9xq4hd0c"
              "|overlay on 70|output interception|remote-delay 25");
    // A code that is not one is not written.
    std::strcpy(settings.pairingCode, "7k2m9xq4hd0");
    ASSERT_TRUE(
        parseSavedSettings(std::string_view(text, writeSavedSettings(settings, text, sizeof text)),
                           read, problem, sizeof problem));
    EXPECT_FALSE(read.hasRemote);
    // Nor an opacity out of bounds.
    settings.overlayOpacity = 5;
    ASSERT_TRUE(
        parseSavedSettings(std::string_view(text, writeSavedSettings(settings, text, sizeof text)),
                           read, problem, sizeof problem));
    EXPECT_FALSE(read.hasOverlay);
    EXPECT_EQ(writeSavedSettings(settings, text, 40), 0u); // too small: nothing half
    char list[11];
    writeKeyList(keys, list, sizeof list); // cut short, always terminated
    EXPECT_STREQ(list, "2C 2D 2E 2");
    EXPECT_FALSE(saveKeysOf(settings, "no name", keys));
}

class RememberedTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        installFakeStore();
    }
    void TearDown() override {
        network = SystemNetwork;
        resetSettingsStore();
        ControllerFixture::TearDown();
    }
    static void saved(const std::string& text) {
        store.file = text;
        store.read = SettingsFound;
    }
    // A run from its start to the window's closing, with the command line.
    static void start(const char* commandLine) {
        char problem[512];
        ASSERT_TRUE(parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem));
        loadRememberedSettings();
        ASSERT_TRUE(chooseStartLayout(problem, sizeof problem)) << problem;
        switchScene(1);
    }
    // The problem said before any window when the start cannot be.
    static std::string refused(const char* commandLine) {
        char problem[LaunchProblemSize] = "";
        if (!parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem)) {
            return problem;
        }
        loadRememberedSettings();
        return chooseStartLayout(problem, sizeof problem) ? "" : problem;
    }
    static void assignKeysFrom(uint16_t first, uint16_t count = 11) {
        for (uint16_t i = 0; i < count; ++i) {
            scriptKeyPress(1, static_cast<unsigned short>(first + i));
        }
        updateController();
        ASSERT_EQ(controllerMode, Play);
    }
};

TEST_F(RememberedTest, TheFirstStartAssignsAndSavesTheSecondPlaysAtOnce) {
    start("");
    EXPECT_EQ(controllerMode, AssignKeys);
    EXPECT_STREQ(settingsNotice, "");
    updateController(); // no key yet: nothing is saved
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(controllerMode, AssignKeys);
    assignKeysFrom(0x10);
    EXPECT_EQ(store.writes, 1);
    EXPECT_NE(store.file.find(
                  "keys default 10 11 12 13 14 15 16 17 18 19 1A\nscreen \\\\.\\DISPLAY1 window"),
              std::string::npos)
        << store.file;
    EXPECT_NE(store.log.find("layout: default\nkeys in use: 10 11 12"), std::string::npos)
        << store.log;
    EXPECT_NE(store.log.find("running with no 1 ms timer, no high priority"), std::string::npos)
        << store.log;
    fullScreen = 1;
    switchScene(0); // the window closes: the screen is saved beside the keys
    EXPECT_NE(store.file.find("screen \\\\.\\DISPLAY1 fullscreen"), std::string::npos);

    resetController();
    start("");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[0], 0x10);
    EXPECT_EQ(ScratchScancodes[1], 0x1A);
    const StartScreen screen = rememberedStartScreen();
    EXPECT_TRUE(screen.onMonitor);
    EXPECT_TRUE(screen.fullScreen);
    EXPECT_EQ(screen.monitor.whole.right, 1920);
    EXPECT_EQ(screen.monitor.work.bottom, 1040);
}

// Keys are saved for each layout: switching back to one plays at once.
TEST_F(RememberedTest, EachLayoutKeepsItsKeysAndTheLayoutInUseIsRemembered) {
    saved(std::string("version 1\n") + Keys); // written before layouts
    start("--layout lanes4");
    EXPECT_STREQ(controllerLayout.name, "lanes4");
    EXPECT_EQ(controllerMode, AssignKeys);
    assignKeysFrom(0x40, 4);
    switchScene(0);
    // The default layout's keys of the old file are kept beside the new ones.
    EXPECT_NE(store.file.find("version 2\nlayout lanes4\n"), std::string::npos) << store.file;
    EXPECT_NE(store.file.find("keys default 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A\n"),
              std::string::npos)
        << store.file;
    EXPECT_NE(store.file.find("keys lanes4 40 41 42 43\n"), std::string::npos);

    resetController();
    start(""); // the layout in use last time, with its keys: play at once
    EXPECT_STREQ(controllerLayout.name, "lanes4");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[3], 0x43);
    switchScene(0);
    resetController();
    start("--layout default");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[0], 0x2C);
    EXPECT_EQ(ScratchPrefixes[0], KeyStateE0);
    switchScene(0);
    resetController();
    start("--layout double"); // never assigned: asked for
    EXPECT_EQ(controllerMode, AssignKeys);
    EXPECT_EQ(KeyScancodes[13], 0x2B); // the layout's own until then
    switchScene(0);
    // Played with keys for this run only, it is not the layout of the next.
    resetController();
    start("--layout nine --keys 1,2,3,4,5,6,7,8,9");
    switchScene(0);
    EXPECT_NE(store.file.find("layout default\n"), std::string::npos) << store.file;
}

TEST_F(RememberedTest, LayoutFilesAreReadAndWhatIsWrongWithThemIsSaid) {
    store.files["C:\\pads.txt"] =
        "layout 1\nname pads\nsize 640 360\nfit keep\npad 0 0 100 100 red 2C\n";
    store.files["bad.txt"] = "layout 1\nname pads\nsize 640\n";
    EXPECT_EQ(refused("--layout bad.txt"),
              "the layout file bad.txt is not usable: line 3: size needs a width and a height "
              "from 100 to 10000");
    EXPECT_EQ(refused("--layout gone.txt"), "the layout file gone.txt is not there");
    EXPECT_EQ(refused("--layout C:\\pads.txt --keys 2C,2D")
                  .rfind("--keys gives 2 keys, but the layout asks for 1.", 0),
              0u);
    start("--layout C:\\pads.txt --keys 3A");
    EXPECT_STREQ(controllerLayout.name, "pads");
    EXPECT_EQ(controllerLayout.pads[0].width, 200); // kept proportions: twice as large
    EXPECT_EQ(KeyScancodes[0], 0x3A);
    switchScene(0);
    // A saved layout file that is gone: the default, and the player is told.
    resetController();
    saved("version 2\nlayout file D:\\gone.txt\nkeys default 10 11 12 13 14 15 16 17 18 19 "
          "1A\n");
    start("");
    EXPECT_STREQ(controllerLayout.name, "default");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_NE(std::string(settingsNotice)
                  .find("the layout file D:\\gone.txt is not there: the "
                        "default layout instead"),
              std::string::npos)
        << settingsNotice;
}

// A layout file given by a relative path is remembered by its whole path:
// the next start may come from another folder. Paths past 260 characters, in
// any language, are taken and kept whole.
TEST_F(RememberedTest, ALayoutFileIsRememberedByItsWholePathHoweverLong) {
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\レイアウト.txt";
    const struct {
        std::string given;
        std::string saved;
    } cases[] = {
        {"pads.txt", "layout file C:\\Games\\pads.txt\n"},
        {"..\\mine\\pads.txt", "layout file C:\\Games\\..\\mine\\pads.txt\n"},
        {deep, "layout file " + deep + "\n"},
        {"lanes4", "layout lanes4\n"}, // a built-in layout by its name
    };
    for (const auto& c : cases) {
        resetController();
        store = FakeStore{};
        store.files["pads.txt"] = store.files["..\\mine\\pads.txt"] = store.files[deep] =
            "layout 1\nname pads\nsize 640 360\nfit keep\npad 0 0 100 100 red 2C\n";
        start(("--layout \"" + c.given + "\" --assign").c_str());
        scriptKeyPress(1, 0x3A);
        for (int i = 0; i < 4; ++i) {
            scriptKeyPress(1, static_cast<unsigned short>(0x3B + i));
        }
        updateController();
        switchScene(0);
        EXPECT_NE(store.file.find(c.saved), std::string::npos) << c.given << "\n" << store.file;
    }
}

bool outranked = false;

// The phone's page: on from --remote until --remote off, with one code that
// only --remote new changes; saved with the keys, never without them.
// Windows asks once whether Padrelle may use the network, as the server
// first listens: the question must not hide under a full-screen controller.
// The reach check's thread has been asked `count` times since the count was
// cleared, and has answered (its answer is taken by the next pollRemote).
void waitForReachChecks(int32_t count) {
    for (int i = 0; i < 2000 && fakeReachAsked < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// The window really is an ordinary one while the question may come, the
// player's choice is what is saved, and once the question is answered (a
// rule names padrelle.exe) the mode comes back.
TEST_F(RememberedTest, TheFirewallsQuestionIsNotLeftUnderAFullScreenController) {
    struct Case {
        bool overlay; // else full screen
        uint32_t reach;
        bool answered; // a rule exists at the next check
    };
    const Case cases[] = {
        {false, ReachFirewallWillAsk, false},
        {false, ReachFirewallWillAsk, true},
        {false, ReachFirewallBlocks, false},
        {false, 0, false},
        {true, ReachFirewallWillAsk, false},
        {true, ReachFirewallWillAsk, true},
        {true, 0, false},
    };
    const auto overlayWindow = [] {
        return (static_cast<uint32_t>(fakePlatform.exStyle) & win::WS_EX_TOOLWINDOW) != 0;
    };
    // A pop-up without a frame that is not the overlay.
    const auto fullScreenWindow = [overlayWindow] {
        return (static_cast<uint32_t>(fakePlatform.style) & win::WS_OVERLAPPEDWINDOW) == 0 &&
               !overlayWindow();
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.overlay ? "overlay " : "full screen ") +
                                 std::to_string(c.reach) + (c.answered ? " answered" : "");
        switchScene(0);
        resetController();
        store = FakeStore{};
        installFakePlatform();
        network = RecordingNetwork;
        fakeNetwork = FakeNetwork{};
        fakeNetwork.reach = c.reach;
        fakeReachAsked = 0;
        saved(std::string("version 1\n") + Keys);
        mainWindow = reinterpret_cast<WindowHandle>(0x77);
        // Opened as remembered.
        if (c.overlay) {
            setOverlayMode(mainWindow, {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}, 60);
            overlayState = OverlayState{true, 60};
        } else {
            setFullScreenMode(mainWindow);
            fullScreen = 1;
        }
        start("--remote");
        // The first check of the firewall, on its own thread: the window
        // stays as it is until its answer comes.
        EXPECT_EQ(overlayWindow(), c.overlay) << what;
        waitForReachChecks(1);
        pollRemote();
        updateController();
        const bool asks = c.reach == ReachFirewallWillAsk;
        EXPECT_EQ(overlayWindow(), c.overlay && !asks) << what;
        EXPECT_EQ(fullScreenWindow(), !c.overlay && !asks) << what;
        EXPECT_EQ(fakePlatform.activations, 0) << what;
        if (c.answered) {
            fakeNetwork.reach = 0;
            fakePlatform.time += ReachCheckMs;
            pollRemote();
            waitForReachChecks(2);
            pollRemote();
            updateController();
            EXPECT_EQ(overlayWindow(), c.overlay) << what;
            EXPECT_EQ(fullScreenWindow(), !c.overlay) << what;
            EXPECT_EQ(fakePlatform.activations, 0) << what;
        }
        switchScene(0);
        // Saved as the player chose, asked or not.
        EXPECT_NE(store.file.find(c.overlay ? "overlay on 60" : "fullscreen"), std::string::npos)
            << what << "\n"
            << store.file;
    }
    mainWindow = nullptr;
    network = SystemNetwork;
}

// A player with nothing but a touch screen has no key to press at the first
// start: a tap on the button plays with the layout's own keys, and they are
// saved; a finger that slides off it, or stays on it, does nothing.
TEST_F(RememberedTest, ATapPlaysWithTheLayoutsOwnKeysAtTheFirstStart) {
    const int32_t x = (LayoutKeysButton.left + LayoutKeysButton.right) / 2;
    const int32_t y = (LayoutKeysButton.top + LayoutKeysButton.bottom) / 2;
    start("");
    ASSERT_EQ(controllerMode, AssignKeys);
    KeyScancodes[0] = 0x55; // as if something else had been chosen
    touch(1, TouchFlagDown, x, y);
    updateController();
    EXPECT_EQ(controllerMode, AssignKeys); // still down: no tap yet
    EXPECT_EQ(PadPressed[0], 1);           // the pad whose key is asked for
    touch(1, TouchFlagMove, x, 100);       // slid off
    updateController();
    touch(1, TouchFlagUp, x, 100);
    updateController();
    EXPECT_EQ(controllerMode, AssignKeys);
    EXPECT_EQ(store.writes, 0);
    touch(2, TouchFlagDown, x, y);
    updateController();
    touch(2, TouchFlagUp, x, y);
    updateController();
    EXPECT_EQ(controllerMode, Play);
    // No pad stays marked as the one asked for.
    EXPECT_EQ(std::count(PadPressed, PadPressed + MaxPads, 1), 0);
    EXPECT_EQ(KeyScancodes[0], 0x2C);
    EXPECT_EQ(ScratchScancodes[1], 0x2A);
    EXPECT_EQ(fakeInterception.filter, 0); // the capture is let go
    EXPECT_NE(store.file.find("keys default 2C 2D 2E 2F 30 31 32 10 11 1D 2A\n"), std::string::npos)
        << store.file;
    EXPECT_TRUE(strokes().empty());
    // The mouse clicks it as well.
    switchScene(0);
    resetController();
    store = FakeStore{};
    start("--assign");
    ASSERT_EQ(controllerMode, AssignKeys);
    setMouseFinger(true, x, y);
    updateController();
    setMouseFinger(false, x, y);
    updateController();
    EXPECT_EQ(controllerMode, Play);
    switchScene(0);
}

// Over the game from --overlay until --overlay off, at the opacity last
// given or chosen; never full screen beside it.
TEST_F(RememberedTest, TheOverlayAndItsOpacityAreRememberedWithTheKeys) {
    saved(std::string("version 1\n") + Keys + "screen \\\\.\\DISPLAY1 fullscreen\n");
    const struct {
        const char* commandLine;
        bool overlay;
        int32_t opacity;
        const char* saved;
    } runs[] = {
        {"", false, 60, nullptr}, // never asked for: not written
        {"--overlay", true, 60, "overlay on 60"},
        {"", true, 60, "overlay on 60"},
        {"--overlay 40", true, 40, "overlay on 40"},
        {"--overlay off", false, 40, "overlay off 40"},
        {"", false, 40, "overlay off 40"},
        {"--overlay on", true, 40, "overlay on 40"},
    };
    for (const auto& run : runs) {
        resetController();
        char problem[512];
        ASSERT_TRUE(parseLaunchOptions(run.commandLine, launchOptions, problem, sizeof problem));
        loadRememberedSettings();
        ASSERT_TRUE(chooseStartLayout(problem, sizeof problem));
        const StartScreen screen = rememberedStartScreen();
        EXPECT_EQ(screen.overlay, run.overlay) << run.commandLine;
        EXPECT_EQ(screen.opacity, run.opacity) << run.commandLine;
        // Full screen as saved at the first start; an overlay saves none.
        EXPECT_EQ(screen.fullScreen, &run == &runs[0]) << run.commandLine;
        EXPECT_TRUE(screen.onMonitor);
        fullScreen = screen.fullScreen ? 1 : 0;
        switchScene(1);
        switchScene(0);
        if (run.saved != nullptr) {
            EXPECT_NE(store.file.find(std::string(run.saved) + "\n"), std::string::npos)
                << run.commandLine << ": " << store.file;
        } else {
            EXPECT_EQ(store.file.find("overlay"), std::string::npos) << store.file;
        }
    }
    // Asked for the first time and left for a window in the same run: off,
    // at the opacity it had.
    saved(std::string("version 1\n") + Keys);
    resetController();
    start("--overlay 30");
    rememberedStartScreen();
    leaveOverlay();
    switchScene(0);
    EXPECT_NE(store.file.find("overlay off 30\n"), std::string::npos) << store.file;
}

// A game in exclusive full screen hides every window: the log says so each
// time it comes to the foreground so.
TEST_F(RememberedTest, AGameInExclusiveFullScreenIsNamedInTheLog) {
    start("--overlay --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A");
    rememberedStartScreen();
    mainWindow = reinterpret_cast<WindowHandle>(0x42);
    fakePlatform.exclusiveFullScreen = true;
    updateController();
    updateController();
    noteForegroundChange();
    updateController();
    const std::string said = "exclusive full screen: no window can lie over it";
    const size_t first = store.log.find(said);
    ASSERT_NE(first, std::string::npos) << store.log;
    EXPECT_EQ(store.log.find(said, first + 1), std::string::npos); // once while it lasts
    fakePlatform.exclusiveFullScreen = false;
    noteForegroundChange();
    updateController();
    fakePlatform.exclusiveFullScreen = true;
    noteForegroundChange();
    updateController();
    EXPECT_NE(store.log.find(said, first + 1), std::string::npos);
    mainWindow = nullptr;
    switchScene(0);
}

TEST_F(RememberedTest, TheRemoteAndItsCodeAreRememberedWithTheKeys) {
    network = RecordingNetwork;
    const std::string code = "89144gj28914"; // of eight bytes 0x42
    start("--remote");
    EXPECT_TRUE(fakeNetwork.started);
    EXPECT_EQ(store.file.substr(store.file.find("version")), "version 2\nremote on " + code + "\n")
        << "no keys yet, the pairing kept all the same";
    assignKeysFrom(0x10);
    EXPECT_NE(store.file.find("remote on " + code + "\n"), std::string::npos) << store.file;
    EXPECT_NE(store.log.find("remote controller: http://192.168.1.20:8750/#" + code),
              std::string::npos)
        << store.log;
    switchScene(0);
    EXPECT_FALSE(fakeNetwork.started);

    // Each start's code, kept or new, on or off: the pairing table below.
    // Without random bytes there is no code to pair with, and no server.
    network.randomBytes = [](uint8_t*, size_t) { return false; };
    resetController();
    start("--remote new");
    EXPECT_FALSE(fakeNetwork.started);
    EXPECT_STREQ(settingsNotice,
                 "the remote controller is off: the system gave no random pairing code");
    switchScene(0);
}

// The pairing lasts from every start that gives --remote (or --remote off),
// with or without a settings file yet and whatever else the command line
// says: the phone's saved page is let in at the next start. A file that
// cannot be used is left as it was.
// How the phone's keys are timed: as --remote-delay last said it, saved
// whether or not the page is served; the menu's change saved the same way.
TEST_F(RememberedTest, TheRemoteDelayIsRemembered) {
    network = RecordingNetwork;
    saved(std::string("version 1\n") + Keys);
    const struct {
        const char* commandLine;
        const char* saved; // "" none
        DelayMode mode;
        int32_t ms;
    } runs[] = {
        {"--remote", "", DelayMode::Follow, 0},
        {"--remote-delay 25", "remote-delay 25\n", DelayMode::Fixed, 25},
        {"--remote", "remote-delay 25\n", DelayMode::Fixed, 25},
        {"--remote-delay 0 --remote", "remote-delay 0\n", DelayMode::AtOnce, 0},
        {"--remote-delay auto", "remote-delay auto\n", DelayMode::Follow, 0},
    };
    for (const auto& run : runs) {
        resetController();
        start(run.commandLine);
        EXPECT_EQ(remoteDelay().mode, run.mode) << run.commandLine;
        EXPECT_EQ(remoteDelay().fixedMs, run.ms) << run.commandLine;
        EXPECT_EQ(store.file.find("remote-delay") != std::string::npos, run.saved[0] != '\0')
            << run.commandLine << store.file;
        EXPECT_NE(store.file.find(run.saved), std::string::npos) << run.commandLine;
        switchScene(0);
    }
    changeRemoteDelay(DelaySetting{DelayMode::Fixed, 40});
    EXPECT_NE(store.file.find("remote-delay 40\n"), std::string::npos) << store.file;
    EXPECT_EQ(remoteDelay().fixedMs, 40);
}

TEST_F(RememberedTest, ThePairingLastsFromEveryStartThatGivesIt) {
    enum File { None, KeysOnly, KeysAndOn, KeysAndOff, Bad, Unreadable };
    struct Case {
        File file;
        const char* commandLine;
        bool serves;
        const char* savedLine; // "" when the file must stay as it was
        bool sameCodeNext;     // the next start without options serves the same code
    };
    const std::string oldCode = "7k2m9xq4hd0c"; // the fresh one is 89144gj28914
    const Case cases[] = {
        {None, "--remote", true, "remote on 89144gj28914", true},
        {None, "--remote on --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", true,
         "remote on 89144gj28914", true},
        {None, "--remote --assign", true, "remote on 89144gj28914", true},
        {None, "--remote new --overlay 40", true, "remote on 89144gj28914", true},
        {None, "--remote off", false, "", false},
        {KeysOnly, "--remote --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", true,
         "remote on 89144gj28914", true},
        {KeysOnly, "", false, "", false},
        {KeysAndOn, "", true, "", true},
        {KeysAndOn, "--remote --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", true,
         "remote on 7k2m9xq4hd0c", true},
        {KeysAndOn, "--remote new --assign", true, "remote on 89144gj28914", true},
        {KeysAndOn, "--remote off --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", false,
         "remote off 7k2m9xq4hd0c", false},
        {KeysAndOff, "--remote", true, "remote on 7k2m9xq4hd0c", true},
        {Bad, "--remote", true, "", false},
        {Bad, "--remote --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A", true, "", false},
        {Unreadable, "--remote", true, "", false},
    };
    network = RecordingNetwork;
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.file) + " " + c.commandLine;
        resetController();
        store = FakeStore{};
        const std::string before =
            c.file == KeysOnly ? std::string("version 1\n") + Keys
            : c.file == KeysAndOn
                ? std::string("version 1\n") + Keys + "remote on " + oldCode + "\n"
            : c.file == KeysAndOff
                ? std::string("version 1\n") + Keys + "remote off " + oldCode + "\n"
            : c.file == Bad ? std::string("version 1\nkeys 2C\nremote on ") + oldCode + "\n"
                            : std::string();
        if (c.file != None) {
            saved(before);
        }
        store.read = c.file == Unreadable ? SettingsUnreadable : store.read;
        start(c.commandLine);
        EXPECT_EQ(fakeNetwork.started, c.serves) << what;
        const std::string code = fakeNetwork.started
                                     ? std::string(remoteStatus().address)
                                           .substr(std::strlen(remoteStatus().address) - 12)
                                     : "";
        if (c.savedLine[0] != '\0') {
            EXPECT_NE(store.file.find(std::string(c.savedLine) + "\n"), std::string::npos)
                << what << "\n"
                << store.file;
            EXPECT_EQ(code.empty() || store.file.find("remote on " + code) != std::string::npos,
                      true)
                << what;
        } else if (c.file != None) {
            EXPECT_EQ(store.file.find("remote") != std::string::npos,
                      before.find("remote") != std::string::npos)
                << what;
        }
        if (c.file == KeysOnly || c.file == KeysAndOn || c.file == KeysAndOff) {
            EXPECT_NE(store.file.find(" 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A\n"), std::string::npos)
                << what;
        }
        switchScene(0);
        // The next start, as a shortcut gives it: no options.
        resetController();
        start("");
        const std::string next = fakeNetwork.started ? remoteStatus().address : "";
        EXPECT_EQ(!code.empty() && next.find("#" + code) != std::string::npos, c.sameCodeNext)
            << what << ": " << next;
        switchScene(0);
    }
    network = SystemNetwork;
}

// What Windows refused at the start is named in the log, each with what it
// costs: a window not registered for touch (under Wine, always), a watch of
// the foreground, of the input desktop or of the display, the guard.
TEST_F(RememberedTest, WhatWindowsRefusedAtTheStartIsSaidInTheLog) {
    struct Case {
        SystemWatch watch;
        const char* said;
    };
    const Case cases[] = {
        {WatchTouch, "touch input: Windows did not register the window for touch"},
        {WatchForeground, "the foreground: Windows would not tell Padrelle when it changes"},
        {WatchDesktopSwitch, "the input desktop: Windows would not tell Padrelle"},
        {WatchDisplayPower, "the display: Windows would not tell Padrelle when it goes off"},
        {WatchGuard, "the guard: it could not be started"},
    };
    for (const Case& c : cases) {
        for (const bool refused : {false, true}) {
            switchScene(0);
            resetController();
            resetSystemWatches();
            if (c.watch == WatchTouch) {
                // As the window is made.
                fakePlatform.touchRegistrationFails = refused;
                mainWindowMessage(reinterpret_cast<WindowHandle>(0x42), win::WM_CREATE, 0, 0);
            } else {
                noteSystemWatch(c.watch, !refused);
            }
            start("--keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A");
            EXPECT_EQ(store.log.find(c.said) != std::string::npos, refused) << store.log;
            EXPECT_EQ(refusedSystemWatches(), refused ? uint32_t{c.watch} : 0u);
        }
    }
    mainWindow = nullptr;
    switchScene(0);
}

// The phone's round trips of the last minute go into the log as it stops.
TEST_F(RememberedTest, ThePhonesRoundTripIsLoggedAtTheEnd) {
    network = RecordingNetwork;
    start("--remote --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A");
    const ServerHandlers& server = fakeNetwork.settings.handlers;
    server.opened(1);
    for (const uint8_t ms : {7, 9, 30}) {
        const uint8_t ping[] = {0x02, ms, 0, 0, 0, ms, 0};
        server.received(1, ping, sizeof ping, true);
        pollRemote();
    }
    switchScene(0);
    EXPECT_NE(store.log.find("the phone's round trip: median 9 ms, 99th percentile 30 ms, of 3 "
                             "in the last minute\n"),
              std::string::npos)
        << store.log;
    network = SystemNetwork;
}

TEST_F(RememberedTest, AGameThatOutranksUsIsSaidOnTheScreenAndInTheLog) {
    systemInput.foregroundOutranksUs = [] { return outranked; };
    outranked = false;
    start("--output sendinput --keys 2C,2D,2E,2F,30,31,32,10,11,1D,2A");
    updateController();
    EXPECT_STREQ(gameNotice, "");
    outranked = true;
    updateController();
    updateController();
    EXPECT_STREQ(gameNotice, GameOutranksNotice);
    const size_t said = store.log.find(GameOutranksNotice);
    ASSERT_NE(said, std::string::npos) << store.log;
    EXPECT_EQ(store.log.find(GameOutranksNotice, said + 1), std::string::npos); // once
    outranked = false;
    updateController();
    EXPECT_STREQ(gameNotice, "");
    resetSystemInput();
}

TEST_F(RememberedTest, AGuardReplacedUnderTheProgramIsSaidInTheLogOnceEachTime) {
    saved(std::string("version 1\n") + Keys);
    start("");
    updateController();
    EXPECT_EQ(store.log.find(GuardRestartNotice), std::string::npos);
    noteGuardRestart();
    updateController();
    updateController();
    const size_t said = store.log.find(GuardRestartNotice);
    ASSERT_NE(said, std::string::npos) << store.log;
    EXPECT_EQ(store.log.find(GuardRestartNotice, said + 1), std::string::npos);
    noteGuardRestart();
    updateController();
    EXPECT_NE(store.log.find(GuardRestartNotice, said + 1), std::string::npos);
}

// Display numbers change as monitors come and go: the monitor is found by
// its own device name, and full screen never opens over another monitor
// that got the remembered number.
TEST_F(RememberedTest, TheScreenIsTheRememberedMonitorByItsOwnNameNotItsNumber) {
    const MonitorArea left = {{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}};
    const MonitorArea right = {{0, 0, 2560, 1440}, {0, 0, 2560, 1400}};
    const struct {
        const char* what;
        const char* screenLine;
        std::map<std::string, std::string> devices; // display name: device
        bool onMonitor;
        int32_t left;
    } cases[] = {
        {"the same monitor under another number",
         "screen \\\\.\\DISPLAY1 fullscreen DEV-A\n",
         {{"\\\\.\\DISPLAY1", "DEV-B"}, {"\\\\.\\DISPLAY2", "DEV-A"}},
         true,
         0},
        {"the monitor is gone, another has its number",
         "screen \\\\.\\DISPLAY1 fullscreen DEV-A\n",
         {{"\\\\.\\DISPLAY1", "DEV-B"}, {"\\\\.\\DISPLAY2", "DEV-C"}},
         false,
         0},
        {"a monitor that is gone", "screen \\\\.\\DISPLAY7 fullscreen\n", {}, false, 0},
        {"an older file: by the number",
         "screen \\\\.\\DISPLAY1 fullscreen\n",
         {{"\\\\.\\DISPLAY1", "DEV-B"}},
         true,
         -1920},
    };
    for (const auto& c : cases) {
        resetController();
        fakePlatform.monitors = {{"\\\\.\\DISPLAY1", left}, {"\\\\.\\DISPLAY2", right}};
        fakePlatform.monitorDevices = c.devices;
        saved(std::string("version 1\n") + Keys + c.screenLine);
        start("");
        const StartScreen screen = rememberedStartScreen();
        EXPECT_EQ(screen.onMonitor, c.onMonitor) << c.what;
        EXPECT_EQ(screen.fullScreen, c.onMonitor) << c.what;
        if (c.onMonitor) {
            EXPECT_EQ(screen.monitor.whole.left, c.left) << c.what;
        }
        switchScene(0);
    }
    // The window's monitor is saved with its device name, and found by it.
    resetController();
    fakePlatform.monitors = {{"\\\\.\\DISPLAY1", left}, {"\\\\.\\DISPLAY2", right}};
    fakePlatform.monitorDevices = {{"\\\\.\\DISPLAY2", "DEV-A"}};
    fakePlatform.windowMonitor = "\\\\.\\DISPLAY2";
    saved(std::string("version 1\n") + Keys);
    start("");
    fullScreen = 1;
    switchScene(0);
    EXPECT_NE(store.file.find("screen \\\\.\\DISPLAY2 fullscreen DEV-A\n"), std::string::npos)
        << store.file;
    fakePlatform.monitorDevices = {{"\\\\.\\DISPLAY1", "DEV-A"}};
    resetController();
    start("");
    EXPECT_EQ(rememberedStartScreen().monitor.whole.left, -1920);
    switchScene(0);
}

TEST_F(RememberedTest, ABadFileIsNotUsedAndOnlyAWholeNewOneReplacesIt) {
    for (const SettingsRead read : {SettingsFound, SettingsUnreadable}) {
        resetController();
        store.writes = 0;
        saved("version 1\nkeys 2C 2D\nscreen \\\\.\\DISPLAY1 fullscreen\n");
        store.read = read;
        start("");
        EXPECT_EQ(controllerMode, AssignKeys);
        EXPECT_EQ(KeyScancodes[0], 0x2C);
        EXPECT_FALSE(rememberedStartScreen().onMonitor);
        EXPECT_NE(std::string(settingsNotice).find("are not used"), std::string::npos)
            << settingsNotice;
        switchScene(0); // closed during the assignment: the bad file stays
        EXPECT_EQ(store.writes, 0);
    }
    start("");
    assignKeysFrom(0x20);
    EXPECT_EQ(store.writes, 1);
    EXPECT_NE(store.file.find("keys default 20 21"), std::string::npos);
}

TEST_F(RememberedTest, KeysGivenAreNotSavedAndAssignAsksAgain) {
    saved(std::string("version 1\n") + Keys);
    start("--keys 01,02,03,04,05,06,07,08,09,0A,0B");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[0], 0x01);
    EXPECT_STREQ(settingsNotice, "keys from --keys, for this run only");
    switchScene(0);
    // The screen is saved beside the saved keys, which stay as they were.
    EXPECT_NE(store.file.find("keys default 2C 2D"), std::string::npos);

    resetController();
    start("--assign");
    EXPECT_EQ(controllerMode, AssignKeys);
    assignKeysFrom(0x30);
    EXPECT_NE(store.file.find("keys default 30 31"), std::string::npos);
}

TEST_F(RememberedTest, KeysThatCannotBeSavedAreSaidSo) {
    store.writable = false;
    start("");
    assignKeysFrom(0x10);
    EXPECT_NE(std::string(settingsNotice).find("could not be saved"), std::string::npos)
        << settingsNotice;
    EXPECT_EQ(controllerMode, Play);
}

} // namespace

namespace {

struct Attempts {
    std::vector<uint32_t> answers; // the error of each attempt; 0 once it is done
    size_t made = 0;
    uint32_t paused = 0;
};
Attempts attempts;

TEST(SettingsReplace, AFileHeldForAMomentIsReplacedAfterAllAndOtherErrorsAtOnce) {
    const struct {
        std::vector<uint32_t> answers;
        uint32_t result;
        size_t made;
    } cases[] = {
        {{0}, 0, 1},
        {{32, 32, 5, 33, 0}, 0, 5}, // a scanner held it: waited out
        {{3}, 3, 1},                // the folder is gone: no waiting
        {{32, 3}, 3, 2},
        {std::vector<uint32_t>(40, 32), 32, 11}, // held for good: about half a second
    };
    for (const auto& c : cases) {
        attempts = Attempts{c.answers};
        const uint32_t result = replaceWithRetries(
            [](void*) {
                const uint32_t answer = attempts.answers[attempts.made];
                ++attempts.made;
                return answer;
            },
            nullptr, [](uint32_t ms) { attempts.paused += ms; });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(attempts.made, c.made);
        EXPECT_EQ(attempts.paused, (c.made - 1) * ReplaceRetryStepMs);
    }
}

} // namespace

// A layout file's path of the longest length that is kept, and one past it,
// on the command line and in the saved file.
TEST(LayoutPaths, TheLongestPathIsTakenAndOnePastItRefused) {
    const std::string longest = "C:\\" + std::string(LayoutPathSize - 1 - 9, 'a') + "\\x.txt";
    ASSERT_EQ(longest.size(), LayoutPathSize - 1);
    const std::string tooLong = longest + "t";
    LaunchOptions options;
    char problem[LaunchProblemSize] = "";
    EXPECT_TRUE(
        parseLaunchOptions(("--layout " + longest).c_str(), options, problem, sizeof problem))
        << problem;
    EXPECT_EQ(std::string(options.layout), longest);
    LaunchOptions refused;
    EXPECT_FALSE(
        parseLaunchOptions(("--layout " + tooLong).c_str(), refused, problem, sizeof problem));
    SavedSettings settings;
    const std::string head = std::string("version 2\nkeys default 2C\nlayout file ");
    EXPECT_TRUE(parseSavedSettings(head + longest + "\n", settings, problem, sizeof problem))
        << problem;
    EXPECT_EQ(std::string(settings.layout), longest);
    EXPECT_FALSE(parseSavedSettings(head + tooLong + "\n", settings, problem, sizeof problem));
    EXPECT_NE(std::string(problem).find("line 3"), std::string::npos) << problem;
}
