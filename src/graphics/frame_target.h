// Where a composed frame goes: the GDI back buffer stretched onto the window,
// or a native pixel buffer.
#pragma once

#include "graphics/canvas.h"

using ComposeFrame = void (*)(Canvas& canvas);

class FrameTarget {
  public:
    virtual ~FrameTarget() = default;
    // Gives compose a fresh 1280 x 720 back buffer, then shows the result.
    virtual void present(ComposeFrame compose) = 0;
};

// Null: frames are composed nowhere.
extern FrameTarget* frameTarget;
