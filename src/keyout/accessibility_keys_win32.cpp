// The accessibility features' flags through SystemParametersInfo, changed for
// the running session only (no SPIF_UPDATEINIFILE).
#include <windows.h>

#include "keyout/accessibility_keys.h"

namespace {

bool getFlags(AccessibilityFeature feature, uint32_t* flags) {
    switch (feature) {
    case StickyKeys: {
        STICKYKEYS keys = {sizeof keys, 0};
        if (!SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof keys, &keys, 0)) {
            return false;
        }
        *flags = keys.dwFlags;
        return true;
    }
    case FilterKeys: {
        FILTERKEYS keys = {sizeof keys, 0, 0, 0, 0, 0};
        if (!SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof keys, &keys, 0)) {
            return false;
        }
        *flags = keys.dwFlags;
        return true;
    }
    case ToggleKeys: {
        TOGGLEKEYS keys = {sizeof keys, 0};
        if (!SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof keys, &keys, 0)) {
            return false;
        }
        *flags = keys.dwFlags;
        return true;
    }
    }
    return false;
}

bool setFlags(AccessibilityFeature feature, uint32_t flags) {
    switch (feature) {
    case StickyKeys: {
        STICKYKEYS keys = {sizeof keys, flags};
        return SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof keys, &keys, 0) != 0;
    }
    case FilterKeys: {
        // The filter's times stay as they are.
        FILTERKEYS keys = {sizeof keys, 0, 0, 0, 0, 0};
        if (!SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof keys, &keys, 0)) {
            return false;
        }
        keys.dwFlags = flags;
        return SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof keys, &keys, 0) != 0;
    }
    case ToggleKeys: {
        TOGGLEKEYS keys = {sizeof keys, flags};
        return SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof keys, &keys, 0) != 0;
    }
    }
    return false;
}

} // namespace

void useWin32AccessibilityApi() {
    accessibilityApi = AccessibilityApi{.getFlags = getFlags, .setFlags = setFlags};
}
