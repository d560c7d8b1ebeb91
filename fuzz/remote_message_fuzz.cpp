// Arbitrary bytes as a run of messages from the phone's page (each prefixed
// by its length byte), scheduled as the program schedules them (a timed
// touch due at a time its stamp gives, early or late; a ping lets time
// pass; a let-go is the phone going) and filed into the touch table as they
// come due. Besides any sanitizer report: a message is taken whole or not at
// all, the page never holds more slots than the table has nor two slots for
// one finger, never moves a touch's slot, once it lets go holds nothing,
// and no entry goes before one due earlier.
#include "broken.h"
#include "remote/remote_fingers.h"
#include "remote/remote_message.h"
#include "remote/touch_schedule.h"
#include "touch/touch_table.h"

#include <cstddef>
#include <cstdint>

namespace {

void checkTable() {
    int32_t remoteDown = 0;
    for (int32_t i = 0; i < TouchSlotCount; ++i) {
        const TouchSlot& slot = TouchTable[i];
        if (i < 3 && (slot.id != static_cast<uint32_t>(i + 1) || slot.down != 1 || slot.x != 5)) {
            broken("the page moved or lifted a touch's slot");
        }
        if (slot.down != 0 && isRemoteTouchId(slot.id)) {
            ++remoteDown;
            for (int32_t j = i + 1; j < TouchSlotCount; ++j) {
                if (TouchTable[j].down != 0 && TouchTable[j].id == slot.id) {
                    broken("one finger of the page in two slots");
                }
            }
        }
    }
    if (remoteDown != remoteFingersDown() || remoteDown > TouchSlotCount - 3) {
        broken("the page's count of fingers is wrong");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    resetTouchTable();
    resetRemoteFingers();
    // Three touches on the screen the page must leave alone.
    for (uint32_t id = 1; id <= 3; ++id) {
        TouchRecord touch = {};
        touch.id = id;
        touch.flags = TouchFlagDown;
        storeTouchInFreeSlot(touch, 5, 5);
    }
    TouchSchedule schedule;
    uint64_t now = 1000000;
    uint64_t lastDue = 0;
    size_t at = 0;
    while (at < size) {
        const size_t length = data[at++];
        const size_t taken = length < size - at ? length : size - at;
        RemoteMessage message;
        if (decodeRemoteMessage(data + at, taken, message)) {
            now += 100;
            if (message.type == RemoteTouchMessage || message.type == RemoteTimedTouchMessage) {
                const uint64_t due = message.timed ? now - 30000 + message.pageUs % 100000 : 0;
                scheduleTouch(schedule, message.records, message.recordCount, due, now);
            } else if (message.type == RemoteLetGoMessage) {
                dropWaitingTouches(schedule, now);
            } else {
                now += message.token % 200000;
            }
        } else if (message.recordCount != 0 || message.type != 0) {
            broken("a refused message left something behind");
        }
        ScheduledTouch entry;
        while (takeDueTouch(schedule, now, entry)) {
            if (entry.dueUs < lastDue) {
                broken("an entry went before one due earlier");
            }
            lastDue = entry.dueUs;
            if (entry.letGo) {
                letGoRemoteFingers();
                if (remoteFingersDown() != 0) {
                    broken("a finger held after the page let go");
                }
            } else {
                fileRemoteRecords(entry.records, entry.count);
            }
            checkTable();
        }
        at += taken;
    }
    return 0;
}
