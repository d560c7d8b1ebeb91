// The layout editor's model: a layout in its own units, changed by drags in
// the frame's pixels and by the editor's commands, every change checked as
// the layout file's reader checks a file, and undone and redone.
//
// The layout is always one the reader takes: a drag to a place or a size it
// would refuse leaves the control where it last was good and shows where it
// would have gone, refused, with the reason.
#pragma once

#include "controller/layouts/layout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class DragKind : int32_t { None, Move, Resize };

constexpr size_t EditorProblemSize = 160;
constexpr int32_t EditorUndoDepth = 100;
// The handle that resizes the selected control: a square this many frame
// pixels wide, at a pad's bottom right corner or a disc's right edge.
constexpr int32_t HandleSize = 32;
// A finger that moves no further than this from where it came down taps.
constexpr int32_t DragDeadZone = 3;

struct EditorState {
    Layout layout = {};    // in its own units, as it is written
    int32_t selected = -1; // a control: pads first, then discs; -1 for none
    bool grid = true;
    std::vector<Layout> undo;
    std::vector<Layout> redo;
    // A drag under way: what it does, where it began (frame pixels), and the
    // layout as it was then.
    DragKind drag = DragKind::None;
    int32_t startX = 0, startY = 0;
    bool moved = false; // the finger left the dead zone
    Layout before = {};
    // Where the dragged control would lie, refused, in frame pixels.
    bool refused = false;
    ControlBox refusedBox = {};
    // What is wrong with the last thing tried ("" when nothing is).
    char problem[EditorProblemSize] = "";
};

// Editing begins with this layout, nothing selected, nothing to undo.
void beginEditing(EditorState& editor, const Layout& layout);

// The control under a point of the frame, -1 for none: the same boxes the
// fingers press.
int32_t controlAt(const Layout& fitted, int32_t x, int32_t y);
// The selected control's handle, in frame pixels.
ControlBox handleBox(const EditorState& editor);
// The control's box in the frame.
ControlBox frameBoxOf(const Layout& layout, int32_t control);
int32_t controlCount(const Layout& layout);

// A finger comes down at a point of the frame: on the selected control's
// handle it resizes it, on a control it selects it and moves it, elsewhere
// nothing is selected.
void startDrag(EditorState& editor, int32_t x, int32_t y);
// The finger is now here: the control follows, snapped to the grid, while
// the layout stays good; else it stays and the place is shown refused.
void dragTo(EditorState& editor, int32_t x, int32_t y);
// The finger comes up: a drag that changed the layout can be undone.
void endDrag(EditorState& editor);

// The commands: each is undone as one step. False (with the problem) when
// nothing could be done.
bool addPad(EditorState& editor);
bool addDisc(EditorState& editor);
bool deleteSelected(EditorState& editor);
bool undoEdit(EditorState& editor);
bool redoEdit(EditorState& editor);
// The selected pad's next look: white, blue, then the colours.
bool nextLook(EditorState& editor);
bool toggleFit(EditorState& editor);
// The program is named by the layout from now on, or no longer.
bool toggleGame(EditorState& editor, const char* program);
// The key of the selected control: a pad's, or a disc's clockwise (0) or
// counter-clockwise (1).
bool setKey(EditorState& editor, int32_t which, const AssignedKey& key);
bool setLabel(EditorState& editor, const char* label);
bool setName(EditorState& editor, const char* name);
// CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9 in either case: names
// Windows keeps for devices, which no file may have.
bool isDeviceName(std::string_view name);
// Another layout whole (a preset): undone as one step.
bool replaceLayout(EditorState& editor, const Layout& layout);

// The grid's step in the layout's units.
int32_t gridStep(const Layout& layout);
// What the layout file's reader would say of the layout, without the
// line's number; "" when it takes it.
void layoutProblem(const Layout& layout, char* problem, size_t size);
// The same layout, as its file says.
bool sameLayout(const Layout& a, const Layout& b);
