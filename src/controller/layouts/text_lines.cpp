#include "controller/layouts/text_lines.h"

std::string_view trimmedLine(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}
