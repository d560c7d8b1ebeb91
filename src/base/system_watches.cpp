#include "base/system_watches.h"

#include "base/format_text.h"

#include <string>

namespace {

uint32_t refused = 0;

struct WatchWords {
    SystemWatch watch;
    const char* words;
};

constexpr WatchWords Words[] = {
    {WatchTouch, "touch input: Windows did not register the window for touch "
                 "(RegisterTouchWindow failed): touches cannot reach Padrelle; the mouse and a "
                 "phone still can"},
    {WatchForeground, "the foreground: Windows would not tell Padrelle when it changes "
                      "(SetWinEventHook failed): a game run as administrator is not noticed, and "
                      "breaks it may have dropped go again only every 100 ms"},
    {WatchDesktopSwitch, "the input desktop: Windows would not tell Padrelle when it switches "
                         "(SetWinEventHook failed): fingers held as a UAC prompt or the lock "
                         "screen comes are let go by the lock's notice alone"},
    {WatchDisplayPower, "the display: Windows would not tell Padrelle when it goes off "
                        "(RegisterPowerSettingNotification failed)"},
    {WatchGuard, "the guard: it could not be started: keys held when Padrelle is ended from "
                 "outside (Task Manager, a crash) are not let go"},
};

} // namespace

void noteSystemWatch(SystemWatch watch, bool given) {
    refused = given ? refused & ~static_cast<uint32_t>(watch) : refused | watch;
}

uint32_t refusedSystemWatches() {
    return refused;
}

void describeRefusedWatches(uint32_t bits, char* out, size_t size) {
    std::string text;
    for (const WatchWords& entry : Words) {
        if ((bits & entry.watch) != 0) {
            text += entry.words;
            text += "\n";
        }
    }
    formatTextN(out, size, "%s", text.c_str());
}

void resetSystemWatches() {
    refused = 0;
}
