#include "touch/touch_debug_line.h"

#include <cstring>

namespace {

// Appends the digits of value in the given base, most significant first.
char* appendUnsigned(char* out, uint32_t value, uint32_t base) {
    static const char digits[] = "0123456789abcdef";
    char reversed[10];
    int count = 0;
    do {
        reversed[count++] = digits[value % base];
        value /= base;
    } while (value != 0);
    while (count > 0) {
        *out++ = reversed[--count];
    }
    return out;
}

char* appendSigned(char* out, int32_t value) {
    // The magnitude is taken in unsigned arithmetic, so INT32_MIN is safe.
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    return appendUnsigned(out, magnitude, 10);
}

} // namespace

size_t writeTouchDebugLine(char* line, size_t size, int32_t index, int32_t id, uint32_t flags,
                           int32_t x, int32_t y) {
    char text[TouchDebugLineMaxLength + 1];
    char* out = text;
    *out++ = '[';
    out = appendSigned(out, index);
    *out++ = ']';
    *out++ = '[';
    out = appendSigned(out, id);
    *out++ = ']';
    *out++ = '[';
    out = appendUnsigned(out, flags, 16);
    *out++ = ']';
    *out++ = ' ';
    out = appendSigned(out, x);
    *out++ = ' ';
    out = appendSigned(out, y);
    const auto length = static_cast<size_t>(out - text);
    if (line != nullptr && size > 0) {
        const size_t kept = length < size ? length : size - 1;
        std::memcpy(line, text, kept);
        line[kept] = '\0';
    }
    return length;
}
