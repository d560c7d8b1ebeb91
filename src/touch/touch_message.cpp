#include "touch/touch_message.h"

#include "base/health.h"
#include "base/win_constants.h"
#include "touch/touch_table.h"

#include <memory>
#include <new>

namespace {

// The earliest time the system gives for the message's reports.
uint64_t earliestReport(const TouchRecord* records, uint32_t count) {
    uint64_t earliest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t t = records[i].timeUs;
        if (t != 0 && (earliest == 0 || t < earliest)) {
            earliest = t;
        }
    }
    return earliest;
}

} // namespace

intptr_t handleTouchMessage(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    const uint32_t count = static_cast<uint32_t>(wParam & 0xFFFF);
    TouchRecord onStack[TouchRecordsOnStack];
    std::unique_ptr<TouchRecord[]> made;
    TouchRecord* records = onStack;
    if (count > TouchRecordsOnStack) {
        made.reset(new (std::nothrow) TouchRecord[count]);
        records = made.get();
    }
    if (count == 0 || records == nullptr || !platform.readTouchInputs(lParam, records, count)) {
        // Not handled: the default handling closes the handle.
        return platform.defWindowProc(window, win::WM_TOUCH, wParam, lParam);
    }
    noteInputReport();
    noteReportTime(earliestReport(records, count));
    fileTouchRecords(window, records, static_cast<int32_t>(count));
    // Handled and closed: the handle must not reach the default handling.
    platform.closeTouchInput(lParam);
    return 0;
}
