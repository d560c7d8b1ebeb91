// A recording fake of the platform table for tests.
//
// installFakePlatform() resets it and points every platform entry at it; the
// client area is 1280 x 720 at the screen origin, so screen and client
// coordinates agree and the stretch is one to one.
#pragma once

#include "engine/platform.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct FakeWindowPos {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint32_t flags;
};

struct FakeMessageBox {
    std::string text;
    std::string caption;
    uint32_t type;
};

struct FakePlatform {
    uint32_t time = 0;
    uint64_t preciseUs = 0;
    bool keyDown[256] = {};
    WinRect client = {0, 0, 1280, 720};
    bool clientRectFails = false;
    WinRect clientOrigin = {0, 0, 0, 0}; // client area's screen origin in left/top

    // Messages waiting in the queue; takeMessage hands out the front one.
    // WM_QUIT (0x12) and a message of 0xFFFFFFFF are taken but not dispatched.
    std::deque<FakeMessage> queue;
    FakeMessage current = {};
    int32_t messagesTaken = 0;
    std::vector<FakeMessage> dispatched;
    std::vector<FakeMessage> defaultHandled;
    std::vector<FakeMessage> touchMessages;
    std::vector<int32_t> quitCodes;
    int32_t touchRegistrations = 0;
    uintptr_t extraInfo = 0;     // what messageExtraInfo gives
    std::vector<uint32_t> waits; // timeouts of every waitForInput
    // Called by waitForInput; may queue messages or move the clock.
    std::function<void(uint32_t timeoutMs)> onWait;
    int32_t refreshHz = 60;

    // Window state.
    int32_t style = 0x10CF0000;
    int32_t exStyle = 0x00000200;
    WinRect windowRect = {0, 0, 1300, 763};
    WinRect monitor = {0, 0, 1920, 1080};
    // The monitors by name, and the name of the one the window is on.
    std::map<std::string, WinRect> monitors = {{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}}};
    std::string windowMonitor = "\\\\.\\DISPLAY1";
    WinRect frame = {-8, -31, 8, 8}; // what adjustWindowRectEx adds on each side
    std::vector<WinRect> monitorQueries;
    std::vector<FakeWindowPos> positions;
    std::vector<std::string> calls; // "setWindowLong style 0x...", "setCapture", ...

    std::vector<FakeMessageBox> messageBoxes;
    std::vector<std::pair<std::string, uint32_t>> sounds;

    // Called on every dispatched message (after it is recorded).
    std::function<void(const FakeMessage&)> onDispatch;
};

extern FakePlatform fakePlatform;

void installFakePlatform();
