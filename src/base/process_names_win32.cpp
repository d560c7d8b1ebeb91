// The program behind a process or a window on Windows: the file name of its
// image (QueryFullProcessImageNameW, at any path length), without its folder.
// A process that cannot be opened for PROCESS_QUERY_LIMITED_INFORMATION (one
// of a higher integrity, a protected one) has no name: no more rights are
// asked for.
#include <windows.h>

#include "base/process_names.h"
#include "base/wide_text.h"

// QueryFullProcessImageNameW gives the whole path, of any length.
std::string programNameOfProcess(void* process) {
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(static_cast<HANDLE>(process), 0, path.data(), &length)) {
        return std::string();
    }
    path.resize(length);
    const size_t slash = path.find_last_of(L"\\/");
    return utf8FromWide(path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1));
}

std::string programNameOfWindow(void* window) {
    DWORD processId = 0;
    if (GetWindowThreadProcessId(static_cast<HWND>(window), &processId) == 0) {
        return std::string();
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return std::string();
    }
    std::string name = programNameOfProcess(process);
    CloseHandle(process);
    return name;
}
