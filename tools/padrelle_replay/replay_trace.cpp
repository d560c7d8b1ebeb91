#include "replay_trace.h"

#include <sstream>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Digits only, no sign, value at most max.
bool parseDecimal(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > max) {
            return false;
        }
    }
    return true;
}

bool parseSigned32(const std::string& text, int32_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    uint64_t magnitude = 0;
    const uint64_t max = negative ? 2147483648u : 2147483647u;
    if (!parseDecimal(negative ? text.substr(1) : text, max, magnitude)) {
        return false;
    }
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                     : static_cast<int32_t>(magnitude);
    return true;
}

bool parseHex(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    value = 0;
    for (char c : text) {
        const int32_t digit = hexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > max) {
            return false;
        }
    }
    return true;
}

// A token as it is shown in a message: quoted, cut short, unprintable bytes
// as '?'.
std::string quoted(const std::string& token) {
    constexpr size_t MaxShown = 40;
    std::string shown = "\"";
    for (size_t i = 0; i < token.size() && i < MaxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        shown += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    if (token.size() > MaxShown) {
        shown += "...";
    }
    return shown + "\"";
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (isSpace(c)) {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

struct ParseState {
    Trace& trace;
    bool keysSeen = false;
    bool clientSeen = false;
};

bool parseKeysLine(ParseState& state, const std::vector<std::string>& words, std::string& problem) {
    if (state.keysSeen) {
        problem = "keys given twice";
        return false;
    }
    if (!state.trace.steps.empty()) {
        problem = "keys must come before the first pass";
        return false;
    }
    const size_t count = words.size() - 1;
    const int32_t wanted = state.trace.keysWanted;
    if (count != static_cast<size_t>(wanted)) {
        problem = "keys needs " + std::to_string(wanted) + " keys, found " + std::to_string(count);
        return false;
    }
    state.trace.keyCount = wanted;
    for (int32_t i = 0; i < wanted; ++i) {
        const std::string& token = words[static_cast<size_t>(i) + 1];
        if (!parseTraceKey(token, state.trace.keys[i])) {
            problem = "key " + std::to_string(i) + " " + quoted(token) +
                      " is not a scancode (1 or 2 hex digits, optionally after e0: or e1:)";
            return false;
        }
    }
    state.keysSeen = true;
    state.trace.hasKeys = true;
    return true;
}

bool parseClientSize(const std::string& token, const char* name, int32_t& size,
                     std::string& problem) {
    uint64_t value = 0;
    if (!parseDecimal(token, TraceMaxClientSize, value) || value == 0) {
        problem = std::string("client ") + name + " " + quoted(token) +
                  " is not a whole number from 1 to " + std::to_string(TraceMaxClientSize);
        return false;
    }
    size = static_cast<int32_t>(value);
    return true;
}

bool parseClientLine(ParseState& state, const std::vector<std::string>& words,
                     std::string& problem) {
    if (state.clientSeen) {
        problem = "client given twice";
        return false;
    }
    if (!state.trace.steps.empty()) {
        problem = "client must come before the first pass";
        return false;
    }
    if (words.size() != 3) {
        problem = "client needs a width and a height";
        return false;
    }
    int32_t width = 0;
    int32_t height = 0;
    if (!parseClientSize(words[1], "width", width, problem) ||
        !parseClientSize(words[2], "height", height, problem)) {
        return false;
    }
    state.trace.clientWidth = width;
    state.trace.clientHeight = height;
    state.clientSeen = true;
    return true;
}

bool parsePassLine(ParseState& state, const std::vector<std::string>& words, int32_t line,
                   std::string& problem) {
    TraceStep step{TracePass, line, {}};
    if (words.size() - 1 > TraceMaxPoints) {
        problem = "more than " + std::to_string(TraceMaxPoints) + " points in one pass";
        return false;
    }
    for (size_t i = 1; i < words.size(); ++i) {
        TracePoint point{};
        std::string pointProblem;
        if (!parseTracePoint(words[i], point, pointProblem)) {
            problem = "point " + std::to_string(i) + " " + quoted(words[i]) + ": " + pointProblem;
            return false;
        }
        step.points.push_back(point);
    }
    state.trace.steps.push_back(std::move(step));
    return true;
}

bool parseLine(ParseState& state, const std::string& text, int32_t line, std::string& problem) {
    const std::vector<std::string> words = splitWords(text.substr(0, text.find('#')));
    if (words.empty()) {
        return true;
    }
    const std::string& command = words[0];
    if (command == "keys") {
        return parseKeysLine(state, words, problem);
    }
    if (command == "client") {
        return parseClientLine(state, words, problem);
    }
    if (command == "pass") {
        return parsePassLine(state, words, line, problem);
    }
    if (command == "mouse") {
        TraceStep step{TraceMouse, line, {}};
        if (!parseTraceMouse(std::vector<std::string>(words.begin() + 1, words.end()), step.mouse,
                             problem)) {
            return false;
        }
        state.trace.steps.push_back(std::move(step));
        return true;
    }
    if (command == "return") {
        if (words.size() != 1) {
            problem = "return takes no arguments";
            return false;
        }
        state.trace.steps.push_back(TraceStep{TraceReturn, line, {}});
        return true;
    }
    problem =
        "unknown command " + quoted(command) + " (expected keys, client, pass, return or mouse)";
    return false;
}

} // namespace

bool parseTraceKey(const std::string& token, TraceKey& key) {
    return parseKeyName(token, key);
}

bool parseTracePoint(const std::string& token, TracePoint& point, std::string& problem) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = token.find(',', start);
        fields.push_back(token.substr(start, comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() != 4) {
        problem = "expected id,flags,x,y (4 fields), found " + std::to_string(fields.size());
        return false;
    }
    uint64_t id = 0;
    if (!parseDecimal(fields[0], 0xFFFFFFFFu, id)) {
        problem = "id " + quoted(fields[0]) + " is not a decimal number from 0 to 4294967295";
        return false;
    }
    uint64_t flags = 0;
    if (!parseHex(fields[1], 0xFFFFFFFFu, flags)) {
        problem = "flags " + quoted(fields[1]) + " are not a hex number of at most 32 bits";
        return false;
    }
    const char* names[2] = {"x", "y"};
    int32_t position[2] = {0, 0};
    for (int32_t i = 0; i < 2; ++i) {
        const std::string& field = fields[static_cast<size_t>(i) + 2];
        if (!parseSigned32(field, position[i])) {
            problem = std::string(names[i]) + " " + quoted(field) +
                      " is not a whole number from -2147483648 to 2147483647";
            return false;
        }
    }
    point = TracePoint{static_cast<uint32_t>(id), static_cast<uint32_t>(flags), position[0],
                       position[1]};
    return true;
}

bool parseTraceMouse(const std::vector<std::string>& words, TraceMouseStep& mouse,
                     std::string& problem) {
    static const char* const actions[] = {"down", "move", "up", "lost"};
    static const char* const sources[] = {"mouse", "touch", "pen"};
    int32_t action = -1;
    for (int32_t i = 0; i < 4; ++i) {
        if (!words.empty() && words[0] == actions[i]) {
            action = i;
        }
    }
    if (action < 0) {
        problem = "mouse needs down, move, up or lost";
        return false;
    }
    mouse = TraceMouseStep{};
    mouse.action = static_cast<TraceMouseAction>(action);
    if (mouse.action == MouseLost) {
        if (words.size() != 1) {
            problem = "mouse lost takes no arguments";
            return false;
        }
        return true;
    }
    if (words.size() != 3 && words.size() != 4) {
        problem = "mouse " + words[0] + " needs a client position X Y and may name touch or pen";
        return false;
    }
    // A mouse message carries each coordinate in 16 signed bits.
    if (!parseSigned32(words[1], mouse.x) || !parseSigned32(words[2], mouse.y) ||
        mouse.x < -32768 || mouse.x > 32767 || mouse.y < -32768 || mouse.y > 32767) {
        problem = "mouse position " + quoted(words[1]) + " " + quoted(words[2]) +
                  " is not two whole numbers from -32768 to 32767";
        return false;
    }
    if (words.size() == 4) {
        int32_t source = -1;
        for (int32_t i = 1; i < 3; ++i) {
            if (words[3] == sources[i]) {
                source = i;
            }
        }
        if (source < 0) {
            problem = "mouse source " + quoted(words[3]) + " is not touch or pen";
            return false;
        }
        mouse.source = static_cast<TraceMouseSource>(source);
    }
    return true;
}

bool parseTrace(std::istream& in, Trace& trace, TraceError& error) {
    ParseState state{trace};
    std::string text;
    int32_t line = 0;
    error = TraceError{};
    while (std::getline(in, text)) {
        ++line;
        std::string problem;
        if (!parseLine(state, text, line, problem)) {
            error.line = line;
            error.message = problem;
            return false;
        }
    }
    return true;
}

bool parseTraceText(const std::string& text, Trace& trace, TraceError& error) {
    std::istringstream in(text);
    return parseTrace(in, trace, error);
}
