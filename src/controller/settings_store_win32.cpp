// The saved settings and the start-up log in %APPDATA%\Padrelle: the user's
// own folder, writable without administrator rights wherever padrelle.exe
// lies, and kept when a new version is unpacked elsewhere.
#include <windows.h>

#include <shlobj.h>

#include "controller/settings_store.h"

#include <cwchar>

namespace {

// %APPDATA%\Padrelle\<name>, the folder made when asked; false when the
// folder is not known.
bool pathOf(const wchar_t* name, wchar_t* path, size_t size, bool makeFolder) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return false;
    }
    const int length = swprintf(path, size, L"%ls\\Padrelle", folder);
    if (length <= 0 || static_cast<size_t>(length) >= size) {
        return false;
    }
    if (makeFolder && !CreateDirectoryW(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    const int whole = swprintf(path, size, L"%ls\\Padrelle\\%ls", folder, name);
    return whole > 0 && static_cast<size_t>(whole) < size;
}

SettingsRead readWhole(const wchar_t* path, char* buffer, size_t size, size_t* length) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SettingsMissing
                                                                              : SettingsUnreadable;
    }
    DWORD read = 0;
    const BOOL good = ReadFile(file, buffer, static_cast<DWORD>(size), &read, nullptr);
    CloseHandle(file);
    if (!good || read >= size) {
        return SettingsUnreadable; // unreadable, or longer than any good file
    }
    *length = read;
    return SettingsFound;
}

SettingsRead readSettings(char* buffer, size_t size, size_t* length) {
    *length = 0;
    wchar_t path[MAX_PATH + 64];
    if (!pathOf(L"settings.txt", path, MAX_PATH + 64, false)) {
        return SettingsMissing;
    }
    return readWhole(path, buffer, size, length);
}

SettingsRead readFile(const char* utf8Path, char* buffer, size_t size, size_t* length) {
    *length = 0;
    wchar_t path[MAX_PATH * 2];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, path, MAX_PATH * 2) <= 0) {
        return SettingsUnreadable;
    }
    return readWhole(path, buffer, size, length);
}

// The text as the whole file, or added to its end (a file made when there is
// none).
bool writeFile(const wchar_t* path, const char* text, size_t length, bool append) {
    HANDLE file =
        CreateFileW(path, append ? FILE_APPEND_DATA : GENERIC_WRITE, append ? FILE_SHARE_READ : 0,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool good = WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) &&
                      written == length && FlushFileBuffers(file);
    CloseHandle(file);
    return good;
}

bool writeSettings(const char* text, size_t length, uint32_t* error) {
    wchar_t path[MAX_PATH + 64];
    wchar_t temporary[MAX_PATH + 64];
    if (!pathOf(L"settings.txt", path, MAX_PATH + 64, true) ||
        !pathOf(L"settings.txt.new", temporary, MAX_PATH + 64, false)) {
        *error = GetLastError();
        return false;
    }
    // The new file whole beside the old, then put in its place: the saved
    // file is always either the old one or the new one.
    if (!writeFile(temporary, text, length, false)) {
        *error = GetLastError();
        DeleteFileW(temporary);
        return false;
    }
    const wchar_t* names[2] = {temporary, path};
    *error = replaceWithRetries(
        [](void* context) -> uint32_t {
            const auto* files = static_cast<const wchar_t* const*>(context);
            return MoveFileExW(files[0], files[1],
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : static_cast<uint32_t>(GetLastError());
        },
        names, [](uint32_t milliseconds) { Sleep(milliseconds); });
    if (*error != 0) {
        DeleteFileW(temporary);
        return false;
    }
    return true;
}

void writeToLog(const char* text, size_t length, bool append) {
    wchar_t path[MAX_PATH + 64];
    if (pathOf(L"padrelle.log", path, MAX_PATH + 64, true)) {
        writeFile(path, text, length, append);
    }
}

} // namespace

void useWin32SettingsStore() {
    settingsStore = SettingsStore{
        .read = readSettings,
        .write = writeSettings,
        .writeLog = [](const char* text, size_t length) { writeToLog(text, length, false); },
        .appendLog = [](const char* text, size_t length) { writeToLog(text, length, true); },
        .readFile = readFile,
    };
}
