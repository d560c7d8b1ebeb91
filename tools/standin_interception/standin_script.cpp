#include "standin.h"

#include <cctype>
#include <cstring>

namespace {

bool isSeparator(char c) {
    return c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

bool startsWithNoCase(const char* text, size_t length, const char* prefix) {
    const size_t prefixLength = std::strlen(prefix);
    if (length < prefixLength) {
        return false;
    }
    for (size_t i = 0; i < prefixLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// One token: [e0:|e1:][0x]H{1,4}.
bool parseToken(const char* token, size_t length, StandinKey* key) {
    unsigned short prefix = 0;
    if (startsWithNoCase(token, length, "e0:")) {
        prefix = 0x02;
    } else if (startsWithNoCase(token, length, "e1:")) {
        prefix = 0x04;
    }
    if (prefix != 0) {
        token += 3;
        length -= 3;
    }
    if (startsWithNoCase(token, length, "0x")) {
        token += 2;
        length -= 2;
    }
    if (length == 0 || length > 4) {
        return false;
    }
    unsigned int code = 0;
    for (size_t i = 0; i < length; ++i) {
        const int digit = hexValue(token[i]);
        if (digit < 0) {
            return false;
        }
        code = code * 16 + static_cast<unsigned int>(digit);
    }
    key->code = static_cast<unsigned short>(code);
    key->prefix = prefix;
    return true;
}

} // namespace

size_t parseKeyScript(const char* text, StandinKey* keys, size_t capacity, size_t* badTokens) {
    size_t count = 0;
    size_t bad = 0;
    const char* cursor = text != nullptr ? text : "";
    while (*cursor != '\0') {
        while (*cursor != '\0' && isSeparator(*cursor)) {
            ++cursor;
        }
        const char* start = cursor;
        while (*cursor != '\0' && !isSeparator(*cursor)) {
            ++cursor;
        }
        const size_t length = static_cast<size_t>(cursor - start);
        if (length == 0) {
            continue;
        }
        StandinKey key = {0, 0};
        if (!parseToken(start, length, &key) || count == capacity) {
            ++bad;
            continue;
        }
        keys[count++] = key;
    }
    if (badTokens != nullptr) {
        *badTokens = bad;
    }
    return count;
}
