// Small text files read line by line, as the settings and layout files are:
// a file too long or holding a zero byte is refused whole, and so is one of
// whose lines the reader refuses.
#pragma once

#include "base/format_text.h"

#include <cstddef>
#include <string_view>

// The line without the blanks around it (a line ending's \r among them).
std::string_view trimmedLine(std::string_view line);

// take(line) for each line; false at the first refused line, or with the
// problem for a file that is too long or holds a zero byte.
template <typename Take>
bool readTextLines(std::string_view text, size_t maxBytes, char* problem, size_t problemSize,
                   Take take) {
    if (text.size() > maxBytes) {
        formatTextN(problem, problemSize, "the file is longer than %u bytes",
                    static_cast<unsigned>(maxBytes));
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        formatTextN(problem, problemSize, "the file holds a zero byte");
        return false;
    }
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (!take(text.substr(0, end))) {
            return false;
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return true;
}
