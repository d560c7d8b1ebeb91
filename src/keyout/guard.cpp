#include "keyout/guard.h"

#include <atomic>
#include <cstring>

namespace {

int32_t releaseHeld(HeldRecord& record, GuardBreak sendBreak, void* context) {
    int32_t released = 0;
    KeyBits held;
    static_assert(sizeof held == sizeof record.held);
    std::memcpy(held, record.held, sizeof held);
    forEachKey(held, [&](uint16_t code, unsigned short prefix) {
        if (sendBreak(code, prefix, context)) {
            setKeyBit(record.held, code, prefix, false);
            ++released;
        }
    });
    return released;
}

} // namespace

int32_t releaseAfterEnd(HeldRecord& record, GuardBreak sendBreak, void* context,
                        const AccessibilityApi& accessibility) {
    if (record.cleanExit != 0) {
        return 0;
    }
    const int32_t released = releaseHeld(record, sendBreak, context);
    for (int32_t feature = 0; feature < AccessibilityFeatureCount; ++feature) {
        if (record.accessibilityChanged[feature] != 0) {
            accessibility.setFlags(static_cast<AccessibilityFeature>(feature),
                                   record.accessibilityFlags[feature]);
            record.accessibilityChanged[feature] = 0;
        }
    }
    return released;
}

int32_t releaseUntilTaken(HeldRecord& record, GuardBreak sendBreak, void* context,
                          const AccessibilityApi& accessibility, void (*pause)(uint32_t ms)) {
    int32_t released = releaseAfterEnd(record, sendBreak, context, accessibility);
    for (int32_t tries = 0;
         record.cleanExit == 0 && keysHeldInRecord(record) > 0 && tries < GuardRetries; ++tries) {
        pause(GuardRetryMs);
        released += releaseHeld(record, sendBreak, context);
    }
    return released;
}

namespace {
std::atomic<int32_t> restarts{0};
} // namespace

int32_t guardRestarts() {
    return restarts.load();
}

void noteGuardRestart() {
    ++restarts;
}

void markCleanExit() {
    heldRecord->cleanExit = keysHeldInRecord(*heldRecord) == 0 ? 1 : 0;
}
