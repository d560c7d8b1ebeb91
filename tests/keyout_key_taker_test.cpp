// The keys a capture takes from a keyboard's strokes.
#include "keyout/key_taker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Stroke {
    uint16_t code;
    unsigned short state;
    uint32_t atMs;
};

TEST(KeyTaker, EachKeyOnceAndOnlyAfterTheOneBeforeCameUp) {
    constexpr unsigned short Up = KeyStateUp;
    constexpr unsigned short E0 = KeyStateE0;
    constexpr unsigned short E1 = KeyStateE1;
    const struct {
        const char* what;
        std::vector<Stroke> strokes;
        std::vector<std::string> taken; // "code/prefix"
    } cases[] = {
        {"two taps", {{0x1E, 0, 0}, {0x1E, Up, 50}, {0x1F, 0, 90}}, {"30/0", "31/0"}},
        {"held past the repeat delay",
         {{0x1E, 0, 0}, {0x1E, 0, 500}, {0x1E, 0, 533}, {0x1E, Up, 600}, {0x1E, 0, 700}},
         {"30/0", "30/0"}},
        {"a second key while the first is down",
         {{0x1E, 0, 0}, {0x1F, 0, 10}, {0x1F, Up, 20}, {0x1E, Up, 30}, {0x20, 0, 40}},
         {"30/0", "32/0"}},
        {"the plain key's break is not the E0 key's",
         {{0x1D, E0, 0}, {0x1D, Up, 10}, {0x1E, 0, 20}},
         {"29/2"}},
        {"fake shifts around Home",
         {{0x2A, E0, 0},
          {0x47, E0, 0},
          {0x47, E0 | Up, 9},
          {0x2A, E0 | Up, 9},
          {0x36, E0, 20},
          {0x1E, 0, 30}},
         {"71/2", "30/0"}},
        {"the shifts themselves", {{0x2A, 0, 0}, {0x2A, Up, 9}, {0x36, 0, 20}}, {"42/0", "54/0"}},
        {"Pause is one key",
         {{0x1D, E1, 0}, {0x45, 0, 0}, {0x1D, E1 | Up, 9}, {0x45, Up, 9}, {0x45, 0, 30}},
         {"29/4", "69/0"}},
        {"a break missed, then silence",
         {{0x1E, 0, 0}, {0x1F, 0, TakerForgetMs - 1}, {0x20, 0, TakerForgetMs}},
         {"30/0", "32/0"}},
    };
    for (const auto& c : cases) {
        KeyTaker taker;
        std::vector<std::string> taken;
        for (const Stroke& s : c.strokes) {
            CapturedKey key = {};
            if (taker.take(s.code, s.state, s.atMs, &key)) {
                EXPECT_TRUE(key.captured) << c.what;
                taken.push_back(std::to_string(key.code) + "/" + std::to_string(key.prefix));
            }
        }
        EXPECT_EQ(taken, c.taken) << c.what;
    }
}

} // namespace
