#include "base/format_text.h"

#include <cstdio>

int formatTextV(char* buffer, size_t size, const char* format, va_list args) {
    if (buffer == nullptr || size == 0 || format == nullptr) {
        return -1;
    }
    const int written = std::vsnprintf(buffer, size, format, args);
    return written < 0 ? -1 : written;
}

int formatTextN(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = formatTextV(buffer, size, format, args);
    va_end(args);
    return written;
}
