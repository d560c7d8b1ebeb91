// Long random runs of touch messages through the touch table, the pads and the
// scratch. After every frame the keys held on the output side (as the fake
// driver saw the strokes) must match the controller's own flags and the
// fingers in the table, and no key may stay held once the scene is left.
#include "controller/controller_layout.h"
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "controller/scratch.h"
#include "engine/actions.h"
#include "engine/logical_scale.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "support/controller_fixture.h"

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

// A region of the logical screen, both borders inside.
struct Region {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

Region padRegion(int32_t pad) {
    const PadPlace& p = PadPlaces[pad];
    return {p.x, p.y, p.x + PadWidth, p.y + PadHeight};
}

constexpr Region DiscRegion = {DiscX, DiscY, DiscX + DiscSize, DiscY + DiscSize};

bool inRegion(int32_t x, int32_t y, const Region& r) {
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

// Whether a finger that is down lies on the region, read from the table.
bool fingerOn(const Region& r) {
    for (const TouchSlot& slot : TouchTable) {
        if (slot.down != 0 && inRegion(slot.x, slot.y, r)) {
            return true;
        }
    }
    return false;
}

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
        r = DiscRegion;
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

// A key on the output side: its 16-bit code and prefix bits.
uint32_t keyOf(int8_t scancode, unsigned short prefix) {
    const auto code = static_cast<uint16_t>(static_cast<int16_t>(scancode));
    return code | (static_cast<uint32_t>(prefix & KeyPrefixMask) << 16);
}

// Which keys the strokes sent so far hold down, and any stroke out of turn.
struct OutputMirror {
    std::map<uint32_t, bool> held;
    size_t seen = 0;
    std::string fault;

    void absorb() {
        for (; seen < fakeInterception.sent.size(); ++seen) {
            const FakeStroke& s = fakeInterception.sent[seen];
            const uint32_t key = s.code | (static_cast<uint32_t>(s.state & KeyPrefixMask) << 16);
            const bool make = (s.state & KeyStateUp) == 0;
            bool& isHeld = held[key];
            if (make == isHeld && fault.empty()) {
                char text[96];
                std::snprintf(text, sizeof text, "stroke %zu: %s of key 0x%X out of turn", seen,
                              make ? "make" : "break", key);
                fault = text;
            }
            isHeld = make;
        }
    }
    bool isHeld(int8_t scancode, unsigned short prefix) const {
        const auto found = held.find(keyOf(scancode, prefix));
        return found != held.end() && found->second;
    }
    int32_t heldCount() const {
        int32_t count = 0;
        for (const auto& entry : held) {
            count += entry.second ? 1 : 0;
        }
        return count;
    }
};

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
        mirror = OutputMirror{};
        history.clear();
        liftPercent = 35;
    }

    // Distinct keys for all eleven, some with a negative byte or a prefix.
    void assignRandomKeys(Random& random) {
        std::map<uint32_t, bool> used;
        auto pick = [&](int8_t& code, unsigned short& prefix) {
            do {
                code = static_cast<int8_t>(random.below(256));
                const unsigned short prefixes[] = {0, 0, KeyStateE0, KeyStateE1};
                prefix = prefixes[random.below(4)];
            } while (used[keyOf(code, prefix)]);
            used[keyOf(code, prefix)] = true;
        };
        for (int32_t i = 0; i < PadCount; ++i) {
            pick(KeyScancodes[i], KeyPrefixes[i]);
        }
        for (int32_t i = 0; i < ScratchKeyCount; ++i) {
            pick(ScratchScancodes[i], ScratchPrefixes[i]);
        }
    }

    // One pass: up to three messages of 0 to 15 points, then the update.
    void runFrame(Random& random, bool resizeWindow) {
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
        windowActive = random.chance(50) ? 1 : 0;
        ActionMap[ActionEnter].pressed = random.chance(1) ? 1 : 0;
        updateController();
        history.push_back(text);
        if (history.size() > 4) {
            history.pop_front();
        }
    }

    // Empty when every rule holds after this frame; otherwise what broke.
    std::string brokenRule() {
        mirror.absorb();
        if (!mirror.fault.empty()) {
            return mirror.fault;
        }
        int32_t expectedHeld = 0;
        for (int32_t i = 0; i < PadCount; ++i) {
            const bool held = mirror.isHeld(KeyScancodes[i], KeyPrefixes[i]);
            if (PadPressed[i] > 1 || (PadPressed[i] != 0) != held) {
                return "pad " + std::to_string(i) + " flag " + std::to_string(PadPressed[i]) +
                       " but its key " + (held ? "held" : "not held");
            }
            if ((PadPressed[i] != 0) != fingerOn(padRegion(i))) {
                return "pad " + std::to_string(i) + " flag does not follow the fingers";
            }
            expectedHeld += PadPressed[i];
        }
        bool scratchHeld[ScratchKeyCount];
        for (int32_t k = 0; k < ScratchKeyCount; ++k) {
            scratchHeld[k] = mirror.isHeld(ScratchScancodes[k], ScratchPrefixes[k]);
            if ((ScratchState.keyHeld[k] != 0) != scratchHeld[k]) {
                return "scratch key " + std::to_string(k) + " flag and output disagree";
            }
            expectedHeld += scratchHeld[k] ? 1 : 0;
        }
        if (scratchHeld[0] && scratchHeld[1]) {
            return "both scratch keys held";
        }
        if (!fingerOn(DiscRegion) && (scratchHeld[0] || scratchHeld[1])) {
            return "scratch key held with no finger on the disc";
        }
        if (mirror.heldCount() != expectedHeld) {
            return "a key is held that no pad or scratch flag accounts for";
        }
        return "";
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
    void runAndLeave(uint64_t seed, int32_t frames, bool randomKeys) {
        Random random{seed};
        if (randomKeys) {
            assignRandomKeys(random);
        }
        for (int32_t frame = 0; frame < frames; ++frame) {
            runFrame(random, randomKeys);
            const std::string broken = brokenRule();
            ASSERT_EQ(broken, "") << where(seed, frame);
        }
        leaveController();
        mirror.absorb();
        ASSERT_EQ(mirror.fault, "") << where(seed, frames);
        ASSERT_EQ(mirror.heldCount(), 0) << "held after leaving; " << where(seed, frames);
    }

    OutputMirror mirror;
    int32_t liftPercent = 35;
    std::deque<std::string> history;
};

TEST_F(ControllerInvariantsTest, LongRunsWithTheDefaultKeys) {
    for (uint64_t seed : {1u, 2u, 3u, 4u, 5u}) {
        startRun();
        runAndLeave(seed, 4000, false);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ControllerInvariantsTest, LongRunsWithAssignedPrefixedKeysAndWindowResizes) {
    for (uint64_t seed : {101u, 102u, 103u}) {
        startRun();
        runAndLeave(seed, 4000, true);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(ControllerInvariantsTest, ManyShortRunsEachEndedByLeavingTheScene) {
    Random lengths{7};
    for (uint64_t seed = 1000; seed < 1400; ++seed) {
        startRun();
        runAndLeave(seed, lengths.between(1, 40), seed % 2 == 0);
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
