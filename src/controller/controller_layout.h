// Where the pads and the disc lie, and the keys they send at start.
#pragma once

#include <cstdint>

struct PadPlace {
    int32_t x;
    int32_t y;
    bool blue;
    int8_t defaultScancode;
};

constexpr int32_t PadWidth = 130;
constexpr int32_t PadHeight = 190;
constexpr PadPlace PadPlaces[9] = {
    {690, 500, false, 0x2C},  {766, 292, true, 0x2D},  {842, 500, false, 0x2E},
    {918, 292, true, 0x2F},   {994, 500, false, 0x30}, {1070, 292, true, 0x31},
    {1146, 500, false, 0x32}, {690, 10, false, 0x10},  {1146, 10, false, 0x11},
};

constexpr int32_t DiscX = -459;
constexpr int32_t DiscY = -255;
constexpr int32_t DiscSize = 926;

constexpr int8_t DefaultScratchScancodes[2] = {0x1D, 0x2A};
