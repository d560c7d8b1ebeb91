#include "graphics/controller_render.h"

#include "controller/controller_scene.h"
#include "controller/key_assignment.h"
#include "controller/play_mode.h"
#include "controller/scratch.h"
#include "engine/format_text.h"
#include "graphics/frame_target.h"
#include "touch/touch_table.h"

namespace {

constexpr int32_t AnchorTopLeft = 7;
constexpr int32_t AnchorCentre = 5;
constexpr int32_t AnchorBottomRight = 3;

void composePads(Canvas& dc) {
    char number[32];
    for (int32_t i = 0; i < PadCount; ++i) {
        const Sprite* pad = padSprites[i];
        if (pad == nullptr) {
            continue;
        }
        pad->drawOutline(dc);
        if (PadPressed[i] != 0) {
            pad->draw(dc);
        }
        formatText(number, "%d", static_cast<int>(KeyScancodes[i]));
        const Point centre = spriteCentre(*pad);
        drawText(dc, centre.x, centre.y, number, ColourGreen, AnchorCentre);
    }
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

void composeControllerFrame(Canvas& dc) {
    composePads(dc);
    if (scratchDisc != nullptr) {
        scratchDisc->draw(dc);
    }
    if (controllerMode == AssignKeys) {
        drawText(dc, 600, 200, statusText, ColourYellow, AnchorCentre);
    }
    drawText(dc, 1280, 720, "program by Vistrel", ColourBlue, AnchorBottomRight);
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        drawText(dc, 0, 20 * i, touchDebugLines[i], ColourBlue, AnchorTopLeft);
    }
    composeScratchLines(dc);
}

void renderController() {
    if (frameTarget != nullptr) {
        frameTarget->present(composeControllerFrame);
    }
}
