// What the program asked Windows for at its start and was refused: each is a
// way a key could stay down or a touch be lost without a word, so the log
// names it (the Win32 layer notes them; the controller writes the log).
#pragma once

#include <cstddef>
#include <cstdint>

enum SystemWatch : uint32_t {
    WatchTouch = 1,         // RegisterTouchWindow: no touch reaches the window
    WatchForeground = 2,    // SetWinEventHook(EVENT_SYSTEM_FOREGROUND)
    WatchDesktopSwitch = 4, // SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH)
    WatchDisplayPower = 8,  // RegisterPowerSettingNotification(GUID_CONSOLE_DISPLAY_STATE)
    WatchGuard = 16,        // the guard process that lets go after a hard end
};

// The watches refused so far (bits of SystemWatch), or given later.
void noteSystemWatch(SystemWatch watch, bool given);
uint32_t refusedSystemWatches();
// One line a refused watch, each saying what it costs; "" when none is.
void describeRefusedWatches(uint32_t refused, char* out, size_t size);
void resetSystemWatches();
