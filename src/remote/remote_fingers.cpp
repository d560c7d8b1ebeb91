#include "remote/remote_fingers.h"

#include "base/logical_scale.h"
#include "touch/touch_table.h"

namespace {

// Fingers of the page that hold a slot now, by the page's number.
bool fingerDown[256] = {};

int32_t downSlotOf(uint32_t id) {
    const int32_t slot = findTouchSlot(id);
    return slot >= 0 && TouchTable[slot].down != 0 ? slot : -1;
}

} // namespace

bool isRemoteTouchId(uint32_t id) {
    return id >= RemoteTouchIdBase;
}

void fileRemoteRecords(const RemoteRecord* records, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const RemoteRecord& record = records[i];
        const uint32_t id = RemoteTouchIdBase + record.finger;
        const bool onFrame =
            record.x >= 0 && record.x < LogicalWidth && record.y >= 0 && record.y < LogicalHeight;
        const int32_t x = onFrame ? record.x : OutsideTheFrame;
        const int32_t y = onFrame ? record.y : OutsideTheFrame;
        bool& down = fingerDown[record.finger];
        // A finger the system lifted meanwhile (its contacts cut off) is up.
        const int32_t slot = down ? downSlotOf(id) : -1;
        down = slot >= 0;
        TouchRecord touch = {};
        touch.id = id;
        if (record.kind == RemoteFingerDown && !down) {
            touch.flags = TouchFlagDown;
            // Its own slot of before where it still has one: one slot an id.
            const int32_t known = findTouchSlot(id);
            if (known >= 0) {
                storeTouch(known, touch, x, y);
            } else {
                storeTouchInFreeSlot(touch, x, y);
            }
            down = downSlotOf(id) >= 0;
        } else if (record.kind != RemoteFingerUp && down) {
            touch.flags = TouchFlagMove;
            storeTouch(slot, touch, x, y);
        } else if (record.kind == RemoteFingerUp && down) {
            touch.flags = TouchFlagUp;
            storeTouch(slot, touch, x, y);
            down = false;
        }
    }
}

void letGoRemoteFingers() {
    for (int32_t finger = 0; finger < 256; ++finger) {
        if (fingerDown[finger]) {
            const int32_t slot = downSlotOf(RemoteTouchIdBase + static_cast<uint32_t>(finger));
            if (slot >= 0) {
                TouchTable[slot].down = 0;
            }
            fingerDown[finger] = false;
        }
    }
}

int32_t remoteFingersDown() {
    int32_t count = 0;
    for (int32_t finger = 0; finger < 256; ++finger) {
        count +=
            fingerDown[finger] && downSlotOf(RemoteTouchIdBase + static_cast<uint32_t>(finger)) >= 0
                ? 1
                : 0;
    }
    return count;
}

void resetRemoteFingers() {
    for (bool& down : fingerDown) {
        down = false;
    }
}
