#include "controller/layouts/key_set.h"

#include "base/format_text.h"
#include "controller/layouts/layout.h"
#include "keyout/interception_api.h"

int32_t hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool parseKeyName(std::string_view text, AssignedKey& key) {
    uint16_t prefix = 0;
    if (text.size() > 3 && text[2] == ':' && (text[0] == 'e' || text[0] == 'E')) {
        if (text[1] != '0' && text[1] != '1') {
            return false;
        }
        prefix = text[1] == '0' ? KeyStateE0 : KeyStateE1;
        text.remove_prefix(3);
    }
    if (text.empty() || text.size() > 2) {
        return false;
    }
    uint32_t code = 0;
    for (char c : text) {
        const int32_t digit = hexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        code = code * 16 + static_cast<uint32_t>(digit);
    }
    key = AssignedKey{static_cast<uint8_t>(code), prefix};
    return true;
}

void writeKeyName(const AssignedKey& key, char* out, size_t size) {
    const char* prefix = (key.prefix & KeyStateE1) != 0   ? "e1:"
                         : (key.prefix & KeyStateE0) != 0 ? "e0:"
                                                          : "";
    formatTextN(out, size, "%s%02X", prefix, static_cast<unsigned>(key.code));
}

bool parseKeyList(std::string_view text, char separator, KeySet& keys, char* problem,
                  size_t problemSize, int32_t expected) {
    const int32_t most = expected > 0 ? expected : MaxAssignedKeys;
    int32_t count = 0;
    keys.count = 0;
    while (!text.empty()) {
        const size_t end = text.find(separator);
        const std::string_view token = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (token.empty()) {
            continue;
        }
        if (count == most) {
            formatTextN(problem, problemSize, "more than %d keys", static_cast<int>(most));
            return false;
        }
        if (!parseKeyName(token, keys.keys[count])) {
            formatTextN(problem, problemSize,
                        "key %d \"%.*s\" is not a scancode (1 or 2 hex digits, optionally after "
                        "e0: or e1:)",
                        count + 1, static_cast<int>(token.size() > 20 ? 20 : token.size()),
                        token.data());
            return false;
        }
        ++count;
    }
    if (expected > 0 && count != expected) {
        formatTextN(problem, problemSize, "%d keys instead of %d", count,
                    static_cast<int>(expected));
        return false;
    }
    if (count == 0) {
        formatTextN(problem, problemSize, "no keys");
        return false;
    }
    keys.count = count;
    return true;
}

void writeKeyList(const KeySet& keys, char* out, size_t size) {
    size_t used = 0;
    const int32_t count = keys.count < MaxAssignedKeys ? keys.count : MaxAssignedKeys;
    for (int32_t i = 0; i < count && used + 1 < size; ++i) {
        if (i > 0) {
            out[used++] = ' ';
        }
        writeKeyName(keys.keys[i], out + used, size - used);
        while (out[used] != '\0') {
            ++used;
        }
    }
    if (size > 0) {
        out[used < size ? used : size - 1] = '\0';
    }
}
