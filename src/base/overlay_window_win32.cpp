// The calls the overlay needs of a window: its translucency, its shape and
// whether a game holds the display in exclusive full screen.
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "base/platform.h"
#include "base/platform_win32.h"
#include "base/process_names.h"
#include "base/window_owners.h"

namespace {

HWND asWindow(WindowHandle window) {
    return static_cast<HWND>(window);
}

} // namespace

// Shown or hidden by SetWindowPos, whose SWP_NOACTIVATE its page promises:
// ShowWindow's first call may take the starter's STARTUPINFO show command
// instead of the one given (and activate), and its SW_HIDE "activates
// another window", which need not be the game.
void win32ShowWindow(WindowHandle window, int32_t command) {
    const UINT show = command == SW_HIDE ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
    SetWindowPos(asWindow(window), nullptr, 0, 0, 0, 0,
                 show | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                     SWP_NOOWNERZORDER);
}

bool win32SetWindowOpacity(WindowHandle window, uint8_t alpha) {
    return SetLayeredWindowAttributes(asWindow(window), 0, alpha, LWA_ALPHA) != 0;
}

// The boxes, sorted and apart as RGNDATA takes them (shapeBands), in one
// region; the system owns it once it is the window's, and frees it itself.
bool win32SetWindowShape(WindowHandle window, const WinRect* boxes, int32_t count) {
    if (boxes == nullptr) {
        return SetWindowRgn(asWindow(window), nullptr, TRUE) != 0;
    }
    std::vector<RGNDATA> room(
        1 + (static_cast<size_t>(count) * sizeof(RECT) + sizeof(RGNDATA) - 1) / sizeof(RGNDATA));
    RGNDATA* data = room.data();
    data->rdh.dwSize = sizeof data->rdh;
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = 0;
    data->rdh.nRgnSize = 0;
    SetRectEmpty(&data->rdh.rcBound);
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (int32_t i = 0; i < count; ++i) {
        const RECT box = {boxes[i].left, boxes[i].top, boxes[i].right, boxes[i].bottom};
        if (box.right <= box.left || box.bottom <= box.top) {
            continue;
        }
        rects[data->rdh.nCount++] = box;
        UnionRect(&data->rdh.rcBound, &data->rdh.rcBound, &box);
    }
    const DWORD size = sizeof data->rdh + data->rdh.nCount * sizeof(RECT);
    HRGN region = ExtCreateRegion(nullptr, size, data);
    if (region == nullptr) {
        return false;
    }
    if (SetWindowRgn(asWindow(window), region, TRUE) == 0) {
        DeleteObject(region);
        return false;
    }
    return true;
}

// The shell's own windows, which the overlay never goes over (the program
// is asked only for a class the shell shares with UWP apps).
bool shellWindow(HWND window) {
    char name[64] = "";
    if (GetClassNameA(window, name, sizeof name) == 0) {
        return false;
    }
    const bool shared = std::strcmp(name, "Windows.UI.Core.CoreWindow") == 0;
    return isShellWindow(name, shared ? programNameOfWindow(window) : std::string());
}

int32_t win32WindowAbove(WindowHandle window) {
    RECT mine = {};
    if (!GetWindowRect(asWindow(window), &mine)) {
        return WindowAboveNone;
    }
    for (HWND above = GetWindow(asWindow(window), GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT theirs = {};
        RECT both = {};
        if (!IsWindowVisible(above) || !GetWindowRect(above, &theirs) ||
            !IntersectRect(&both, &theirs, &mine)) {
            continue;
        }
        return shellWindow(above) ? WindowAboveShell : WindowAboveOther;
    }
    return WindowAboveNone;
}

bool win32ExclusiveFullScreen() {
    QUERY_USER_NOTIFICATION_STATE state = {};
    return SHQueryUserNotificationState(&state) == S_OK && state == QUNS_RUNNING_D3D_FULL_SCREEN;
}

namespace {

// A window that can have the foreground: shown, not minimised, enabled, not
// a tool window, and not owned by another.
bool canTakeForeground(HWND window) {
    return window != nullptr && IsWindow(window) && IsWindowVisible(window) && !IsIconic(window) &&
           IsWindowEnabled(window) && GetWindow(window, GW_OWNER) == nullptr &&
           (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

} // namespace

// Windows activates another window itself only for ShowWindow(SW_HIDE),
// which need not be the game; hidden by SetWindowPos the active window stays
// active, foreground and focused.
bool win32GiveForeground(WindowHandle window, WindowHandle to) {
    HWND target = asWindow(to);
    for (HWND next = GetWindow(asWindow(window), GW_HWNDNEXT);
         !canTakeForeground(target) && next != nullptr; next = GetWindow(next, GW_HWNDNEXT)) {
        target = next;
    }
    return canTakeForeground(target) && SetForegroundWindow(target) != 0;
}
