// Windowed and full-screen modes of the engine's window.
#pragma once

#include "base/platform.h"

#include <cstdint>

// Where a window of the given outer size goes to be centred on a monitor.
struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
WindowPlacement centreOnMonitor(const WinRect& outer, const WinRect& monitor);

// Windowed: the client area of the given size with the sunken client edge,
// centred on the work area of the window's monitor (the taskbar left free),
// at the top of the ordinary windows.
void setWindowedMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight);
// Full screen: a pop-up without the client edge covering the whole monitor,
// above the taskbar (topmost: the taskbar steps back only for the active
// window, and this one is never to take the focus), without activation.
void setFullScreenMode(WindowHandle window);
// The display changed (resolution, monitors, DPI): the window is put back on
// its monitor in the mode it is in. Full screen covers the monitor again; a
// window takes the rectangle the system suggests for a new DPI, and
// otherwise stays where the player put it unless it no longer lies whole on
// its monitor's work area (then it is centred there). A minimised window is
// left alone. No call activates the window.
void fitWindowToMonitor(WindowHandle window, const WinRect* suggested);
void setNoActivate(WindowHandle window);
// While another window is active, a click or a touch on this one must not take
// the focus from it: the no-activate style is set. While this one is active
// it is cleared, so that a change of screen mode keeps it active.
void allowActivation(WindowHandle window, bool allow);

// The overlay: a layered, topmost tool window covering the monitor (out of
// the taskbar and Alt+Tab, never activated), at an opacity in percent, and
// with an empty shape until its controls' shape is set. Leaving it makes the
// window an ordinary one again, windowed, still not activated.
bool isOverlay(WindowHandle window);
void setOverlayMode(WindowHandle window, const MonitorArea& monitor, int32_t opacityPercent);
// The same over the monitor the window is on now.
void setOverlayModeHere(WindowHandle window, int32_t opacityPercent);
void setOverlayOpacity(WindowHandle window, int32_t percent);
void leaveOverlayMode(WindowHandle window, int32_t clientWidth, int32_t clientHeight);
// Back to the top of the topmost band, without activation: another topmost
// window that came to the foreground may have gone over it.
void keepOverlayOnTop(WindowHandle window);
// The overlay's window to that place on the screen, its place in the
// topmost band kept, never activated.
void placeOverlay(WindowHandle window, const WinRect& place);
// Hidden while a game holds the display in exclusive full screen (its
// contacts lift), shown again and put back on top once it lets go; never
// activated.
void standOverlayAside(WindowHandle window, bool aside);

// Where the window opens: on a given monitor, windowed or full screen; or,
// without one, windowed and centred on the monitor it is on. Unless it is the
// active window by then, it takes no focus from the first frame on.
struct StartScreen {
    bool onMonitor;
    MonitorArea monitor;
    bool fullScreen;
    bool overlay; // over the game instead, at this opacity in percent
    int32_t opacity;
};
void placeWindowAtStart(WindowHandle window, int32_t clientWidth, int32_t clientHeight,
                        const StartScreen& start);
// The ordinary window's first showing, whatever show command the launcher
// gave (WinMain's): shown and not minimised, activated unless the launcher
// asked for no activation.
void showWindowAtStart(WindowHandle window, int32_t launcherCommand);
