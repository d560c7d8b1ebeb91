#include "remote/steady_delay.h"

#include "base/format_text.h"

#include <algorithm>
#include <cstdlib>

bool parseDelaySetting(std::string_view text, DelaySetting& setting) {
    if (text == "auto") {
        setting = DelaySetting{};
        return true;
    }
    if (text.empty() || text.size() > 3) {
        return false;
    }
    int32_t ms = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        ms = ms * 10 + (c - '0');
    }
    if (ms > FixedDelayMostMs || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    setting = DelaySetting{ms == 0 ? DelayMode::AtOnce : DelayMode::Fixed, ms};
    return true;
}

void writeDelaySetting(const DelaySetting& setting, char* out, size_t size) {
    if (setting.mode == DelayMode::Follow) {
        formatTextN(out, size, "%s", "auto");
    } else {
        formatTextN(out, size, "%d",
                    setting.mode == DelayMode::AtOnce ? 0 : static_cast<int>(setting.fixedMs));
    }
}

void resetSteadyDelay(SteadyDelay& delay) {
    delay = SteadyDelay{};
}

void noteLag(SteadyDelay& delay, uint64_t arrivalUs, int64_t pageTimeUs) {
    delay.lagUs[delay.next] = static_cast<int64_t>(arrivalUs) - pageTimeUs;
    delay.lagAtUs[delay.next] = arrivalUs;
    delay.next = (delay.next + 1) % SteadyLagsKept;
    delay.count = std::min(delay.count + 1, SteadyLagsKept);
}

bool wantedLag(const SteadyDelay& delay, uint64_t nowUs, int64_t& lagUs) {
    int64_t recent[SteadyLagsKept];
    size_t count = 0;
    for (size_t i = 0; i < delay.count; ++i) {
        if (nowUs - delay.lagAtUs[i] <= SteadyLagWindowUs) {
            recent[count++] = delay.lagUs[i];
        }
    }
    if (count < SteadyLagsNeeded) {
        return false;
    }
    // Nearest ranks, as the round trips' figures.
    const size_t rank99 = std::max<size_t>(1, (99 * count + 99) / 100);
    std::nth_element(recent, recent + rank99 - 1, recent + count);
    const int64_t high = recent[rank99 - 1];
    const size_t rank50 = std::max<size_t>(1, (50 * count + 99) / 100);
    std::nth_element(recent, recent + rank50 - 1, recent + rank99 - 1);
    const int64_t median = recent[rank50 - 1];
    lagUs = high + 500 + (high - median) / 8;
    return true;
}

bool chooseLag(SteadyDelay& delay, const DelaySetting& setting, bool clockGood, int64_t offsetUs,
               bool strokesWaiting, uint64_t nowUs) {
    int64_t wanted = 0;
    if (setting.mode == DelayMode::AtOnce || !clockGood ||
        (setting.mode == DelayMode::Follow && !wantedLag(delay, nowUs, wanted))) {
        delay.chosen = false;
        return false;
    }
    // A delay the player fixed, or the bound, is kept to within the band: the
    // clocks' offset it is counted from moves with the estimate's noise,
    // which must not move the keys.
    const int64_t mostUs = SteadyDelayMostMs * int64_t{1000};
    const bool fixed = setting.mode == DelayMode::Fixed;
    const bool bounded = fixed || wanted > offsetUs + mostUs;
    wanted = fixed ? offsetUs + std::clamp(setting.fixedMs, 0, FixedDelayMostMs) * int64_t{1000}
                   : std::clamp(wanted, offsetUs, offsetUs + mostUs);
    if (!delay.chosen) {
        delay.chosen = true;
        delay.chosenLagUs = wanted;
        delay.changedAtUs = nowUs;
        delay.betterSinceUs = 0;
        return true;
    }
    const int64_t way = wanted - delay.chosenLagUs;
    if (strokesWaiting || (bounded && std::abs(way) <= SteadyLowerBandUs)) {
        delay.betterSinceUs = 0;
        return true;
    }
    if (way > 0) {
        delay.betterSinceUs = 0;
        if (way > SteadyRaiseBandUs && nowUs - delay.changedAtUs >= SteadyRaiseEveryUs) {
            delay.chosenLagUs += std::min(way, SteadyStepUs);
            delay.changedAtUs = nowUs;
        }
        return true;
    }
    if (-way <= SteadyLowerBandUs) {
        delay.betterSinceUs = 0;
        return true;
    }
    if (delay.betterSinceUs == 0) {
        delay.betterSinceUs = nowUs;
    }
    const uint64_t waitUs = bounded ? 0 : SteadyLowerAfterUs;
    if (nowUs - delay.betterSinceUs >= waitUs && nowUs - delay.changedAtUs >= SteadyLowerEveryUs) {
        delay.chosenLagUs -= std::min(-way, SteadyStepUs);
        delay.changedAtUs = nowUs;
    }
    return true;
}
