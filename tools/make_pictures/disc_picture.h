// The scratch disc: a turntable seen from above. A brushed-metal platter rim
// with a ring of strobe dots, a black record with concentric grooves and a
// light sheen, a marker stripe pointing right, a red centre label and a
// steel spindle. The corners outside the circle are magenta, the key colour
// that drawing leaves out; the rim's edge fades into a dark colour.
#pragma once

#include "picture.h"

constexpr int32_t DiscPictureSize = 926;
// Pixels whose every part lies farther than this from the centre are magenta.
constexpr double DiscRadius = 460.0;

Picture drawDisc(uint32_t seed);
