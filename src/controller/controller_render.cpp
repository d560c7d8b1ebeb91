#include "controller/controller_render.h"

#include "controller/controller_scene.h"
#include "controller/key_assignment.h"
#include "controller/play_mode.h"
#include "controller/scratch.h"
#include "engine/format_text.h"
#include "engine/frame_pacing.h"
#include "engine/health.h"
#include "graphics/frame_target.h"
#include "touch/touch_table.h"

#include <algorithm>
#include <cstring>

namespace {

// FNV-1a over everything a frame shows.
struct Fingerprint {
    uint64_t hash = 14695981039346656037ull;

    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash = (hash ^ p[i]) * 1099511628211ull;
        }
    }
    template <typename T> void value(const T& v) { bytes(&v, sizeof v); }
    void text(const char* t) {
        for (; *t != '\0'; ++t) {
            value(*t);
        }
        value('\0');
    }
};

// The scene part of the last frame presented: a frame that differs from it
// only in the health line does not count as a frame of play.
uint64_t shownScene = 0;

// Below the touch lines: the health line, then the notices, wrapped so that
// they end left of the prompt.
constexpr int32_t HealthLineY = 200;
constexpr int32_t NoticeLineY = 220;
constexpr int32_t LineStep = 20;
constexpr size_t NoticeLineChars = 72;
char healthLine[NoticeSize];

constexpr int32_t AnchorTopLeft = 7;
constexpr int32_t AnchorCentre = 5;
constexpr int32_t AnchorBottomRight = 3;

void composePadNumber(Canvas& dc, const Sprite& pad, int32_t index) {
    char number[32];
    formatText(number, "%d", static_cast<int>(KeyScancodes[index]));
    const Point centre = spriteCentre(pad);
    drawText(dc, centre.x, centre.y, number, ColourGreen, AnchorCentre);
}

void composePads(Canvas& dc) {
    for (int32_t i = 0; i < PadCount; ++i) {
        const Sprite* pad = padSprites[i];
        if (pad == nullptr) {
            continue;
        }
        pad->drawOutline(dc);
        if (PadPressed[i] != 0) {
            pad->draw(dc);
        }
        composePadNumber(dc, *pad, i);
    }
}

// Draws a notice from line y on, one screen line per wrapped line; gives the
// y of the next line.
int32_t composeNotice(Canvas& dc, const char* notice, int32_t y) {
    char line[NoticeLineChars + 1];
    for (size_t at = 0, length = 0; notice[at] != '\0'; y += LineStep) {
        at = wrapLine(notice, at, NoticeLineChars, &length);
        std::memcpy(line, notice + at, length);
        line[length] = '\0';
        drawText(dc, 0, y, line, ColourYellow, AnchorTopLeft);
        at += length;
    }
    return y;
}

void composeScratchLines(Canvas& dc) {
    if (scratchDisc == nullptr) {
        return;
    }
    const Point c = spriteCentre(*scratchDisc);
    drawLine(dc, c.x, c.y, ScratchState.touchPoint.x, ScratchState.touchPoint.y, ColourRed);
    drawLine(dc, c.x, c.y, ScratchState.lowEnd.x, ScratchState.lowEnd.y, ColourBlue);
    drawLine(dc, c.x, c.y, ScratchState.highEnd.x, ScratchState.highEnd.y, ColourBlue);
}

} // namespace

namespace {

// What comes after the pads and the disc, in the same order in the whole
// frame and in the layered one.
void composeTexts(Canvas& dc) {
    if (controllerMode == AssignKeys) {
        drawText(dc, 600, 200, statusText, ColourYellow, AnchorCentre);
    }
    drawText(dc, 1280, 720, "program by Vistrel", ColourBlue, AnchorBottomRight);
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        drawText(dc, 0, 20 * i, touchDebugLines[i], ColourBlue, AnchorTopLeft);
    }
    drawText(dc, 0, HealthLineY, healthLine, ColourGreen, AnchorTopLeft);
    int32_t y = NoticeLineY;
    for (const char* notice : noticeLines) {
        y = composeNotice(dc, notice, y);
    }
    composeScratchLines(dc);
}

void composeDisc(Canvas& dc) {
    if (scratchDisc != nullptr) {
        scratchDisc->draw(dc);
    }
}

// The layers: outlines and disc; the same with every pad's picture; and,
// over the pads taken from either, the numbers and everything else. The pads
// lie apart from each other and from the disc, so this is the whole frame's
// picture, pixel for pixel.
void composeBaseLayer(Canvas& dc) {
    for (const Sprite* pad : padSprites) {
        if (pad != nullptr) {
            pad->drawOutline(dc);
        }
    }
    composeDisc(dc);
}

void composeLitLayer(Canvas& dc) {
    composeBaseLayer(dc);
    for (const Sprite* pad : padSprites) {
        if (pad != nullptr) {
            pad->draw(dc);
        }
    }
}

void composeTopLayer(Canvas& dc) {
    for (int32_t i = 0; i < PadCount; ++i) {
        if (padSprites[i] != nullptr) {
            composePadNumber(dc, *padSprites[i], i);
        }
    }
    composeTexts(dc);
}

// A pressed pad: its outline's rectangle and its picture, whichever is larger.
PixelRegion padRegion(const Sprite& pad) {
    const Image* image = pad.instance != nullptr ? pad.instance->image : nullptr;
    const Size picture = image != nullptr ? image->size() : Size{0, 0};
    return PixelRegion{pad.x, pad.y, std::max(pad.w, picture.width),
                       std::max(pad.h, picture.height)};
}

} // namespace

void composeControllerFrame(Canvas& dc) {
    composePads(dc);
    composeDisc(dc);
    composeTexts(dc);
}

FramePlan controllerFramePlan() {
    static PixelRegion pressed[PadCount];
    int32_t count = 0;
    for (int32_t i = 0; i < PadCount; ++i) {
        if (padSprites[i] != nullptr && PadPressed[i] != 0) {
            pressed[count++] = padRegion(*padSprites[i]);
        }
    }
    return FramePlan{controllerObjectsVersion, composeBaseLayer, composeLitLayer, pressed, count,
                     composeTopLayer};
}

size_t wrapLine(const char* text, size_t at, size_t maxChars, size_t* length) {
    while (text[at] == ' ') {
        ++at;
    }
    size_t end = at;
    size_t lastBreak = 0;
    while (text[end] != '\0' && end - at < maxChars) {
        if (text[end] == ' ') {
            lastBreak = end;
        }
        ++end;
    }
    // Cut at the last blank when a word would be cut, unless the word alone
    // is longer than a line.
    if (text[end] != '\0' && text[end] != ' ' && lastBreak > at) {
        end = lastBreak;
    }
    *length = end - at;
    return at;
}

void writeHealthLine(const HealthFigures& figures, char* buffer, size_t size) {
    const unsigned ms = figures.longestReportUs / 1000;
    const unsigned hundredths = figures.longestReportUs % 1000 / 10;
    int written = formatTextN(buffer, size, "touch %d/s  frames %d/s  touch to key %u.%02u ms",
                              figures.reportsPerSecond, figures.framesPerSecond, ms, hundredths);
    if (figures.strokesLost > 0 && written > 0 && static_cast<size_t>(written) < size) {
        written += formatTextN(buffer + written, size - static_cast<size_t>(written),
                               "  strokes lost %d", figures.strokesLost);
    }
    if (figures.strokesBlocked > 0 && written > 0 && static_cast<size_t>(written) < size) {
        formatTextN(buffer + written, size - static_cast<size_t>(written), "  strokes blocked %d",
                    figures.strokesBlocked);
    }
}

uint64_t controllerSceneContent() {
    Fingerprint f;
    f.value(controllerMode);
    for (int32_t i = 0; i < PadCount; ++i) {
        f.value(padSprites[i] != nullptr);
        f.value(PadPressed[i]);
        f.value(KeyScancodes[i]);
    }
    f.value(scratchDisc != nullptr);
    if (controllerMode == AssignKeys) {
        f.text(statusText);
    }
    for (const char* line : touchDebugLines) {
        f.text(line);
    }
    f.value(ScratchState.touchPoint);
    f.value(ScratchState.lowEnd);
    f.value(ScratchState.highEnd);
    for (const char* line : noticeLines) {
        f.text(line);
    }
    return f.hash;
}

namespace {

void presentController(uint64_t scene, uint64_t whole) {
    frameTarget->present(controllerFramePlan(), repaintPending());
    frameShown(whole);
    noteFramePresented(scene != shownScene);
    shownScene = scene;
}

} // namespace

void renderController() {
    if (frameTarget == nullptr) {
        return;
    }
    writeHealthLine(healthFigures(), healthLine, sizeof healthLine);
    const uint64_t scene = controllerSceneContent();
    Fingerprint whole;
    whole.value(scene);
    whole.text(healthLine);
    if (frameDue(whole.hash)) {
        presentController(scene, whole.hash);
    }
}

void renderControllerNow() {
    if (frameTarget != nullptr) {
        writeHealthLine(healthFigures(), healthLine, sizeof healthLine);
        const uint64_t scene = controllerSceneContent();
        presentController(scene, scene);
    }
}
