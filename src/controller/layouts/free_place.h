// Where something of the controller's own (the editor's bar, the menu's
// button) goes over a layout: of the places along the frame's edges, those
// that hide the least of its controls.
#pragma once

#include "controller/layouts/layout.h"
#include "graphics/geometry.h"

#include <vector>

// The eight places of a box of that size along the frame's edges: each
// corner and the middle of each edge, margin units in from them; down the
// left edge first, then the middle column, then the right edge.
std::vector<Rect> edgePlaces(int32_t width, int32_t height, int32_t margin);
// The area of the layout's controls (in the frame, a layout in its own
// units) under a place.
int64_t controlsUnder(const Layout& layout, const Rect& place);
// The places, each once, the freest of controls first; places that hide as
// much keep their order.
std::vector<Rect> byCover(const Layout& layout, const std::vector<Rect>& places);
