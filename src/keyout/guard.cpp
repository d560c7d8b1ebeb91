#include "keyout/guard.h"

#include "keyout/interception_api.h"

int32_t releaseAfterEnd(HeldRecord& record, GuardBreak sendBreak, void* context,
                        const AccessibilityApi& accessibility) {
    if (record.cleanExit != 0) {
        return 0;
    }
    int32_t released = 0;
    constexpr unsigned short Prefixes[3] = {0, KeyStateE0, KeyStateE1};
    for (const unsigned short prefix : Prefixes) {
        for (uint16_t code = 0; code < 256; ++code) {
            if (keyHeldInRecord(record, code, prefix) && sendBreak(code, prefix, context)) {
                ++released;
            }
        }
    }
    for (int32_t feature = 0; feature < AccessibilityFeatureCount; ++feature) {
        if (record.accessibilityChanged[feature] != 0) {
            accessibility.setFlags(static_cast<AccessibilityFeature>(feature),
                                   record.accessibilityFlags[feature]);
        }
    }
    return released;
}

void markCleanExit() {
    heldRecord->cleanExit = 1;
}
