#include "controller/layouts/layout.h"

#include "base/format_text.h"

#include <cstdio>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Yellow = 0x00FFFF;
constexpr uint32_t Green = 0x00C000;
constexpr uint32_t Blue = 0xFF8000;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Orange = 0x008CFF;
constexpr uint32_t Grey = 0xC0C0C0;

AssignedKey key(uint8_t code, uint16_t prefix = 0) {
    return AssignedKey{code, prefix};
}

void name(Layout& layout, const char* text) {
    std::snprintf(layout.name, sizeof layout.name, "%s", text);
}

void pad(Layout& layout, int32_t x, int32_t y, int32_t w, int32_t h, PadLook look, uint32_t colour,
         AssignedKey sends) {
    LayoutPad& p = layout.pads[layout.padCount++];
    p = LayoutPad{x, y, w, h, look, colour, {}, sends};
}

void disc(Layout& layout, int32_t x, int32_t y, int32_t radius, AssignedKey clockwise,
          AssignedKey counter) {
    layout.discs[layout.discCount++] = LayoutDisc{x, y, radius, 0.05, {clockwise, counter}};
}

Layout blank(const char* layoutName, bool keep) {
    Layout layout = {};
    name(layout, layoutName);
    layout.width = 1280;
    layout.height = 720;
    layout.keepProportions = keep;
    return layout;
}

// Seven keys in two staggered rows, white below and blue above.
void sevenKeys(Layout& layout, int32_t left, int32_t step, int32_t width, const uint8_t* codes) {
    for (int32_t i = 0; i < 7; ++i) {
        const bool upper = i % 2 == 1;
        pad(layout, left + step * i, upper ? 292 : 500, width, 190, upper ? LookBlue : LookWhite, 0,
            key(codes[i]));
    }
}

// Seven keys, two more along the top edge above the first and the last, and
// the turntable: on the left (the 1P side, the default) or the right (2P).
Layout makeSevenAndTurntable(const char* layoutName, int32_t keysLeft, int32_t discX) {
    Layout layout = blank(layoutName, false);
    const uint8_t keys[7] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    sevenKeys(layout, keysLeft, 76, 130, keys);
    pad(layout, keysLeft, 10, 130, 190, LookWhite, 0, key(0x10));
    pad(layout, keysLeft + 6 * 76, 10, 130, 190, LookWhite, 0, key(0x11));
    disc(layout, discX, 208, 463, key(0x1D), key(0x2A));
    return layout;
}

// Double play: two groups of seven keys between two discs.
Layout makeDouble() {
    Layout layout = blank("double", true);
    const uint8_t left[7] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    const uint8_t right[7] = {0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x2B};
    sevenKeys(layout, 296, 44, 75, left);
    sevenKeys(layout, 645, 44, 75, right);
    disc(layout, 4, 360, 280, key(0x1D), key(0x2A));
    disc(layout, 1276, 360, 280, key(0x1D, 0x02), key(0x36));
    return layout;
}

// Nine buttons in two rows, five below and four above, in their colours:
// where they lie.
struct NinePlaces {
    const char* name;
    bool keep;
    int32_t left, step, width;
    int32_t lowerY, lowerHeight, upperY, upperHeight;
};

Layout makeNine(const NinePlaces& at) {
    Layout layout = blank(at.name, at.keep);
    const uint32_t colours[9] = {White, Yellow, Green, Blue, Red, Blue, Green, Yellow, White};
    const uint8_t keys[9] = {0x2C, 0x1F, 0x2D, 0x20, 0x2E, 0x21, 0x2F, 0x22, 0x30};
    for (int32_t i = 0; i < 9; ++i) {
        const bool upper = i % 2 == 1;
        pad(layout, at.left + at.step * i, upper ? at.upperY : at.lowerY, at.width,
            upper ? at.upperHeight : at.lowerHeight, LookColour, colours[i], key(keys[i]));
    }
    return layout;
}

constexpr NinePlaces NineOnTheScreen = {"nine", true, 40, 124, 200, 470, 200, 230, 200};

// Four buttons, two effect keys below them, and a knob on each side: where
// each lies.
struct KnobsPlaces {
    const char* name;
    bool keep;
    int32_t buttonsLeft, buttonsStep, buttonsY, buttonWidth, buttonHeight;
    int32_t effectsLeft[2], effectsY, effectWidth, effectHeight;
    int32_t knobsX[2], knobsY, knobRadius;
};

Layout makeKnobs(const KnobsPlaces& at) {
    Layout layout = blank(at.name, at.keep);
    const uint8_t buttons[4] = {0x20, 0x21, 0x24, 0x25};
    for (int32_t i = 0; i < 4; ++i) {
        pad(layout, at.buttonsLeft + at.buttonsStep * i, at.buttonsY, at.buttonWidth,
            at.buttonHeight, LookColour, White, key(buttons[i]));
    }
    const uint8_t effects[2] = {0x2E, 0x32};
    for (int32_t i = 0; i < 2; ++i) {
        pad(layout, at.effectsLeft[i], at.effectsY, at.effectWidth, at.effectHeight, LookColour,
            Orange, key(effects[i]));
    }
    disc(layout, at.knobsX[0], at.knobsY, at.knobRadius, key(0x11), key(0x10));
    disc(layout, at.knobsX[1], at.knobsY, at.knobRadius, key(0x19), key(0x18));
    return layout;
}

// Knobs in the upper corners.
constexpr KnobsPlaces KnobsOnTheScreen = {"knobs",    true, 180, 240, 300,         220, 220,
                                          {250, 690}, 560,  340, 120, {150, 1130}, 160, 110};

// Lanes across the whole screen, a pixel apart.
Layout makeLanes(const char* layoutName, int32_t count, const uint8_t* keys) {
    Layout layout = blank(layoutName, false);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = i * 1280 / count;
        const int32_t next = (i + 1) * 1280 / count;
        pad(layout, x, 0, next - x - 2, 719, LookColour, i % 2 == 0 ? Grey : Blue, key(keys[i]));
    }
    return layout;
}

// Over the game: the controls in a band along the bottom of the screen,
// where the notes of the game's lanes land, the rest of the screen left to
// the game; the top right corner stays free for the overlay's panel.
constexpr int32_t BandTop = 520;

// The turntable at the left, seven keys beside it, white below, blue above.
Layout makeOverlayTurntable() {
    Layout layout = blank("overlay-turntable", false);
    const uint8_t keys[7] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    for (int32_t i = 0; i < 7; ++i) {
        const bool upper = i % 2 == 1;
        pad(layout, 230 + 58 * i, upper ? BandTop + 10 : 620, 54, 90, LookColour,
            upper ? Blue : White, key(keys[i]));
    }
    disc(layout, 110, 610, 100, key(0x1D), key(0x2A));
    return layout;
}

// Nine buttons in two staggered rows in the middle of the band.
constexpr NinePlaces NineOverTheGame = {"overlay-nine", false, 272, 82, 78, 620, 90, 530, 86};

// The knobs at each end of the band.
constexpr KnobsPlaces KnobsOverTheGame = {"overlay-knobs", false, 398, 124, 560,         116, 90,
                                          {440, 720},      660,   200, 50,  {250, 1030}, 620, 80};

// Lanes side by side in the middle of the band, two units apart.
Layout makeOverlayLanes(const char* layoutName, int32_t count, const uint8_t* keys) {
    Layout layout = blank(layoutName, false);
    const int32_t left = 640 - (count * 92 - 2) / 2;
    for (int32_t i = 0; i < count; ++i) {
        pad(layout, left + 92 * i, 560, 90, 156, LookColour, i % 2 == 0 ? Grey : Blue,
            key(keys[i]));
    }
    return layout;
}

struct Presets {
    Layout layouts[14];
    int32_t count = 0;

    Presets() {
        const uint8_t four[4] = {0x20, 0x21, 0x24, 0x25};
        const uint8_t six[6] = {0x1F, 0x20, 0x21, 0x24, 0x25, 0x26};
        const uint8_t seven[7] = {0x1F, 0x20, 0x21, 0x39, 0x24, 0x25, 0x26};
        for (const Layout& layout :
             {makeSevenAndTurntable("default", 690, 4), makeSevenAndTurntable("mirrored", 4, 1276),
              makeDouble(), makeNine(NineOnTheScreen), makeKnobs(KnobsOnTheScreen),
              makeLanes("lanes4", 4, four), makeLanes("lanes6", 6, six),
              makeLanes("lanes7", 7, seven), makeOverlayTurntable(), makeNine(NineOverTheGame),
              makeKnobs(KnobsOverTheGame), makeOverlayLanes("overlay-lanes4", 4, four),
              makeOverlayLanes("overlay-lanes6", 6, six),
              makeOverlayLanes("overlay-lanes7", 7, seven)}) {
            layouts[count++] = layout;
        }
    }
};

const Presets& presets() {
    static const Presets all;
    return all;
}

// num / den (den above 0) rounded to the nearest integer, halves away from
// zero, exactly: in floating point a half (247.5) may come out a hair under
// and round the other way.
int32_t roundedRatio(int64_t num, int64_t den) {
    const int64_t twice = 2 * num + (num < 0 ? -den : den);
    return static_cast<int32_t>(twice / (2 * den));
}

// One direction of the fit: a unit u lands at (offset + 2 u num) / (2 den)
// frame pixels.
struct FitAxis {
    int64_t num;
    int64_t den;
    int64_t offset;
    int32_t at(int64_t units) const { return roundedRatio(offset + 2 * units * num, 2 * den); }
};

} // namespace

ControlBox padBox(const LayoutPad& p) {
    return ControlBox{p.x, p.y, int64_t{p.x} + p.width, int64_t{p.y} + p.height};
}

ControlBox discBox(const LayoutDisc& d) {
    return ControlBox{int64_t{d.x} - d.radius, int64_t{d.y} - d.radius, int64_t{d.x} + d.radius,
                      int64_t{d.y} + d.radius};
}

bool overlap(const ControlBox& a, const ControlBox& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

int32_t layoutKeyCount(const Layout& layout) {
    return layout.padCount + 2 * layout.discCount;
}

KeySet layoutKeys(const Layout& layout) {
    KeySet set = {};
    for (int32_t i = 0; i < layout.padCount; ++i) {
        set.keys[set.count++] = layout.pads[i].key;
    }
    for (int32_t i = 0; i < layout.discCount; ++i) {
        set.keys[set.count++] = layout.discs[i].keys[0];
        set.keys[set.count++] = layout.discs[i].keys[1];
    }
    return set;
}

const Layout* presetLayout(int32_t index) {
    const Presets& all = presets();
    return index >= 0 && index < all.count ? &all.layouts[index] : nullptr;
}

const Layout* presetNamed(const char* wanted) {
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        if (std::strcmp(presetLayout(i)->name, wanted) == 0) {
            return presetLayout(i);
        }
    }
    return nullptr;
}

const Layout& defaultLayout() {
    return *presetLayout(0);
}

Layout fittedToFrame(const Layout& layout) {
    Layout fitted = layout;
    if (layout.width <= 0 || layout.height <= 0) {
        return fitted;
    }
    const int64_t w = layout.width;
    const int64_t h = layout.height;
    // The smaller scale of the two: 1280 / w when 1280 h <= 720 w.
    const bool widthBinds = 1280 * h <= 720 * w;
    const int64_t smallNum = widthBinds ? 1280 : 720;
    const int64_t smallDen = widthBinds ? w : h;
    FitAxis x = {1280, w, 0};
    FitAxis y = {720, h, 0};
    if (layout.keepProportions) {
        // Both by the smaller scale, the layout in the middle.
        x = {smallNum, smallDen, 1280 * smallDen - w * smallNum};
        y = {smallNum, smallDen, 720 * smallDen - h * smallNum};
    }
    for (int32_t i = 0; i < layout.padCount; ++i) {
        const LayoutPad& p = layout.pads[i];
        LayoutPad& f = fitted.pads[i];
        f.x = x.at(p.x);
        f.y = y.at(p.y);
        f.width = x.at(int64_t{p.x} + p.width) - f.x;
        f.height = y.at(int64_t{p.y} + p.height) - f.y;
    }
    for (int32_t i = 0; i < layout.discCount; ++i) {
        const LayoutDisc& d = layout.discs[i];
        LayoutDisc& f = fitted.discs[i];
        f.x = x.at(d.x);
        f.y = y.at(d.y);
        f.radius = std::max(1, roundedRatio(int64_t{d.radius} * smallNum, smallDen));
    }
    fitted.width = 1280;
    fitted.height = 720;
    return fitted;
}

FitScale fitScale(const Layout& layout) {
    if (layout.width <= 0 || layout.height <= 0) {
        return FitScale{1, 1, 0, 0};
    }
    const double sx = 1280.0 / layout.width;
    const double sy = 720.0 / layout.height;
    if (!layout.keepProportions) {
        return FitScale{sx, sy, 0, 0};
    }
    const double s = std::min(sx, sy);
    return FitScale{s, s, (1280.0 - layout.width * s) / 2, (720.0 - layout.height * s) / 2};
}

bool isGameName(std::string_view name) {
    constexpr std::string_view Ending = ".exe";
    if (name.size() <= Ending.size() || name.size() >= static_cast<size_t>(GameNameSize)) {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::strchr("\\/:*?\"<>|#", c) != nullptr) {
            return false;
        }
    }
    // A name with blanks at its ends is not one Windows keeps.
    if (name.front() == ' ' || name.back() == ' ' || name.front() == '.') {
        return false;
    }
    return sameProgramName(name.substr(name.size() - Ending.size()), Ending);
}

bool layoutIsFor(const Layout& layout, const char* program) {
    for (int32_t i = 0; i < layout.gameCount && i < MaxGames; ++i) {
        if (sameProgramName(layout.games[i], program)) {
            return true;
        }
    }
    return false;
}

void findOverlap(const Layout& layout, char* problem, size_t size) {
    if (size > 0) {
        problem[0] = '\0';
    }
    for (int32_t i = 0; i < layout.padCount; ++i) {
        for (int32_t j = i + 1; j < layout.padCount; ++j) {
            if (overlap(padBox(layout.pads[i]), padBox(layout.pads[j]))) {
                formatTextN(problem, size, "pads %d and %d overlap", i, j);
                return;
            }
        }
        for (int32_t d = 0; d < layout.discCount; ++d) {
            if (overlap(padBox(layout.pads[i]), discBox(layout.discs[d]))) {
                formatTextN(problem, size, "pad %d and disc %d overlap", i, d);
                return;
            }
        }
    }
    if (layout.discCount == 2 && overlap(discBox(layout.discs[0]), discBox(layout.discs[1]))) {
        formatTextN(problem, size, "discs 0 and 1 overlap");
    }
}
