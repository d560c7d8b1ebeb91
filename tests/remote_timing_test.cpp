// The phone's keys at a steady delay: the page's clock on the PC's (against
// generated ping series and series recorded from the page in Chromium), the
// delay chosen from the network's lags, and the schedule of the touches.
#include "remote/page_clock.h"
#include "remote/steady_delay.h"
#include "remote/touch_schedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A page whose clock runs at (1 + skewPpm / 1e6) of the PC's from pageAtStart,
// pinging every 250 ms (every 50 ms at first, as the page does), over a
// network whose one-way times (us) the functions draw.
struct PingSeries {
    const char* what;
    double skewPpm;
    uint32_t pageAtStart;
    std::function<double(std::mt19937&)> toPc;
    std::function<double(std::mt19937&)> toPage;
    int64_t jumpAtUs = -1; // the page's clock jumps forward this far in...
    int64_t jumpUs = 0;
    // What the offset in use must keep to, once good (and good again).
    int64_t mostErrorUs;
    int64_t mostWanderUs; // over any 25 s
    uint32_t restarts;
    // How far past the error it says the error may go: a drift moves the
    // truth from under the exchanges of the last seconds.
    int64_t errorSaidSlackUs = 0;
};

struct ClockRun {
    int64_t worstErrorUs = 0;
    int64_t worstWanderUs = 0;
    int64_t worstPastSaidUs = INT64_MIN; // the error beyond the one said
    int32_t exchangesToGood = -1;
};

constexpr uint64_t PcStart = 3600000000ull;

ClockRun runSeries(const PingSeries& series, PageClock& clock) {
    std::mt19937 random(40);
    resetPageClock(clock);
    ClockRun run;
    // PC time, offset in use, the estimate's start (one after each jump)
    std::vector<std::tuple<uint64_t, int64_t, uint32_t>> used;
    int64_t jumped = 0;
    uint64_t pc = PcStart;
    for (int32_t i = 0; pc < PcStart + 300000000ull; ++i) {
        pc += i < 16 ? 50000 : 250000;
        if (series.jumpAtUs >= 0 && pc - PcStart >= static_cast<uint64_t>(series.jumpAtUs)) {
            jumped = series.jumpUs;
        }
        // The page's clock at a PC time, and the offset that is true then.
        const auto pageAt = [&](double pcUs) {
            const double since = pcUs - PcStart;
            return static_cast<uint32_t>(static_cast<int64_t>(
                series.pageAtStart + since * (1 + series.skewPpm / 1e6) + jumped));
        };
        const double sent = static_cast<double>(pc);
        const double received = sent + series.toPc(random);
        const double answered = received + 30;
        const double back = answered + series.toPage(random);
        noteClockExchange(clock, ClockExchange{pageAt(sent), static_cast<uint64_t>(received),
                                               static_cast<uint64_t>(answered), pageAt(back)});
        if (!clock.good) {
            continue;
        }
        run.exchangesToGood = run.exchangesToGood < 0 ? i + 1 : run.exchangesToGood;
        // PC minus page, unwrapped as the clock unwraps the page's times.
        const int64_t truth = static_cast<int64_t>(received) - pageTime(clock, pageAt(received));
        const int64_t error = clock.offsetUs - truth;
        // Right after a jump the estimate restarts; judged once good again.
        if (clock.sinceStart > PageClockGoodAfter && clock.contradicted == 0) {
            run.worstErrorUs = std::max(run.worstErrorUs, std::abs(error));
            run.worstPastSaidUs =
                std::max(run.worstPastSaidUs, std::abs(error) - pageClockErrorUs(clock));
            used.emplace_back(pc, clock.offsetUs, clock.restarts);
        }
    }
    for (size_t a = 0; a < used.size(); ++a) {
        for (size_t b = a;
             b < used.size() && std::get<0>(used[b]) - std::get<0>(used[a]) <= 25000000 &&
             std::get<2>(used[b]) == std::get<2>(used[a]);
             ++b) {
            run.worstWanderUs =
                std::max(run.worstWanderUs, std::abs(std::get<1>(used[b]) - std::get<1>(used[a])));
        }
    }
    return run;
}

double gauss(std::mt19937& random, double mean, double spread) {
    return std::max(100.0, std::normal_distribution<double>(mean, spread)(random));
}

// Wi-Fi: a normal spread of 5 ms around 10 ms each way, a 60 ms stall now and then.
double wifi(std::mt19937& random) {
    const double stall = std::uniform_real_distribution<double>(0, 1)(random) < 0.005 ? 60000 : 0;
    return gauss(random, 10000, 5000) + stall;
}

double cable(std::mt19937& random) {
    return gauss(random, 300, 100);
}

TEST(PageClock, FollowsThePagesClockOnGeneratedSeries) {
    const PingSeries series[] = {
        {"a cable", 0, 1000, cable, cable, -1, 0, 300, 300, 0},
        {"Wi-Fi's jitter", 0, 1000, wifi, wifi, -1, 0, 4000, 2500, 0},
        {"a drift of +100 ppm", 100, 1000, cable, cable, -1, 0, 2500, 3500, 0, 2000},
        {"a drift of -150 ppm over Wi-Fi", -150, 1000, wifi, wifi, -1, 0, 5000, 6000, 0, 3000},
        // The way to the PC short, the way back long: the offset is known
        // only within half the round trip, which is what is said.
        {"asymmetric delays", 0, 1000, [](std::mt19937& r) { return gauss(r, 2000, 300); },
         [](std::mt19937& r) { return gauss(r, 20000, 300); }, -1, 0, 10000, 1000, 0},
        // The phone slept: its clock stood while the PC's went on.
        {"a jump of the page's clock", 0, 1000, cable, cable, 60000000, -8000000, 300, 300, 1},
        {"the page's clock jumping ahead", 0, 1000, cable, cable, 90000000, 3000000, 300, 300, 1},
        // Far from the PC's, and wrapping past 32 bits within the run.
        {"a phone clock far from the PC's", 0, 0xFFFFFFFFu - 100000000u, wifi, wifi, -1, 0, 4000,
         2500, 0},
    };
    for (const PingSeries& s : series) {
        PageClock clock;
        const ClockRun run = runSeries(s, clock);
        EXPECT_EQ(clock.restarts, s.restarts) << s.what;
        EXPECT_EQ(run.exchangesToGood, PageClockGoodAfter) << s.what;
        EXPECT_LE(run.worstErrorUs, s.mostErrorUs) << s.what;
        EXPECT_LE(run.worstWanderUs, s.mostWanderUs) << s.what;
        EXPECT_LE(run.worstPastSaidUs, s.errorSaidSlackUs) << s.what;
    }
}

// Exchanges recorded from the page in Chromium on padrelle.exe under Wine
// (tests/remote_clock/*.txt: the page's send, the PC's arrival and answer,
// the page's arrival, as the program took them): the estimate is good after
// its first exchanges, never restarts, and the offset in use keeps still.
TEST(PageClock, KeepsStillOnRecordedSeries) {
    const struct {
        const char* file;
        int64_t mostWanderUs;
    } recordings[] = {
        {"loopback.txt", 1000},
        {"jitter.txt", 2000},
    };
    for (const auto& recording : recordings) {
        std::ifstream in(std::string(PADRELLE_SOURCE_DIR) + "/tests/remote_clock/" +
                         recording.file);
        ASSERT_TRUE(in.good()) << recording.file;
        PageClock clock;
        resetPageClock(clock);
        ClockExchange exchange = {};
        int64_t lowest = INT64_MAX;
        int64_t highest = INT64_MIN;
        int32_t exchanges = 0;
        while (in >> exchange.pageSentUs >> exchange.pcReceivedUs >> exchange.pcAnsweredUs >>
               exchange.pageAnsweredUs) {
            EXPECT_TRUE(noteClockExchange(clock, exchange)) << recording.file << " " << exchanges;
            ++exchanges;
            if (clock.sinceStart > PageClockGoodAfter) {
                lowest = std::min(lowest, clock.offsetUs);
                highest = std::max(highest, clock.offsetUs);
            }
        }
        EXPECT_GT(exchanges, 80) << recording.file;
        EXPECT_TRUE(clock.good) << recording.file;
        EXPECT_EQ(clock.restarts, 0u) << recording.file;
        EXPECT_LE(highest - lowest, recording.mostWanderUs) << recording.file;
        EXPECT_GE(pageClockErrorUs(clock), 0) << recording.file;
    }
}

TEST(PageClock, ExchangesThatTellNothingAreRefused) {
    PageClock clock;
    resetPageClock(clock);
    const ClockExchange refused[] = {
        {1000, PcStart, PcStart + 10, 900},            // the page's answer before its send
        {1000, PcStart, PcStart + 10, 1000 + 3000000}, // a round trip of 3 s
        {1000, PcStart, PcStart - 10, 2000},           // answered before it came
    };
    for (const ClockExchange& exchange : refused) {
        EXPECT_FALSE(noteClockExchange(clock, exchange));
    }
    EXPECT_EQ(clock.count, 0u);
    EXPECT_EQ(pageClockErrorUs(clock), -1);
    EXPECT_EQ(estimatedOffsetUs(clock), 0);
}

// The lag that strokes keep after their touches: the network's 99th
// percentile and a margin, within the bounds, changed in small steps only
// while nothing waits; a fixed delay as the player set it; none at once.
TEST(SteadyDelay, TheLagFollowsTheNetworkInSmallSteps) {
    constexpr int64_t Offset = 5000000; // the PC's clock minus the page's
    const auto lags = [](SteadyDelay& delay, uint64_t& now, int32_t count, int64_t lagUs) {
        for (int32_t i = 0; i < count; ++i) {
            now += 20000;
            noteLag(delay, now, static_cast<int64_t>(now) - Offset - lagUs);
        }
    };
    struct Case {
        const char* what;
        DelaySetting setting;
        bool clockGood;
        int32_t count;
        int64_t lagUs;      // each sample's way over the network
        int64_t delayUs;    // then the delay chosen; -1 none
        int64_t laterLagUs; // the network later, for 10 s
        bool waiting;       // strokes wait meanwhile
        int64_t laterDelayUs;
    };
    const DelaySetting follow = {};
    const DelaySetting fixed = {DelayMode::Fixed, 25};
    const Case cases[] = {
        {"a quiet network", follow, true, 100, 2000, 2500, 2000, false, 2500},
        {"too few lags yet", follow, true, 10, 2000, -1, 2000, false, 2500},
        {"the clock not yet good", follow, false, 100, 2000, -1, 2000, false, -1},
        {"every stroke at once", {DelayMode::AtOnce, 0}, true, 100, 2000, -1, 2000, false, -1},
        {"a fixed delay", fixed, true, 0, 2000, 25000, 2000, false, 25000},
        {"over the bound", follow, true, 100, 60000, 40000, 60000, false, 40000},
        // Worse: up by a step each tenth of a second.
        {"the network worse", follow, true, 100, 2000, 2500, 9000, false, 9500},
        // Better: down after 3 s, two steps a second.
        {"the network better", follow, true, 100, 12000, 12500, 2000, false, 2500},
        {"better, but strokes wait", follow, true, 100, 12000, 12500, 2000, true, 12500},
        {"worse, but strokes wait", follow, true, 100, 2000, 2500, 9000, true, 2500},
    };
    for (const Case& c : cases) {
        SteadyDelay delay;
        resetSteadyDelay(delay);
        uint64_t now = PcStart;
        lags(delay, now, c.count, c.lagUs);
        const bool chosen = chooseLag(delay, c.setting, c.clockGood, Offset, false, now);
        EXPECT_EQ(chosen, c.delayUs >= 0) << c.what;
        if (chosen) {
            EXPECT_EQ(delay.chosenLagUs - Offset, c.delayUs) << c.what;
        }
        // 25 s later: within the band above what the network asks for.
        int64_t step = 0;
        for (int32_t i = 0; i < 250; ++i) {
            lags(delay, now, 5, c.laterLagUs);
            const int64_t before = delay.chosenLagUs;
            const bool was = delay.chosen;
            chooseLag(delay, c.setting, c.clockGood, Offset, c.waiting, now);
            step = was ? std::max(step, std::abs(delay.chosenLagUs - before)) : step;
        }
        EXPECT_LE(step, SteadyStepUs) << c.what;
        EXPECT_EQ(delay.chosen, c.laterDelayUs >= 0) << c.what;
        if (c.laterDelayUs >= 0) {
            EXPECT_GE(delay.chosenLagUs - Offset, c.laterDelayUs - SteadyRaiseBandUs) << c.what;
            EXPECT_LE(delay.chosenLagUs - Offset, c.laterDelayUs + SteadyLowerBandUs) << c.what;
        }
    }
}

TEST(SteadyDelay, SettingsAsTheCommandLineAndTheFileGiveThem) {
    const struct {
        const char* text;
        bool taken;
        DelayMode mode;
        int32_t ms;
    } cases[] = {
        {"auto", true, DelayMode::Follow, 0},
        {"0", true, DelayMode::AtOnce, 0},
        {"1", true, DelayMode::Fixed, 1},
        {"250", true, DelayMode::Fixed, 250},
        {"251", false, {}, 0},
        {"025", false, {}, 0},
        {"", false, {}, 0},
        {"-5", false, {}, 0},
        {"20ms", false, {}, 0},
        {"Auto", false, {}, 0},
        {"1000", false, {}, 0},
    };
    for (const auto& c : cases) {
        DelaySetting setting = {DelayMode::Fixed, 99};
        ASSERT_EQ(parseDelaySetting(c.text, setting), c.taken) << c.text;
        if (c.taken) {
            EXPECT_EQ(setting.mode, c.mode) << c.text;
            char written[16];
            writeDelaySetting(setting, written, sizeof written);
            EXPECT_STREQ(written, c.text);
        }
    }
}

RemoteRecord rec(uint8_t kind, uint8_t finger) {
    return RemoteRecord{kind, finger, 700, 600};
}

// The schedule's order and lengths: each message as it came, due at its
// time (or at once), never before the one before it; a late message at once;
// a tap keeps its length when its down went late.
TEST(TouchSchedule, OrderAndLengths) {
    struct Message {
        std::vector<RemoteRecord> records;
        uint64_t dueUs; // 0: at once
        uint64_t arrivalUs;
        uint64_t wantDueUs;
        bool late;
    };
    const RemoteRecord down0 = rec(RemoteFingerDown, 0);
    const RemoteRecord up0 = rec(RemoteFingerUp, 0);
    const RemoteRecord down1 = rec(RemoteFingerDown, 1);
    const RemoteRecord up1 = rec(RemoteFingerUp, 1);
    const RemoteRecord move1 = rec(RemoteFingerMove, 1);
    const struct {
        const char* what;
        std::vector<Message> messages;
    } cases[] = {
        {"on time", {{{down0}, 1020, 1005, 1020, false}, {{up0}, 1080, 1060, 1080, false}}},
        {"at once", {{{down0}, 0, 1005, 1005, false}, {{up0}, 0, 1060, 1060, false}}},
        {"a down late by 15: its up 15 later",
         {{{down0}, 1020, 1035, 1035, true}, {{up0}, 1080, 1060, 1095, true}}},
        {"another finger keeps its time",
         {{{down0}, 1020, 1035, 1035, true},
          {{down1}, 1040, 1036, 1040, false},
          {{up1}, 1070, 1050, 1070, false},
          {{up0}, 1080, 1060, 1095, true}}},
        {"never before the one before",
         {{{down1}, 1040, 1020, 1040, false}, {{move1}, 1039, 1021, 1040, true}}},
        {"held back by one that came late",
         {{{down0}, 1020, 1050, 1050, true}, {{down1}, 1030, 1025, 1050, true}}},
        {"the up of a late tap late itself",
         {{{down0}, 1020, 1035, 1035, true}, {{up0}, 1030, 1040, 1045, true}}},
        {"a late down and another's down in one message",
         {{{down0, down1}, 1020, 1030, 1030, true},
          {{up0}, 1050, 1040, 1060, true},
          {{up1}, 1055, 1045, 1065, true}}},
        {"a later touch of the finger keeps its own time",
         {{{down0}, 1020, 1035, 1035, true},
          {{up0}, 1030, 1036, 1045, true},
          {{down0}, 1100, 1060, 1100, false},
          {{up0}, 1150, 1110, 1150, false}}},
    };
    for (const auto& c : cases) {
        TouchSchedule schedule;
        for (const Message& m : c.messages) {
            EXPECT_EQ(scheduleTouch(schedule, m.records.data(),
                                    static_cast<int32_t>(m.records.size()), m.dueUs, m.arrivalUs),
                      m.late)
                << c.what;
        }
        ASSERT_EQ(schedule.waiting.size(), c.messages.size()) << c.what;
        for (size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(schedule.waiting[i].dueUs, c.messages[i].wantDueUs) << c.what << " " << i;
        }
        // Taken in order, each once its time came.
        ScheduledTouch entry;
        EXPECT_FALSE(takeDueTouch(schedule, c.messages[0].wantDueUs - 1, entry)) << c.what;
        size_t taken = 0;
        while (takeDueTouch(schedule, UINT64_MAX, entry)) {
            EXPECT_EQ(entry.dueUs, c.messages[taken++].wantDueUs) << c.what;
        }
        EXPECT_EQ(taken, c.messages.size()) << c.what;
    }
}

// The phone went with touches waiting: what was due goes, then a let-go at
// once, then only the taps whose down and up both waited, at their times.
TEST(TouchSchedule, WhatWaitsWhenThePhoneGoes) {
    const struct {
        const char* what;
        std::vector<std::vector<RemoteRecord>> waiting;
        std::vector<std::string> kept; // after the let-go: "finger kind" of each record
    } cases[] = {
        {"a whole tap", {{rec(1, 0)}, {rec(3, 0)}}, {"0 1", "0 3"}},
        {"a down alone", {{rec(1, 0)}}, {}},
        {"a held finger's move and up", {{rec(2, 0)}, {rec(3, 0)}}, {}},
        {"a tap with moves, and a touch begun",
         {{rec(1, 0)}, {rec(2, 0), rec(1, 1)}, {rec(3, 0)}, {rec(2, 1)}},
         {"0 1", "0 2", "0 3"}},
        {"a held finger's up, then its next tap",
         {{rec(3, 0)}, {rec(1, 0)}, {rec(3, 0)}, {rec(1, 0)}},
         {"0 1", "0 3"}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        TouchSchedule schedule;
        // A down and a move due already: they go first, as they came first.
        const RemoteRecord due[] = {rec(1, 9), rec(2, 9)};
        scheduleTouch(schedule, due, 2, 1200, 1000);
        uint64_t at = 2000;
        for (const auto& records : c.waiting) {
            scheduleTouch(schedule, records.data(), static_cast<int32_t>(records.size()), at += 10,
                          1000);
        }
        dropWaitingTouches(schedule, 1500);
        ASSERT_GE(schedule.waiting.size(), 2u) << c.what;
        EXPECT_EQ(schedule.waiting[0].count, 2) << c.what;
        EXPECT_EQ(schedule.waiting[0].dueUs, 1200u) << c.what;
        EXPECT_TRUE(schedule.waiting[1].letGo) << c.what;
        EXPECT_EQ(schedule.waiting[1].dueUs, 1500u) << c.what;
        std::vector<std::string> kept;
        for (size_t i = 2; i < schedule.waiting.size(); ++i) {
            const ScheduledTouch& entry = schedule.waiting[i];
            EXPECT_GE(entry.dueUs, 2010u) << c.what; // at their own times
            for (int32_t r = 0; r < entry.count; ++r) {
                kept.push_back(std::to_string(entry.records[r].finger) + " " +
                               std::to_string(entry.records[r].kind));
            }
        }
        EXPECT_EQ(kept, c.kept) << c.what;
        EXPECT_EQ(waitingRecords(schedule), c.kept.size() + 2) << c.what;
    }
}

} // namespace
