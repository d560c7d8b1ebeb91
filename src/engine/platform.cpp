#include "engine/platform.h"

namespace {

uint32_t noTime() {
    return 0;
}
int16_t noKey(int32_t) {
    return 0;
}
bool noCursor(int32_t*, int32_t*) {
    return false;
}
bool noScreenToClient(WindowHandle, int32_t*, int32_t*) {
    return false;
}
bool noRect(WindowHandle, WinRect*) {
    return false;
}
bool noMessageWaiting() {
    return false;
}
int32_t noMessage() {
    return 0;
}
void noDispatch() {}
intptr_t noDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}
void noQuit(int32_t) {}
bool noTouchWindow(WindowHandle, uint32_t) {
    return false;
}
intptr_t noTouchMessage(WindowHandle, uintptr_t, intptr_t) {
    return 0;
}
int32_t noWindowLong(WindowHandle, int32_t) {
    return 0;
}
int32_t noSetWindowLong(WindowHandle, int32_t, int32_t) {
    return 0;
}
bool noAdjust(WinRect*, uint32_t, bool, uint32_t) {
    return false;
}
bool noMonitor(const WinRect*, WinRect*) {
    return false;
}
bool noWindowPos(WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t, uint32_t) {
    return false;
}
int32_t noMessageBox(WindowHandle, const char*, const char*, uint32_t) {
    return 0;
}
bool noSound(const char*, uint32_t) {
    return false;
}

constexpr Platform defaultPlatform = {
    noTime,           noKey,          noCursor,     noScreenToClient, noRect,
    noMessageWaiting, noMessage,      noDispatch,   noDefWindowProc,  noQuit,
    noTouchWindow,    noTouchMessage, noWindowLong, noSetWindowLong,  noRect,
    noAdjust,         noMonitor,      noWindowPos,  noMessageBox,     noSound,
};

} // namespace

Platform platform = defaultPlatform;

void resetPlatform() {
    platform = defaultPlatform;
}
