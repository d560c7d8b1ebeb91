// The saved settings, the log and the layout files in memory, as the
// settings store keeps them on Windows: a write is whole or not at all.
#pragma once

#include <map>
#include <string>

#include "controller/settings/settings_store.h"

struct FakeStore {
    SettingsRead read = SettingsMissing;
    std::string file;
    bool writable = true; // the settings folder, layouts folder included
    int writes = 0;
    std::string log;
    std::map<std::string, std::string> files; // other files by their whole paths
};
extern FakeStore store;

// Where the layouts folder is: a path with a drive is whole, others lie in
// the current folder, C:\Games.
constexpr const char* FakeLayoutsFolder =
    "C:\\Users\\player\\AppData\\Roaming\\Padrelle\\layouts\\";

// Resets the store and fills settingsStore with it.
void installFakeStore();
