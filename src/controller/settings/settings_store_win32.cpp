// The saved settings and the start-up log in %APPDATA%\Padrelle: the user's
// own folder, writable without administrator rights wherever padrelle.exe
// lies, and kept when a new version is unpacked elsewhere.
#include <windows.h>

#include <shlobj.h>

#include "base/wide_text.h"
#include "controller/settings/settings_store.h"

#include <cstring>
#include <string>

namespace {

// %APPDATA%\Padrelle\<name>, the folder made when asked; empty when the
// folder is not known. However deep %APPDATA% lies (a redirected profile).
std::wstring pathOf(const wchar_t* name, bool makeFolder) {
    wchar_t* appData = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData))) {
        CoTaskMemFree(appData);
        return std::wstring();
    }
    const std::wstring folder = fileSystemPath(std::wstring(appData) + L"\\Padrelle");
    CoTaskMemFree(appData);
    if (makeFolder && !CreateDirectoryW(folder.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        return std::wstring();
    }
    return folder + L"\\" + name;
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
    const std::wstring path = pathOf(L"settings.txt", false);
    if (path.empty()) {
        return SettingsMissing;
    }
    return readWhole(path.c_str(), buffer, size, length);
}

SettingsRead readFile(const char* utf8Path, char* buffer, size_t size, size_t* length) {
    *length = 0;
    const std::wstring path = fileSystemPath(utf8Path);
    if (path.empty()) {
        return SettingsUnreadable;
    }
    return readWhole(path.c_str(), buffer, size, length);
}

// A path as the player gave it, made whole (from the current folder), so
// that it still names the same file when the program is started from
// elsewhere; false when the system cannot make it so.
bool fullPath(const char* utf8Path, char* out, size_t size) {
    const std::string utf8 = utf8FromWide(fullPathOf(wideFromUtf8(utf8Path)).c_str());
    if (utf8.empty() || utf8.size() >= size) {
        return false;
    }
    std::memcpy(out, utf8.c_str(), utf8.size() + 1);
    return true;
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

// The new file whole beside the old, then put in its place: the file is
// always either the old one or the new one.
bool replaceFile(const std::wstring& pathText, const std::wstring& temporaryText, const char* text,
                 size_t length, uint32_t* error) {
    const wchar_t* path = pathText.c_str();
    const wchar_t* temporary = temporaryText.c_str();
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

bool writeSettings(const char* text, size_t length, uint32_t* error) {
    const std::wstring path = pathOf(L"settings.txt", true);
    const std::wstring temporary = pathOf(L"settings.txt.new", false);
    if (path.empty() || temporary.empty()) {
        *error = GetLastError();
        return false;
    }
    return replaceFile(path, temporary, text, length, error);
}

// %APPDATA%\Padrelle\layouts, made when asked; empty when it cannot be.
std::wstring layoutsFolder(bool make) {
    const std::wstring folder = pathOf(L"layouts", make);
    if (folder.empty() || (make && !CreateDirectoryW(folder.c_str(), nullptr) &&
                           GetLastError() != ERROR_ALREADY_EXISTS)) {
        return std::wstring();
    }
    return folder;
}

void eachSavedLayout(void (*each)(const char* path, void* context), void* context) {
    const std::wstring folder = layoutsFolder(false);
    if (folder.empty()) {
        return;
    }
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileExW((folder + L"\\*.txt").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    int32_t count = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        const std::string path = utf8FromWide((folder + L"\\" + found.cFileName).c_str());
        if (!path.empty()) {
            each(path.c_str(), context);
            ++count;
        }
    } while (count < MaxSavedLayoutFiles && FindNextFileW(search, &found));
    FindClose(search);
}

bool saveLayout(const char* name, const char* text, size_t length, char* out, size_t outSize,
                uint32_t* error) {
    const std::wstring folder = layoutsFolder(true);
    const std::wstring file = wideFromUtf8(name);
    if (folder.empty() || file.empty()) {
        *error = folder.empty() ? static_cast<uint32_t>(GetLastError()) : ERROR_INVALID_NAME;
        return false;
    }
    const std::wstring path = folder + L"\\" + file;
    const std::string utf8 = utf8FromWide(path.c_str());
    if (utf8.empty() || utf8.size() >= outSize) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    if (!replaceFile(path, path + L".new", text, length, error)) {
        return false;
    }
    std::memcpy(out, utf8.c_str(), utf8.size() + 1);
    return true;
}

void writeToLog(const char* text, size_t length, bool append) {
    const std::wstring path = pathOf(L"padrelle.log", true);
    if (!path.empty()) {
        writeFile(path.c_str(), text, length, append);
    }
}

bool placePath(SettingsPlaceKind place, char* out, size_t size) {
    const std::wstring path =
        place == LayoutsFolderPlace ? layoutsFolder(true) : pathOf(L"padrelle.log", true);
    const std::string utf8 = path.empty() ? std::string() : utf8FromWide(path.c_str());
    if (utf8.empty() || utf8.size() >= size) {
        return false;
    }
    std::memcpy(out, utf8.c_str(), utf8.size() + 1);
    return true;
}

} // namespace

void useWin32SettingsStore() {
    settingsStore = SettingsStore{
        .read = readSettings,
        .write = writeSettings,
        .writeLog = [](const char* text, size_t length) { writeToLog(text, length, false); },
        .appendLog = [](const char* text, size_t length) { writeToLog(text, length, true); },
        .readFile = readFile,
        .fullPath = fullPath,
        .eachSavedLayout = eachSavedLayout,
        .saveLayout = saveLayout,
        .placePath = placePath,
    };
}
