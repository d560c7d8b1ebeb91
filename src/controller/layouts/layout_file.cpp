#include "controller/layouts/layout_file.h"

#include "base/format_text.h"
#include "controller/layouts/text_lines.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr int32_t MinSize = 100;
constexpr int32_t MaxSize = 10000;

// The words of a line, at most `most` of them; false when there are more.
bool words(std::string_view line, std::string_view* out, size_t most, size_t* count) {
    *count = 0;
    while (!line.empty()) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            break;
        }
        line.remove_prefix(start);
        const size_t end = line.find_first_of(" \t");
        if (*count == most) {
            return false;
        }
        out[(*count)++] = line.substr(0, end);
        line = end == std::string_view::npos ? std::string_view() : line.substr(end);
    }
    return true;
}

bool integer(std::string_view word, int32_t low, int32_t high, int32_t& value) {
    if (word.empty() || word.size() > 7) {
        return false;
    }
    int64_t result = 0;
    size_t at = 0;
    const bool negative = word[0] == '-';
    if (negative) {
        at = 1;
    }
    if (at == word.size()) {
        return false;
    }
    for (; at < word.size(); ++at) {
        if (word[at] < '0' || word[at] > '9') {
            return false;
        }
        result = result * 10 + (word[at] - '0');
    }
    result = negative ? -result : result;
    if (result < low || result > high) {
        return false;
    }
    value = static_cast<int32_t>(result);
    return true;
}

// A decimal such as 0.05: digits, one point, digits.
bool decimal(std::string_view word, double low, double high, double& value) {
    if (word.empty() || word.size() > 12 || word.find_first_not_of("0123456789.") != word.npos ||
        word.find('.') != word.rfind('.') || word == ".") {
        return false;
    }
    const std::string text(word);
    const double result = std::strtod(text.c_str(), nullptr);
    if (!(result >= low && result <= high)) {
        return false;
    }
    value = result;
    return true;
}

constexpr NamedColour Colours[] = {{"white", 0xFFFFFF}, {"grey", 0xC0C0C0}, {"red", 0x0000FF},
                                   {"green", 0x00C000}, {"blue", 0xFF8000}, {"yellow", 0x00FFFF},
                                   {"orange", 0x008CFF}};

bool look(std::string_view word, PadLook& look, uint32_t& colour) {
    if (word == "white" || word == "blue") {
        // The key caps' pictures by their names.
        look = word == "white" ? LookWhite : LookBlue;
        colour = 0;
        return true;
    }
    for (const NamedColour& c : Colours) {
        if (word == c.name) {
            look = LookColour;
            colour = c.value;
            return true;
        }
    }
    if (word.size() != 7 || word[0] != '#') {
        return false;
    }
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int32_t digit = hexDigitValue(word[i]);
        if (digit < 0) {
            return false;
        }
        rgb = rgb * 16 + static_cast<uint32_t>(digit);
    }
    look = LookColour;
    colour = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    return true;
}

struct Reading {
    Layout& layout;
    char* problem;
    size_t size;
    int32_t line = 0;
    bool versionSeen = false;
    bool nameSeen = false;
    bool sizeSeen = false;
    bool fitSeen = false;

    bool fail(const char* what) {
        formatTextN(problem, size, "line %d: %s", static_cast<int>(line), what);
        return false;
    }

    bool name(const std::string_view* w, size_t n) {
        if (nameSeen) {
            return fail("the name comes twice");
        }
        if (n != 2 || !isLayoutName(w[1])) {
            return fail("name needs one word of 1 to 31 letters, digits, - or _");
        }
        std::memcpy(layout.name, w[1].data(), w[1].size());
        layout.name[w[1].size()] = '\0';
        return nameSeen = true;
    }

    bool logicalSize(const std::string_view* w, size_t n) {
        if (sizeSeen) {
            return fail("the size comes twice");
        }
        if (n != 3 || !integer(w[1], MinSize, MaxSize, layout.width) ||
            !integer(w[2], MinSize, MaxSize, layout.height)) {
            return fail("size needs a width and a height from 100 to 10000");
        }
        if (layout.padCount > 0 || layout.discCount > 0) {
            return fail("the size comes before the controls");
        }
        return sizeSeen = true;
    }

    bool fit(const std::string_view* w, size_t n) {
        if (fitSeen) {
            return fail("the fit comes twice");
        }
        if (n != 2 || (w[1] != "keep" && w[1] != "stretch")) {
            return fail("fit needs keep or stretch");
        }
        layout.keepProportions = w[1] == "keep";
        return fitSeen = true;
    }

    // A control may reach past the logical screen (the default disc does),
    // but not far.
    bool placed(int32_t x, int32_t y, int32_t w, int32_t h) const {
        return x >= -layout.width && y >= -layout.height && int64_t{x} + w <= 2 * layout.width &&
               int64_t{y} + h <= 2 * layout.height;
    }

    bool pad(const std::string_view* w, size_t n) {
        if (!sizeSeen) {
            return fail("the size comes before the controls");
        }
        if (layout.padCount == MaxPads) {
            return fail("more than 24 pads");
        }
        LayoutPad p = {};
        if (n < 7 || n > 8 || !integer(w[1], -MaxSize, 2 * MaxSize, p.x) ||
            !integer(w[2], -MaxSize, 2 * MaxSize, p.y) || !integer(w[3], 1, MaxSize, p.width) ||
            !integer(w[4], 1, MaxSize, p.height)) {
            return fail("pad needs x, y, width, height, a look, a key and a label if any");
        }
        if (!look(w[5], p.look, p.colour)) {
            return fail("a pad's look is white, blue, a colour's name or #RRGGBB");
        }
        if (!parseKeyName(w[6], p.key)) {
            return fail("a pad's key is a scancode: 1 or 2 hex digits, e0: or e1: before");
        }
        if (n == 8) {
            if (w[7].size() >= PadLabelSize) {
                return fail("a pad's label has at most 15 characters");
            }
            // Printable: a control character (a carriage return among them,
            // which ends a line as the file is read again) is no label.
            for (const char c : w[7]) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    return fail("a pad's label is printable characters");
                }
            }
            std::memcpy(p.label, w[7].data(), w[7].size());
        }
        if (!placed(p.x, p.y, p.width, p.height)) {
            return fail("the pad lies too far off the screen");
        }
        layout.pads[layout.padCount++] = p;
        return true;
    }

    bool disc(const std::string_view* w, size_t n) {
        if (!sizeSeen) {
            return fail("the size comes before the controls");
        }
        if (layout.discCount == MaxDiscs) {
            return fail("more than 2 discs");
        }
        LayoutDisc d = {};
        if (n != 7 || !integer(w[1], -MaxSize, 2 * MaxSize, d.x) ||
            !integer(w[2], -MaxSize, 2 * MaxSize, d.y) || !integer(w[3], 10, MaxSize, d.radius)) {
            return fail("disc needs x, y, a radius of 10 or more, a dead band and two keys");
        }
        if (!decimal(w[4], 0.001, 1.0, d.deadBand)) {
            return fail("a disc's dead band is from 0.001 to 1 radian, as 0.05");
        }
        if (!parseKeyName(w[5], d.keys[0]) || !parseKeyName(w[6], d.keys[1])) {
            return fail("a disc's keys are scancodes: 1 or 2 hex digits, e0: or e1: before");
        }
        if (!placed(d.x - d.radius, d.y - d.radius, 2 * d.radius, 2 * d.radius)) {
            return fail("the disc lies too far off the screen");
        }
        layout.discs[layout.discCount++] = d;
        return true;
    }

    // The rest of a game line: a program's file name, which may hold
    // blanks; a comment may follow it.
    bool game(std::string_view rest) {
        rest = rest.substr(0, rest.find('#'));
        const size_t start = rest.find_first_not_of(" \t");
        const size_t end = rest.find_last_not_of(" \t");
        const std::string_view name =
            start == rest.npos ? std::string_view() : rest.substr(start, end - start + 1);
        if (!isGameName(name)) {
            return fail("game needs a program's file name ending in .exe, up to 63 characters");
        }
        if (layoutIsFor(layout, std::string(name).c_str())) {
            return fail("the game is named twice");
        }
        if (layout.gameCount == MaxGames) {
            return fail("more than 8 games");
        }
        std::memcpy(layout.games[layout.gameCount], name.data(), name.size());
        layout.games[layout.gameCount++][name.size()] = '\0';
        return true;
    }

    bool take(std::string_view text) {
        ++line;
        std::string_view content = trimmedLine(text);
        const size_t comment = content.find('#');
        // A # after a blank starts a comment; a colour's # follows its word.
        if (comment == 0) {
            return true;
        }
        if (versionSeen && content.substr(0, 4) == "game" &&
            (content.size() == 4 || content[4] == ' ' || content[4] == '\t')) {
            return game(content.substr(4));
        }
        std::string_view w[16];
        size_t n = 0;
        const bool fits = words(content, w, 16, &n);
        for (size_t i = 1; i < n; ++i) {
            if (w[i][0] == '#' && !(i == 5 && w[0] == "pad")) {
                n = i; // the rest is a comment
                break;
            }
        }
        if (!fits || n > 8) {
            return fail("too many words");
        }
        if (n == 0) {
            return true;
        }
        if (!versionSeen) {
            versionSeen = n == 2 && w[0] == "layout" && w[1] == "1";
            return versionSeen || fail("the file does not begin with \"layout 1\"");
        }
        if (w[0] == "name") {
            return name(w, n);
        }
        if (w[0] == "size") {
            return logicalSize(w, n);
        }
        if (w[0] == "fit") {
            return fit(w, n);
        }
        if (w[0] == "pad") {
            return pad(w, n);
        }
        if (w[0] == "disc") {
            return disc(w, n);
        }
        return fail("this is none of name, size, fit, game, pad and disc");
    }

    bool finish() {
        ++line;
        if (!versionSeen) {
            return fail("the file does not begin with \"layout 1\"");
        }
        if (!nameSeen || !sizeSeen) {
            return fail(nameSeen ? "the size is missing" : "the name is missing");
        }
        if (layout.padCount + layout.discCount == 0) {
            return fail("there is no pad and no disc");
        }
        char overlap[64];
        findOverlap(layout, overlap, sizeof overlap);
        if (overlap[0] != '\0') {
            return fail(overlap);
        }
        // Apart in the file's units, the controls must still be apart where
        // they land, in the frame's pixels after the fit's scale and
        // rounding: else one touch would press both.
        findOverlap(fittedToFrame(layout), overlap, sizeof overlap);
        if (overlap[0] != '\0') {
            char said[128];
            formatText(said, "%s once fitted to the screen: move them further apart", overlap);
            return fail(said);
        }
        return true;
    }
};

} // namespace

const NamedColour* namedColour(int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < std::size(Colours) ? &Colours[index]
                                                                         : nullptr;
}

void writeLookName(const LayoutPad& pad, char* out, size_t size) {
    if (pad.look != LookColour) {
        formatTextN(out, size, "%s", pad.look == LookBlue ? "blue" : "white");
        return;
    }
    const uint32_t c = pad.colour;
    formatTextN(out, size, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

bool isLayoutName(std::string_view name) {
    if (name.empty() || name.size() >= static_cast<size_t>(LayoutNameSize)) {
        return false;
    }
    for (char c : name) {
        const bool fine = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!fine) {
            return false;
        }
    }
    return true;
}

bool parseLayoutFile(std::string_view text, Layout& layout, char* problem, size_t problemSize) {
    layout = Layout{};
    Reading reading{layout, problem, problemSize};
    if (!readTextLines(text, LayoutFileMaxBytes, problem, problemSize,
                       [&reading](std::string_view line) { return reading.take(line); })) {
        layout = Layout{};
        return false;
    }
    if (!reading.finish()) {
        layout = Layout{};
        return false;
    }
    return true;
}

size_t writeLayoutFile(const Layout& layout, char* out, size_t size) {
    std::string text = "layout 1\nname " + std::string(layout.name) + "\nsize " +
                       std::to_string(layout.width) + " " + std::to_string(layout.height) +
                       "\nfit " + (layout.keepProportions ? "keep" : "stretch") + "\n";
    for (int32_t i = 0; i < layout.gameCount && i < MaxGames; ++i) {
        text += "game " + std::string(layout.games[i]) + "\n";
    }
    char word[64];
    for (int32_t i = 0; i < layout.padCount; ++i) {
        const LayoutPad& p = layout.pads[i];
        text += "pad " + std::to_string(p.x) + " " + std::to_string(p.y) + " " +
                std::to_string(p.width) + " " + std::to_string(p.height) + " ";
        writeLookName(p, word, sizeof word);
        text += word;
        writeKeyName(p.key, word, sizeof word);
        text += std::string(" ") + word;
        if (p.label[0] != '\0') {
            text += std::string(" ") + p.label;
        }
        text += "\n";
    }
    for (int32_t i = 0; i < layout.discCount; ++i) {
        const LayoutDisc& d = layout.discs[i];
        formatTextN(word, sizeof word, "%.6g", d.deadBand);
        text += "disc " + std::to_string(d.x) + " " + std::to_string(d.y) + " " +
                std::to_string(d.radius) + " " + word;
        for (const AssignedKey& key : d.keys) {
            writeKeyName(key, word, sizeof word);
            text += std::string(" ") + word;
        }
        text += "\n";
    }
    if (text.size() >= size) {
        return 0;
    }
    std::memcpy(out, text.data(), text.size() + 1);
    return text.size();
}
