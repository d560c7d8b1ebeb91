// The touch-trace format of padrelle-replay: what is read, and how the kinds
// of malformed line are named (the malformed traces in tests/replay name the
// rest through the tool itself).
#include "replay_trace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
    bool ok;
    Trace trace;
    TraceError error;
};

Parsed parse(const std::string& text) {
    Parsed result{false, Trace{}, TraceError{}};
    result.ok = parseTraceText(text, result.trace, result.error);
    return result;
}

const std::string ElevenKeys = "keys 2c 2d 2e 2f 30 31 32 10 11 1d 2a\n";

TEST(ReplayTrace, WhatIsRead) {
    const Parsed empty = parse("");
    ASSERT_TRUE(empty.ok);
    EXPECT_FALSE(empty.trace.hasKeys);
    EXPECT_EQ(empty.trace.clientWidth, 1280);
    EXPECT_EQ(empty.trace.clientHeight, 720);
    EXPECT_TRUE(empty.trace.steps.empty());

    // Comments and blank lines are skipped but counted; CR LF and tabs are
    // white space; points keep their order and their extremes.
    const Parsed parsed = parse("# header\n\n \t\nclient\t1 65535\r\npass # the first\n#pass\n"
                                "pass 7,2,51230,30012 4294967295,Ab,-150,-2147483648\r\nreturn\n"
                                "mouse down -32768 32767 pen\nmouse lost\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.trace.clientWidth, 1);
    EXPECT_EQ(parsed.trace.clientHeight, 65535);
    const std::vector<TraceStep>& steps = parsed.trace.steps;
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].kind, TracePass);
    EXPECT_EQ(steps[0].line, 5);
    EXPECT_TRUE(steps[0].points.empty());
    ASSERT_EQ(steps[1].points.size(), 2u);
    const TracePoint& first = steps[1].points[0];
    const TracePoint& second = steps[1].points[1];
    EXPECT_EQ(first.id, 7u);
    EXPECT_EQ(first.flags, 2u);
    EXPECT_EQ(first.x, 51230);
    EXPECT_EQ(first.y, 30012);
    EXPECT_EQ(second.id, 4294967295u);
    EXPECT_EQ(second.flags, 0xABu);
    EXPECT_EQ(second.x, -150);
    EXPECT_EQ(second.y, INT32_MIN);
    EXPECT_EQ(steps[2].kind, TraceReturn);
    EXPECT_EQ(steps[3].kind, TraceMouse);
    EXPECT_EQ(steps[3].mouse.action, MouseDown);
    EXPECT_EQ(steps[3].mouse.source, SourcePen);
    EXPECT_EQ(steps[3].mouse.x, -32768);
    EXPECT_EQ(steps[3].mouse.y, 32767);
    EXPECT_EQ(steps[4].mouse.action, MouseLost);

    const Parsed keys = parse("keys 1e 1F 2 e0:1C E0:38 e1:1d E1:45 ff 0 00 7f\npass\n");
    ASSERT_TRUE(keys.ok) << keys.error.message;
    const TraceKey* k = keys.trace.keys;
    EXPECT_TRUE(keys.trace.hasKeys);
    EXPECT_EQ(k[0].code, 0x1E);
    EXPECT_EQ(k[2].code, 0x02);
    EXPECT_EQ(k[3].prefix, TracePrefixE0);
    EXPECT_EQ(k[4].code, 0x38);
    EXPECT_EQ(k[5].prefix, TracePrefixE1);
    EXPECT_EQ(k[7].code, 0xFF);
    EXPECT_EQ(k[10].code, 0x7F);
    EXPECT_TRUE(parse("client 640 360\n" + ElevenKeys + "pass\n").ok);
}

TEST(ReplayTrace, RejectedLinesSayWhereAndWhy) {
    const std::string x60(60, 'x');
    const struct {
        std::string text;
        int32_t line;
        std::string message;
    } cases[] = {
        {"Pass\n", 1, "unknown command \"Pass\" (expected keys, client, pass, return or mouse)"},
        {x60 + "\n", 1,
         "unknown command \"" + std::string(40, 'x') +
             "...\" (expected keys, client, pass, return or mouse)"},
        {"a\x01\xff\n", 1,
         "unknown command \"a??\" (expected keys, client, pass, return or mouse)"},
        {"pass\npass1,2,3,4\n", 2,
         "unknown command \"pass1,2,3,4\" (expected keys, client, pass, return or mouse)"},
        {"keys\n", 1, "keys needs 11 keys, found 0"},
        {ElevenKeys + ElevenKeys, 2, "keys given twice"},
        {"return\n" + ElevenKeys, 2, "keys must come before the first pass"},
        {"client 1280 65536\n", 1, "client height \"65536\" is not a whole number from 1 to 65535"},
        {"client -640 360\n", 1, "client width \"-640\" is not a whole number from 1 to 65535"},
        {"client 99999999999999999999 360\n", 1,
         "client width \"99999999999999999999\" is not a whole number from 1 to 65535"},
        {"client 640.5 360\n", 1, "client width \"640.5\" is not a whole number from 1 to 65535"},
        {"client 640\n", 1, "client needs a width and a height"},
        {"client 640 360 1\n", 1, "client needs a width and a height"},
        {"client 640 360\nclient 640 360\n", 2, "client given twice"},
        {"mouse\n", 1, "mouse needs down, move, up or lost"},
        {"mouse press 1 2\n", 1, "mouse needs down, move, up or lost"},
        {"mouse down 1\n", 1, "mouse down needs a client position X Y and may name touch or pen"},
        {"mouse up 1 2 pen 3\n", 1,
         "mouse up needs a client position X Y and may name touch or pen"},
        {"mouse move 32768 0\n", 1,
         "mouse position \"32768\" \"0\" is not two whole numbers from -32768 to 32767"},
        {"mouse move 0 -32769\n", 1,
         "mouse position \"0\" \"-32769\" is not two whole numbers from -32768 to 32767"},
        {"mouse down 1 2 finger\n", 1, "mouse source \"finger\" is not touch or pen"},
        {"mouse lost 1 2\n", 1, "mouse lost takes no arguments"},
        {"pass\nreturn\nbogus\npass\n", 3,
         "unknown command \"bogus\" (expected keys, client, pass, return or mouse)"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.error.line, c.line) << c.text;
        EXPECT_EQ(parsed.error.message, c.message) << c.text;
    }
    // What came before the malformed line is kept.
    EXPECT_EQ(parse("pass\nreturn\nbogus\npass\n").trace.steps.size(), 2u);
}

TEST(ReplayTrace, KeyTokens) {
    TraceKey key{};
    EXPECT_TRUE(parseTraceKey("e0", key)); // a code of its own, not a prefix
    EXPECT_EQ(key.code, 0xE0);
    EXPECT_EQ(key.prefix, 0);
    for (const char* bad :
         {"", "100", "1g", "0x1d", "-1", "e0:", "e2:1d", "e0:1d5", "e0-1d", "e0:e0:1d"}) {
        EXPECT_FALSE(parseTraceKey(bad, key)) << bad;
    }
}

TEST(ReplayTrace, PointTokens) {
    const struct {
        const char* token;
        const char* problem; // empty: taken
    } cases[] = {
        {"0004294967295,fFfFfFfF,2147483647,-2147483648", ""},
        {"0,000000006,-0,0", ""},
        {"1,2,3", "expected id,flags,x,y (4 fields), found 3"},
        {"1,2,3,4,5", "expected id,flags,x,y (4 fields), found 5"},
        {"1,,3,4", "flags \"\" are not a hex number of at most 32 bits"},
        {"1,2,3,", "y \"\" is not a whole number from -2147483648 to 2147483647"},
        {"4294967296,2,0,0", "id \"4294967296\" is not a decimal number from 0 to 4294967295"},
        {"+1,2,0,0", "id \"+1\" is not a decimal number from 0 to 4294967295"},
        {"0x1,2,0,0", "id \"0x1\" is not a decimal number from 0 to 4294967295"},
        {"1,100000000,0,0", "flags \"100000000\" are not a hex number of at most 32 bits"},
        {"1,0x2,0,0", "flags \"0x2\" are not a hex number of at most 32 bits"},
        {"1,-2,0,0", "flags \"-2\" are not a hex number of at most 32 bits"},
        {"1,2,-2147483649,0",
         "x \"-2147483649\" is not a whole number from -2147483648 to 2147483647"},
        {"1,2,-,0", "x \"-\" is not a whole number from -2147483648 to 2147483647"},
        {"1,2,+5,0", "x \"+5\" is not a whole number from -2147483648 to 2147483647"},
        {"1,2,1e3,0", "x \"1e3\" is not a whole number from -2147483648 to 2147483647"},
        {"1,2,99999999999999999999999,0",
         "x \"99999999999999999999999\" is not a whole number from -2147483648 to 2147483647"},
        {"1,2,0,--1", "y \"--1\" is not a whole number from -2147483648 to 2147483647"},
    };
    for (const auto& c : cases) {
        TracePoint point{};
        std::string problem;
        EXPECT_EQ(parseTracePoint(c.token, point, problem), c.problem[0] == '\0') << c.token;
        EXPECT_EQ(problem, c.problem) << c.token;
    }
    TracePoint point{};
    std::string problem;
    ASSERT_TRUE(parseTracePoint("0004294967295,fFfFfFfF,2147483647,-2147483648", point, problem));
    EXPECT_EQ(point.id, 4294967295u);
    EXPECT_EQ(point.flags, 0xFFFFFFFFu);
    EXPECT_EQ(point.x, INT32_MAX);
}

TEST(ReplayTrace, AtMost65535PointsInOnePass) {
    std::string line = "pass";
    for (size_t i = 0; i < TraceMaxPoints; ++i) {
        line += " 1,2,0,0";
    }
    EXPECT_TRUE(parse(line + "\n").ok);
    const Parsed tooMany = parse(line + " 1,2,0,0\n");
    EXPECT_FALSE(tooMany.ok);
    EXPECT_EQ(tooMany.error.message, "more than 65535 points in one pass");
}

} // namespace
