#include "controller/modes/editor_view.h"

#include "base/format_text.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/editor_mode.h"

#include <cstring>

namespace {

constexpr int32_t HandleColour = 0x00FFFF;

Rect rectOf(const ControlBox& box, int32_t grow) {
    return Rect{static_cast<int32_t>(box.top) - grow, static_cast<int32_t>(box.left) - grow,
                static_cast<int32_t>(box.bottom) + grow + 1,
                static_cast<int32_t>(box.right) + grow + 1};
}

void composeSelection(Canvas& dc) {
    if (editor.selected < 0 || editor.selected >= controlCount(editor.layout)) {
        return;
    }
    const ControlBox box = frameBoxOf(editor.layout, editor.selected);
    for (int32_t grow = 1; grow <= 3; ++grow) {
        drawRectOutline(dc, rectOf(box, grow), ColourYellow);
    }
    const ControlBox handle = handleBox(editor);
    fillRect(dc, rectOf(handle, 0), HandleColour);
    drawRectOutline(dc, rectOf(handle, 0), ColourRed);
}

void composeRefused(Canvas& dc) {
    if (!editor.refused) {
        return;
    }
    for (int32_t grow = 0; grow <= 2; ++grow) {
        drawRectOutline(dc, rectOf(editor.refusedBox, grow), ColourRed);
    }
    drawLine(dc, static_cast<int32_t>(editor.refusedBox.left),
             static_cast<int32_t>(editor.refusedBox.top),
             static_cast<int32_t>(editor.refusedBox.right),
             static_cast<int32_t>(editor.refusedBox.bottom), ColourRed);
}

} // namespace

void describeSelection(char* out, size_t size) {
    const Layout& layout = editor.layout;
    char keys[2][16];
    if (editor.selected >= 0 && editor.selected < layout.padCount) {
        const LayoutPad& pad = layout.pads[editor.selected];
        char look[16];
        writeLookName(pad, look, sizeof look);
        writeKeyName(pad.key, keys[0], sizeof keys[0]);
        formatTextN(out, size, "pad %d  x %d  y %d  %d x %d  key %s  %s  label %s",
                    static_cast<int>(editor.selected), pad.x, pad.y, pad.width, pad.height, keys[0],
                    look, pad.label[0] != '\0' ? pad.label : "-");
        return;
    }
    if (editor.selected >= layout.padCount && editor.selected < controlCount(layout)) {
        const int32_t d = editor.selected - layout.padCount;
        const LayoutDisc& disc = layout.discs[d];
        writeKeyName(disc.keys[0], keys[0], sizeof keys[0]);
        writeKeyName(disc.keys[1], keys[1], sizeof keys[1]);
        formatTextN(out, size, "disc %d  x %d  y %d  radius %d  keys %s %s", static_cast<int>(d),
                    disc.x, disc.y, disc.radius, keys[0], keys[1]);
        return;
    }
    char games[MaxGames * GameNameSize + 16] = "";
    for (int32_t i = 0; i < layout.gameCount; ++i) {
        const size_t used = std::strlen(games);
        formatTextN(games + used, sizeof games - used, "%s%s", i == 0 ? "  for " : ", ",
                    layout.games[i]);
    }
    formatTextN(out, size, "layout %s  %d x %d  %s%s  - touch a control to move it", layout.name,
                layout.width, layout.height, layout.keepProportions ? "keep" : "stretch", games);
}

void composeEditor(Canvas& dc) {
    composeSelection(dc);
    composeRefused(dc);
    for (int32_t i = 0; i < EditorButtonCount; ++i) {
        composeCell(dc, editorButtonBox(i), editorButtonText(i));
    }
    char line[NoticeSize];
    describeSelection(line, sizeof line);
    composeLine(dc, editorLineY(0), line, ColourGreen);
    if (editor.problem[0] != '\0') {
        formatText(line, "%s: %s", editor.refused ? "refused" : "not done", editor.problem);
        composeLine(dc, editorLineY(1), line, ColourRed);
    } else {
        composeLine(dc, editorLineY(1), editorPrompt(), ColourYellow);
    }
}
