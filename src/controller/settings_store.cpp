#include "controller/settings_store.h"

namespace {

// Keeps nothing and finds nothing: for the tools and tests that have no
// place for settings.
constexpr SettingsStore NoStore = {
    .read =
        [](char*, size_t, size_t* length) {
            *length = 0;
            return SettingsMissing;
        },
    .write =
        [](const char*, size_t, uint32_t* error) {
            *error = 0;
            return true;
        },
    .writeLog = [](const char*, size_t) {},
    .appendLog = [](const char*, size_t) {},
};

} // namespace

SettingsStore settingsStore = NoStore;

void resetSettingsStore() {
    settingsStore = NoStore;
}
