#include "remote/round_trips.h"

#include "base/format_text.h"

#include <algorithm>

void noteRoundTrip(RoundTrips& trips, uint32_t nowMs, uint16_t ms) {
    trips.atMs[trips.next] = nowMs;
    trips.ms[trips.next] = ms;
    trips.next = (trips.next + 1) % RoundTripsKept;
    trips.count = std::min(trips.count + 1, RoundTripsKept);
}

RoundTripFigures roundTripFigures(const RoundTrips& trips, uint32_t nowMs) {
    uint16_t recent[RoundTripsKept];
    size_t count = 0;
    for (size_t i = 0; i < trips.count; ++i) {
        if (nowMs - trips.atMs[i] <= RoundTripWindowMs) {
            recent[count++] = trips.ms[i];
        }
    }
    if (count == 0) {
        return RoundTripFigures{};
    }
    // The nearest rank: the smallest reading with at least that share of
    // them at or below it.
    const auto atShare = [&](size_t percent) {
        const size_t rank = std::max<size_t>(1, (percent * count + 99) / 100);
        std::nth_element(recent, recent + rank - 1, recent + count);
        return static_cast<int32_t>(recent[rank - 1]);
    };
    const int32_t median = atShare(50);
    return RoundTripFigures{static_cast<int32_t>(count), median, atShare(99)};
}

void describeRoundTrips(const RoundTripFigures& figures, char* out, size_t size) {
    if (figures.count == 0) {
        formatTextN(out, size, "%s", "");
        return;
    }
    formatTextN(out, size, "median %d ms, 99th percentile %d ms, of %d in the last minute",
                static_cast<int>(figures.medianMs), static_cast<int>(figures.percentile99Ms),
                static_cast<int>(figures.count));
}
