// The held record behind every stroke, the guard's release after the program
// died, and the accessibility hotkeys turned off for the session only.
#include "keyout/accessibility_keys.h"
#include "keyout/guard.h"
#include "keyout/held_record.h"
#include "keyout/keyboard_output.h"
#include "support/controller_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using HeldRecordTest = ControllerFixture;

TEST_F(HeldRecordTest, AKeyLeavesTheRecordOnlyWhenTheSystemSurelyTookItsBreak) {
    ASSERT_TRUE(openKeyboardOutput());
    EXPECT_EQ(heldRecord->output, DriverOutput);
    bool refuse = false;
    fakeInterception.onSend = [&refuse](const InterceptionKeyStroke& s) {
        return !refuse && s.code != 0x30; // the driver refuses 30 always
    };
    sendKey(0x2C, 1);
    sendKey(0x1D, 1, KeyStateE0);
    sendKey(0x30, 1); // refused: the game cannot hold it
    EXPECT_TRUE(keyHeldInRecord(*heldRecord, 0x2C, 0));
    EXPECT_TRUE(keyHeldInRecord(*heldRecord, 0x1D, KeyStateE0));
    EXPECT_FALSE(keyHeldInRecord(*heldRecord, 0x1D, 0)); // the plain key is another
    EXPECT_FALSE(keyHeldInRecord(*heldRecord, 0x30, 0));
    sendKey(0x30, 0); // a break of a key the game never got is owed nothing
    EXPECT_EQ(owedBreakCount(), 0);

    refuse = true;
    sendKey(0x2C, 0);
    EXPECT_TRUE(keyHeldInRecord(*heldRecord, 0x2C, 0)); // refused: the game may hold it
    EXPECT_EQ(owedBreakCount(), 1);
    refuse = false;
    sendKey(0x1D, 0, KeyStateE0);
    EXPECT_FALSE(keyHeldInRecord(*heldRecord, 0x1D, KeyStateE0));
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 1);
    EXPECT_EQ(heldRecord->keyboardDevice, 1);

    // A clean end is not marked while a key may be held: the guard goes on.
    markCleanExit();
    EXPECT_EQ(heldRecord->cleanExit, 0u);
    fakePlatform.time += OwedBreakRetryMs;
    EXPECT_EQ(retryOwedBreaks(), 0);
    EXPECT_EQ(keysHeldInRecord(*heldRecord), 0);
    markCleanExit();
    EXPECT_EQ(heldRecord->cleanExit, 1u);
}

struct Released {
    std::vector<std::string> strokes;
};

bool recordBreak(uint16_t code, unsigned short prefix, void* context) {
    static_cast<Released*>(context)->strokes.push_back(std::to_string(code) + "/" +
                                                       std::to_string(prefix));
    return true;
}

// The system's accessibility flags, as SystemParametersInfo keeps them.
uint32_t systemFlags[AccessibilityFeatureCount];
int32_t flagWrites = 0;

AccessibilityApi fakeAccessibility() {
    return AccessibilityApi{
        .getFlags =
            [](AccessibilityFeature f, uint32_t* flags) {
                *flags = systemFlags[f];
                return true;
            },
        .setFlags =
            [](AccessibilityFeature f, uint32_t flags) {
                systemFlags[f] = flags;
                ++flagWrites;
                return true;
            },
    };
}

TEST(Guard, AfterAnUncleanEndEveryHeldKeyAndNothingElseGoesUp) {
    HeldRecord record = {};
    record.magic = HeldRecordMagic;
    record.size = sizeof record;
    heldRecord = &record;
    noteKeyHeld(0x2C, 0, true);
    noteKeyHeld(0x1D, KeyStateE0, true);
    noteKeyHeld(0x1D, KeyStateE1, true);
    noteKeyHeld(0x11, 0, true);
    noteKeyHeld(0x11, 0, false); // let go before the end
    noteKeyHeld(0xFF, 0, true);
    resetHeldRecord();
    EXPECT_TRUE(isHeldRecord(record));
    record.accessibilityChanged[StickyKeys] = 1;
    record.accessibilityFlags[StickyKeys] = 0x1FE;
    systemFlags[StickyKeys] = 0x1F2;
    systemFlags[FilterKeys] = 0x7E;

    Released clean;
    record.cleanExit = 1;
    EXPECT_EQ(releaseAfterEnd(record, recordBreak, &clean, fakeAccessibility()), 0);
    EXPECT_TRUE(clean.strokes.empty());
    EXPECT_EQ(systemFlags[StickyKeys], 0x1F2u); // a clean end put it back itself

    Released died;
    record.cleanExit = 0;
    EXPECT_EQ(releaseAfterEnd(record, recordBreak, &died, fakeAccessibility()), 4);
    EXPECT_EQ(died.strokes, (std::vector<std::string>{"44/0", "255/0", "29/2", "29/4"}));
    EXPECT_EQ(systemFlags[StickyKeys], 0x1FEu);
    EXPECT_EQ(systemFlags[FilterKeys], 0x7Eu); // not changed, not touched
}

// The system refuses the first breaks (the screen is locked when the program
// dies); the guard sends them again until it takes them, and then stops.
TEST(Guard, BreaksTheSystemRefusedGoAgainUntilTaken) {
    static int32_t refusals;
    static std::vector<uint32_t> pauses;
    const struct {
        int32_t refusals;
        uint32_t cleanExit;
        int32_t pauses;
        int32_t released;
    } cases[] = {
        {0, 0, 0, 2},                  // taken at once: no wait
        {5, 0, 3, 2},                  // the first five refused: three more rounds
        {0, 1, 0, 0},                  // a clean end: nothing
        {1 << 30, 0, GuardRetries, 0}, // never taken: the guard gives up
    };
    for (const auto& c : cases) {
        HeldRecord record = {};
        record.magic = HeldRecordMagic;
        record.size = sizeof record;
        record.cleanExit = c.cleanExit;
        setKeyBit(record.held, 0x2C, 0, true);
        setKeyBit(record.held, 0x4D, KeyStateE0, true);
        refusals = c.refusals;
        pauses.clear();
        const int32_t released = releaseUntilTaken(
            record, [](uint16_t, unsigned short, void*) { return refusals-- <= 0; }, nullptr,
            fakeAccessibility(), [](uint32_t ms) { pauses.push_back(ms); });
        EXPECT_EQ(released, c.released) << c.refusals;
        EXPECT_EQ(static_cast<int32_t>(pauses.size()), c.pauses) << c.refusals;
        EXPECT_EQ(keysHeldInRecord(record), 2 - c.released) << c.refusals;
        if (!pauses.empty()) {
            EXPECT_EQ(pauses[0], GuardRetryMs);
        }
    }
}

TEST(Guard, ARecordFromElsewhereIsCheckedBeforeUse) {
    HeldRecord record = {};
    EXPECT_FALSE(isHeldRecord(record));
    record.magic = HeldRecordMagic;
    record.size = sizeof record - 1;
    EXPECT_FALSE(isHeldRecord(record));
}

class AccessibilityHotkeys : public ::testing::Test {
  protected:
    void SetUp() override {
        resetHeldRecord();
        accessibilityApi = fakeAccessibility();
        flagWrites = 0;
    }
    void TearDown() override {
        resetAccessibilityApi();
        resetHeldRecord();
    }
};

TEST_F(AccessibilityHotkeys, OnlyTheHotkeyOfAFeatureThatIsOffIsTurnedOffAndPutBack) {
    const struct {
        uint32_t before;
        uint32_t during;
    } cases[] = {
        {0x1FE, 0x1F2},    // Windows' default: hotkey and its question
        {HotkeyActive, 0}, // the hotkey alone
        {FeatureOn | HotkeyActive, FeatureOn | HotkeyActive}, // in use: left alone
        {0x1F0, 0x1F0},                                       // no hotkey: nothing to do
    };
    for (const auto& c : cases) {
        SetUp();
        for (uint32_t& flags : systemFlags) {
            flags = c.before;
        }
        turnOffAccessibilityHotkeys();
        turnOffAccessibilityHotkeys(); // once only: the flags before are kept
        for (uint32_t flags : systemFlags) {
            EXPECT_EQ(flags, c.during) << c.before;
        }
        restoreAccessibilityHotkeys();
        restoreAccessibilityHotkeys();
        for (uint32_t flags : systemFlags) {
            EXPECT_EQ(flags, c.before) << c.before;
        }
        EXPECT_EQ(flagWrites, c.before == c.during ? 0 : 6) << c.before;
    }
}

TEST_F(AccessibilityHotkeys, TheControllerTurnsThemOffWhileItRunsAndPutsThemBack) {
    for (const bool crash : {false, true}) {
        installFakePlatform();
        resetController();
        installFakeInterception();
        accessibilityApi = fakeAccessibility();
        for (uint32_t& flags : systemFlags) {
            flags = 0x1FE;
        }
        enterController();
        EXPECT_EQ(systemFlags[StickyKeys], 0x1F2u);
        // Kept where the guard reads it, for an end without a leave.
        EXPECT_EQ(heldRecord->accessibilityFlags[StickyKeys], 0x1FEu);
        if (crash) {
            releaseController();
        } else {
            leaveController();
        }
        EXPECT_EQ(systemFlags[StickyKeys], 0x1FEu) << crash;
        EXPECT_EQ(systemFlags[ToggleKeys], 0x1FEu) << crash;
        resetController();
    }
    resetPlatform();
}

} // namespace
