#include "remote/touch_schedule.h"

#include <algorithm>

bool scheduleTouch(TouchSchedule& schedule, const RemoteRecord* records, int32_t count,
                   uint64_t dueUs, uint64_t arrivalUs) {
    const uint64_t meant = dueUs != 0 ? dueUs : arrivalUs;
    const bool cameLate = dueUs != 0 && dueUs < arrivalUs;
    const uint64_t kept = std::max(meant, arrivalUs);
    uint64_t due = kept;
    for (int32_t i = 0; i < count; ++i) {
        if (records[i].kind == RemoteFingerUp) {
            due = std::max(due,
                           meant + static_cast<uint64_t>(schedule.downLateUs[records[i].finger]));
        }
    }
    // Late: it came after its time, it is the up of a tap whose down did (the
    // tap keeps its length), or what came late before it holds it back (the
    // strokes keep their order).
    due = std::max(due, schedule.lastDueUs);
    const bool late = dueUs != 0 && (cameLate || due > kept);
    ScheduledTouch entry = {due, false, dueUs != 0 && !cameLate, count, {}};
    for (int32_t i = 0; i < count; ++i) {
        entry.records[i] = records[i];
        int64_t& downLate = schedule.downLateUs[records[i].finger];
        downLate = records[i].kind == RemoteFingerDown ? static_cast<int64_t>(due - meant)
                   : records[i].kind == RemoteFingerUp ? 0
                                                       : downLate;
    }
    schedule.waiting.push_back(entry);
    schedule.lastDueUs = due;
    return late;
}

bool takeDueTouch(TouchSchedule& schedule, uint64_t nowUs, ScheduledTouch& out) {
    if (schedule.waiting.empty() || schedule.waiting.front().dueUs > nowUs) {
        return false;
    }
    out = schedule.waiting.front();
    schedule.waiting.pop_front();
    return true;
}

void dropWaitingTouches(TouchSchedule& schedule, uint64_t nowUs) {
    // What is due already goes first, as it would have gone had the main
    // loop taken it a moment sooner; then the let-go.
    std::deque<ScheduledTouch> kept;
    while (!schedule.waiting.empty() && schedule.waiting.front().dueUs <= nowUs) {
        kept.push_back(schedule.waiting.front());
        schedule.waiting.pop_front();
    }
    kept.push_back(ScheduledTouch{nowUs, true, false, 0, {}});
    // Of what waits for its time, each finger's whole taps: from its first
    // waiting down to its last waiting up after it. Before: a finger held
    // now, let go; after: a touch not whole.
    size_t firstDown[256];
    size_t lastUp[256];
    std::fill(std::begin(firstDown), std::end(firstDown), SIZE_MAX);
    std::fill(std::begin(lastUp), std::end(lastUp), size_t{0});
    size_t at = 0;
    for (const ScheduledTouch& entry : schedule.waiting) {
        for (int32_t i = 0; i < entry.count; ++i, ++at) {
            const RemoteRecord& record = entry.records[i];
            if (record.kind == RemoteFingerDown && firstDown[record.finger] == SIZE_MAX) {
                firstDown[record.finger] = at;
            }
            if (record.kind == RemoteFingerUp && firstDown[record.finger] != SIZE_MAX) {
                lastUp[record.finger] = at + 1;
            }
        }
    }
    at = 0;
    for (const ScheduledTouch& entry : schedule.waiting) {
        ScheduledTouch whole = entry;
        whole.count = 0;
        for (int32_t i = 0; i < entry.count; ++i, ++at) {
            const uint8_t finger = entry.records[i].finger;
            if (at >= firstDown[finger] && at < lastUp[finger]) {
                whole.records[whole.count++] = entry.records[i];
            }
        }
        if (whole.count > 0) {
            kept.push_back(whole);
        }
    }
    schedule.waiting.swap(kept);
    std::fill(std::begin(schedule.downLateUs), std::end(schedule.downLateUs), int64_t{0});
    schedule.lastDueUs = std::max(schedule.lastDueUs, nowUs);
}

size_t waitingRecords(const TouchSchedule& schedule) {
    size_t records = 0;
    for (const ScheduledTouch& entry : schedule.waiting) {
        records += static_cast<size_t>(entry.count);
    }
    return records;
}
