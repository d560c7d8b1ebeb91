#include "base/health.h"
#include "base/logical_scale.h"
#include "base/pass_requests.h"
#include "engine/engine.h"
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

// The mouse's button, asked for now and then while the mouse finger is held:
// released where this window hears nothing of it, it lifts the finger.
// So is it while a drag of this window's went on out of it: let go out
// there, a drag begun later in the game is not this window's.
void checkMouseButton() {
    const bool held = mouseState.fingerHeld != 0 && mouseState.fingerIsMouse != 0;
    const bool away =
        mouseState.fingerHeld == 0 && mouseState.dragBegunHere != 0 && mouseState.dragIsMouse != 0;
    if (!held && !away) {
        return;
    }
    const uint32_t now = platform.timeMs();
    if (now - mouseState.buttonCheckedMs >= ButtonCheckMs) {
        mouseState.buttonCheckedMs = now;
        if (!platform.primaryButtonDown()) {
            mouseState.dragBegunHere = 0;
            if (held) {
                noteInputReport();
                dropMouseFinger();
            }
            return;
        }
    }
    requestPassBy(mouseState.buttonCheckedMs + ButtonCheckMs);
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
    clientToLogical(mouseState.cursorX, mouseState.cursorY, mouseState.clientWidth,
                    mouseState.clientHeight, &mouseState.x, &mouseState.y);

    takeEdge(mouseState.leftDownLatch, mouseState.leftPressed);
    takeEdge(mouseState.rightDownLatch, mouseState.rightPressed);
    checkMouseButton();
    setMouseFinger(mouseState.fingerHeld != 0, mouseState.x, mouseState.y);
}
