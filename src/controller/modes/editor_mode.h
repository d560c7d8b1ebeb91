// Editing the layout on the controller itself: the scene's third mode.
// Fingers, the mouse and the pen move and resize the controls; a bar of
// buttons does the rest. No key goes to the game meanwhile, neither
// Padrelle's nor what the player types for the editor. Saving writes a
// layout file into the layouts folder and plays it.
#pragma once

#include "controller/layouts/layout_editor.h"
#include "graphics/geometry.h"

#include <cstdint>

enum EditorButton : int32_t {
    EditAddPad = 0,
    EditAddDisc,
    EditDelete,
    EditUndo,
    EditRedo,
    EditGrid,
    EditKey,
    EditLook,
    EditLabel,
    EditFit,
    EditGame,
    EditName,
    EditPreset,
    EditBar,
    EditSave,
    EditLeave,
    EditorButtonCount
};

// What the bar's buttons say.
const char* editorButtonText(int32_t button);
// A button of the bar, in the frame: along the top, or the bottom.
Rect editorButtonBox(int32_t button);
// The two lines under (or over) the bar: what is selected, and what is
// asked or wrong.
int32_t editorLineY(int32_t line);

// The editor's state: the layout being made, the selection, the drag.
extern EditorState editor;
// What the editor's second line says when nothing is wrong: the key or the
// text awaited.
const char* editorPrompt();
// Changes whenever what the editor shows changes.
extern uint64_t editorVersion;

// From play: every key goes up, and the layout is edited, starting from
// this one (with the keys the player has when it is the one in use).
void enterEditor(const Layout& from);
// Each pass while editing.
void updateEditor();
// Back to play with the layout as it was before editing.
void leaveEditor();
// Saves the layout as a file in the layouts folder and plays it; false with
// the reason on the editor's line when it cannot be.
bool saveEditedLayout();

// The editor at the start (--edit): on that layout, or null for the one in
// use; it begins once play can (after the keys are assigned).
void askForEditor(const Layout* from);
// Each pass: the editor begins when asked for (the window menu, --edit)
// and play is under way.
void startEditorWhenAsked();

void resetEditor();
