#include "engine/logical_scale.h"
#include "engine/window_proc.h"
#include "touch/touch_table.h"

namespace {

void takeEdge(int32_t& latch, int32_t& pressed) {
    if (latch == 1) {
        pressed = 1;
        latch = 0;
    } else {
        pressed = 0;
    }
}

} // namespace

void pollMouse() {
    // A failed read keeps the last good size.
    WinRect client = {};
    if (platform.clientRect(mainWindow, &client)) {
        mouseState.clientRect = client;
        mouseState.clientWidth = client.right - client.left;
        mouseState.clientHeight = client.bottom - client.top;
    }
    mouseState.x = scaleToLogical(mouseState.cursorX, mouseState.clientWidth, LogicalWidth);
    mouseState.y = scaleToLogical(mouseState.cursorY, mouseState.clientHeight, LogicalHeight);

    takeEdge(mouseState.leftDownLatch, mouseState.leftPressed);
    takeEdge(mouseState.rightDownLatch, mouseState.rightPressed);
    setMouseFinger(mouseState.fingerHeld != 0, mouseState.x, mouseState.y);
}
