// What the menu draws over the controller: its panel, the page's buttons
// (what holds now marked in green), the layouts as small pictures, and
// what the page tells beside them.
#pragma once

#include "controller/layouts/layout.h"
#include "graphics/canvas.h"

// What stays while the page is shown (the frame's layers): the controls
// under the panel, the panel, its title, its buttons, the layouts' pictures.
void composeMenuBase(Canvas& dc);
// What changes on it: what the page tells (the phone's address and code,
// the output in use, ...) and what the last command came to.
void composeMenuTop(Canvas& dc);
// A layout drawn small in a box of the frame, as the controller shows it:
// its pads in their colours, its discs as circles, cut to the box.
void composeLayoutPicture(Canvas& dc, const Layout& layout, const Rect& box);
