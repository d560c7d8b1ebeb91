// Long random runs of touch messages through the touch table, the pads and the
// scratch. After every frame the keys held on the output side (as the fake
// driver saw the strokes) must match the controller's own flags and the
// fingers in the table, and no key may stay held once the scene is left.
#include "base/logical_scale.h"
#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "engine/actions.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "support/controller_fixture.h"
#include "support/held_key_mirror.h"

#include <cstdio>
#include <deque>
#include <map>
#include <string>

namespace {

// SplitMix64: the same numbers from a seed with every compiler and library.
struct Random {
    uint64_t state;

    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int32_t below(int32_t n) { return static_cast<int32_t>(next() % static_cast<uint64_t>(n)); }
    int32_t between(int32_t low, int32_t high) { return low + below(high - low + 1); }
    bool chance(int32_t percent) { return below(100) < percent; }
};

// One coordinate against the span [low, high]: inside, on a border, one past
// a border, or anywhere on or off the screen.
int32_t coordinate(Random& random, int32_t low, int32_t high, int32_t screen) {
    switch (random.below(6)) {
    case 0:
        return low;
    case 1:
        return high;
    case 2:
        return random.chance(50) ? low - 1 : high + 1;
    case 3:
        return random.between(-2 * screen, 3 * screen);
    default:
        return random.between(low, high);
    }
}

// A raw record coordinate (hundredths of a screen pixel) for a logical one;
// sometimes an extreme that no screen gives.
int32_t rawCoordinate(Random& random, int32_t logical) {
    if (random.chance(1)) {
        const int32_t extremes[] = {INT32_MIN, INT32_MAX, -99, 99, -100000000, 100000000};
        return extremes[random.below(6)];
    }
    const int32_t hundredths = random.below(100);
    return logical * 100 + (logical < 0 ? -hundredths : hundredths);
}

// liftPercent: the share of records that are plain lifts.
TouchRecord randomRecord(Random& random, int32_t liftPercent) {
    const int32_t target = random.below(12); // 0-8 a pad, 9-10 the disc, 11 the screen
    Region r = {0, 0, LogicalWidth - 1, LogicalHeight - 1};
    if (target < PadCount) {
        r = padRegion(target);
    } else if (target < 11) {
        r = discRegion(0);
    }
    const int32_t x = coordinate(random, r.left, r.right, LogicalWidth);
    const int32_t y = coordinate(random, r.top, r.bottom, LogicalHeight);

    uint32_t id = 0;
    const int32_t kind = random.below(10);
    if (kind < 2) {
        id = 0;
    } else if (kind < 9) {
        id = static_cast<uint32_t>(random.between(1, 13));
    } else {
        // Large ids from a small pool, so that they come back and get lifted.
        const uint32_t large[] = {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 65536u};
        id = large[random.below(4)];
    }
    const uint32_t touchFlags[] = {TouchFlagMove, TouchFlagMove, TouchFlagDown, 0};
    uint32_t flags = static_cast<uint32_t>(random.below(8)); // any combination
    if (random.chance(liftPercent)) {
        flags = TouchFlagUp;
    } else if (random.chance(70)) {
        flags = touchFlags[random.below(4)];
    }
    if (random.chance(10)) {
        flags |= static_cast<uint32_t>(random.next()) & 0xFFF8u; // flags the table ignores
    }
    return {rawCoordinate(random, x), rawCoordinate(random, y), id, flags};
}

std::string describe(const TouchRecord& r) {
    char text[80];
    std::snprintf(text, sizeof text, "{%d, %d, %u, 0x%X}", r.x, r.y, r.id, r.flags);
    return text;
}

class ControllerInvariantsTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        startRun();
    }

    // Program start, the scene entered and in play, no stroke sent.
    void startRun() {
        resetTouchTable();
        resetController();
        installFakeInterception();
        fakePlatform.client = WinRect{0, 0, 1280, 720};
        enterPlay();
        mirror = HeldKeyMirror{};
        history.clear();
        liftPercent = 35;
    }

    // Eleven distinct keys, some with a negative byte or a prefix: pads 0 to
    // 8, then clockwise and counter-clockwise.
    static void randomDistinctKeys(Random& random, int8_t codes[11], unsigned short prefixes[11]) {
        std::map<uint32_t, bool> used;
        for (int32_t i = 0; i < PadCount + ScratchKeyCount; ++i) {
            do {
                codes[i] = static_cast<int8_t>(random.below(256));
                const unsigned short choices[] = {0, 0, KeyStateE0, KeyStateE1};
                prefixes[i] = choices[random.below(4)];
            } while (used[heldKeyName(codes[i], prefixes[i])]);
            used[heldKeyName(codes[i], prefixes[i])] = true;
        }
    }

    static void assignRandomKeys(Random& random) {
        int8_t codes[11];
        unsigned short prefixes[11];
        randomDistinctKeys(random, codes, prefixes);
        for (int32_t i = 0; i < PadCount; ++i) {
            KeyScancodes[i] = codes[i];
            KeyPrefixes[i] = prefixes[i];
        }
        for (int32_t i = 0; i < ScratchKeyCount; ++i) {
            ScratchScancodes[i] = codes[PadCount + i];
            ScratchPrefixes[i] = prefixes[PadCount + i];
        }
    }

    // One pass: up to three messages of 0 to 15 points, then the update.
    void runFrame(Random& random, bool resizeWindow) {
        fileRandomMessages(random, resizeWindow);
        windowActive = random.chance(50) ? 1 : 0;
        ActionMap[ActionEnter].pressed = random.chance(1) ? 1 : 0;
        updateController();
    }

    // What the window procedure files between two updates.
    void fileRandomMessages(Random& random, bool resizeWindow) {
        // Busy and calm stretches: from a full table to an empty one.
        if (random.chance(2)) {
            const int32_t shares[] = {10, 35, 60, 90};
            liftPercent = shares[random.below(4)];
        }
        std::string text;
        const int32_t messages = random.chance(30) ? 0 : random.between(1, 3);
        for (int32_t m = 0; m < messages; ++m) {
            TouchRecord records[15];
            const int32_t count = random.chance(80) ? random.below(4) : random.below(16);
            for (int32_t i = 0; i < count; ++i) {
                records[i] = randomRecord(random, liftPercent);
                if (i > 0 && random.chance(15)) {
                    records[i].id = records[random.below(i)].id; // a repeated id
                }
                text += (i == 0 ? "[" : ", ") + describe(records[i]);
            }
            text += count == 0 ? "[]" : "]";
            fileTouchRecords(nullptr, records, count);
        }
        if (resizeWindow && random.chance(2)) {
            const WinRect sizes[] = {{0, 0, 1280, 720},
                                     {0, 0, 640, 360},
                                     {0, 0, 1920, 1080},
                                     {0, 0, 0, 0},
                                     {0, 0, 1, 1}};
            fakePlatform.client = sizes[random.below(5)];
        }
        history.push_back(text);
        if (history.size() > 4) {
            history.pop_front();
        }
    }

    std::string where(uint64_t seed, int32_t frame) const {
        std::string text = "seed " + std::to_string(seed) + ", frame " + std::to_string(frame) +
                           "; last messages, oldest first:";
        for (const std::string& line : history) {
            text += "\n  " + line;
        }
        return text;
    }

    // A run of frames, then the scene left: no key may stay held.
    void playAndLeave(Random& random, uint64_t seed, int32_t frames, bool randomKeys) {
        for (int32_t frame = 0; frame < frames; ++frame) {
            runFrame(random, randomKeys);
            const std::string broken = brokenPlayRule(mirror);
            ASSERT_EQ(broken, "") << where(seed, frame);
        }
        leaveController();
        ASSERT_EQ(brokenReleaseRule(mirror), "") << "after leaving; " << where(seed, frames);
    }

    HeldKeyMirror mirror;
    int32_t liftPercent = 35;
    std::deque<std::string> history;
};

// Long runs with the default keys, then with assigned prefixed keys and the
// window resized; then many short runs of random lengths, every other one
// with assigned keys. Each ends by leaving the scene.
TEST_F(ControllerInvariantsTest, LongAndShortRunsEachEndedByLeavingTheScene) {
    const struct {
        uint64_t first, last;
        int32_t frames; // 0: from 1 to 40
    } runs[] = {{1, 5, 4000}, {101, 103, 4000}, {1000, 1399, 0}};
    Random lengths{7};
    for (const auto& run : runs) {
        for (uint64_t seed = run.first; seed <= run.last; ++seed) {
            startRun();
            const bool randomKeys = run.frames == 0 ? seed % 2 == 0 : seed > 100;
            Random random{seed};
            if (randomKeys) {
                assignRandomKeys(random);
            }
            playAndLeave(random, seed, run.frames != 0 ? run.frames : lengths.between(1, 40),
                         randomKeys);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

// Fingers come and go while key assignment waits for each key: the only
// strokes are the captured presses passed on, and play then starts with
// nothing held and keeps every rule from its first frame.
TEST_F(ControllerInvariantsTest, FingersDuringKeyAssignmentThenPlay) {
    for (uint64_t seed : {201u, 202u, 203u, 204u}) {
        startRun();
        controllerMode = AssignKeys;
        Random random{seed};
        int8_t codes[11];
        unsigned short prefixes[11];
        randomDistinctKeys(random, codes, prefixes);
        for (int32_t step = 0; step < 11; ++step) {
            scriptKeyPress(1 + step % 3, static_cast<uint8_t>(codes[step]), prefixes[step]);
        }
        fakeInterception.onWait = [&] { fileRandomMessages(random, false); };
        updateController();
        fakeInterception.onWait = nullptr;
        ASSERT_EQ(controllerMode, Play);
        // Each press and release passed on (the last release as the filter
        // is cleared).
        ASSERT_EQ(fakeInterception.sent.size(), 22u) << "seed " << seed;
        for (int32_t step = 0; step < 11; ++step) {
            const FakeStroke& passed = fakeInterception.sent[static_cast<size_t>(2 * step)];
            EXPECT_EQ(passed.code, static_cast<uint8_t>(codes[step]));
            EXPECT_EQ(passed.state, prefixes[step]);
        }
        for (int32_t i = 0; i < PadCount; ++i) {
            ASSERT_EQ(PadPressed[i], 0);
            ASSERT_EQ(KeyScancodes[i], codes[i]);
            ASSERT_EQ(KeyPrefixes[i], prefixes[i]);
        }
        ASSERT_EQ(ScratchScancodes[1], codes[10]);
        mirror.seen = fakeInterception.sent.size(); // their releases never pass here
        playAndLeave(random, seed, 500, false);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ControllerInvariantsTest, TheSameSeedGivesTheSameStrokes) {
    Random first{42};
    for (int32_t frame = 0; frame < 500; ++frame) {
        runFrame(first, true);
    }
    const std::vector<std::string> once = strokes();
    ASSERT_FALSE(once.empty());
    startRun();
    Random second{42};
    for (int32_t frame = 0; frame < 500; ++frame) {
        runFrame(second, true);
    }
    EXPECT_EQ(strokes(), once);
}

} // namespace
