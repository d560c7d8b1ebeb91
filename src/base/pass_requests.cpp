#include "base/pass_requests.h"

#include "base/platform.h"

namespace {

bool passRequested = false;
uint32_t passDeadline = 0;
bool precisePassRequested = false;
uint64_t precisePassDeadline = 0;

} // namespace

void requestPassBy(uint32_t timeMs) {
    if (!passRequested || static_cast<int32_t>(timeMs - passDeadline) < 0) {
        passDeadline = timeMs;
        passRequested = true;
    }
}

void requestPassIn(uint32_t delayMs) {
    requestPassBy(platform.timeMs() + delayMs);
}

void requestPassAtUs(uint64_t timeUs) {
    if (!precisePassRequested || timeUs < precisePassDeadline) {
        precisePassDeadline = timeUs;
        precisePassRequested = true;
    }
}

uint32_t timeUntilPassDue() {
    if (!passRequested) {
        return WaitForever;
    }
    const auto left = static_cast<int32_t>(passDeadline - platform.timeMs());
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

bool precisePassAsked(uint64_t* timeUs) {
    *timeUs = precisePassDeadline;
    return precisePassRequested;
}

void passRequestsServed() {
    passRequested = false;
    precisePassRequested = false;
}

void resetPassRequests() {
    passRequested = false;
    passDeadline = 0;
    precisePassRequested = false;
    precisePassDeadline = 0;
}
