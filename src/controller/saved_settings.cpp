#include "controller/saved_settings.h"

#include "engine/format_text.h"

#include <cstring>

namespace {

std::string_view trimmed(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

// The first word of a line and the rest after the blanks that follow it.
std::string_view firstWord(std::string_view line, std::string_view& rest) {
    const size_t end = line.find_first_of(" \t");
    rest = end == std::string_view::npos ? std::string_view() : trimmed(line.substr(end));
    return line.substr(0, end);
}

struct Reading {
    SavedSettings& settings;
    char* problem;
    size_t size;
    int32_t line = 0;
    bool versionSeen = false;
    bool keysSeen = false;
    bool screenSeen = false;

    bool fail(const char* what) {
        formatTextN(problem, size, "line %d: %s", static_cast<int>(line), what);
        return false;
    }

    bool keys(std::string_view rest) {
        if (keysSeen) {
            return fail("the keys come twice");
        }
        char why[160];
        if (!parseKeyList(rest, ' ', settings.keys, why, sizeof why)) {
            return fail(why);
        }
        keysSeen = true;
        return true;
    }

    bool screen(std::string_view rest) {
        if (screenSeen) {
            return fail("the screen comes twice");
        }
        std::string_view mode;
        const std::string_view monitor = firstWord(rest, mode);
        if (!isMonitorName(monitor) || (mode != "window" && mode != "fullscreen")) {
            return fail("the screen is not a monitor's name and window or fullscreen");
        }
        std::memcpy(settings.screen.monitor, monitor.data(), monitor.size());
        settings.screen.monitor[monitor.size()] = '\0';
        settings.screen.fullScreen = mode == "fullscreen";
        settings.hasScreen = screenSeen = true;
        return true;
    }

    bool take(std::string_view text) {
        ++line;
        const std::string_view content = trimmed(text);
        if (content.empty() || content[0] == '#') {
            return true;
        }
        std::string_view rest;
        const std::string_view word = firstWord(content, rest);
        if (!versionSeen) {
            versionSeen = word == "version" && rest == "1";
            return versionSeen || fail("the file does not begin with \"version 1\"");
        }
        if (word == "keys") {
            return keys(rest);
        }
        if (word == "screen") {
            return screen(rest);
        }
        return fail("this is neither keys nor screen");
    }
};

} // namespace

bool isMonitorName(std::string_view name) {
    if (name.empty() || name.size() >= MonitorNameSize) {
        return false;
    }
    for (char c : name) {
        if (c <= 0x20 || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

bool parseSavedSettings(std::string_view text, SavedSettings& settings, char* problem,
                        size_t problemSize) {
    settings = SavedSettings{};
    Reading reading{settings, problem, problemSize};
    if (text.size() > SavedSettingsMaxBytes) {
        formatTextN(problem, problemSize, "the file is longer than %u bytes",
                    static_cast<unsigned>(SavedSettingsMaxBytes));
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        formatTextN(problem, problemSize, "the file holds a zero byte");
        return false;
    }
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (!reading.take(text.substr(0, end))) {
            return false;
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    if (!reading.keysSeen) {
        ++reading.line;
        return reading.fail(reading.versionSeen ? "the keys are missing"
                                                : "the file does not begin with \"version 1\"");
    }
    return true;
}

size_t writeSavedSettings(const SavedSettings& settings, char* out, size_t size) {
    char keys[AssignedKeyCount * 8];
    writeKeyList(settings.keys, keys, sizeof keys);
    char screen[MonitorNameSize + 32] = "";
    if (settings.hasScreen && isMonitorName(settings.screen.monitor)) {
        formatTextN(screen, sizeof screen, "screen %s %s\n", settings.screen.monitor,
                    settings.screen.fullScreen ? "fullscreen" : "window");
    }
    const int length = formatTextN(
        out, size,
        "# Padrelle settings, written by Padrelle: the keys after they are assigned, the\n"
        "# screen when Padrelle ends. Keys: pads 00 to 08, then scratch clockwise and\n"
        "# counter-clockwise, as hex scancodes (e0: or e1: before an extended key).\n"
        "version 1\nkeys %s\n%s",
        keys, screen);
    return length > 0 && static_cast<size_t>(length) < size ? static_cast<size_t>(length) : 0;
}
