// How long after its touch a key of the phone goes out. Touches come over
// Wi-Fi after a time that varies from one to the next, which a game's
// judgement offset cannot set away; a delay that is always the same can be.
// So each stroke goes out at its touch's time (on the page's clock, taken to
// the PC's) plus one delay D, long enough that nearly every touch has come
// by then: the 99th percentile of the last seconds' lags (when a touch or a
// ping came against when the page made it) plus a margin (half a
// millisecond and an eighth of the way from their median to it), at most
// SteadyDelayMostMs unless the player fixes it. The lag counts the page's
// clock as it is: the PC's clock minus the page's plus the way over the
// network. So the time a stroke goes out, the touch's page time plus the lag
// chosen, does not move with the estimate of the clocks' offset, only D as
// shown does.
//
// The lag changes in steps of a millisecond, only while no stroke waits:
// up at once when the network is worse by more than SteadyRaiseBandUs (at
// most ten steps a second), down only once it has been better by more than
// SteadyLowerBandUs for SteadyLowerAfterUs, two steps a second: the
// estimate's own wobble from sample to sample moves no key. At the bound, and at a delay the
// player fixed, it stays while within SteadyLowerBandUs of it: they are
// counted from the clocks' offset, whose estimate has its noise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The player's choice: steady with a delay that follows the network, steady
// with a delay the player fixed, or every stroke at once as its message comes.
enum class DelayMode : uint8_t { Follow, Fixed, AtOnce };

struct DelaySetting {
    DelayMode mode = DelayMode::Follow;
    int32_t fixedMs = 0; // a Fixed delay
};

constexpr int32_t SteadyDelayMostMs = 40;
// The longest delay a player may fix.
constexpr int32_t FixedDelayMostMs = 250;

// A setting as the command line and the settings file give it: "auto" (the
// delay follows the network), "0" (at once) or the fixed delay in
// milliseconds, 1 to FixedDelayMostMs. False for anything else.
bool parseDelaySetting(std::string_view text, DelaySetting& setting);
// The setting as parseDelaySetting takes it: "auto", "0", "25".
void writeDelaySetting(const DelaySetting& setting, char* out, size_t size);
constexpr size_t SteadyLagsKept = 512;
constexpr uint64_t SteadyLagWindowUs = 20000000;
// Lags needed before a delay is chosen.
constexpr size_t SteadyLagsNeeded = 24;
constexpr int64_t SteadyStepUs = 1000;
constexpr uint64_t SteadyRaiseEveryUs = 100000;
constexpr int64_t SteadyRaiseBandUs = 1000;
constexpr int64_t SteadyLowerBandUs = 2000;
constexpr uint64_t SteadyLowerAfterUs = 3000000;
constexpr uint64_t SteadyLowerEveryUs = 500000;

struct SteadyDelay {
    int64_t lagUs[SteadyLagsKept];
    uint64_t lagAtUs[SteadyLagsKept];
    size_t next;
    size_t count;
    bool chosen;
    int64_t chosenLagUs;    // a stroke goes out at its touch's page time plus this
    uint64_t changedAtUs;   // the last step
    uint64_t betterSinceUs; // since when a lower lag would do; 0 while none would
};

void resetSteadyDelay(SteadyDelay& delay);
// A touch or a ping that came at arrivalUs (the PC's clock) and was made at
// pageTimeUs (the page's, unwrapped).
void noteLag(SteadyDelay& delay, uint64_t arrivalUs, int64_t pageTimeUs);
// What the lags of the window ask for: their 99th percentile plus the
// margin; false while too few.
bool wantedLag(const SteadyDelay& delay, uint64_t nowUs, int64_t& lagUs);
// Steps the lag towards what the setting and the network ask for, given the
// clocks' offset in use (PC minus page). Nothing changes while a stroke
// waits. False while no lag can be chosen (the clock is not good, too few
// lags, or every stroke at once).
bool chooseLag(SteadyDelay& delay, const DelaySetting& setting, bool clockGood, int64_t offsetUs,
               bool strokesWaiting, uint64_t nowUs);
