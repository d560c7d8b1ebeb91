// The controller over the game: the same window as a translucent layer on
// the game's monitor that takes input only where a control is, with a small
// panel of its own in a free corner (less opaque, more opaque, back to a
// window, the layout editor), since the overlay is never active and neither
// Return nor the window menu can reach it.
#pragma once

#include "base/platform.h"
#include "controller/layouts/layout.h"
#include "graphics/geometry.h"

#include <cstdint>
#include <vector>

struct OverlayState {
    bool on = false;
    int32_t opacity = 0; // percent
};
extern OverlayState overlayState;

enum OverlayButton : int32_t {
    OverlayLess = 0,
    OverlayMore,
    OverlayLeave,
    OverlayEdit, // the layout editor, in place over the game
    OverlayMenu, // the menu, held as its button in a window is (first in the panel)
    OverlayButtonCount
};

// The panel in the frame's units: MENU, the opacity's label, then the other
// buttons.
// It goes across the first corner of the frame (top right, top left, bottom
// right, bottom left) where no control of the layout lies; else upright
// along the right edge, or the left, the highest place free; top right when
// nothing is free (the controls there then share its place).
void placeOverlayPanel(const Layout& fitted);
Rect overlayPanelBox();
Rect overlayLabelBox();
Rect overlayButtonBox(int32_t button);
// What the panel's label says: "60%".
void overlayOpacityText(char* out, size_t size);

// Where the window is drawn and takes input, in client pixels: every pixel
// whose place in the frame a control (its box: a disc's square) or the
// panel answers for; while keys are assigned, also the prompt and its button.
// In bands, as a region's data holds them.
void overlayShape(const Layout& fitted, bool assigning, int32_t clientWidth, int32_t clientHeight,
                  std::vector<WinRect>& boxes);

// How often the overlay looks, whatever it heard: at the window in front
// (its change may come without its event), whether a game holds the screen
// in exclusive full screen, and whether another window lies over it.
constexpr uint32_t OverlayLookMs = 500;
// Raises refused this long (a topmost window over every control takes every
// touch, so the program never has the right to raise its own): said on the
// screen and in the log.
constexpr uint32_t RaiseFailsSaidMs = 2000;

// Each pass while the overlay is on: a tap on a button of the panel (the
// finger down on it and up again without leaving it) acts; the window's
// shape follows its size and what is shown; the overlay goes back over a
// topmost window that took the foreground.
void updateOverlay();
// The overlay's window is a window again (the leave button).
void leaveOverlay();
// The window goes over the game on its monitor, at the opacity last had
// (the window menu's "Over the game").
void enterOverlay();
// The opacity changed by a step, kept within its bounds; the window shows
// it at once.
void changeOverlayOpacity(int32_t by);
// The menu opened or closed over the game: while it is open the window
// covers the whole monitor, at least MenuOpacityMin opaque so that the
// menu can be read, and the panel is not drawn.
void overlayMenuOpen(bool open);
constexpr int32_t MenuOpacityMin = 80;

// Which way the next start goes: the choice of this run (an opacity kept).
void resetOverlay();
