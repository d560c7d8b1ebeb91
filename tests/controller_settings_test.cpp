// The command line, the saved settings file, and what Padrelle remembers from
// one run to the next.
#include "controller/controller_scene.h"
#include "controller/launch_options.h"
#include "controller/play_mode.h"
#include "controller/remembered.h"
#include "controller/saved_settings.h"
#include "controller/settings_store.h"
#include "engine/engine.h"
#include "engine/win_constants.h"
#include "engine/window_proc.h"
#include "keyout/sendinput_output.h"
#include "support/controller_fixture.h"

#include <cstring>
#include <string>

namespace {

std::string keyList(const KeySet& keys) {
    char text[128];
    writeKeyList(keys, text, sizeof text);
    return text;
}

TEST(LaunchOptions, WhatIsTakenAndWhatIsRefused) {
    const struct {
        const char* line;
        bool taken;
        const char* said; // taken: "output assign keys"; refused: part of the message
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
        {"--guard 12", false, "--guard is started by padrelle.exe itself."},
        {"--guard 12 3x", false, "--guard is started by padrelle.exe itself."},
        {"--guard 0 34", false, "--guard is started by padrelle.exe itself."},
        {"--guard 12 34 --assign", false, "--guard is started by padrelle.exe itself."},
        {"--assign --guard 12 34", false, "Unknown option \"--guard\"."},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        char problem[1024] = "x";
        const bool taken = parseLaunchOptions(c.line, options, problem, sizeof problem);
        ASSERT_EQ(taken, c.taken) << c.line << ": " << problem;
        if (taken) {
            const std::string keys = options.keysGiven ? keyList(options.keys) : "-";
            EXPECT_EQ(std::to_string(options.output) + " " + std::to_string(options.assign) + " " +
                          keys,
                      c.said)
                << c.line;
            EXPECT_STREQ(problem, "");
        } else {
            EXPECT_NE(std::strstr(problem, c.said), nullptr) << c.line << ": " << problem;
            EXPECT_NE(std::strstr(problem, LaunchUsage), nullptr) << c.line;
        }
    }
    LaunchOptions options;
    char problem[1024];
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
    EXPECT_EQ(std::strstr(LaunchUsage, "--guard"), nullptr); // not the player's option
}

constexpr const char* Keys = "keys 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A\n";

TEST(SavedSettings, WholeFilesOrNothing) {
    const struct {
        std::string text;
        const char* result; // the keys and the screen taken, or the problem
    } cases[] = {
        {std::string("version 1\n") + Keys, "2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A|"},
        {std::string("# a comment\n\n  version 1  \r\n") + Keys +
             "screen \\\\.\\DISPLAY2 fullscreen",
         "2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A|\\\\.\\DISPLAY2 1"},
        {std::string("version 1\nscreen M window\n") + Keys,
         "2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A|M 0"},
        {"", "line 1: the file does not begin with \"version 1\""},
        {"version 1\n", "line 2: the keys are missing"},
        {"version 2\n", "line 1: the file does not begin"},
        {std::string(Keys), "line 1: the file does not begin"},
        {"version 1\nkeys 2C 2D 2E\n", "line 2: 3 keys instead of 11"},
        {std::string("version 1\n") + Keys + Keys, "line 3: the keys come twice"},
        {std::string("version 1\n") + Keys + "screen A window\nscreen A window\n",
         "line 4: the screen comes twice"},
        {std::string("version 1\n") + Keys + "screen A sideways\n", "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen\n", "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "screen " + std::string(32, 'M') + " window\n",
         "line 3: the screen is not"},
        {std::string("version 1\n") + Keys + "volume 11\n",
         "line 3: this is neither keys nor screen"},
        {std::string("version 1\n") + Keys + std::string(1, '\0'), "the file holds a zero byte"},
        {std::string("version 1\n") + Keys + std::string(5000, '#'),
         "the file is longer than 4096 bytes"},
    };
    for (const auto& c : cases) {
        SavedSettings settings;
        char problem[256] = "";
        std::string result;
        if (parseSavedSettings(c.text, settings, problem, sizeof problem)) {
            result = keyList(settings.keys) + "|";
            if (settings.hasScreen) {
                result += std::string(settings.screen.monitor) + " " +
                          std::to_string(settings.screen.fullScreen);
            }
        } else {
            result = problem;
        }
        EXPECT_EQ(result.rfind(c.result, 0), 0u) << c.text << " gave: " << result;
    }
}

TEST(SavedSettings, WrittenFilesAreReadBackTheSame) {
    SavedSettings settings = {};
    settings.keys = defaultKeys();
    settings.keys.keys[9] = AssignedKey{0x1D, KeyStateE1};
    settings.hasScreen = true;
    std::strcpy(settings.screen.monitor, "\\\\.\\DISPLAY3");
    settings.screen.fullScreen = true;
    char text[SavedSettingsMaxBytes];
    const size_t length = writeSavedSettings(settings, text, sizeof text);
    ASSERT_GT(length, 0u);
    SavedSettings read;
    char problem[128];
    ASSERT_TRUE(parseSavedSettings(std::string_view(text, length), read, problem, sizeof problem))
        << problem;
    EXPECT_EQ(keyList(read.keys), "2C 2D 2E 2F 30 31 32 10 11 e1:1D 2A");
    EXPECT_STREQ(read.screen.monitor, "\\\\.\\DISPLAY3");
    EXPECT_TRUE(read.screen.fullScreen);
    EXPECT_EQ(writeSavedSettings(settings, text, 40), 0u); // too small: nothing half
    char list[11];
    writeKeyList(settings.keys, list, sizeof list); // cut short, always terminated
    EXPECT_STREQ(list, "2C 2D 2E 2");
}

// The saved file and the log in memory.
struct FakeStore {
    SettingsRead read = SettingsMissing;
    std::string file;
    bool writable = true;
    int writes = 0;
    std::string log;
};
FakeStore store;

class RememberedTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        store = FakeStore{};
        settingsStore = SettingsStore{
            .read =
                [](char* buffer, size_t size, size_t* length) {
                    *length = std::min(size, store.file.size());
                    std::memcpy(buffer, store.file.data(), *length);
                    return store.read;
                },
            .write =
                [](const char* text, size_t length, uint32_t* error) {
                    *error = store.writable ? 0 : 5;
                    if (store.writable) {
                        store.file.assign(text, length);
                        store.read = SettingsFound;
                        ++store.writes;
                    }
                    return store.writable;
                },
            .writeLog = [](const char* text, size_t length) { store.log.assign(text, length); },
            .appendLog = [](const char* text, size_t length) { store.log.append(text, length); },
        };
    }
    void TearDown() override {
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
        switchScene(1);
    }
    static void assignKeysFrom(uint16_t first) {
        for (uint16_t i = 0; i < 11; ++i) {
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
    EXPECT_NE(
        store.file.find("keys 10 11 12 13 14 15 16 17 18 19 1A\nscreen \\\\.\\DISPLAY1 window"),
        std::string::npos)
        << store.file;
    EXPECT_NE(store.log.find("keys in use: 10 11 12"), std::string::npos) << store.log;
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

TEST_F(RememberedTest, TheScreenIsSavedAtTheSessionsEndToo) {
    saved(std::string("version 1\n") + Keys);
    start("");
    fullScreen = 1;
    mainWindowMessage(nullptr, win::WM_ENDSESSION, 1, 0);
    EXPECT_NE(store.file.find("screen \\\\.\\DISPLAY1 fullscreen"), std::string::npos)
        << store.file;
}

bool outranked = false;

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

TEST_F(RememberedTest, AMonitorThatIsGoneGivesTheCentredWindow) {
    saved(std::string("version 1\n") + Keys + "screen \\\\.\\DISPLAY7 fullscreen\n");
    start("");
    const StartScreen screen = rememberedStartScreen();
    EXPECT_FALSE(screen.onMonitor);
    EXPECT_FALSE(screen.fullScreen);
    EXPECT_EQ(controllerMode, Play); // the keys are good all the same
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
    EXPECT_NE(store.file.find("keys 20 21"), std::string::npos);
}

TEST_F(RememberedTest, KeysGivenAreNotSavedAndAssignAsksAgain) {
    saved(std::string("version 1\n") + Keys);
    start("--keys 01,02,03,04,05,06,07,08,09,0A,0B");
    EXPECT_EQ(controllerMode, Play);
    EXPECT_EQ(KeyScancodes[0], 0x01);
    EXPECT_STREQ(settingsNotice, "keys from --keys, for this run only");
    switchScene(0);
    // The screen is saved beside the saved keys, which stay as they were.
    EXPECT_NE(store.file.find("keys 2C 2D"), std::string::npos);

    resetController();
    start("--assign");
    EXPECT_EQ(controllerMode, AssignKeys);
    assignKeysFrom(0x30);
    EXPECT_NE(store.file.find("keys 30 31"), std::string::npos);
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
