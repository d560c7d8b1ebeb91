// The controller screen, composed on a canvas and presented every frame.
#pragma once

#include "base/health.h"
#include "controller/layouts/layout.h"
#include "graphics/canvas.h"
#include "graphics/frame_target.h"

#include <cstddef>

// Draws the whole controller screen on a fresh 1280 x 720 surface: pads,
// pressed pads, pad numbers, disc, prompt, credit, touch lines, health line,
// notices, scratch lines.
void composeControllerFrame(Canvas& dc);
// The same frame in layers: what a frame target presents.
FramePlan controllerFramePlan();

// "touch 120/s  frames 60/s  touch to key 0.05 ms", and the strokes lost if any.
void writeHealthLine(const HealthFigures& figures, char* buffer, size_t size);

// Where the line of a notice that begins at `at` starts (past blanks), with
// at most maxChars characters, cut at a blank where the text goes on.
size_t wrapLine(const char* text, size_t at, size_t maxChars, size_t* length);

// Where the first notice's lines are drawn, their backings included: from
// the top of the notices, as wide as the longest (an empty box for none).
Rect firstNoticeBox(const char* notice);

// A line of text on a dark backing of its own, readable over whatever
// control lies under it: from the left edge, or from x.
void composeLine(Canvas& dc, int32_t y, const char* text, uint32_t colour);
void composeLineAt(Canvas& dc, int32_t x, int32_t y, const char* text, uint32_t colour);
// A button: its text in a box.
void composeCell(Canvas& dc, const Rect& box, const char* text);
// A button held to act: its box fills from the left as the hold goes on
// (share in thousandths; -1 while none is held).
void composeHeldCell(Canvas& dc, const Rect& box, const char* text, int32_t share);
// The pads' outlines and the discs, as play shows them unpressed.
void composeControls(Canvas& dc);
// A pad's colour when pressed: its picture's, or its own.
uint32_t padColour(const LayoutPad& pad);

// Text anchors: the point given is the text's top left corner, its middle,
// its bottom right corner, the middle of its top.
constexpr int32_t AnchorTopLeft = 7;
constexpr int32_t AnchorCentre = 5;
constexpr int32_t AnchorBottomRight = 3;
constexpr int32_t AnchorTopCentre = 8;
// About the height of a line of text, to centre one in a box.
constexpr int32_t TextHeight = 12;
// A dark backing behind text and buttons.
constexpr uint32_t ColourBacking = 0x202020;

// A fingerprint of everything the controller screen shows but the health line.
uint64_t controllerSceneContent();

// The scene's render handler: composes the frame into the frame target when
// what it shows has changed (or the window must be painted again), as often
// as the display refreshes at most.
void renderController();
// The same, now, whatever changed: the frame a key prompt needs on the screen.
void renderControllerNow();
