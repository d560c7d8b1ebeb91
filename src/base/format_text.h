// printf-style formatting into a caller's buffer, never past its end.
#pragma once

#include <cstdarg>
#include <cstddef>

// vsnprintf under the engine's name: the text is cut to fit (always
// terminated); the result is the length of the whole formatted text, or -1 on
// a formatting error.
int formatTextN(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int formatTextV(char* buffer, size_t size, const char* format, va_list args);

// The buffer's size is taken from the array itself.
template <size_t N, typename... Args>
int formatText(char (&buffer)[N], const char* format, Args... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    return formatTextN(buffer, N, format, args...);
#pragma GCC diagnostic pop
}
