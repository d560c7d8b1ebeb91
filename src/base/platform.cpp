#include "base/platform.h"

namespace {

// Every call does nothing and reports failure; the clocks stand at 0.
constexpr Platform defaultPlatform = {
    .timeMs = [] { return uint32_t{0}; },
    .preciseTimeUs = [] { return uint64_t{0}; },
    .asyncKeyState = [](int32_t) { return int16_t{0}; },
    .setCapture = [](WindowHandle) {},
    .releaseCapture = [] {},
    .trackMouseLeave = [](WindowHandle) {},
    .primaryButtonDown = [] { return false; },
    .screenToClient = [](WindowHandle, int32_t*, int32_t*) { return false; },
    .clientRect = [](WindowHandle, WinRect*) { return false; },
    .takeMessage = [] { return int32_t{0}; },
    .closeQueued = [] { return false; },
    .dispatchMessage = [] {},
    .waitForInput = [](uint32_t) { return false; },
    .waitForInputUntilUs = [](uint64_t) { return false; },
    .wakeMainLoop = [] {},
    .messageExtraInfo = [] { return uintptr_t{0}; },
    .defWindowProc = [](WindowHandle, uint32_t, uintptr_t, intptr_t) { return intptr_t{0}; },
    .postQuitMessage = [](int32_t) {},
    .registerTouchWindow = [](WindowHandle, uint32_t) { return false; },
    .readTouchInputs = [](intptr_t, TouchInput*, uint32_t) { return false; },
    .closeTouchInput = [](intptr_t) {},
    .getWindowLong = [](WindowHandle, int32_t) { return int32_t{0}; },
    .setWindowLong = [](WindowHandle, int32_t, int32_t) { return int32_t{0}; },
    .windowRect = [](WindowHandle, WinRect*) { return false; },
    .adjustWindowRectEx = [](WinRect*, uint32_t, bool, uint32_t, uint32_t) { return false; },
    .windowDpi = [](WindowHandle) { return uint32_t{0}; },
    .monitorRect = [](const WinRect*, MonitorArea*) { return false; },
    .setWindowPos = [](WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t,
                       uint32_t) { return false; },
    .showWindow = [](WindowHandle, int32_t) {},
    .setWindowOpacity = [](WindowHandle, uint8_t) { return false; },
    .setWindowShape = [](WindowHandle, const WinRect*, int32_t) { return false; },
    .exclusiveFullScreen = [] { return false; },
    .windowAbove = [](WindowHandle) { return int32_t{0}; },
    .monitorName = [](WindowHandle, MonitorIdentity*) { return false; },
    .monitorNamed = [](const char*, MonitorArea*) { return false; },
    .monitorWithDevice = [](const char*, MonitorArea*) { return false; },
    .refreshRateHz = [](WindowHandle) { return int32_t{0}; },
    .watchSessionChanges = [](WindowHandle, bool) { return false; },
    .consoleDisplayState = [](intptr_t) { return int32_t{-1}; },
    .programFolder = [](char*, size_t) { return false; },
    .messageBox = [](WindowHandle, const char*, const char*, uint32_t) { return int32_t{0}; },
    .playSound = [](const char*, uint32_t) { return false; },
    .touchPoints = [] { return int32_t{0}; },
    .keyboardAttached = [] { return false; },
    .openInShell = [](const char*, const char*) { return uint32_t{1}; },
    .closeWindow = [](WindowHandle) {},
    .setWindowMenu = [](WindowHandle, const WindowMenuEntry*, int32_t) {},
    .setTimer = [](WindowHandle, uintptr_t, uint32_t) { return false; },
    .killTimer = [](WindowHandle, uintptr_t) {},
    .giveForeground = [](WindowHandle, WindowHandle) { return false; },
    .showWindowCommand = [](WindowHandle, int32_t) {},
};

} // namespace

Platform platform = defaultPlatform;
void* moduleInstance = nullptr;

void resetPlatform() {
    platform = defaultPlatform;
}
