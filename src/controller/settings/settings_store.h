// Where the saved settings and the start-up log are kept: on Windows in the
// user's application-data folder (settings_store_win32.cpp); in tests, fakes.
#pragma once

#include <cstddef>
#include <cstdint>

enum SettingsRead : int32_t { SettingsFound = 0, SettingsMissing = 1, SettingsUnreadable = 2 };
// The places a player may open in Explorer.
enum SettingsPlaceKind : int32_t { LayoutsFolderPlace = 0, LogFilePlace = 1 };

struct SettingsStore {
    // The whole saved file, at most size bytes; a longer one is Unreadable.
    SettingsRead (*read)(char* buffer, size_t size, size_t* length);
    // Replaces the saved file whole or not at all (a temporary file renamed
    // over it); false with the system's error when it could not be done.
    bool (*write)(const char* text, size_t length, uint32_t* error);
    // Replaces the start-up log.
    void (*writeLog)(const char* text, size_t length);
    // Adds to the end of the log.
    void (*appendLog)(const char* text, size_t length);
    // Any file by its path (UTF-8; relative to the current folder), at most
    // size bytes; a longer one is Unreadable. Layout files are read so.
    SettingsRead (*readFile)(const char* path, char* buffer, size_t size, size_t* length);
    // A path made whole from the current folder (UTF-8); false when it
    // cannot be, or does not fit.
    bool (*fullPath)(const char* path, char* out, size_t size);
    // The layout files the player keeps beside the settings (the layouts
    // folder, *.txt), each by its whole path, at most MaxSavedLayoutFiles.
    void (*eachSavedLayout)(void (*each)(const char* path, void* context), void* context);
    // Puts a layout file of that name (no folder) into the layouts folder,
    // made when missing, whole or not at all as the settings file; its
    // whole path in path. False with the system's error when it could not
    // be done.
    bool (*saveLayout)(const char* name, const char* text, size_t length, char* path,
                       size_t pathSize, uint32_t* error);
    // The whole path (UTF-8) of the layouts folder, made when missing, or of
    // the log; false when it cannot be had.
    bool (*placePath)(SettingsPlaceKind place, char* out, size_t size);
};

constexpr int32_t MaxSavedLayoutFiles = 64;

// Until filled: nothing is kept and nothing found.
extern SettingsStore settingsStore;
void resetSettingsStore();

// How the place is named to players.
constexpr const char* SettingsPlace = "%APPDATA%\\Padrelle\\settings.txt";
constexpr const char* LogPlace = "%APPDATA%\\Padrelle\\padrelle.log";
constexpr const char* LayoutsPlace = "%APPDATA%\\Padrelle\\layouts";

// Windows only: the files in %APPDATA%\Padrelle.
void useWin32SettingsStore();

// A virus scanner or an indexer holds a new file open for a moment: a
// replace that fails for that (access denied, a sharing or lock violation)
// is tried again every ReplaceRetryStepMs, for about ReplaceRetryMs in all.
constexpr uint32_t ReplaceRetryMs = 500;
constexpr uint32_t ReplaceRetryStepMs = 50;
bool fileBusyError(uint32_t error);
// attempt gives 0 when done, else the system's error; the last error is
// given (0: done).
uint32_t replaceWithRetries(uint32_t (*attempt)(void* context), void* context,
                            void (*pause)(uint32_t milliseconds));
