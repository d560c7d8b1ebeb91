// padrelle.exe's entry point: the command line, the keyboard output, the
// remembered settings, then the engine's window.
#include <windows.h>

#include "controller/controller_scene.h"
#include "controller/launch_options.h"
#include "controller/play_mode.h"
#include "controller/remembered.h"
#include "controller/settings_store.h"
#include "engine/program_win32.h"
#include "engine/responsiveness.h"
#include "keyout/accessibility_keys.h"
#include "keyout/guard.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "keyout/system_input.h"

namespace {

constexpr int ExitBadCommandLine = 2;
constexpr int ExitNoDriver = 1;
const char* const Caption = "Padrelle";

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // A command line that is not understood is said before any window opens.
    char problem[1024];
    if (!parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem)) {
        MessageBoxA(nullptr, problem, Caption, MB_OK | MB_ICONEXCLAMATION);
        return ExitBadCommandLine;
    }
    if (launchOptions.guard) {
        return runGuard(launchOptions.guardProcess, launchOptions.guardRecord);
    }
    prepareWin32Engine(instance);
    if (launchOptions.help) {
        MessageBoxA(nullptr, LaunchUsage, Caption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    bindKeyboardLibrary();
    useWin32SystemInput();
    watchForegroundWindow();
    useWin32SettingsStore();
    useWin32AccessibilityApi();
    // Keys held when this process is ended from outside are let go by the
    // guard; without one (it could not be started) the program runs all the same.
    startGuard();
    // The driver asked for and not to be had: said before any window opens.
    if (launchOptions.output == OutputInterception && !openKeyboardOutput(OutputInterception)) {
        forcedDriverMessage(problem, sizeof problem);
        MessageBoxA(nullptr, problem, KeyboardLibraryCaption, MB_OK | MB_ICONEXCLAMATION);
        markCleanExit();
        return ExitNoDriver;
    }
    loadRememberedSettings();
    const StartScreen start = rememberedStartScreen();
    fullScreen = start.fullScreen ? 1 : 0;
    useWin32SchedulingApi();
    startResponsiveRun();
    const int code = runEngineWindow(start);
    endResponsiveRun();
    // Everything is let go: the guard ends without doing anything.
    markCleanExit();
    return code;
}
