// Binds the keyboard-filter driver library at run time.
#include <windows.h>

#include "keyout/keyboard_library.h"
#include "keyout/library_loading.h"

#include <cstring>

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

void* loadFromPath(const char* path, uint32_t* error) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    *error = module == nullptr ? GetLastError() : 0;
    return module;
}

bool folderEnding(char* out, size_t size) {
    const size_t length = strlen(out);
    if (length == 0 || length + 2 > size) {
        return false;
    }
    if (out[length - 1] != '\\') {
        out[length] = '\\';
        out[length + 1] = '\0';
    }
    return true;
}

bool programFolder(char* out, size_t size) {
    const DWORD length = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(size));
    if (length == 0 || length >= size) {
        return false;
    }
    char* slash = strrchr(out, '\\');
    if (slash == nullptr) {
        return false;
    }
    slash[1] = '\0';
    return true;
}

bool systemFolder(char* out, size_t size) {
    const UINT length = GetSystemDirectoryA(out, static_cast<UINT>(size));
    return length > 0 && length < size && folderEnding(out, size);
}

size_t readFileStart(const char* path, uint8_t* out, size_t size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
