// padrelle.exe's entry point: the command line, the keyboard output, the
// remembered settings, then the engine's window.
#include <windows.h>

#include "base/system_watches.h"
#include "base/wide_text.h"
#include "controller/controller_scene.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/settings/launch_options.h"
#include "controller/settings/settings_store.h"
#include "engine/program_win32.h"
#include "engine/responsiveness.h"
#include "keyout/accessibility_keys.h"
#include "keyout/guard.h"
#include "keyout/interception_output.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "keyout/system_input.h"

namespace {

constexpr int ExitBadCommandLine = 2;
constexpr int ExitNoDriver = 1;
const char* const Caption = "Padrelle";

// A message in UTF-8 (a layout file's path may be in any language).
void say(const char* text, const char* caption, UINT type) {
    MessageBoxW(nullptr, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(), type);
}

} // namespace

namespace {

// The command line after the program's name, in UTF-8: a layout file's path
// may be in any language.
void commandLineUtf8(char* out, size_t size) {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    // The program's name: up to the first blank outside quotes.
    for (; *line != L'\0' && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        if (*line == L'"') {
            quoted = !quoted;
        }
    }
    if (WideCharToMultiByte(CP_UTF8, 0, line, -1, out, static_cast<int>(size), nullptr, nullptr) <=
        0) {
        out[0] = '\0';
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // A command line that is not understood is said before any window opens.
    static char commandLine[8192];
    commandLineUtf8(commandLine, sizeof commandLine);
    char problem[LaunchProblemSize];
    if (!parseLaunchOptions(commandLine, launchOptions, problem, sizeof problem)) {
        say(problem, Caption, MB_OK | MB_ICONEXCLAMATION);
        return ExitBadCommandLine;
    }
    if (launchOptions.guard) {
        return runGuard(launchOptions.guardProcess, launchOptions.guardRecord);
    }
    if (launchOptions.guardStart) {
        return runGuardStart(launchOptions.guardProcess, launchOptions.guardRecord);
    }
    prepareWin32Engine(instance);
    // The engine runs the controller's scene and builds its window menu.
    installControllerScene();
    if (launchOptions.help) {
        say(LaunchUsage, Caption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    bindKeyboardLibrary();
    // The driver's held-back strokes go on from a thread of their own.
    useDriverCaptureThread(true);
    useWin32SystemInput();
    watchForegroundWindow();
    useWin32SettingsStore();
    useWin32AccessibilityApi();
    // Keys held when this process is ended from outside are let go by the
    // guard; without one (it could not be started) the program runs all the same.
    noteSystemWatch(WatchGuard, startGuard());
    // The driver asked for and not to be had: said before any window opens.
    if (launchOptions.output == OutputInterception && !openKeyboardOutput(OutputInterception)) {
        forcedDriverMessage(problem, sizeof problem);
        say(problem, KeyboardLibraryCaption, MB_OK | MB_ICONEXCLAMATION);
        markCleanExit();
        return ExitNoDriver;
    }
    loadRememberedSettings();
    // A layout file that cannot be used, or keys that do not fit the layout,
    // are said before any window opens.
    if (!chooseStartLayout(problem, sizeof problem)) {
        say(problem, Caption, MB_OK | MB_ICONEXCLAMATION);
        markCleanExit();
        return ExitBadCommandLine;
    }
    const StartScreen start = rememberedStartScreen();
    fullScreen = start.fullScreen ? 1 : 0;
    useWin32SchedulingApi();
    startResponsiveRun();
    const int code = runEngineWindow(start, showCommand);
    endResponsiveRun();
    // Everything is let go: the guard ends without doing anything.
    markCleanExit();
    return code;
}
