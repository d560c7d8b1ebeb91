// The page's clock on the PC's. Each ping of the page is an exchange of four
// times: when the page sent it and when its pong came back (the page's
// clock), when the PC took it and when it answered (the PC's). The PC's
// clock minus the page's is then known to within half the round trip, from
// the exchanges with the shortest round trips best (as network time
// protocols filter them): the estimate is the median offset of the quickest
// quarter of the last exchanges. The offset in use follows that estimate
// only once it is more than a dead band away, and then slowly: a drift of
// the two clocks is followed, the noise of the network is not, so that the
// times of keys do not wander with it. An exchange that the offset in use
// contradicts by more than its round trip allows, twice in a row, is a clock
// that jumped (the phone slept, its browser changed the clock): the estimate
// starts afresh, and is not good again until enough exchanges came.
//
// The page's times are microseconds of its own clock as 32 bits that wrap
// every 71 minutes; they are unwrapped here against the latest one seen.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t PageClockExchangesKept = 64;
// Exchanges since the start before the offset is used.
constexpr int32_t PageClockGoodAfter = 8;
constexpr int64_t PageClockDeadBandUs = 1000;
// How fast the offset in use may follow the estimate: 200 us a second.
constexpr int64_t PageClockSlewPpm = 200;
// Beyond an exchange's own bound, how far the offset may be from it.
constexpr int64_t PageClockJumpUs = 5000;
// A round trip longer than this tells nothing of the clocks.
constexpr int64_t PageClockLongestRoundTripUs = 2000000;

struct ClockExchange {
    uint32_t pageSentUs;     // the ping's send, on the page's clock
    uint64_t pcReceivedUs;   // its arrival, on the PC's clock
    uint64_t pcAnsweredUs;   // the pong's send, on the PC's
    uint32_t pageAnsweredUs; // the pong's arrival, on the page's
};

struct ClockSample {
    uint64_t atUs;       // the PC's time of the exchange
    int64_t offsetUs;    // the PC's clock minus the page's, as it gives it
    int64_t roundTripUs; // the network's share of the round trip
};

struct PageClock {
    // The page's times unwrapped: the last one seen, as given and unwrapped.
    bool timeline;
    uint32_t lastPageUs;
    int64_t lastPageTimeUs;
    ClockSample samples[PageClockExchangesKept];
    size_t next;
    size_t count;
    int32_t sinceStart; // exchanges taken since the start
    bool good;
    int64_t offsetUs; // in use once good: a page time plus it is the PC's
    uint64_t offsetAtUs;
    int32_t contradicted; // exchanges in a row the offset in use contradicts
    uint32_t restarts;    // jumps of the clock seen
};

void resetPageClock(PageClock& clock);
// A time of the page's clock, unwrapped against the latest one seen.
int64_t pageTime(PageClock& clock, uint32_t pageUs);
// Takes an exchange; false when it tells nothing (a round trip below zero or
// too long), true when taken. A clock seen to jump starts afresh with it.
bool noteClockExchange(PageClock& clock, const ClockExchange& exchange);
// The estimate of the exchanges now, whether or not in use; 0 when none.
int64_t estimatedOffsetUs(const PageClock& clock);
// How far the offset in use may be from the truth: half the longest round
// trip of the exchanges the estimate is taken from, plus the way from the
// estimate to the offset in use; -1 while the clock is not good.
int64_t pageClockErrorUs(const PageClock& clock);
