// The keys and the screen Padrelle remembers between runs, as a small text
// file a person can read:
//
//   # Padrelle settings ...
//   version 1
//   keys 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A
//   screen \\.\DISPLAY2 fullscreen
//
// Comments and blank lines aside, the version line comes first, the keys line
// is required and the screen line may be left out. A file with anything else
// in it is not used at all.
#pragma once

#include "controller/key_set.h"

#include <cstddef>
#include <string_view>

constexpr size_t MonitorNameSize = 32; // as the system names a monitor: "\\.\DISPLAY1"
constexpr size_t SavedSettingsMaxBytes = 4096;

struct SavedScreen {
    char monitor[MonitorNameSize]; // printable, no blanks
    bool fullScreen;
};

struct SavedSettings {
    KeySet keys;
    bool hasScreen;
    SavedScreen screen;
};

// Reads a whole file. False with the line and the problem otherwise.
bool parseSavedSettings(std::string_view text, SavedSettings& settings, char* problem,
                        size_t problemSize);
// The file's text; its length, or 0 when it does not fit.
size_t writeSavedSettings(const SavedSettings& settings, char* out, size_t size);

// A name that can stand in the file: 1 to 31 printable characters, no blank.
bool isMonitorName(std::string_view name);
