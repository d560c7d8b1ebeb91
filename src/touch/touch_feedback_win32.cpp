// No circles drawn under the fingers and no waiting for a press-and-hold:
// a touch on a pad is a key press at once.
#include <windows.h>

#include "base/system_call.h"
#include "touch/touch_feedback.h"

namespace {

// FEEDBACK_TYPE values; the SDK declares them for Windows 8 and later only.
constexpr UINT FeedbackTouchContactVisualization = 1;
constexpr UINT FeedbackTouchTap = 7;
constexpr UINT FeedbackTouchDoubleTap = 8;
constexpr UINT FeedbackTouchPressAndHold = 9;
constexpr UINT FeedbackTouchRightTap = 10;
constexpr UINT FeedbackGesturePressAndTap = 11;

constexpr UINT FeedbackKinds[] = {
    FeedbackTouchContactVisualization, FeedbackTouchTap,      FeedbackTouchDoubleTap,
    FeedbackTouchPressAndHold,         FeedbackTouchRightTap, FeedbackGesturePressAndTap,
};

using SetFeedback = BOOL(WINAPI*)(HWND window, UINT feedback, DWORD flags, UINT32 size,
                                  const void* configuration);

} // namespace

void turnOffTouchFeedback(WindowHandle window) {
    if (window == nullptr) {
        return;
    }
    auto setFeedback = systemCallAs<SetFeedback>("user32.dll", "SetWindowFeedbackSetting");
    if (setFeedback == nullptr) {
        return;
    }
    const BOOL off = FALSE;
    for (UINT kind : FeedbackKinds) {
        // A kind that this system does not know is refused; the others still apply.
        setFeedback(static_cast<HWND>(window), kind, 0, sizeof off, &off);
    }
}
