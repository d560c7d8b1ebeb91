// Bounded text formatting and the two sound calls.
#include "base/format_text.h"
#include "engine/sound.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FormatText, PlainFormatIsCopiedWithItsTerminator) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(formatText(buffer, "abc"), 3);
    EXPECT_EQ(std::memcmp(buffer, "abc\0", 4), 0);
    EXPECT_EQ(buffer[4], 'x');
}

TEST(FormatText, NeverWritesPastTheBuffer) {
    struct {
        char buffer[8];
        char guard[8];
    } s;
    std::memset(&s, 'g', sizeof s);
    EXPECT_EQ(formatText(s.buffer, "%s", "a text far longer than eight"), 28);
    EXPECT_STREQ(s.buffer, "a text ");
    for (char c : s.guard) {
        EXPECT_EQ(c, 'g');
    }
}

class Sound : public ::testing::Test {
  protected:
    void SetUp() override { installFakePlatform(); }
    void TearDown() override { resetPlatform(); }
};

TEST_F(Sound, ResourceAndFileFlags) {
    playSoundResource(101);
    playSoundFile("hit.wav");
    ASSERT_EQ(fakePlatform.sounds.size(), 2u);
    EXPECT_EQ(fakePlatform.sounds[0].first, "#101");
    EXPECT_EQ(fakePlatform.sounds[0].second, 0x00040005u);
    EXPECT_EQ(fakePlatform.sounds[1].first, "hit.wav");
    EXPECT_EQ(fakePlatform.sounds[1].second, 0x00020001u);
}

} // namespace
