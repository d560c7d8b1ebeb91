// The page's touches waiting for their time. Each message of touches is one
// entry, due when its strokes go out; entries go in the order their messages
// came and a due time never comes before the one of the entry before it, so
// that strokes keep the order of the touches and never go back in time. A
// message that comes after its time goes at once (and is late). A tap keeps
// its length: when a finger's down went later than its time, that finger's
// up goes as much later.
//
// When the phone goes (its connection closes or falls silent, another page
// takes over, the page is hidden), what it holds is let go at once and what
// waits for its time is dropped, but for taps that are whole: a finger whose
// down and up both wait still gives its tap, make then break, at their
// times. What came due already goes first, as its message came first.
#pragma once

#include "remote/remote_message.h"

#include <cstdint>
#include <deque>

struct ScheduledTouch {
    uint64_t dueUs;
    bool letGo; // every finger of the page up, instead of records
    bool held;  // waits for a time after its message came (not late, not at once)
    int32_t count;
    RemoteRecord records[RemoteRecordsMax];
};

struct TouchSchedule {
    std::deque<ScheduledTouch> waiting;
    uint64_t lastDueUs = 0;
    // By the page's finger: how much later than its time its down went.
    int64_t downLateUs[256] = {};
};

// A message's records, to go at dueUs (at once when it came later, or when
// dueUs is 0); true when its strokes go later than their time: it came
// after it, it is the up of a tap whose down did, or one that came late
// before it holds it back.
bool scheduleTouch(TouchSchedule& schedule, const RemoteRecord* records, int32_t count,
                   uint64_t dueUs, uint64_t arrivalUs);
// The entry due first, if due at nowUs.
bool takeDueTouch(TouchSchedule& schedule, uint64_t nowUs, ScheduledTouch& out);
// The phone went: what is due, a let-go at once, then the whole taps that
// waited.
void dropWaitingTouches(TouchSchedule& schedule, uint64_t nowUs);
// How many records wait.
size_t waitingRecords(const TouchSchedule& schedule);
