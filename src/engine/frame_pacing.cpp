#include "engine/frame_pacing.h"

#include "engine/engine.h"
#include "engine/platform.h"
#include "engine/window_proc.h"

namespace {

struct Pacing {
    bool shown = false;
    uint64_t shownContent = 0;
    uint32_t lastPresentMs = 0;
    bool repaint = false;
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

bool frameDue(uint64_t content) {
    if (!pacing.shown || pacing.repaint) {
        return true;
    }
    if (content == pacing.shownContent) {
        return false;
    }
    const uint32_t period = refreshPeriodMs(platform.refreshRateHz(mainWindow));
    if (platform.timeMs() - pacing.lastPresentMs >= period) {
        return true;
    }
    requestPassBy(pacing.lastPresentMs + period);
    return false;
}

void frameShown(uint64_t content) {
    pacing.shown = true;
    pacing.shownContent = content;
    pacing.lastPresentMs = platform.timeMs();
    pacing.repaint = false;
}

void repaintWindow() {
    pacing.repaint = true;
}

bool repaintPending() {
    return pacing.repaint;
}

void resetFramePacing() {
    pacing = Pacing{};
}
