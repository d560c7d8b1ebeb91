// The phone's round trips to the PC over the last minute, as the page
// measures them on each ping (from its send of a ping to the pong's arrival:
// the Wi-Fi both ways and both ends' network stacks, not the phone's own
// time from a touch to the page's event): their median and 99th percentile,
// with how many there were.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t RoundTripWindowMs = 60000;
// A ping every 250 ms is 240 a minute; a page that pings faster keeps only
// its latest ones.
constexpr size_t RoundTripsKept = 512;

struct RoundTripFigures {
    int32_t count; // 0: none in the last minute (the others are then 0)
    int32_t medianMs;
    int32_t percentile99Ms;
};

struct RoundTrips {
    uint32_t atMs[RoundTripsKept];
    uint16_t ms[RoundTripsKept];
    size_t next;  // where the next one goes
    size_t count; // kept, at most RoundTripsKept
};

void noteRoundTrip(RoundTrips& trips, uint32_t nowMs, uint16_t ms);
// Over those not older than RoundTripWindowMs at nowMs; each figure is the
// reading at its rank (the median of 240 the 120th, the 99th percentile
// the 238th), none made up between two.
RoundTripFigures roundTripFigures(const RoundTrips& trips, uint32_t nowMs);
// "median 4 ms, 99th percentile 9 ms, of 240 in the last minute"; "" for none.
void describeRoundTrips(const RoundTripFigures& figures, char* out, size_t size);
