#include "graphics/frame_target.h"

FrameTarget* frameTarget = nullptr;
