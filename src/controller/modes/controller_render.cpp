#include "controller/modes/controller_render.h"

#include "base/format_text.h"
#include "base/health.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/editor_view.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/menu_view.h"
#include "controller/modes/overlay.h"
#include "controller/modes/phone_offer.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remote_panel.h"
#include "controller/modes/scratch.h"
#include "engine/frame_pacing.h"
#include "graphics/frame_target.h"
#include "remote/remote_link.h"
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
// The dark backing of a text line: as high as a line, about as wide as its
// characters.
constexpr int32_t LineHeight = 18;
constexpr int32_t BackingCharWidth = 8;
constexpr uint32_t ColourKnob = 0xC0C0C0;
constexpr uint32_t ColourHeld = 0x008080; // a held button's fill
constexpr size_t NoticeLineChars = 72;
char healthLine[NoticeSize];
char remoteLine[NoticeSize * 2];

} // namespace

// A line of the debug, health and notice lines, on a dark backing of its
// own: readable over whatever control lies under it.
void composeLine(Canvas& dc, int32_t y, const char* text, uint32_t colour) {
    composeLineAt(dc, 0, y, text, colour);
}

void composeLineAt(Canvas& dc, int32_t x, int32_t y, const char* text, uint32_t colour) {
    const size_t length = std::strlen(text);
    if (length > 0) {
        fillRect(
            dc, Rect{y, x, y + LineHeight, x + static_cast<int32_t>(length) * BackingCharWidth + 4},
            ColourBacking);
    }
    drawText(dc, x, y, text, colour, AnchorTopLeft);
}

Rect firstNoticeBox(const char* notice) {
    int32_t y = NoticeLineY;
    size_t widest = 0;
    for (size_t at = 0, length = 0; notice[at] != '\0'; y += LineStep) {
        at = wrapLine(notice, at, NoticeLineChars, &length);
        widest = std::max(widest, length);
        at += length;
    }
    if (y == NoticeLineY) {
        return Rect{NoticeLineY, 0, NoticeLineY, 0};
    }
    return Rect{NoticeLineY, 0, y - LineStep + LineHeight,
                static_cast<int32_t>(widest) * BackingCharWidth + 4};
}

void composeCell(Canvas& dc, const Rect& box, const char* text) {
    composeHeldCell(dc, box, text, -1);
}

void composeHeldCell(Canvas& dc, const Rect& box, const char* text, int32_t share) {
    fillRect(dc, Rect{box.top + 1, box.left + 1, box.bottom - 1, box.right - 1}, ColourBacking);
    if (share > 0) {
        const int32_t right = box.left + 1 + (box.right - box.left - 2) * share / 1000;
        fillRect(dc, Rect{box.top + 1, box.left + 1, box.bottom - 1, right}, ColourHeld);
    }
    drawRectOutline(dc, box, ColourYellow);
    drawText(dc, (box.left + box.right) / 2, (box.top + box.bottom - TextHeight) / 2, text,
             ColourYellow, AnchorTopCentre);
}

uint32_t padColour(const LayoutPad& pad) {
    return pad.look == LookColour ? pad.colour
           : pad.look == LookBlue ? BlueCapColour
                                  : WhiteCapColour;
}

namespace {

void composePadNumber(Canvas& dc, const Sprite& pad, int32_t index) {
    char number[32];
    formatText(number, "%d", static_cast<int>(KeyScancodes[index]));
    const Point centre = spriteCentre(pad);
    drawText(dc, centre.x, centre.y, number, ColourGreen, AnchorCentre);
    const char* label = controllerLayout.pads[index].label;
    if (label[0] != '\0') {
        drawText(dc, centre.x, centre.y - LineStep, label, ColourGreen, AnchorCentre);
    }
}

// A pressed pad: its picture, or its colour inside its outline.
void composeLitPad(Canvas& dc, const Sprite& pad, int32_t index) {
    if (pad.instance->image != nullptr) {
        pad.draw(dc);
        return;
    }
    fillRect(dc, Rect{pad.y + 1, pad.x + 1, pad.y + pad.h - 1, pad.x + pad.w - 1},
             padColour(controllerLayout.pads[index]));
}

void composePads(Canvas& dc) {
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        const Sprite* pad = padSprites[i];
        if (pad == nullptr) {
            continue;
        }
        pad->drawOutline(dc);
        if (PadPressed[i] != 0) {
            composeLitPad(dc, *pad, i);
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
        composeLine(dc, y, line, ColourYellow);
        at += length;
    }
    return y;
}

void composeScratchLines(Canvas& dc) {
    for (int32_t d = 0; d < controllerLayout.discCount; ++d) {
        if (scratchDiscs[d] == nullptr) {
            continue;
        }
        const ScratchTracker& s = ScratchTrackers[d];
        const Point c = spriteCentre(*scratchDiscs[d]);
        drawLine(dc, c.x, c.y, s.touchPoint.x, s.touchPoint.y, ColourRed);
        drawLine(dc, c.x, c.y, s.lowEnd.x, s.lowEnd.y, ColourBlue);
        drawLine(dc, c.x, c.y, s.highEnd.x, s.highEnd.y, ColourBlue);
    }
}

} // namespace

namespace {

// The overlay's panel: its opacity and the buttons that change it or make
// the controller a window again.
void composeOverlayPanel(Canvas& dc) {
    if (!overlayState.on || controllerMode == EditLayout || controllerMode == MenuOpen) {
        return;
    }
    char opacity[16];
    overlayOpacityText(opacity, sizeof opacity);
    composeHeldCell(dc, overlayButtonBox(OverlayMenu), "MENU", menuHoldShare());
    composeCell(dc, overlayLabelBox(), opacity);
    composeCell(dc, overlayButtonBox(OverlayLess), "LESS");
    composeCell(dc, overlayButtonBox(OverlayMore), "MORE");
    composeCell(dc, overlayButtonBox(OverlayLeave), "WINDOW");
    composeCell(dc, overlayButtonBox(OverlayEdit), "EDIT");
}

// What comes after the pads and the disc, in the same order in the whole
// frame and in the layered one.
void composeTexts(Canvas& dc) {
    if (controllerMode == EditLayout) {
        composeEditor(dc);
        return;
    }
    if (controllerMode == AssignKeys) {
        drawText(dc, 600, 200, statusText, ColourYellow, AnchorCentre);
        composeCell(dc, LayoutKeysButton, LayoutKeysButtonText);
        composePhoneOffer(dc);
    }
    composeOverlayPanel(dc);
    drawText(dc, 1280, 720, "program by Vistrel", ColourBlue, AnchorBottomRight);
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        composeLine(dc, 20 * i, touchDebugLines[i], ColourBlue);
    }
    composeLine(dc, HealthLineY, healthLine, ColourGreen);
    int32_t y = NoticeLineY;
    for (const char* notice : noticeLines) {
        y = composeNotice(dc, notice, y);
    }
    composeNotice(dc, remoteLine, y);
    if (controllerMode == Play && remoteCodeShown()) {
        composeRemoteCode(dc, RemoteCodeLeft, RemoteCodeTop, RemoteCodeModule);
    }
    composeScratchLines(dc);
    // Over the lines: the menu's button may share the top left corner with
    // them. Its place is made with the controls.
    if (controllerMode == Play && !overlayState.on && whiteImage != nullptr) {
        composeHeldCell(dc, menuButtonBox(), MenuButtonText, menuHoldShare());
    }
}

// The turntable's picture, or a knob's circle.
void composeDisc(Canvas& dc) {
    for (int32_t d = 0; d < controllerLayout.discCount; ++d) {
        const Sprite* disc = scratchDiscs[d];
        if (disc == nullptr) {
            continue;
        }
        if (disc->instance->image != nullptr) {
            disc->draw(dc);
        } else {
            const Point c = spriteCentre(*disc);
            drawCircle(dc, c.x, c.y, disc->w / 2, ColourKnob);
        }
    }
}

// The layers: outlines and disc; the same with every pad's picture; and,
// over the pads taken from either, the numbers and everything else. The pads
// lie apart from each other and from the disc, so this is the whole frame's
// picture, pixel for pixel.
void composeBaseLayer(Canvas& dc) {
    composeControls(dc);
}

void composeLitLayer(Canvas& dc) {
    composeBaseLayer(dc);
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        if (padSprites[i] != nullptr) {
            composeLitPad(dc, *padSprites[i], i);
        }
    }
}

void composeTopLayer(Canvas& dc) {
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
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

void composeControls(Canvas& dc) {
    for (const Sprite* pad : padSprites) {
        if (pad != nullptr) {
            pad->drawOutline(dc);
        }
    }
    composeDisc(dc);
}

void composeControllerFrame(Canvas& dc) {
    if (controllerMode == MenuOpen) {
        composeMenuBase(dc);
        composeMenuTop(dc);
        return;
    }
    composePads(dc);
    composeDisc(dc);
    composeTexts(dc);
}

namespace {

// Everything a frame shows: the scene's fingerprint and the health line.
uint64_t frameFingerprint(uint64_t scene) {
    Fingerprint shows;
    shows.value(scene);
    shows.text(healthLine);
    return shows.hash;
}

// The frame in layers, of a known fingerprint.
FramePlan framePlan(uint64_t fingerprint) {
    if (controllerMode == MenuOpen) {
        // The page's buttons and pictures are composed once into the layers,
        // what changes on it over them.
        Fingerprint layers;
        layers.text("menu");
        layers.value(controllerObjectsVersion);
        layers.value(menuContent());
        return FramePlan{layers.hash, composeMenuBase, composeMenuBase, nullptr,
                         0,           composeMenuTop,  fingerprint};
    }
    static PixelRegion pressed[MaxPads];
    int32_t count = 0;
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        if (padSprites[i] != nullptr && PadPressed[i] != 0) {
            pressed[count++] = padRegion(*padSprites[i]);
        }
    }
    return FramePlan{controllerObjectsVersion, composeBaseLayer, composeLitLayer, pressed, count,
                     composeTopLayer,          fingerprint};
}

} // namespace

FramePlan controllerFramePlan() {
    return framePlan(frameFingerprint(controllerSceneContent()));
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
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        f.value(padSprites[i] != nullptr);
        f.value(PadPressed[i]);
        f.value(KeyScancodes[i]);
    }
    for (int32_t d = 0; d < controllerLayout.discCount; ++d) {
        f.value(scratchDiscs[d] != nullptr);
        f.value(ScratchTrackers[d].touchPoint);
        f.value(ScratchTrackers[d].lowEnd);
        f.value(ScratchTrackers[d].highEnd);
    }
    if (controllerMode == AssignKeys) {
        f.text(statusText);
    }
    if (controllerMode == EditLayout) {
        f.value(editorVersion);
    }
    if (controllerMode == MenuOpen) {
        f.value(menuContent());
        f.text(outputNotice);
        f.value(remoteStatus().state);
    }
    f.value(menuHoldShare());
    f.value(phoneOffered());
    for (const char* line : touchDebugLines) {
        f.text(line);
    }
    for (const char* line : noticeLines) {
        f.text(line);
    }
    f.text(remoteLine);
    f.value(remoteCodeShown());
    f.value(overlayState.on);
    f.value(overlayState.opacity);
    f.value(overlayPanelBox());
    return f.hash;
}

namespace {

// The lines that are written anew for each pass's frame.
void writePassLines() {
    writeHealthLine(healthFigures(), healthLine, sizeof healthLine);
    appendRoundTrips(healthLine, sizeof healthLine);
    writeRemoteLine(remoteLine, sizeof remoteLine);
}

void presentController(uint64_t scene, uint64_t whole) {
    frameTarget->present(framePlan(frameFingerprint(scene)), repaintPending());
    frameShown(whole);
    noteFramePresented(scene != shownScene);
    shownScene = scene;
}

} // namespace

void renderController() {
    if (frameTarget == nullptr) {
        return;
    }
    writePassLines();
    const uint64_t scene = controllerSceneContent();
    const uint64_t whole = frameFingerprint(scene);
    if (frameDue(whole)) {
        presentController(scene, whole);
    }
}

void renderControllerNow() {
    if (frameTarget != nullptr) {
        writePassLines();
        const uint64_t scene = controllerSceneContent();
        presentController(scene, scene);
    }
}
