#include "controller/settings/saved_settings.h"

#include "base/format_text.h"
#include "controller/layouts/layout_file.h"
#include "controller/layouts/text_lines.h"
#include "remote/remote_gate.h"

#include <cstring>
#include <string>

namespace {

// The first word of a line and the rest after the blanks that follow it.
std::string_view firstWord(std::string_view line, std::string_view& rest) {
    const size_t end = line.find_first_of(" \t");
    rest = end == std::string_view::npos ? std::string_view() : trimmedLine(line.substr(end));
    return line.substr(0, end);
}

struct Reading {
    SavedSettings& settings;
    char* problem;
    size_t size;
    int32_t line = 0;
    int32_t version = 0;
    bool screenSeen = false;
    bool layoutSeen = false;

    bool fail(const char* what) {
        formatTextN(problem, size, "line %d: %s", static_cast<int>(line), what);
        return false;
    }

    bool keys(std::string_view rest) {
        std::string_view list = rest;
        std::string name = "default";
        if (version == 2) {
            const std::string_view word = firstWord(rest, list);
            if (!isLayoutName(word)) {
                return fail("the keys do not begin with a layout's name");
            }
            name = std::string(word);
        } else if (settings.keysCount > 0) {
            return fail("the keys come twice");
        }
        if (savedKeysOf(settings, name.c_str()) != nullptr) {
            return fail("the keys of a layout come twice");
        }
        if (settings.keysCount == MaxSavedLayouts) {
            return fail("the keys of more than 16 layouts");
        }
        KeySet keys = {};
        char why[160];
        if (!parseKeyList(list, ' ', keys, why, sizeof why, version == 1 ? AssignedKeyCount : 0)) {
            return fail(why);
        }
        saveKeysOf(settings, name.c_str(), keys);
        return true;
    }

    bool layout(std::string_view rest) {
        if (layoutSeen || version == 1) {
            return fail(layoutSeen ? "the layout comes twice" : "a layout in a file of version 1");
        }
        std::string_view path;
        const std::string_view word = firstWord(rest, path);
        const bool fromFile = word == "file";
        const std::string_view value = fromFile ? path : rest;
        if (fromFile ? (value.empty() || value.size() >= LayoutPathSize) : !isLayoutName(value)) {
            return fail("the layout is neither a layout's name nor file and a path");
        }
        std::memcpy(settings.layout, value.data(), value.size());
        settings.layout[value.size()] = '\0';
        settings.layoutFromFile = fromFile;
        settings.hasLayout = layoutSeen = true;
        return true;
    }

    bool screen(std::string_view rest) {
        if (screenSeen) {
            return fail("the screen comes twice");
        }
        std::string_view afterMonitor;
        const std::string_view monitor = firstWord(rest, afterMonitor);
        std::string_view device;
        const std::string_view mode = firstWord(afterMonitor, device);
        if (!isMonitorName(monitor) || (mode != "window" && mode != "fullscreen") ||
            (!device.empty() && !isMonitorWord(device, MonitorDeviceSize))) {
            return fail("the screen is not a monitor's name, window or fullscreen and the "
                        "monitor's device name");
        }
        std::memcpy(settings.screen.monitor, monitor.data(), monitor.size());
        settings.screen.monitor[monitor.size()] = '\0';
        settings.screen.fullScreen = mode == "fullscreen";
        settings.screen.device[0] = '\0';
        if (!device.empty()) {
            std::memcpy(settings.screen.device, device.data(), device.size());
            settings.screen.device[device.size()] = '\0';
        }
        settings.hasScreen = screenSeen = true;
        return true;
    }

    bool remoteSeen = false;

    bool remote(std::string_view rest) {
        if (remoteSeen) {
            return fail("the remote comes twice");
        }
        std::string_view code;
        const std::string_view state = firstWord(rest, code);
        const std::string codeText(code);
        if ((state != "on" && state != "off") || !isPairingCode(codeText.c_str())) {
            return fail("the remote is not on or off and a pairing code");
        }
        settings.remoteOn = state == "on";
        formatText(settings.pairingCode, "%s", codeText.c_str());
        settings.hasRemote = remoteSeen = true;
        return true;
    }

    bool overlaySeen = false;

    bool overlay(std::string_view rest) {
        if (overlaySeen) {
            return fail("the overlay comes twice");
        }
        std::string_view opacity;
        const std::string_view state = firstWord(rest, opacity);
        if ((state != "on" && state != "off") || !parseOpacity(opacity, settings.overlayOpacity)) {
            return fail("the overlay is not on or off and an opacity of 20 to 100");
        }
        settings.overlayOn = state == "on";
        settings.hasOverlay = overlaySeen = true;
        return true;
    }

    bool remoteDelaySeen = false;

    bool remoteDelay(std::string_view rest) {
        if (remoteDelaySeen || !parseDelaySetting(rest, settings.remoteDelay)) {
            return fail(remoteDelaySeen ? "the remote delay comes twice"
                                        : "the remote delay is not auto or 0 to 250 ms");
        }
        settings.hasRemoteDelay = remoteDelaySeen = true;
        return true;
    }

    bool outputSeen = false;

    bool output(std::string_view rest) {
        if (outputSeen) {
            return fail("the output comes twice");
        }
        bool known = false;
        for (const OutputChoice choice : {OutputAuto, OutputSendInput, OutputInterception}) {
            if (rest == outputChoiceName(choice)) {
                settings.output = choice;
                known = true;
            }
        }
        if (!known) {
            return fail("the output is not auto, sendinput or interception");
        }
        settings.hasOutput = outputSeen = true;
        return true;
    }

    bool take(std::string_view text) {
        ++line;
        const std::string_view content = trimmedLine(text);
        if (content.empty() || content[0] == '#') {
            return true;
        }
        std::string_view rest;
        const std::string_view word = firstWord(content, rest);
        if (version == 0) {
            version = word == "version" && rest == "1"   ? 1
                      : word == "version" && rest == "2" ? 2
                                                         : 0;
            return version != 0 ||
                   fail("the file does not begin with \"version 1\" or \"version 2\"");
        }
        if (word == "keys") {
            return keys(rest);
        }
        if (word == "layout") {
            return layout(rest);
        }
        if (word == "screen") {
            return screen(rest);
        }
        if (word == "remote") {
            return remote(rest);
        }
        if (word == "overlay") {
            return overlay(rest);
        }
        if (word == "output") {
            return output(rest);
        }
        if (word == "remote-delay") {
            return remoteDelay(rest);
        }
        return fail("this is none of keys, layout, screen, remote, overlay and output");
    }
};

} // namespace

bool parseOpacity(std::string_view text, int32_t& percent) {
    if (!text.empty() && text.back() == '%') {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 3) {
        return false;
    }
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (!isOpacity(value)) {
        return false;
    }
    percent = value;
    return true;
}

bool isOpacity(int32_t percent) {
    return percent >= OverlayOpacityMin && percent <= OverlayOpacityMax;
}

bool isMonitorName(std::string_view name) {
    return isMonitorWord(name, MonitorNameSize);
}

bool isMonitorWord(std::string_view name, size_t size) {
    if (name.empty() || name.size() >= size) {
        return false;
    }
    for (char c : name) {
        if (c <= 0x20 || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

const KeySet* savedKeysOf(const SavedSettings& settings, const char* layout) {
    for (int32_t i = 0; i < settings.keysCount && i < MaxSavedLayouts; ++i) {
        if (std::strcmp(settings.keys[i].layout, layout) == 0) {
            return &settings.keys[i].keys;
        }
    }
    return nullptr;
}

bool saveKeysOf(SavedSettings& settings, const char* layout, const KeySet& keys) {
    for (int32_t i = 0; i < settings.keysCount && i < MaxSavedLayouts; ++i) {
        if (std::strcmp(settings.keys[i].layout, layout) == 0) {
            settings.keys[i].keys = keys;
            return true;
        }
    }
    if (settings.keysCount >= MaxSavedLayouts || !isLayoutName(layout)) {
        return false;
    }
    SavedKeys& entry = settings.keys[settings.keysCount++];
    formatTextN(entry.layout, sizeof entry.layout, "%s", layout);
    entry.keys = keys;
    return true;
}

bool parseSavedSettings(std::string_view text, SavedSettings& settings, char* problem,
                        size_t problemSize) {
    settings = SavedSettings{};
    Reading reading{settings, problem, problemSize};
    if (!readTextLines(text, SavedSettingsMaxBytes, problem, problemSize,
                       [&reading](std::string_view line) { return reading.take(line); })) {
        settings = SavedSettings{};
        return false;
    }
    // A file of version 2 may hold no keys yet: the phone's pairing, kept
    // from a run whose keys were given for it alone.
    if (settings.keysCount == 0 && reading.version != 2) {
        ++reading.line;
        reading.fail(reading.version != 0 ? "the keys are missing"
                                          : "the file does not begin with \"version 1\" or "
                                            "\"version 2\"");
        settings = SavedSettings{};
        return false;
    }
    return true;
}

size_t writeSavedSettings(const SavedSettings& settings, char* out, size_t size) {
    std::string text =
        "# Padrelle settings, written by Padrelle: the layout in use, the keys of each\n"
        "# layout after they are assigned (the pads in order, then each disc clockwise\n"
        "# and counter-clockwise, as hex scancodes, e0: or e1: before an extended key),\n"
        "# the screen when Padrelle ends, whether the phone's page is on and its\n"
        "# pairing code, whether the controller lies over the game and how opaque,\n"
        "# where the keys go.\n"
        "version 2\n";
    if (settings.hasLayout) {
        text += std::string("layout ") + (settings.layoutFromFile ? "file " : "") +
                settings.layout + "\n";
    }
    char keys[KeyListSize];
    for (int32_t i = 0; i < settings.keysCount && i < MaxSavedLayouts; ++i) {
        writeKeyList(settings.keys[i].keys, keys, sizeof keys);
        text += std::string("keys ") + settings.keys[i].layout + " " + keys + "\n";
    }
    if (settings.hasScreen && isMonitorName(settings.screen.monitor)) {
        text += std::string("screen ") + settings.screen.monitor + " " +
                (settings.screen.fullScreen ? "fullscreen" : "window");
        if (isMonitorWord(settings.screen.device, MonitorDeviceSize)) {
            text += std::string(" ") + settings.screen.device;
        }
        text += "\n";
    }
    if (settings.hasRemote && isPairingCode(settings.pairingCode)) {
        text += std::string("remote ") + (settings.remoteOn ? "on " : "off ") +
                settings.pairingCode + "\n";
    }
    if (settings.hasOverlay && isOpacity(settings.overlayOpacity)) {
        text += std::string("overlay ") + (settings.overlayOn ? "on " : "off ") +
                std::to_string(settings.overlayOpacity) + "\n";
    }
    if (settings.hasOutput) {
        text += std::string("output ") + outputChoiceName(settings.output) + "\n";
    }
    if (settings.hasRemoteDelay) {
        char delay[16];
        writeDelaySetting(settings.remoteDelay, delay, sizeof delay);
        text += std::string("remote-delay ") + delay + "\n";
    }
    if (text.size() >= size) {
        return 0;
    }
    std::memcpy(out, text.data(), text.size() + 1);
    return text.size();
}
