#include "touch/button_tap.h"

#include "touch/touch_table.h"

int32_t followTap(ButtonTap& tap, int32_t (*buttonAt)(int32_t x, int32_t y),
                  bool (*mayTap)(int32_t finger)) {
    if (tap.finger >= 0) {
        const TouchSlot& finger = fingerAt(tap.finger);
        const int32_t button = tap.button;
        if (finger.down == 0) {
            tap = ButtonTap{};
            return button;
        }
        if (buttonAt(finger.x, finger.y) != button) {
            tap = ButtonTap{}; // slid off: no tap
        }
        return -1;
    }
    for (int32_t i = 0; i < FingerCount; ++i) {
        const TouchSlot& finger = fingerAt(i);
        if (finger.down == 0 || (mayTap != nullptr && !mayTap(i))) {
            continue;
        }
        const int32_t button = buttonAt(finger.x, finger.y);
        if (button >= 0) {
            tap = ButtonTap{i, button};
            return -1;
        }
    }
    return -1;
}
