#include "engine/frame_pacing.h"

#include "base/health.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "engine/engine.h"
#include "engine/window_proc.h"

namespace {

struct Pacing {
    bool shown = false;
    uint64_t shownContent = 0;
    uint32_t lastPresentMs = 0;
    bool repaint = false;
    // The display's period, asked once and again after each repaint (the
    // window may be on another display by then): the question is not cheap.
    uint32_t periodMs = 0;
    // Since when a due frame has waited for strokes to be delivered.
    bool waitingForStrokes = false;
    uint32_t waitingSinceMs = 0;
};

Pacing pacing;

} // namespace

uint32_t refreshPeriodMs(int32_t hz) {
    if (hz < 1 || hz > 1000) {
        hz = 60;
    }
    // Rounded up, so that frames never come faster than the display shows them.
    return static_cast<uint32_t>((1000 + hz - 1) / hz);
}

namespace {

bool dueNow(uint64_t content) {
    if (!pacing.shown || pacing.repaint) {
        return true;
    }
    if (content == pacing.shownContent) {
        return false;
    }
    if (pacing.periodMs == 0) {
        pacing.periodMs = refreshPeriodMs(platform.refreshRateHz(mainWindow));
    }
    if (platform.timeMs() - pacing.lastPresentMs >= pacing.periodMs) {
        return true;
    }
    requestPassBy(pacing.lastPresentMs + pacing.periodMs);
    return false;
}

} // namespace

bool frameDue(uint64_t content) {
    if (!dueNow(content)) {
        return false;
    }
    const uint32_t now = platform.timeMs();
    if (!pacing.waitingForStrokes) {
        pacing.waitingSinceMs = now;
    }
    const uint32_t period = pacing.periodMs != 0 ? pacing.periodMs : refreshPeriodMs(0);
    if (strokesInThisPass() && now - pacing.waitingSinceMs < period) {
        pacing.waitingForStrokes = true;
        requestPassIn(StrokeLeadMs);
        return false;
    }
    pacing.waitingForStrokes = false;
    return true;
}

void frameShown(uint64_t content) {
    pacing.shown = true;
    pacing.shownContent = content;
    pacing.lastPresentMs = platform.timeMs();
    pacing.repaint = false;
}

void repaintWindow() {
    pacing.repaint = true;
    pacing.periodMs = 0;
}

bool repaintPending() {
    return pacing.repaint;
}

void resetFramePacing() {
    pacing = Pacing{};
}
