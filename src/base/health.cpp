#include "base/health.h"

#include "base/pass_requests.h"
#include "base/platform.h"

namespace {

struct Counting {
    int32_t reports;
    int32_t frames;
    uint32_t longestReportUs;
};

struct Health {
    uint32_t secondStart = 0;
    bool started = false;
    Counting current = {};
    Counting last = {};
    int32_t strokesLost = 0;
    int32_t strokesBlocked = 0;
    // The report being handled in this pass.
    uint64_t takenUs = 0;
    uint64_t reportUs = 0; // the system's time of the report; 0: not known
    bool reportInPass = false;
    bool strokeInPass = false;
    uint64_t lastStrokeUs = 0;
    bool anyStrokeInPass = false;
};

Health health;

bool quiet(const Counting& c) {
    return c.reports == 0 && c.frames == 0 && c.longestReportUs == 0;
}

// The counts always belong to the second that began at secondStart.
void rollSeconds() {
    const uint32_t now = platform.timeMs();
    if (!health.started) {
        health.started = true;
        health.secondStart = now;
        return;
    }
    const uint32_t elapsed = now - health.secondStart;
    if (elapsed < 1000) {
        return;
    }
    // After a gap of a whole second or more, the last whole second was empty.
    health.last = elapsed < 2000 ? health.current : Counting{};
    health.current = {};
    health.secondStart = elapsed < 2000 ? health.secondStart + 1000 : now;
}

} // namespace

void noteMessageTaken() {
    rollSeconds();
    health.takenUs = platform.preciseTimeUs();
    health.reportUs = 0;
    health.reportInPass = false;
    health.strokeInPass = false;
}

void noteInputReport() {
    rollSeconds();
    if (!health.reportInPass) {
        health.reportInPass = true;
        ++health.current.reports;
    }
}

void noteReportTime(uint64_t us) {
    // A time after the message was taken is no time of its report.
    if (us != 0 && us <= health.takenUs) {
        health.reportUs = us;
    }
}

void notePassStarted() {
    health.anyStrokeInPass = false;
}

bool strokesInThisPass() {
    return health.anyStrokeInPass;
}

void noteStrokeSent() {
    health.anyStrokeInPass = true;
    if (health.reportInPass) {
        health.strokeInPass = true;
        health.lastStrokeUs = platform.preciseTimeUs();
    }
}

void noteStrokeLost() {
    ++health.strokesLost;
}

void noteStrokeBlocked() {
    ++health.strokesBlocked;
}

void finishInputTiming() {
    const uint64_t startUs = health.reportUs != 0 ? health.reportUs : health.takenUs;
    if (health.reportInPass && health.strokeInPass && health.lastStrokeUs >= startUs) {
        const uint64_t took = health.lastStrokeUs - startUs;
        const uint32_t us = took > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(took);
        if (us > health.current.longestReportUs) {
            health.current.longestReportUs = us;
        }
    }
    health.reportInPass = false;
    health.strokeInPass = false;
    health.reportUs = 0;
}

void noteFramePresented(bool counted) {
    rollSeconds();
    if (counted) {
        ++health.current.frames;
    }
}

HealthFigures healthFigures() {
    rollSeconds();
    // While anything was counted, the figures shown change at the next roll.
    if (!quiet(health.current) || !quiet(health.last)) {
        requestPassBy(health.secondStart + 1000);
    }
    return HealthFigures{health.last.reports, health.last.frames, health.last.longestReportUs,
                         health.strokesLost, health.strokesBlocked};
}

void resetHealth() {
    health = Health{};
}
