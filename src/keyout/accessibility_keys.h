// The hotkeys of Sticky Keys (Shift five times), Filter Keys (right Shift
// held eight seconds) and Toggle Keys (Num Lock held five seconds). Scratching
// on Shift presses it five times in a moment: the Sticky Keys question comes
// up and takes the foreground from the game. While Padrelle runs, the hotkey
// of each feature that is off is turned off too, as Windows' guidance for
// games does it: in the running session only, never written to the user's
// profile. They are put back at the end, after a crash (by the guard) and at
// the session's end.
#pragma once

#include <cstdint>

enum AccessibilityFeature : int32_t { StickyKeys = 0, FilterKeys = 1, ToggleKeys = 2 };

// The flag bits the three features share (SKF_, FKF_, TKF_).
constexpr uint32_t FeatureOn = 0x00000001;
constexpr uint32_t HotkeyActive = 0x00000004;
constexpr uint32_t ConfirmHotkey = 0x00000008;

// SystemParametersInfo for the features' flags (the Win32 layer fills it;
// tests fill it with fakes). set changes only the flags, for the session.
struct AccessibilityApi {
    bool (*getFlags)(AccessibilityFeature feature, uint32_t* flags);
    bool (*setFlags)(AccessibilityFeature feature, uint32_t flags);
};

// Until filled: nothing is read or changed.
extern AccessibilityApi accessibilityApi;
void resetAccessibilityApi();
// Windows only: SPI_GET/SETSTICKYKEYS, ...FILTERKEYS, ...TOGGLEKEYS.
void useWin32AccessibilityApi();

// Turns off the hotkey of each feature that is off and has it on; the flags
// before are kept in the held record, for the end and for the guard.
void turnOffAccessibilityHotkeys();
// Puts back what was turned off; safe to call again.
void restoreAccessibilityHotkeys();
