// The program's UTF-8 and the system's UTF-16 (MultiByteToWideChar,
// WideCharToMultiByte), full paths (GetFullPathNameW) and the \\?\ form of
// long ones. Text that is not UTF-8 becomes nothing: no code page is guessed.
#include <windows.h>

#include "base/wide_text.h"

#include <vector>

std::wstring wideFromUtf8(const char* utf8) {
    if (utf8 == nullptr || utf8[0] == '\0') {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 1) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::string utf8FromWide(const wchar_t* wide) {
    if (wide == nullptr || wide[0] == L'\0') {
        return std::string();
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(length - 1));
    return utf8;
}

std::wstring fullPathOf(const std::wstring& path) {
    const DWORD needed = path.empty() ? 0 : GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::wstring();
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return std::wstring();
    }
    full.resize(length);
    return full;
}

std::wstring fileSystemPath(const std::wstring& path) {
    // Room for a file name under a folder of MAX_PATH - 12, as CreateDirectory has it.
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) {
        return path;
    }
    const std::wstring full = fullPathOf(path);
    if (full.empty()) {
        return path;
    }
    // \\server\share\... becomes \\?\UNC\server\share\...
    return full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

std::wstring fileSystemPath(const char* utf8) {
    const std::wstring wide = wideFromUtf8(utf8);
    return wide.empty() ? wide : fileSystemPath(wide);
}

std::wstring programPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            return std::wstring(path.data(), length);
        }
        if (path.size() >= 32768) {
            return std::wstring();
        }
        path.resize(path.size() * 2);
    }
}
