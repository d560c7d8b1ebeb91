#include "engine/window_modes.h"

#include "base/logical_scale.h"
#include "base/win_constants.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "touch/touch_table.h"

namespace {

WindowHandle zOrder(intptr_t where) {
    return reinterpret_cast<WindowHandle>(where);
}

uint32_t styleOf(WindowHandle window, int32_t index) {
    return static_cast<uint32_t>(platform.getWindowLong(window, index));
}

// Hidden for a change of mode: the window's contacts end there and their ups
// never come (a hidden window loses the capture of its pointers), so every
// touch finger and the mouse finger lift now, and their keys go up in the
// next pass. Hidden by SetWindowPos, an active window would stay active and
// keep the keyboard, SendInput's keys too: the game gets it back first.
void hideWindow(WindowHandle window) {
    dropWindowContacts();
    if (windowActive != 0) {
        platform.giveForeground(window, windowLeftForUs);
    }
    platform.showWindow(window, win::SW_HIDE);
}

void setExStyle(WindowHandle window, uint32_t exStyle) {
    if (styleOf(window, win::GWL_EXSTYLE) != exStyle) {
        platform.setWindowLong(window, win::GWL_EXSTYLE, static_cast<int32_t>(exStyle));
    }
}

MonitorArea monitorOf(WindowHandle window) {
    WinRect current = {};
    platform.windowRect(window, &current);
    MonitorArea monitor = {};
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
                const MonitorArea& monitor, uint32_t dpi,
                uint32_t style = win::WS_OVERLAPPEDWINDOW_VISIBLE) {
    // The sunken edge comes back with the frame.
    const uint32_t exStyle = styleOf(window, win::GWL_EXSTYLE) | win::WS_EX_CLIENTEDGE;
    setExStyle(window, exStyle);
    WinRect outer = {0, 0, clientWidth, clientHeight};
    platform.adjustWindowRectEx(&outer, win::WS_OVERLAPPEDWINDOW_VISIBLE, false,
                                exStyle & ~win::WS_EX_TOPMOST, dpi);
    const WindowPlacement placement = centreOnMonitor(outer, monitor.work);
    platform.setWindowLong(window, win::GWL_STYLE, static_cast<int32_t>(style));
    if ((exStyle & win::WS_EX_TOPMOST) != 0) {
        // Out of the topmost band first: a window already below it is not
        // raised by this, and a topmost one is not lowered by HWND_TOP.
        platform.setWindowPos(window, zOrder(win::HWND_NOTOPMOST), 0, 0, 0, 0,
                              win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
    }
    // Never activated by this call: the game keeps the focus.
    platform.setWindowPos(window, zOrder(win::HWND_TOP), placement.x, placement.y, placement.width,
                          placement.height, win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE);
}

bool inside(const WinRect& inner, const WinRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

void fullScreenOn(WindowHandle window, const MonitorArea& monitor) {
    setExStyle(window, styleOf(window, win::GWL_EXSTYLE) & ~win::WS_EX_CLIENTEDGE);
    platform.setWindowLong(window, win::GWL_STYLE, static_cast<int32_t>(win::WS_POPUP_VISIBLE));
    const WinRect& whole = monitor.whole;
    platform.setWindowPos(window, zOrder(win::HWND_TOPMOST), whole.left, whole.top,
                          whole.right - whole.left, whole.bottom - whole.top,
                          win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE);
}

} // namespace

void setWindowedMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight) {
    windowedOn(window, clientWidth, clientHeight, monitorOf(window), platform.windowDpi(window));
}

void setFullScreenMode(WindowHandle window) {
    fullScreenOn(window, monitorOf(window));
}

void fitWindowToMonitor(WindowHandle window, const WinRect* suggested) {
    const uint32_t style = styleOf(window, win::GWL_STYLE);
    if ((style & win::WS_MINIMIZE) != 0) {
        return;
    }
    if ((style & win::WS_POPUP) != 0) {
        fullScreenOn(window, monitorOf(window));
        return;
    }
    if (suggested != nullptr) {
        // The new DPI's size and place as the system suggests them.
        platform.setWindowPos(
            window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
        return;
    }
    // A window the player placed stays where it is while it is whole on
    // its monitor's work area; one left off it is centred there again.
    WinRect current = {};
    platform.windowRect(window, &current);
    const MonitorArea monitor = monitorOf(window);
    if (!inside(current, monitor.work)) {
        windowedOn(window, LogicalWidth, LogicalHeight, monitor, platform.windowDpi(window));
    }
}

bool isOverlay(WindowHandle window) {
    return (styleOf(window, win::GWL_EXSTYLE) & win::WS_EX_TOOLWINDOW) != 0;
}

void setOverlayMode(WindowHandle window, const MonitorArea& monitor, int32_t opacityPercent) {
    // The taskbar takes a window's change to a tool window only while it is
    // hidden (a window made as one is not shown yet).
    const bool change = !isOverlay(window);
    if (change) {
        const uint32_t exStyle = styleOf(window, win::GWL_EXSTYLE);
        hideWindow(window);
        platform.setWindowLong(window, win::GWL_STYLE, static_cast<int32_t>(win::WS_POPUP));
        setExStyle(window, (exStyle & ~(win::WS_EX_CLIENTEDGE | win::WS_EX_APPWINDOW)) |
                               win::WS_EX_OVERLAY);
    }
    // Nothing shows, and nothing is taken from the game, before the
    // controls' shape is set.
    const WinRect nothing[1] = {};
    platform.setWindowShape(window, nothing, 0);
    setOverlayOpacity(window, opacityPercent);
    const WinRect& whole = monitor.whole;
    platform.setWindowPos(window, zOrder(win::HWND_TOPMOST), whole.left, whole.top,
                          whole.right - whole.left, whole.bottom - whole.top,
                          win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE);
    if (change) {
        platform.showWindow(window, win::SW_SHOWNA);
    }
}

void setOverlayModeHere(WindowHandle window, int32_t opacityPercent) {
    setOverlayMode(window, monitorOf(window), opacityPercent);
}

void setOverlayOpacity(WindowHandle window, int32_t percent) {
    const int32_t bounded = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    platform.setWindowOpacity(window, static_cast<uint8_t>((bounded * 255 + 50) / 100));
}

void keepOverlayOnTop(WindowHandle window) {
    platform.setWindowPos(window, zOrder(win::HWND_TOPMOST), 0, 0, 0, 0,
                          win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

void placeOverlay(WindowHandle window, const WinRect& place) {
    platform.setWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                          place.bottom - place.top, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

void standOverlayAside(WindowHandle window, bool aside) {
    if (aside) {
        hideWindow(window);
        return;
    }
    platform.showWindow(window, win::SW_SHOWNA);
    keepOverlayOnTop(window);
}

void leaveOverlayMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight) {
    if (!isOverlay(window)) {
        return;
    }
    // Hidden while it becomes a window of the taskbar again; the no-activate
    // style stays: the game keeps the focus.
    hideWindow(window);
    platform.setWindowShape(window, nullptr, 0);
    const uint32_t exStyle = styleOf(window, win::GWL_EXSTYLE);
    setExStyle(window, (exStyle & ~(win::WS_EX_LAYERED | win::WS_EX_TOOLWINDOW)) |
                           win::WS_EX_APPWINDOW | win::WS_EX_NOACTIVATE);
    windowedOn(window, clientWidth, clientHeight, monitorOf(window), platform.windowDpi(window),
               win::WS_OVERLAPPEDWINDOW);
    platform.showWindow(window, win::SW_SHOWNA);
}

void placeWindowAtStart(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                        const StartScreen& start) {
    if (start.overlay) {
        setOverlayMode(window, start.onMonitor ? start.monitor : monitorOf(window), start.opacity);
        return;
    }
    if (!start.onMonitor) {
        setWindowedMode(window, clientWidth, clientHeight);
    } else if (start.fullScreen) {
        fullScreenOn(window, start.monitor);
    } else {
        windowedOn(window, clientWidth, clientHeight, start.monitor, platform.windowDpi(window));
    }
    allowActivation(window, windowActive != 0);
}

// ShowWindow: "This parameter is ignored the first time an application calls
// ShowWindow, if the program that launched the application provides a
// STARTUPINFO structure." The first call may hide or minimise the window as
// the launcher says; the second shows it as asked.
void showWindowAtStart(WindowHandle window, int32_t launcherCommand) {
    const bool activates = launcherCommand != win::SW_SHOWNOACTIVATE &&
                           launcherCommand != win::SW_SHOWNA &&
                           launcherCommand != win::SW_SHOWMINNOACTIVE;
    const int32_t command = activates ? win::SW_SHOWNORMAL : win::SW_SHOWNOACTIVATE;
    platform.showWindowCommand(window, command);
    platform.showWindowCommand(window, command);
}

void allowActivation(WindowHandle window, bool allow) {
    // The overlay is never to be activated, whatever happens.
    if (!allow || isOverlay(window)) {
        setNoActivate(window);
        return;
    }
    const uint32_t exStyle = styleOf(window, win::GWL_EXSTYLE);
    if ((exStyle & win::WS_EX_NOACTIVATE) != 0) {
        platform.setWindowLong(window, win::GWL_EXSTYLE,
                               static_cast<int32_t>(exStyle & ~win::WS_EX_NOACTIVATE));
    }
}

void setNoActivate(WindowHandle window) {
    const uint32_t exStyle = styleOf(window, win::GWL_EXSTYLE);
    // A tool window (the overlay) stays out of the taskbar.
    const uint32_t taskbar = (exStyle & win::WS_EX_TOOLWINDOW) != 0 ? 0 : win::WS_EX_APPWINDOW;
    platform.setWindowLong(window, win::GWL_EXSTYLE,
                           static_cast<int32_t>(exStyle | win::WS_EX_NOACTIVATE | taskbar));
}
