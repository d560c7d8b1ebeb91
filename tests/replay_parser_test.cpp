// The touch-trace format of padrelle-replay: what is read, and how each kind
// of malformed line is named.
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

// The error of a trace that must not parse.
TraceError failure(const std::string& text) {
    const Parsed parsed = parse(text);
    EXPECT_FALSE(parsed.ok) << text;
    return parsed.error;
}

const char* const ElevenKeys = "2c 2d 2e 2f 30 31 32 10 11 1d 2a";

} // namespace

TEST(ReplayTraceLines, EmptyTraceHasDefaultsAndNoPasses) {
    const Parsed parsed = parse("");
    ASSERT_TRUE(parsed.ok);
    EXPECT_FALSE(parsed.trace.hasKeys);
    EXPECT_EQ(parsed.trace.clientWidth, 1280);
    EXPECT_EQ(parsed.trace.clientHeight, 720);
    EXPECT_TRUE(parsed.trace.steps.empty());
    EXPECT_EQ(parsed.error.line, 0);
}

TEST(ReplayTraceLines, CommentsAndBlankLinesAreSkippedButCounted) {
    const Parsed parsed = parse("# header\n\n   \t\npass # the first pass\n#pass\nreturn\n");
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.trace.steps.size(), 2u);
    EXPECT_EQ(parsed.trace.steps[0].kind, TracePass);
    EXPECT_EQ(parsed.trace.steps[0].line, 4);
    EXPECT_TRUE(parsed.trace.steps[0].points.empty());
    EXPECT_EQ(parsed.trace.steps[1].kind, TraceReturn);
    EXPECT_EQ(parsed.trace.steps[1].line, 6);
}

TEST(ReplayTraceLines, CrLfLineEndsAndTabsAreWhitespace) {
    const Parsed parsed = parse("client\t640 360\r\npass\t1,2,3,4\r\nreturn\r\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.trace.clientWidth, 640);
    ASSERT_EQ(parsed.trace.steps.size(), 2u);
    ASSERT_EQ(parsed.trace.steps[0].points.size(), 1u);
    EXPECT_EQ(parsed.trace.steps[0].points[0].y, 4);
}

TEST(ReplayTraceLines, PassCarriesItsPointsInOrder) {
    const Parsed parsed = parse("pass 7,2,51230,30012 4294967295,Ab,-150,-2147483648\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    const std::vector<TracePoint>& points = parsed.trace.steps.at(0).points;
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].id, 7u);
    EXPECT_EQ(points[0].flags, 2u);
    EXPECT_EQ(points[0].x, 51230);
    EXPECT_EQ(points[0].y, 30012);
    EXPECT_EQ(points[1].id, 4294967295u);
    EXPECT_EQ(points[1].flags, 0xABu);
    EXPECT_EQ(points[1].x, -150);
    EXPECT_EQ(points[1].y, INT32_MIN);
}

TEST(ReplayTraceLines, CommandsAreCaseSensitiveWords) {
    EXPECT_EQ(failure("Pass\n").message,
              "unknown command \"Pass\" (expected keys, client, pass, return or mouse)");
    EXPECT_EQ(failure("pass\npass1,2,3,4\n").line, 2);
    EXPECT_EQ(failure("return 1\n").message, "return takes no arguments");
}

TEST(ReplayTraceLines, FirstMalformedLineStopsTheParseAndKeepsWhatCameBefore) {
    const Parsed parsed = parse("pass\nreturn\nbogus\npass\n");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error.line, 3);
    EXPECT_EQ(parsed.trace.steps.size(), 2u);
}

TEST(ReplayTraceLines, MessagesQuoteTokensShortAndPrintable) {
    const std::string longWord(60, 'x');
    EXPECT_EQ(failure(longWord + "\n").message,
              "unknown command \"" + std::string(40, 'x') +
                  "...\" (expected keys, client, pass, return or mouse)");
    EXPECT_EQ(failure(std::string("a\x01\xff") + "\n").message,
              "unknown command \"a??\" (expected keys, client, pass, return or mouse)");
}

TEST(ReplayTraceKeys, ElevenKeysWithPrefixesInEitherCase) {
    const Parsed parsed = parse("keys 1e 1F 2 e0:1C E0:38 e1:1d E1:45 ff 0 00 7f\npass\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    ASSERT_TRUE(parsed.trace.hasKeys);
    const TraceKey* keys = parsed.trace.keys;
    EXPECT_EQ(keys[0].code, 0x1E);
    EXPECT_EQ(keys[0].prefix, 0);
    EXPECT_EQ(keys[1].code, 0x1F);
    EXPECT_EQ(keys[2].code, 0x02);
    EXPECT_EQ(keys[3].code, 0x1C);
    EXPECT_EQ(keys[3].prefix, TracePrefixE0);
    EXPECT_EQ(keys[4].prefix, TracePrefixE0);
    EXPECT_EQ(keys[5].code, 0x1D);
    EXPECT_EQ(keys[5].prefix, TracePrefixE1);
    EXPECT_EQ(keys[6].prefix, TracePrefixE1);
    EXPECT_EQ(keys[7].code, 0xFF);
    EXPECT_EQ(keys[8].code, 0x00);
    EXPECT_EQ(keys[10].code, 0x7F);
}

TEST(ReplayTraceKeys, ACodeIsOneOrTwoHexDigitsAfterAnOptionalPrefix) {
    TraceKey key{};
    EXPECT_TRUE(parseTraceKey("e0", key)); // a code of its own, not a prefix
    EXPECT_EQ(key.code, 0xE0);
    EXPECT_EQ(key.prefix, 0);
    EXPECT_FALSE(parseTraceKey("", key));
    EXPECT_FALSE(parseTraceKey("100", key));
    EXPECT_FALSE(parseTraceKey("1g", key));
    EXPECT_FALSE(parseTraceKey("0x1d", key));
    EXPECT_FALSE(parseTraceKey("-1", key));
    EXPECT_FALSE(parseTraceKey("e0:", key));
    EXPECT_FALSE(parseTraceKey("e2:1d", key));
    EXPECT_FALSE(parseTraceKey("e0:1d5", key));
    EXPECT_FALSE(parseTraceKey("e0-1d", key));
    EXPECT_FALSE(parseTraceKey("e0:e0:1d", key));
}

TEST(ReplayTraceKeys, CountMustBeEleven) {
    EXPECT_EQ(failure("keys\n").message, "keys needs 11 keys, found 0");
    EXPECT_EQ(failure("keys 2c 2d 2e 2f 30 31 32 10 11 1d\n").message,
              "keys needs 11 keys, found 10");
    EXPECT_EQ(failure(std::string("keys ") + ElevenKeys + " 2b\n").message,
              "keys needs 11 keys, found 12");
}

TEST(ReplayTraceKeys, BadKeyIsNamedByItsPlace) {
    const TraceError error = failure("# keys\nkeys 2c 2d 2e 2f 30 31 32 10 11 1d zz\n");
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.message,
              "key 10 \"zz\" is not a scancode (1 or 2 hex digits, optionally after e0: or e1:)");
}

TEST(ReplayTraceKeys, OnlyOnceAndBeforeTheFirstPass) {
    const std::string keys = std::string("keys ") + ElevenKeys + "\n";
    EXPECT_EQ(failure(keys + keys).message, "keys given twice");
    const TraceError afterPass = failure("pass\n" + keys);
    EXPECT_EQ(afterPass.line, 2);
    EXPECT_EQ(afterPass.message, "keys must come before the first pass");
    EXPECT_EQ(failure("return\n" + keys).message, "keys must come before the first pass");
    EXPECT_TRUE(parse("client 640 360\n" + keys + "pass\n").ok);
}

TEST(ReplayTraceClient, SizeFromOneTo65535) {
    const Parsed parsed = parse("client 1 65535\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.trace.clientWidth, 1);
    EXPECT_EQ(parsed.trace.clientHeight, 65535);
    EXPECT_EQ(failure("client 0 720\n").message,
              "client width \"0\" is not a whole number from 1 to 65535");
    EXPECT_EQ(failure("client 1280 65536\n").message,
              "client height \"65536\" is not a whole number from 1 to 65535");
    EXPECT_EQ(failure("client -640 360\n").message,
              "client width \"-640\" is not a whole number from 1 to 65535");
    EXPECT_EQ(failure("client 99999999999999999999 360\n").message,
              "client width \"99999999999999999999\" is not a whole number from 1 to 65535");
    EXPECT_EQ(failure("client 640.5 360\n").message,
              "client width \"640.5\" is not a whole number from 1 to 65535");
}

TEST(ReplayTraceClient, NeedsTwoFieldsOnceBeforeTheFirstPass) {
    EXPECT_EQ(failure("client 640\n").message, "client needs a width and a height");
    EXPECT_EQ(failure("client 640 360 1\n").message, "client needs a width and a height");
    EXPECT_EQ(failure("client 640 360\nclient 640 360\n").message, "client given twice");
    EXPECT_EQ(failure("pass\nclient 640 360\n").message, "client must come before the first pass");
}

TEST(ReplayTracePoints, FourCommaSeparatedFields) {
    TracePoint point{};
    std::string problem;
    EXPECT_FALSE(parseTracePoint("1,2,3", point, problem));
    EXPECT_EQ(problem, "expected id,flags,x,y (4 fields), found 3");
    EXPECT_FALSE(parseTracePoint("1,2,3,4,5", point, problem));
    EXPECT_EQ(problem, "expected id,flags,x,y (4 fields), found 5");
    EXPECT_FALSE(parseTracePoint("1,,3,4", point, problem));
    EXPECT_EQ(problem, "flags \"\" are not a hex number of at most 32 bits");
    EXPECT_FALSE(parseTracePoint("1,2,3,", point, problem));
    EXPECT_EQ(problem, "y \"\" is not a whole number from -2147483648 to 2147483647");
}

TEST(ReplayTracePoints, IdIsUnsignedDecimalOf32Bits) {
    TracePoint point{};
    std::string problem;
    EXPECT_TRUE(parseTracePoint("0,2,0,0", point, problem));
    EXPECT_TRUE(parseTracePoint("0004294967295,2,0,0", point, problem));
    EXPECT_EQ(point.id, 4294967295u);
    for (const char* bad : {"4294967296,2,0,0", "-1,2,0,0", "+1,2,0,0", "0x1,2,0,0", "a,2,0,0"}) {
        EXPECT_FALSE(parseTracePoint(bad, point, problem)) << bad;
        EXPECT_NE(problem.find("is not a decimal number from 0 to 4294967295"), std::string::npos)
            << problem;
    }
}

TEST(ReplayTracePoints, FlagsAreHexOfAtMost32Bits) {
    TracePoint point{};
    std::string problem;
    EXPECT_TRUE(parseTracePoint("1,fFfFfFfF,0,0", point, problem));
    EXPECT_EQ(point.flags, 0xFFFFFFFFu);
    EXPECT_TRUE(parseTracePoint("1,000000006,0,0", point, problem));
    EXPECT_EQ(point.flags, 6u);
    for (const char* bad : {"1,100000000,0,0", "1,zz,0,0", "1,0x2,0,0", "1,-2,0,0"}) {
        EXPECT_FALSE(parseTracePoint(bad, point, problem)) << bad;
        EXPECT_NE(problem.find("are not a hex number of at most 32 bits"), std::string::npos)
            << problem;
    }
}

TEST(ReplayTracePoints, PositionsAreSigned32BitDecimals) {
    TracePoint point{};
    std::string problem;
    EXPECT_TRUE(parseTracePoint("1,2,2147483647,-2147483648", point, problem));
    EXPECT_EQ(point.x, INT32_MAX);
    EXPECT_EQ(point.y, INT32_MIN);
    EXPECT_TRUE(parseTracePoint("1,2,-0,0", point, problem));
    EXPECT_EQ(point.x, 0);
    for (const char* bad : {"1,2,2147483648,0", "1,2,-2147483649,0", "1,2,-,0", "1,2,+5,0",
                            "1,2,1e3,0", "1,2,12.5,0", "1,2,99999999999999999999999,0"}) {
        EXPECT_FALSE(parseTracePoint(bad, point, problem)) << bad;
        EXPECT_EQ(problem.rfind("x ", 0), 0u) << problem;
    }
    EXPECT_FALSE(parseTracePoint("1,2,0,--1", point, problem));
    EXPECT_EQ(problem, "y \"--1\" is not a whole number from -2147483648 to 2147483647");
}

TEST(ReplayTracePoints, BadPointIsNamedByLineAndPlace) {
    const TraceError error = failure("pass\npass 1,2,0,0 2,zz,0,0\n");
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.message,
              "point 2 \"2,zz,0,0\": flags \"zz\" are not a hex number of at most 32 bits");
}

TEST(ReplayTracePoints, AtMost65535PointsInOnePass) {
    std::string line = "pass";
    for (size_t i = 0; i < TraceMaxPoints; ++i) {
        line += " 1,2,0,0";
    }
    EXPECT_TRUE(parse(line + "\n").ok);
    EXPECT_EQ(failure(line + " 1,2,0,0\n").message, "more than 65535 points in one pass");
}
