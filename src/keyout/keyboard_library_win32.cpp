// Binds the keyboard-filter driver library at run time.
#include <windows.h>

#include "base/wide_text.h"
#include "keyout/keyboard_library.h"
#include "keyout/library_loading.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

template <typename Call> void bind(HMODULE module, const char* name, Call& call) {
    // The library's calls use the C calling convention; the table's pointers match.
    call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void* loadFromSafeFolders(const char* name, uint32_t* error) {
    // Only the program's own folder and System32: never the current directory.
    HMODULE module = LoadLibraryExA(
        name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    *error = module == nullptr ? GetLastError() : 0;
    return module;
}

// A UTF-8 path as the system's wide calls take it; false when it does not fit.
bool widePath(const char* path, wchar_t* out, int size) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, out, size) > 0;
}

// A wide folder as UTF-8, ending in a backslash.
bool utf8Folder(const wchar_t* folder, char* out, size_t size) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, folder, -1, out, static_cast<int>(size), nullptr, nullptr);
    if (length <= 1 || static_cast<size_t>(length) + 1 > size) {
        return false;
    }
    if (out[length - 2] != '\\') {
        out[length - 1] = '\\';
        out[length] = '\0';
    }
    return true;
}

void* loadFromPath(const char* path, uint32_t* error) {
    wchar_t wide[MAX_PATH * 2];
    if (!widePath(path, wide, MAX_PATH * 2)) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    HMODULE module = LoadLibraryExW(wide, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    *error = module == nullptr ? GetLastError() : 0;
    return module;
}

bool programFolder(char* out, size_t size) {
    std::wstring path = programPath();
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return false;
    }
    path.resize(slash);
    return utf8Folder(path.c_str(), out, size);
}

bool systemFolder(char* out, size_t size) {
    wchar_t path[MAX_PATH * 2];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 && utf8Folder(path, out, size);
}

size_t readFileStart(const char* path, uint8_t* out, size_t size) {
    const std::wstring wide = fileSystemPath(path);
    if (wide.empty()) {
        return 0;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD read = 0;
    if (!ReadFile(file, out, static_cast<DWORD>(size), &read, nullptr)) {
        read = 0;
    }
    CloseHandle(file);
    return read;
}

constexpr LibraryLoader Win32Loader = {loadFromSafeFolders, loadFromPath, programFolder,
                                       systemFolder, readFileStart};

} // namespace

void bindKeyboardLibrary() {
    interception = InterceptionApi{};
    const int32_t programBits = sizeof(void*) == 8 ? 64 : 32;
    const LibraryLoad load = loadInterceptionLibrary(Win32Loader, programBits);
    keyboardLibrary = load.found;
    BOOL wow64 = FALSE;
    keyboardLibrary.onWow64 = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
    if (load.module == nullptr) {
        return;
    }
    HMODULE module = static_cast<HMODULE>(load.module);
    bind(module, "interception_create_context", interception.create_context);
    bind(module, "interception_destroy_context", interception.destroy_context);
    bind(module, "interception_is_keyboard", interception.is_keyboard);
    bind(module, "interception_set_filter", interception.set_filter);
    bind(module, "interception_wait", interception.wait);
    bind(module, "interception_receive", interception.receive);
    bind(module, "interception_send", interception.send);
    bind(module, "interception_wait_with_timeout", interception.wait_with_timeout);
    bind(module, "interception_get_hardware_id", interception.get_hardware_id);
    keyboardLibrary.status = checkInterceptionTable(interception, &keyboardLibrary.missingCall);
    if (keyboardLibrary.status != KeyboardLibraryReady) {
        // A half library is not used at all.
        interception = InterceptionApi{};
    }
}
