#include "remote/page_clock.h"

#include <algorithm>
#include <cstdlib>

void resetPageClock(PageClock& clock) {
    clock = PageClock{};
}

int64_t pageTime(PageClock& clock, uint32_t pageUs) {
    if (!clock.timeline) {
        clock.timeline = true;
        clock.lastPageUs = pageUs;
        clock.lastPageTimeUs = pageUs;
    }
    const auto step = static_cast<int32_t>(pageUs - clock.lastPageUs);
    const int64_t time = clock.lastPageTimeUs + step;
    if (step > 0) {
        clock.lastPageUs = pageUs;
        clock.lastPageTimeUs = time;
    }
    return time;
}

namespace {

void startAfresh(PageClock& clock) {
    clock.next = 0;
    clock.count = 0;
    clock.sinceStart = 0;
    clock.good = false;
    clock.contradicted = 0;
}

// Whether the offset in use lies outside what the exchange allows.
bool contradicts(const PageClock& clock, const ClockSample& sample) {
    return clock.good &&
           std::llabs(sample.offsetUs - clock.offsetUs) > sample.roundTripUs / 2 + PageClockJumpUs;
}

// The offset in use follows the estimate beyond the dead band, slowly.
void follow(PageClock& clock, uint64_t nowUs) {
    const int64_t estimate = estimatedOffsetUs(clock);
    if (!clock.good) {
        if (clock.sinceStart >= PageClockGoodAfter) {
            clock.good = true;
            clock.offsetUs = estimate;
            clock.offsetAtUs = nowUs;
        }
        return;
    }
    const int64_t way = estimate - clock.offsetUs;
    const auto elapsed = static_cast<int64_t>(nowUs - clock.offsetAtUs);
    clock.offsetAtUs = nowUs;
    if (std::llabs(way) <= PageClockDeadBandUs) {
        return;
    }
    const int64_t most = std::max<int64_t>(1, elapsed * PageClockSlewPpm / 1000000);
    clock.offsetUs += std::clamp(way, -most, most);
}

} // namespace

bool noteClockExchange(PageClock& clock, const ClockExchange& exchange) {
    const int64_t sent = pageTime(clock, exchange.pageSentUs);
    const int64_t answered = pageTime(clock, exchange.pageAnsweredUs);
    const auto held = static_cast<int64_t>(exchange.pcAnsweredUs - exchange.pcReceivedUs);
    const int64_t roundTrip = (answered - sent) - held;
    if (roundTrip < 0 || roundTrip > PageClockLongestRoundTripUs || held < 0) {
        return false;
    }
    // ((t2 - t1) + (t3 - t4)) / 2: the PC's clock minus the page's.
    const ClockSample sample = {exchange.pcReceivedUs,
                                (static_cast<int64_t>(exchange.pcReceivedUs) - sent +
                                 static_cast<int64_t>(exchange.pcAnsweredUs) - answered) /
                                    2,
                                roundTrip};
    clock.contradicted = contradicts(clock, sample) ? clock.contradicted + 1 : 0;
    if (clock.contradicted >= 2) {
        ++clock.restarts;
        startAfresh(clock);
    }
    clock.samples[clock.next] = sample;
    clock.next = (clock.next + 1) % PageClockExchangesKept;
    clock.count = std::min(clock.count + 1, PageClockExchangesKept);
    ++clock.sinceStart;
    follow(clock, exchange.pcReceivedUs);
    return true;
}

namespace {

// The median offset of the quickest quarter of the exchanges (at least
// three, all while there are fewer), and the longest round trip among them.
int64_t estimateOf(const PageClock& clock, int64_t& longestQuickUs) {
    longestQuickUs = 0;
    if (clock.count == 0) {
        return 0;
    }
    ClockSample kept[PageClockExchangesKept];
    std::copy(clock.samples, clock.samples + clock.count, kept);
    const size_t quickest = std::min(clock.count, std::max<size_t>(3, clock.count / 4));
    std::nth_element(
        kept, kept + quickest - 1, kept + clock.count,
        [](const ClockSample& a, const ClockSample& b) { return a.roundTripUs < b.roundTripUs; });
    int64_t offsets[PageClockExchangesKept];
    for (size_t i = 0; i < quickest; ++i) {
        offsets[i] = kept[i].offsetUs;
        longestQuickUs = std::max(longestQuickUs, kept[i].roundTripUs);
    }
    std::nth_element(offsets, offsets + quickest / 2, offsets + quickest);
    return offsets[quickest / 2];
}

} // namespace

int64_t estimatedOffsetUs(const PageClock& clock) {
    int64_t longestQuick = 0;
    return estimateOf(clock, longestQuick);
}

int64_t pageClockErrorUs(const PageClock& clock) {
    if (!clock.good) {
        return -1;
    }
    // Each of the quickest exchanges puts the offset within half its round
    // trip; their median is no farther from it than the farthest of them.
    int64_t longestQuick = 0;
    const int64_t estimate = estimateOf(clock, longestQuick);
    return longestQuick / 2 + std::llabs(estimate - clock.offsetUs);
}
