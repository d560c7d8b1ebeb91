// The stand-in's log file: one line per library call and per stroke.
#include <windows.h>

#include "standin.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* logFile = nullptr;
DWORD startTime = 0;

// standin-interception.log in the folder of this DLL.
void defaultLogPath(char* path, size_t size) {
    HMODULE self = nullptr;
    path[0] = '\0';
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&defaultLogPath), &self)) {
        std::snprintf(path, size, "standin-interception.log");
        return;
    }
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(self, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        std::snprintf(path, size, "standin-interception.log");
        return;
    }
    char* slash = std::strrchr(module, '\\');
    if (slash != nullptr) {
        slash[1] = '\0';
    } else {
        module[0] = '\0';
    }
    std::snprintf(path, size, "%sstandin-interception.log", module);
}

} // namespace

void openStandinLog() {
    if (logFile != nullptr) {
        return;
    }
    startTime = GetTickCount();
    char path[MAX_PATH + 32] = {};
    const char* configured = std::getenv("PADRELLE_STANDIN_LOG");
    if (configured != nullptr && configured[0] != '\0') {
        std::snprintf(path, sizeof path, "%s", configured);
    } else {
        defaultLogPath(path, sizeof path);
    }
    logFile = std::fopen(path, "w");
}

void closeStandinLog() {
    if (logFile != nullptr) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

void logLine(const char* format, ...) {
    if (logFile == nullptr) {
        return;
    }
    std::fprintf(logFile, "%lu ", static_cast<unsigned long>(GetTickCount() - startTime));
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(logFile, format, arguments);
    va_end(arguments);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}
