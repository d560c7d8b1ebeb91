#include "engine/window_modes.h"

#include "engine/win_constants.h"
#include "engine/window_proc.h"

namespace {

constexpr WindowHandle HwndTop = nullptr;

WinRect monitorOf(WindowHandle window) {
    WinRect current = {};
    platform.windowRect(window, &current);
    WinRect monitor = {};
    platform.monitorRect(&current, &monitor);
    return monitor;
}

} // namespace

WindowPlacement centreOnMonitor(const WinRect& outer, const WinRect& monitor) {
    // In 64 bits so that no rectangle, however odd, overflows.
    const int64_t outerWidth = int64_t{outer.right} - outer.left;
    const int64_t outerHeight = int64_t{outer.bottom} - outer.top;
    const int64_t monitorWidth = int64_t{monitor.right} - monitor.left;
    const int64_t monitorHeight = int64_t{monitor.bottom} - monitor.top;
    WindowPlacement placement;
    placement.x = static_cast<int32_t>((monitorWidth - outerWidth) / 2 + monitor.left);
    placement.y = static_cast<int32_t>((monitorHeight - outerHeight) / 2 + monitor.top);
    placement.width = static_cast<int32_t>(outerWidth);
    placement.height = static_cast<int32_t>(outerHeight);
    return placement;
}

namespace {

void windowedOn(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                const WinRect& monitor) {
    WinRect outer = {0, 0, clientWidth, clientHeight};
    const uint32_t exStyle =
        static_cast<uint32_t>(platform.getWindowLong(window, win::GWL_EXSTYLE));
    platform.adjustWindowRectEx(&outer, win::WS_OVERLAPPEDWINDOW_VISIBLE, false, exStyle);
    const WindowPlacement placement = centreOnMonitor(outer, monitor);
    platform.setWindowLong(window, win::GWL_STYLE,
                           static_cast<int32_t>(win::WS_OVERLAPPEDWINDOW_VISIBLE));
    platform.setWindowPos(window, HwndTop, placement.x, placement.y, placement.width,
                          placement.height, win::SWP_FRAMECHANGED);
}

void fullScreenOn(WindowHandle window, const WinRect& monitor) {
    platform.setWindowLong(window, win::GWL_STYLE, static_cast<int32_t>(win::WS_POPUP_VISIBLE));
    platform.setWindowPos(window, HwndTop, monitor.left, monitor.top, monitor.right - monitor.left,
                          monitor.bottom - monitor.top, win::SWP_FRAMECHANGED);
}

} // namespace

void setWindowedMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight) {
    windowedOn(window, clientWidth, clientHeight, monitorOf(window));
}

void setFullScreenMode(WindowHandle window) {
    fullScreenOn(window, monitorOf(window));
}

void placeWindowAtStart(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                        const StartScreen& start) {
    if (!start.onMonitor) {
        setWindowedMode(window, clientWidth, clientHeight);
    } else if (start.fullScreen) {
        fullScreenOn(window, start.monitor);
    } else {
        windowedOn(window, clientWidth, clientHeight, start.monitor);
    }
    allowActivation(window, windowActive != 0);
}

void allowActivation(WindowHandle window, bool allow) {
    if (!allow) {
        setNoActivate(window);
        return;
    }
    const uint32_t exStyle =
        static_cast<uint32_t>(platform.getWindowLong(window, win::GWL_EXSTYLE));
    if ((exStyle & win::WS_EX_NOACTIVATE) != 0) {
        platform.setWindowLong(window, win::GWL_EXSTYLE,
                               static_cast<int32_t>(exStyle & ~win::WS_EX_NOACTIVATE));
    }
}

void setNoActivate(WindowHandle window) {
    const uint32_t exStyle =
        static_cast<uint32_t>(platform.getWindowLong(window, win::GWL_EXSTYLE));
    platform.setWindowLong(
        window, win::GWL_EXSTYLE,
        static_cast<int32_t>(exStyle | win::WS_EX_NOACTIVATE | win::WS_EX_APPWINDOW));
}
