#include "keyout/accessibility_keys.h"

#include "keyout/held_record.h"

namespace {

constexpr AccessibilityFeature Features[AccessibilityFeatureCount] = {StickyKeys, FilterKeys,
                                                                      ToggleKeys};

constexpr AccessibilityApi NoAccessibility = {
    .getFlags = [](AccessibilityFeature, uint32_t*) { return false; },
    .setFlags = [](AccessibilityFeature, uint32_t) { return false; },
};

} // namespace

AccessibilityApi accessibilityApi = NoAccessibility;

void resetAccessibilityApi() {
    accessibilityApi = NoAccessibility;
}

void turnOffAccessibilityHotkeys() {
    for (AccessibilityFeature feature : Features) {
        uint32_t flags = 0;
        if (heldRecord->accessibilityChanged[feature] != 0 ||
            !accessibilityApi.getFlags(feature, &flags)) {
            continue;
        }
        // A player who uses the feature keeps it as it is.
        if ((flags & FeatureOn) != 0 || (flags & (HotkeyActive | ConfirmHotkey)) == 0) {
            continue;
        }
        if (accessibilityApi.setFlags(feature, flags & ~(HotkeyActive | ConfirmHotkey))) {
            heldRecord->accessibilityFlags[feature] = flags;
            heldRecord->accessibilityChanged[feature] = 1;
        }
    }
}

void restoreAccessibilityHotkeys() {
    for (AccessibilityFeature feature : Features) {
        if (heldRecord->accessibilityChanged[feature] != 0) {
            heldRecord->accessibilityChanged[feature] = 0;
            accessibilityApi.setFlags(feature, heldRecord->accessibilityFlags[feature]);
        }
    }
}
