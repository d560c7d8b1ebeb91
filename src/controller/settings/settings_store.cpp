#include "controller/settings/settings_store.h"

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
    .readFile =
        [](const char*, char*, size_t, size_t* length) {
            *length = 0;
            return SettingsMissing;
        },
    .fullPath = [](const char*, char*, size_t) { return false; },
    .eachSavedLayout = [](void (*)(const char*, void*), void*) {},
    .saveLayout =
        [](const char*, const char*, size_t, char*, size_t, uint32_t* error) {
            *error = 0;
            return false;
        },
    .placePath = [](SettingsPlaceKind, char*, size_t) { return false; },
};

} // namespace

SettingsStore settingsStore = NoStore;

void resetSettingsStore() {
    settingsStore = NoStore;
}

bool fileBusyError(uint32_t error) {
    constexpr uint32_t AccessDenied = 5;
    constexpr uint32_t SharingViolation = 32;
    constexpr uint32_t LockViolation = 33;
    return error == AccessDenied || error == SharingViolation || error == LockViolation;
}

uint32_t replaceWithRetries(uint32_t (*attempt)(void* context), void* context,
                            void (*pause)(uint32_t milliseconds)) {
    uint32_t error = attempt(context);
    for (uint32_t waited = 0; error != 0 && fileBusyError(error) && waited < ReplaceRetryMs;
         waited += ReplaceRetryStepMs) {
        pause(ReplaceRetryStepMs);
        error = attempt(context);
    }
    return error;
}
