// padrelle-frame-bench.exe [frames]: CPU time per frame of the controller
// screen as padrelle.exe draws it, in a window with a 1280 x 720 client and
// in a full-screen pop-up (1916 x 1076 on a 1920 x 1080 screen, the client
// edge included). Three scenes, each frame different from the one before:
//   idle      nothing pressed, the whole window painted again (a repaint)
//   pads      all nine pads pressed, then none, in turn
//   disc      a finger turning round the disc (the scratch lines move)
// Then the same with the largest layout, double play (fourteen pads, two
// discs). Run from the folder that holds img/. One line per scene and size.
#include <windows.h>

#include "controller/controller_scene.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "engine/window_proc.h"
#include "graphics/bitmap_backend_win32.h"
#include "graphics/frame_target.h"
#include "graphics/gdi_frame_target.h"
#include "touch/touch_table.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

double processCpuMs() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

double wallMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT CALLBACK benchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND openWindow(bool fullScreen) {
    const DWORD style = fullScreen ? WS_POPUP | WS_VISIBLE : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    RECT outer = {0, 0, 1280, 720};
    if (fullScreen) {
        outer = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    } else {
        AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CLIENTEDGE);
    }
    HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, "PadrelleFrameBench", "Padrelle frame bench",
                                  style, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int i = 0; i < 20; ++i) {
        pump();
        Sleep(10);
    }
    return window;
}

// Makes frame n of a scene differ from frame n - 1.
void setScene(const char* scene, int n) {
    for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
        PadPressed[i] = std::strcmp(scene, "pads") == 0 && n % 2 == 0 ? 1 : 0;
    }
    if (std::strcmp(scene, "disc") == 0) {
        const double angle = 0.8 * std::sin(n / 20.0);
        const LayoutDisc& disc = controllerLayout.discs[0];
        const double r = disc.radius * 300.0 / 463.0;
        TouchTable[0] = TouchSlot{static_cast<int32_t>(disc.x + r * std::cos(angle)),
                                  static_cast<int32_t>(disc.y + r * std::sin(angle)), 1, 1};
        updateScratch();
    }
}

void measure(const char* scene, bool fullScreen, int frames) {
    HWND window = openWindow(fullScreen);
    mainWindow = window;
    RECT client = {};
    GetClientRect(window, &client);
    const bool whole = std::strcmp(scene, "idle") == 0;
    // Warm up: the layers and the surfaces are made once.
    for (int n = 0; n < 10; ++n) {
        setScene(scene, n);
        frameTarget->present(controllerFramePlan(), true);
        pump();
    }
    const double cpu0 = processCpuMs();
    const double wall0 = wallMs();
    for (int n = 0; n < frames; ++n) {
        setScene(scene, n + 1);
        frameTarget->present(controllerFramePlan(), whole);
        pump();
    }
    const double cpu = (processCpuMs() - cpu0) / frames;
    const double wall = (wallMs() - wall0) / frames;
    std::printf("%-8s %-5s %4ld x %4ld  %.3f ms CPU a frame  (%.3f ms wall)\n",
                controllerLayout.name, scene, client.right, client.bottom, cpu, wall);
    std::fflush(stdout);
    DestroyWindow(window);
    pump();
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const int frames = std::atoi(commandLine) > 0 ? std::atoi(commandLine) : 1000;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = benchProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = "PadrelleFrameBench";
    RegisterClassA(&windowClass);
    useWin32BitmapBackend();
    useGdiFrameTarget([] { return mainWindow; });
    for (const char* layout : {"default", "double"}) {
        leaveController();
        useLayout(*presetNamed(layout));
        enterController();
        controllerMode = Play;
        if (whiteImage == nullptr || whiteImage->loaded == 0 || scratchImage->loaded == 0) {
            std::printf("padrelle-frame-bench: img/white.bmp or img/scratch.bmp not found\n");
            return 1;
        }
        for (const bool fullScreen : {false, true}) {
            for (const char* scene : {"idle", "pads", "disc"}) {
                measure(scene, fullScreen, frames);
            }
        }
    }
    return 0;
}
