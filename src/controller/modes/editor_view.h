// What the layout editor draws over the controls: the selection and its
// handle, a refused place, the bar of buttons and its two lines.
#pragma once

#include "graphics/canvas.h"

#include <cstddef>

void composeEditor(Canvas& dc);
// "pad 3  x 766  y 292  130 x 190  key 2F  blue", or the layout's own line
// when nothing is selected.
void describeSelection(char* out, size_t size);
