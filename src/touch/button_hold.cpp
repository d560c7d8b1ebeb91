#include "touch/button_hold.h"

#include "touch/touch_table.h"

int32_t followHold(ButtonHold& hold, bool (*onButton)(int32_t x, int32_t y), uint32_t nowMs,
                   bool (*mayHold)(int32_t finger)) {
    uint32_t down = 0;
    for (int32_t i = 0; i < FingerCount; ++i) {
        if (fingerAt(i).down != 0) {
            down |= 1u << i;
        }
    }
    const uint32_t cameDown = down & ~hold.seenDown;
    hold.seenDown = down;
    if (hold.finger >= 0) {
        const TouchSlot& finger = fingerAt(hold.finger);
        if (finger.down != 0 && (cameDown & (1u << hold.finger)) == 0 &&
            onButton(finger.x, finger.y)) {
            return static_cast<int32_t>(nowMs - hold.sinceMs);
        }
        hold.finger = -1; // lifted, slid off, or lifted and down again in one pass
        return -1;
    }
    for (int32_t i = 0; i < FingerCount; ++i) {
        const TouchSlot& finger = fingerAt(i);
        if ((cameDown & (1u << i)) != 0 && onButton(finger.x, finger.y) &&
            (mayHold == nullptr || mayHold(i))) {
            hold.finger = i;
            hold.sinceMs = nowMs;
            return 0;
        }
    }
    return -1;
}
