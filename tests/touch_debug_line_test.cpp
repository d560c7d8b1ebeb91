// The touch debug line against printf's own rendering of the same format.
#include "touch/touch_debug_line.h"

#include "graphics/bitmap_font.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string printfLine(int32_t index, int32_t id, uint32_t flags, int32_t x, int32_t y) {
    char text[128];
    std::snprintf(text, sizeof text, "[%d][%d][%x] %d %d", index, id, flags, x, y);
    return text;
}

std::string ownLine(int32_t index, int32_t id, uint32_t flags, int32_t x, int32_t y) {
    char text[128];
    const size_t length = writeTouchDebugLine(text, sizeof text, index, id, flags, x, y);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

TEST(TouchDebugLine, MatchesPrintfAtTheEdgesOfEveryField) {
    const int32_t edges[] = {0, 1, -1, 9, 10, -10, 99, 100, 51230, INT_MAX, INT_MIN, INT_MIN + 1};
    const uint32_t flagEdges[] = {0u,   1u,    2u,   4u,          0xau,
                                  0xfu, 0x10u, 0x7u, 0xffffffffu, 0x80000000u};
    for (int32_t value : edges) {
        for (uint32_t flags : flagEdges) {
            EXPECT_EQ(ownLine(value, value, flags, value, -value - 1),
                      printfLine(value, value, flags, value, -value - 1));
        }
    }
}

TEST(TouchDebugLine, MatchesPrintfOnRandomPoints) {
    std::mt19937 random(20261207u);
    for (int i = 0; i < 20000; ++i) {
        const auto index = static_cast<int32_t>(random() % 10);
        const auto id = static_cast<int32_t>(random());
        const auto flags = static_cast<uint32_t>(random());
        const auto x = static_cast<int32_t>(random());
        const auto y = static_cast<int32_t>(random() >> (random() % 32));
        ASSERT_EQ(ownLine(index, id, flags, x, y), printfLine(index, id, flags, x, y));
    }
}

TEST(TouchDebugLine, LongestLineFitsItsBound) {
    char text[TouchDebugLineMaxLength + 1];
    EXPECT_EQ(
        writeTouchDebugLine(text, sizeof text, INT_MIN, INT_MIN, 0xffffffffu, INT_MIN, INT_MIN),
        TouchDebugLineMaxLength);
    EXPECT_EQ(std::strlen(text), TouchDebugLineMaxLength);
}

TEST(TouchDebugLine, ShortBufferIsCutAndTerminated) {
    char text[8];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(writeTouchDebugLine(text, 6, 3, 7, 2, 51230, 30012), 21u);
    EXPECT_STREQ(text, "[3][7");
    EXPECT_EQ(text[6], 'x');
    EXPECT_EQ(writeTouchDebugLine(text, 1, 3, 7, 2, 1, 1), 13u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(writeTouchDebugLine(text, 0, 3, 7, 2, 1, 1), 13u);
    EXPECT_EQ(writeTouchDebugLine(nullptr, 0, 3, 7, 2, 1, 1), 13u);
}

// The raster canvas's font: only g, j, p, q and y drop below the line.
TEST(RasterFont, OnlyTheLettersWithTailsAreDrawnLower) {
    for (int c = 0x20; c < 0x7F; ++c) {
        const bool tail = std::strchr("gjpqy", c) != nullptr;
        EXPECT_EQ(glyphFor(static_cast<unsigned char>(c)).descender, tail) << char(c);
    }
    EXPECT_FALSE(glyphFor(0x7F).descender);
    // Every printable character has a glyph of its own; the rest share the box.
    const Glyph& box = glyphFor(0x7F);
    EXPECT_EQ(&glyphFor(0x1F), &box);
    EXPECT_NE(&glyphFor('~'), &box);
    EXPECT_NE(&glyphFor(' '), &box);
}

} // namespace
