#include "touch/touch_table.h"

#include "base/logical_scale.h"
#include "touch/touch_debug_line.h"

#include <cstring>

TouchSlot TouchTable[TouchSlotCount];
TouchSlot MouseFinger;
char touchDebugLines[TouchSlotCount][TouchDebugLineSize];

namespace {

// The fingers the hit queries pass over until they lift, a bit each.
uint32_t heldBack = 0;

} // namespace

void resetTouchTable() {
    std::memset(TouchTable, 0, sizeof TouchTable);
    MouseFinger = TouchSlot{};
    std::memset(touchDebugLines, 0, sizeof touchDebugLines);
    heldBack = 0;
}

void holdBackFingersDown() {
    for (int32_t i = 0; i < FingerCount; ++i) {
        if (fingerAt(i).down != 0) {
            heldBack |= 1u << i;
        }
    }
}

bool fingerHeldBack(int32_t index) {
    return index >= 0 && index < FingerCount && (heldBack & (1u << index)) != 0;
}

void liftAllFingers() {
    for (TouchSlot& slot : TouchTable) {
        slot.down = 0;
    }
    heldBack &= 1u << MouseFingerIndex;
}

void liftScreenFingers() {
    for (TouchSlot& slot : TouchTable) {
        if (slot.id < FirstFarTouchId) {
            slot.down = 0;
        }
    }
}

bool liftFinger(uint32_t id) {
    for (TouchSlot& slot : TouchTable) {
        if (slot.down != 0 && slot.id == id) {
            slot.down = 0;
            return true;
        }
    }
    return false;
}

void setMouseFinger(bool down, int32_t x, int32_t y) {
    MouseFinger.x = x;
    MouseFinger.y = y;
    // A finger that lifts, or comes down anew, is no longer held back.
    if (!down || MouseFinger.down == 0) {
        heldBack &= ~(1u << MouseFingerIndex);
    }
    MouseFinger.down = down ? 1 : 0;
}

const TouchSlot& fingerAt(int32_t index) {
    static const TouchSlot none = {};
    if (index >= 0 && index < TouchSlotCount) {
        return TouchTable[index];
    }
    return index == MouseFingerIndex ? MouseFinger : none;
}

void fileTouchRecords(WindowHandle window, const TouchRecord* records, int32_t count) {
    if (records == nullptr) {
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const TouchRecord& record = records[i];
        processTouchPoint(window, record);
        // There are ten debug lines; later points are filed but not shown.
        if (i < TouchSlotCount) {
            writeTouchDebugLine(touchDebugLines[i], TouchDebugLineSize, i,
                                static_cast<int32_t>(record.id), record.flags, record.x, record.y);
        }
    }
}

void processTouchPoint(WindowHandle window, const TouchRecord& input) {
    int32_t x = input.x / 100;
    int32_t y = input.y / 100;
    platform.screenToClient(window, &x, &y);
    WinRect client = {};
    platform.clientRect(window, &client);
    const int32_t width = client.right - client.left;
    const int32_t height = client.bottom - client.top;
    int32_t logicalX = 0;
    int32_t logicalY = 0;
    clientToLogical(x, y, width, height, &logicalX, &logicalY);

    const int32_t index = findTouchSlot(input.id);
    if (index >= 0) {
        storeTouch(index, input, logicalX, logicalY);
    } else {
        storeTouchInFreeSlot(input, logicalX, logicalY);
    }
}

int32_t findTouchSlot(uint32_t id) {
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        if (TouchTable[i].id == id) {
            return i;
        }
    }
    return -1;
}

void storeTouchInFreeSlot(const TouchRecord& input, int32_t x, int32_t y) {
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        if (TouchTable[i].down == 0) {
            storeTouch(i, input, x, y);
            return;
        }
    }
}

void storeTouch(int32_t index, const TouchRecord& input, int32_t x, int32_t y) {
    if (index < 0 || index >= TouchSlotCount) {
        return;
    }
    TouchSlot& slot = TouchTable[index];
    const bool wasDown = slot.down != 0;
    slot.id = input.id;
    slot.x = x;
    slot.y = y;
    // A palm never presses, and a contact taken for one lets go; a contact
    // only in range (hovering) has not come down and presses nothing.
    const bool hovering = (input.flags & TouchFlagInRange) != 0 &&
                          (input.flags & TouchFlagDown) == 0 && slot.down == 0;
    if ((input.flags & TouchFlagPalm) != 0) {
        slot.down = 0;
    } else if ((input.flags & (TouchFlagMove | TouchFlagDown)) != 0 && !hovering) {
        slot.down = 1;
    } else if ((input.flags & TouchFlagUp) != 0) {
        slot.down = 0;
    }
    if (slot.down == 0 || !wasDown) {
        heldBack &= ~(1u << index); // lifted, or down anew
    }
}

bool pointInRect(int32_t x, int32_t y, const Rect& rect) {
    return rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom;
}

int32_t touchIndexOn(const Sprite& sprite) {
    for (int32_t i = 0; i < FingerCount; ++i) {
        const TouchSlot& finger = fingerAt(i);
        if (finger.down != 0 && !fingerHeldBack(i) &&
            pointInRect(finger.x, finger.y, sprite.rect)) {
            return i;
        }
    }
    return -1;
}

bool isTouched(const Sprite& sprite) {
    return touchIndexOn(sprite) >= 0;
}
