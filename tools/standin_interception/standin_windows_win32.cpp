// What the program's windows look like from inside, for the test's log: the
// class, title and client area of each visible top-level window of the
// calling thread.
#include <windows.h>

#include "standin.h"

namespace {

BOOL CALLBACK logWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    char className[128] = {};
    char title[128] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {client.left, client.top};
    ClientToScreen(window, &origin);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG extendedStyle = GetWindowLongA(window, GWL_EXSTYLE);
    logLine("window class=\"%s\" title=\"%s\" client=%ldx%ld origin=%ld,%ld screen=%dx%d "
            "style=0x%08lX exstyle=0x%08lX",
            className, title, client.right - client.left, client.bottom - client.top, origin.x,
            origin.y, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
            static_cast<unsigned long>(style), static_cast<unsigned long>(extendedStyle));
    return TRUE;
}

} // namespace

void logThreadWindows() {
    EnumThreadWindows(GetCurrentThreadId(), logWindow, 0);
}
