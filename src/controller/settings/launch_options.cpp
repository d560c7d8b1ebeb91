#include "controller/settings/launch_options.h"

#include "base/format_text.h"
#include "controller/layouts/layout.h"
#include "controller/settings/saved_settings.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

const char* const LaunchUsage =
    "padrelle.exe [--layout NAME|FILE] [--output auto|sendinput|interception]\n"
    "             [--assign | --keys K,K,...] [--remote [on|off|new]]\n"
    "             [--overlay [on|off|PERCENT]] [--edit [NAME|FILE]]\n"
    "             [--remote-delay auto|MS]\n\n"
    "--layout   the controller: default, mirrored, double, nine, knobs, lanes4,\n"
    "           lanes6, lanes7; over the game: overlay-turntable, overlay-nine,\n"
    "           overlay-knobs, overlay-lanes4, overlay-lanes6, overlay-lanes7; or a\n"
    "           layout file\n"
    "--output   where the keys go: the Interception driver when it can be used, else\n"
    "           SendInput (auto, the default), or only the one named; remembered\n"
    "--assign   ask for the layout's keys again and save them\n"
    "--keys     use these keys for this run without saving them: hex scancodes, the\n"
    "           pads in order, then each disc clockwise and counter-clockwise, e0: or\n"
    "           e1: before an extended key, e.g. 2C,2D,2E,2F,30,31,32,10,11,e0:1D,2A\n"
    "--remote   a phone or tablet as the touch screen: its browser opens the address\n"
    "           shown on the controller; remembered until --remote off; --remote new\n"
    "           makes a new pairing code\n"
    "--remote-delay  the phone's keys at one delay after its touches: auto (the\n"
    "           default) follows the network, at most 40 ms; MS fixes it (1 to\n"
    "           250); 0 sends each at once; remembered\n"
    "--overlay  the controller over the game on one touch screen: translucent, above\n"
    "           every window, never taking the focus; PERCENT its opacity (20 to 100,\n"
    "           60 the first time); remembered until --overlay off\n"
    "--edit     shape a layout on the screen, by touch, mouse or pen: the one in\n"
    "           use, or the built-in layout or layout file named; saved in\n"
    "           %APPDATA%\\Padrelle\\layouts\n\n"
    "Each is also in the menu on the controller: hold its button half a second.";

namespace {

constexpr size_t MaxWords = 32;
constexpr size_t MaxWordLength = LayoutPathSize; // longer: cut, and refused where it matters

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Splits as Windows programs do for plain words: blanks apart, double quotes
// around blanks; a backslash before a quote makes it a quote. False for more
// words than any valid line has.
bool splitWords(const char* line, std::vector<std::string>& words) {
    const char* p = line != nullptr ? line : "";
    while (*p != '\0') {
        while (isBlank(*p)) {
            ++p;
        }
        if (*p == '\0') {
            break;
        }
        std::string word;
        bool quoted = false;
        for (; *p != '\0' && (quoted || !isBlank(*p)); ++p) {
            if (p[0] == '\\' && p[1] == '"') {
                word += '"';
                ++p;
            } else if (*p == '"') {
                quoted = !quoted;
            } else if (word.size() < MaxWordLength) {
                word += *p;
            }
        }
        if (words.size() == MaxWords) {
            return false;
        }
        words.push_back(word);
    }
    return true;
}

// A word as it is shown in a message: cut short, unprintable bytes as '?'.
std::string shown(const std::string& word) {
    std::string text;
    for (size_t i = 0; i < word.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return word.size() > 40 ? text + "..." : text;
}

struct Parse {
    LaunchOptions& options;
    char* problem;
    size_t size;
    bool outputSeen = false;

    // what has one %s, for the detail.
    bool fail(const char* what, const std::string& detail = std::string()) {
        char said[256];
        formatTextN(said, sizeof said, what, detail.c_str());
        formatTextN(problem, size, "%s\n\n%s", said, LaunchUsage);
        return false;
    }

    bool output(const std::string& value) {
        if (outputSeen) {
            return fail("--output is given twice.");
        }
        outputSeen = true;
        options.outputGiven = true;
        if (value == "auto") {
            options.output = OutputAuto;
        } else if (value == "sendinput") {
            options.output = OutputSendInput;
        } else if (value == "interception") {
            options.output = OutputInterception;
        } else {
            return fail("--output takes auto, sendinput or interception, not \"%s\".",
                        shown(value));
        }
        return true;
    }

    std::string keysText;

    bool keys(const std::string& value) {
        if (options.keysGiven) {
            return fail("--keys is given twice.");
        }
        options.keysGiven = true;
        keysText = value;
        return true;
    }

    bool remote(const std::string& value) {
        if (options.remote != RemoteUnsaid) {
            return fail("--remote is given twice.");
        }
        options.remote = value == "on"    ? RemoteOn
                         : value == "off" ? RemoteOff
                         : value == "new" ? RemoteNew
                                          : RemoteUnsaid;
        return options.remote != RemoteUnsaid ||
               fail("--remote takes on, off or new, not \"%s\".", shown(value));
    }

    bool remoteDelay(const std::string& value) {
        if (options.remoteDelayGiven) {
            return fail("--remote-delay is given twice.");
        }
        options.remoteDelayGiven = true;
        return parseDelaySetting(value, options.remoteDelay) ||
               fail("--remote-delay takes auto or milliseconds from 0 to 250, not \"%s\".",
                    shown(value));
    }

    bool overlay(const std::string& value) {
        if (options.overlay != OverlayUnsaid) {
            return fail("--overlay is given twice.");
        }
        if (value == "on" || value == "off") {
            options.overlay = value == "on" ? OverlayOn : OverlayOff;
            return true;
        }
        if (!parseOpacity(value, options.overlayOpacity)) {
            return fail("--overlay takes on, off or an opacity from 20 to 100 percent, not "
                        "\"%s\".",
                        shown(value));
        }
        options.overlay = OverlayOn;
        return true;
    }

    bool edit(const std::string& value) {
        if (options.edit) {
            return fail("--edit is given twice.");
        }
        if (value.size() >= sizeof options.editLayout) {
            return fail("--edit needs a layout's name or a file's path.");
        }
        options.edit = true;
        std::snprintf(options.editLayout, sizeof options.editLayout, "%s", value.c_str());
        return true;
    }

    bool layout(const std::string& value) {
        if (options.layoutGiven) {
            return fail("--layout is given twice.");
        }
        if (value.empty() || value.size() >= sizeof options.layout) {
            return fail("--layout needs a layout's name or a file's path.");
        }
        options.layoutGiven = true;
        std::snprintf(options.layout, sizeof options.layout, "%s", value.c_str());
        return true;
    }

    // The keys against the layout's count where the layout is a built-in
    // one; a layout file's is known once it is read.
    bool keysForLayout() {
        if (!options.keysGiven) {
            return true;
        }
        const Layout* preset = presetNamed(options.layoutGiven ? options.layout : "default");
        const int32_t wanted = preset != nullptr ? layoutKeyCount(*preset) : 0;
        char why[160];
        if (!parseKeyList(keysText, ',', options.keys, why, sizeof why, wanted)) {
            return fail("--keys needs the layout's keys separated by commas: %s.", why);
        }
        return true;
    }
};

// A handle's number as the program writes it for its guard: decimal digits.
bool handleNumber(const std::string& word, uint64_t& value) {
    if (word.empty() || word.size() > 19) {
        return false;
    }
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value != 0;
}

} // namespace

bool parseLaunchOptions(const char* commandLine, LaunchOptions& options, char* problem,
                        size_t problemSize) {
    options = LaunchOptions{};
    Parse parse{options, problem, problemSize, false, {}};
    std::vector<std::string> words;
    if (!splitWords(commandLine, words)) {
        return parse.fail("The command line has too many words.");
    }
    if (!words.empty() && (words[0] == "--guard" || words[0] == "--guard-start")) {
        const bool valid = words.size() == 3 && handleNumber(words[1], options.guardProcess) &&
                           handleNumber(words[2], options.guardRecord);
        options.guard = valid && words[0] == "--guard";
        options.guardStart = valid && words[0] == "--guard-start";
        return valid || parse.fail("%s is started by padrelle.exe itself.", words[0]);
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const bool takesValue = name == "--output" || name == "--keys" || name == "--layout" ||
                                name == "--remote-delay";
        std::string value;
        if (name == "--edit") {
            // Its layout may be left out: the one in use.
            const bool next = equals == std::string::npos && i + 1 < words.size() &&
                              words[i + 1].rfind("--", 0) != 0;
            value = equals != std::string::npos ? word.substr(equals + 1)
                    : next                      ? words[++i]
                                                : std::string();
            if (equals != std::string::npos && value.empty()) {
                return parse.fail("--edit= needs a layout's name or a file's path.");
            }
        } else if (name == "--remote" || name == "--overlay") {
            // Its value may be left out: on. An overlay's opacity is a number.
            const bool next =
                equals == std::string::npos && i + 1 < words.size() &&
                (words[i + 1] == "on" || words[i + 1] == "off" ||
                 (name == "--remote"
                      ? words[i + 1] == "new"
                      : std::isdigit(static_cast<unsigned char>(words[i + 1][0])) != 0));
            value = equals != std::string::npos ? word.substr(equals + 1)
                    : next                      ? words[++i]
                                                : "on";
        } else if (takesValue && equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (takesValue) {
            if (i + 1 == words.size()) {
                return parse.fail("%s needs a value.", name);
            }
            value = words[++i];
        } else if (equals != std::string::npos) {
            return parse.fail("\"%s\" takes no value.", shown(word));
        }
        bool good = true;
        if (name == "--output") {
            good = parse.output(value);
        } else if (name == "--keys") {
            good = parse.keys(value);
        } else if (name == "--layout") {
            good = parse.layout(value);
        } else if (name == "--remote") {
            good = parse.remote(value);
        } else if (name == "--overlay") {
            good = parse.overlay(value);
        } else if (name == "--remote-delay") {
            good = parse.remoteDelay(value);
        } else if (name == "--edit") {
            good = parse.edit(value);
        } else if (name == "--assign") {
            good = !options.assign || parse.fail("--assign is given twice.");
            options.assign = true;
        } else if (name == "--help" || name == "-h" || name == "/?") {
            options.help = true;
        } else {
            good = parse.fail("Unknown option \"%s\".", shown(word));
        }
        if (!good) {
            return false;
        }
    }
    if (options.assign && options.keysGiven) {
        return parse.fail("--assign and --keys cannot go together: --assign asks for the keys, "
                          "--keys gives them.");
    }
    if (!parse.keysForLayout()) {
        return false;
    }
    if (problem != nullptr && problemSize > 0) {
        problem[0] = '\0';
    }
    return true;
}

bool checkLaunchKeys(const LaunchOptions& options, int32_t keysWanted, char* problem,
                     size_t problemSize) {
    if (!options.keysGiven || options.keys.count == keysWanted) {
        return true;
    }
    char said[160];
    formatTextN(said, sizeof said, "--keys gives %d keys, but the layout asks for %d.",
                static_cast<int>(options.keys.count), static_cast<int>(keysWanted));
    formatTextN(problem, problemSize, "%s\n\n%s", said, LaunchUsage);
    return false;
}
