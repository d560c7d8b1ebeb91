#include "controller/modes/menu_commands.h"

#include "base/format_text.h"
#include "base/logical_scale.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/game_layouts.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/modes/remote_panel.h"
#include "controller/settings/settings_store.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "keyout/keyboard_output.h"
#include "remote/remote_link.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Room for the built-in commands' numbers before the layouts'.
constexpr int32_t LayoutCommandBase = 32;
static_assert(MenuCommandCount <= LayoutCommandBase);

std::vector<MenuLayout> layouts;
uint64_t layoutsVersion = 0;
MenuOutcome outcome;

bool serving() {
    const RemoteState state = remoteStatus().state;
    return state == RemoteState::Waiting || state == RemoteState::Connected;
}

// The phone on, with the saved code or a fresh one: the server is started
// (again, with a fresh code: pages with the old one are locked out).
void phoneOn(bool fresh) {
    if (serving() && !fresh) {
        return;
    }
    char code[16];
    if (!rememberRemote(true, fresh, code, sizeof code)) {
        sayOutcome(true, settingsNotice);
        return;
    }
    if (serving()) {
        stopRemoteController();
    }
    startRemoteController(code);
    const RemoteStatus& status = remoteStatus();
    char line[NoticeSize];
    if (status.state == RemoteState::Failed) {
        formatText(line, "%s", status.problem);
    } else {
        formatText(line, "remote controller: %s", status.address);
    }
    noteInLog(line);
}

void phoneOff() {
    if (remoteStatus().state != RemoteState::Off) {
        stopRemoteController();
    }
    if (remoteStatus().state == RemoteState::Failed) {
        resetRemote(); // off: why it could not start is no longer the news
    }
    char code[16];
    rememberRemote(false, false, code, sizeof code);
}

// The phone's keys at a fixed delay a step longer or shorter: from the
// delay in use when it follows the network (or the bound, before a phone
// has shown one), kept within what the command line takes.
constexpr int32_t DelayStepMs = 5;

void fixedDelayBy(int32_t step) {
    const DelaySetting now = remoteDelay();
    int32_t ms = now.fixedMs;
    if (now.mode != DelayMode::Fixed) {
        const RemoteTiming& timing = remoteStatus().timing;
        ms =
            timing.state == TimingState::Steady ? (timing.delayUs + 999) / 1000 : SteadyDelayMostMs;
    }
    DelaySetting fixed;
    fixed.mode = DelayMode::Fixed;
    fixed.fixedMs = std::clamp(ms + step, 1, FixedDelayMostMs);
    changeRemoteDelay(fixed);
}

void delayMode(DelayMode mode) {
    DelaySetting setting;
    setting.mode = mode;
    changeRemoteDelay(setting);
}

void toWindow() {
    if (overlayState.on) {
        leaveOverlay();
    } else if (fullScreen != 0 && mainWindow != nullptr) {
        setWindowedMode(mainWindow, LogicalWidth, LogicalHeight);
    }
    fullScreen = 0;
    rememberScreenNow();
}

void toFullScreen() {
    if (overlayState.on) {
        leaveOverlay();
    }
    if (mainWindow != nullptr) {
        setFullScreenMode(mainWindow);
    }
    fullScreen = 1;
    rememberScreenNow();
}

void overTheGame() {
    enterOverlay();
    rememberScreenNow();
}

void opacityBy(int32_t step) {
    changeOverlayOpacity(step);
    rememberOpacity(overlayState.opacity);
}

void ownKeys() {
    useKeys(layoutKeys(controllerLayout));
    saveAssignedKeys();
}

bool sameKeys(const KeySet& a, const KeySet& b) {
    if (a.count != b.count) {
        return false;
    }
    for (int32_t i = 0; i < a.count; ++i) {
        if (a.keys[i].code != b.keys[i].code || a.keys[i].prefix != b.keys[i].prefix) {
            return false;
        }
    }
    return true;
}

// Another output from now on: what is held goes up first; the driver that
// cannot be had leaves the output as it was, and says why.
void useOutput(OutputChoice choice) {
    const OutputChoice before = outputChoice();
    const bool assigning = controllerMode == AssignKeys;
    if (assigning) {
        cancelKeyAssignment(); // asked again from its first key, from the new output
    }
    releaseHeldKeys();
    closeKeyboardOutput();
    if (!openKeyboardOutput(choice)) {
        openKeyboardOutput(before);
        char reason[256];
        describeKeyboardLibrary(keyboardLibrary, reason, sizeof reason);
        char said[320];
        formatText(said, "the Interception driver cannot be used: %s", reason);
        sayOutcome(true, said);
    } else {
        rememberOutput(choice);
    }
    describeKeyboardOutput(outputNotice, sizeof outputNotice);
}

// A place in Explorer: the layouts folder, or the log chosen in its folder.
void openPlace(SettingsPlaceKind place) {
    char path[LayoutPathSize];
    if (!settingsStore.placePath(place, path, sizeof path)) {
        sayOutcome(true, "the folder of Padrelle's settings cannot be had");
        return;
    }
    const std::string select = "/select,\"" + std::string(path) + "\"";
    const uint32_t error = place == LogFilePlace
                               ? platform.openInShell("explorer.exe", select.c_str())
                               : platform.openInShell(path, nullptr);
    char said[LayoutPathSize + 64];
    if (error != 0) {
        formatText(said, "Windows could not open %s (error %u)", path,
                   static_cast<unsigned>(error));
    } else {
        formatText(said, "opened %s", path);
    }
    sayOutcome(error != 0, said);
}

// The players' guide beside padrelle.exe, in the browser.
void openGuide() {
    std::string folder(ProgramFolderSize, '\0');
    if (!platform.programFolder(folder.data(), folder.size())) {
        sayOutcome(true, "the folder of padrelle.exe cannot be had");
        return;
    }
    folder.resize(std::strlen(folder.c_str()));
    const std::string guide = folder + "padrelle-guide.html";
    const uint32_t error = platform.openInShell(guide.c_str(), nullptr);
    char said[320];
    formatText(said, error == 0 ? "opened %s" : "the guide %s could not be opened (error %u)",
               guide.c_str(), static_cast<unsigned>(error));
    sayOutcome(error != 0, said);
}

bool phoneIsOn() {
    return serving();
}
bool phoneIsOff() {
    return remoteStatus().state == RemoteState::Off;
}
bool inWindow() {
    return !overlayState.on && fullScreen == 0;
}
bool inFullScreen() {
    return !overlayState.on && fullScreen != 0;
}
bool overGame() {
    return overlayState.on;
}
bool ownKeysInUse() {
    return sameKeys(currentKeys(), layoutKeys(controllerLayout));
}

constexpr const char* DelayKept = "the next start times the phone's keys this way too";
constexpr const char* ScreenKept = "the next start opens the same way";
constexpr const char* OpacityKept = "the next start keeps this opacity";
constexpr const char* KeysKept = "the keys are saved for this layout";
constexpr const char* OutputKept = "the next start sends the keys this way too";

const MenuCommand Commands[MenuCommandCount] = {
    {PageScreen, OverlayMenuText, overTheGame, overGame, ScreenKept, MenuBackToPlay},
    {PageMain, EditLayoutMenuText, [] { editLayoutAsked = 1; }, nullptr, "", MenuBackToPlay},
    {PagePhone, "Phone on", [] { phoneOn(false); }, phoneIsOn,
     "the next start serves the phone too", 0},
    {PagePhone, "Phone off", phoneOff, phoneIsOff, "the next start does not serve the phone", 0},
    {PagePhone, "New pairing code", [] { phoneOn(true); }, nullptr,
     "pages opened with the old code are locked out; the next start keeps the new one", 0},
    {PageTiming, "Keys at a steady delay", [] { delayMode(DelayMode::Follow); },
     [] { return remoteDelay().mode == DelayMode::Follow; }, DelayKept, 0},
    {PageTiming, "Keys at once", [] { delayMode(DelayMode::AtOnce); },
     [] { return remoteDelay().mode == DelayMode::AtOnce; }, DelayKept, 0},
    {PageTiming, "Fixed delay, 5 ms longer", [] { fixedDelayBy(DelayStepMs); },
     [] { return remoteDelay().mode == DelayMode::Fixed; }, DelayKept, 0},
    {PageTiming, "Fixed delay, 5 ms shorter", [] { fixedDelayBy(-DelayStepMs); }, nullptr,
     DelayKept, 0},
    {PageScreen, "Window", toWindow, inWindow, ScreenKept, MenuBackToPlay},
    {PageScreen, "Full screen", toFullScreen, inFullScreen, ScreenKept, MenuBackToPlay},
    {PageScreen, "Less opaque", [] { opacityBy(-OverlayOpacityStep); }, nullptr, OpacityKept, 0},
    {PageScreen, "More opaque", [] { opacityBy(OverlayOpacityStep); }, nullptr, OpacityKept, 0},
    {PageKeys, "Ask for the keys again", startKeyAssignment, nullptr, KeysKept, MenuBackToPlay},
    {PageKeys, "The layout's own keys", ownKeys, ownKeysInUse, KeysKept, 0},
    {PageOutput, "Automatic", [] { useOutput(OutputAuto); },
     [] { return outputChoice() == OutputAuto; }, OutputKept, 0},
    {PageOutput, "SendInput", [] { useOutput(OutputSendInput); },
     [] { return outputChoice() == OutputSendInput; }, OutputKept, 0},
    {PageOutput, "The Interception driver", [] { useOutput(OutputInterception); },
     [] { return outputChoice() == OutputInterception; }, OutputKept, 0},
    {PageFiles, "Open the layouts folder", [] { openPlace(LayoutsFolderPlace); }, nullptr, "", 0},
    {PageFiles, "Open the log", [] { openPlace(LogFilePlace); }, nullptr, "", 0},
    {PageFiles, "Open the guide", openGuide, nullptr, "", 0},
    {PageMain, "About Padrelle", [] { openMenu(PageAbout); }, nullptr, "", 0},
    {PageMain, "Close Padrelle", [] { platform.closeWindow(mainWindow); }, nullptr, "",
     MenuScreenOnly},
};

constexpr const char* PageTitles[PageCount] = {"Menu",   "Phone or tablet", "Phone's key timing",
                                               "Layout", "Screen",          "Keys",
                                               "Output", "Files and guide", "About"};

void addLayoutFile(const char* path, void*) {
    MenuLayout entry = {};
    entry.preset = false;
    formatText(entry.path, "%s", path);
    char problem[LayoutPathSize + 200];
    entry.usable = readLayout(path, true, entry.layout, problem, sizeof problem);
    if (entry.usable) {
        formatText(entry.name, "%s", entry.layout.name);
    } else {
        // The file's own name, and what is wrong with it after the path.
        const char* slash = std::strrchr(path, '\\');
        formatText(entry.name, "%.31s", slash != nullptr ? slash + 1 : path);
        const char* why = std::strstr(problem, path);
        why = why != nullptr ? why + std::strlen(path) + 1 : problem;
        constexpr const char* Unusable = "is not usable: ";
        if (std::strncmp(why, Unusable, std::strlen(Unusable)) == 0) {
            why += std::strlen(Unusable);
        }
        formatText(entry.problem, "%s", why);
    }
    layouts.push_back(entry);
}

void add(WindowMenuEntry* entries, int32_t max, int32_t& count, int32_t kind, const char* text,
         uintptr_t command, bool checked) {
    if (count >= max) {
        return;
    }
    WindowMenuEntry& entry = entries[count++];
    entry = WindowMenuEntry{kind, command, checked, {}};
    formatText(entry.text, "%s", text);
}

void addCommands(WindowMenuEntry* entries, int32_t max, int32_t& count, MenuPage page) {
    for (int32_t id = 0; id < MenuCommandCount; ++id) {
        const MenuCommand& command = Commands[id];
        if (command.page == page && (command.flags & MenuScreenOnly) == 0) {
            add(entries, max, count, WindowMenuCommand, command.text, menuCommandNumber(id),
                command.chosen != nullptr && command.chosen());
        }
    }
}

} // namespace

const MenuCommand& menuCommand(int32_t id) {
    return Commands[id >= 0 && id < MenuCommandCount ? id : 0];
}

const char* menuPageTitle(MenuPage page) {
    return page >= 0 && page < PageCount ? PageTitles[page] : "";
}

void refreshMenuLayouts() {
    layouts.clear();
    for (int32_t i = 0; presetLayout(i) != nullptr; ++i) {
        MenuLayout entry = {};
        entry.preset = true;
        entry.usable = true;
        entry.layout = *presetLayout(i);
        formatText(entry.name, "%s", entry.layout.name);
        layouts.push_back(entry);
    }
    settingsStore.eachSavedLayout(addLayoutFile, nullptr);
    ++layoutsVersion;
}

const std::vector<MenuLayout>& menuLayouts() {
    return layouts;
}

uint64_t menuLayoutsVersion() {
    return layoutsVersion;
}

bool layoutInUse(const MenuLayout& entry) {
    return entry.usable && std::strcmp(entry.layout.name, playedLayout.name) == 0;
}

uintptr_t menuCommandNumber(int32_t id) {
    return WindowMenuFirst + 16u * static_cast<uintptr_t>(id);
}

uintptr_t layoutCommandNumber(int32_t index) {
    return menuCommandNumber(LayoutCommandBase + index);
}

bool actOnMenuNumber(uintptr_t number) {
    if (number < WindowMenuFirst || (number - WindowMenuFirst) % 16 != 0) {
        return false;
    }
    const auto id = static_cast<int64_t>((number - WindowMenuFirst) / 16);
    if (id < MenuCommandCount) {
        actOnCommand(static_cast<int32_t>(id));
        return true;
    }
    const int64_t index = id - LayoutCommandBase;
    if (index >= 0 && index < static_cast<int64_t>(layouts.size())) {
        chooseLayout(static_cast<int32_t>(index));
        return true;
    }
    return false;
}

void actOnCommand(int32_t id) {
    if (id < 0 || id >= MenuCommandCount) {
        return;
    }
    const MenuCommand& command = Commands[id];
    if ((command.flags & MenuBackToPlay) != 0 && controllerMode == MenuOpen) {
        closeMenu();
    }
    outcome = MenuOutcome{};
    command.act();
    if (!outcome.problem && outcome.text[0] == '\0' && command.remembered[0] != '\0') {
        char said[320];
        formatText(said, "%s: done; %s", command.text, command.remembered);
        sayOutcome(false, said);
    }
}

void chooseLayout(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(layouts.size())) {
        return;
    }
    const MenuLayout entry = layouts[static_cast<size_t>(index)];
    if (!entry.usable) {
        char said[LayoutPathSize + 240];
        formatText(said, "%s cannot be used: %s", entry.name, entry.problem);
        sayOutcome(true, said);
        return;
    }
    if (controllerMode == MenuOpen) {
        closeMenu();
    }
    cancelKeyAssignment();
    const Layout& layout = entry.layout;
    rememberPlayersLayout(entry.preset ? entry.name : entry.path, !entry.preset, layout);
    setPlayersLayout(layout);
    loadGameLayouts();
    const KeySet* saved = savedKeysFor(layout);
    playLayout(layout, saved != nullptr ? *saved : layoutKeys(layout));
    controllerMode = Play;
    if (saved == nullptr && platform.keyboardAttached()) {
        startKeyAssignment();
    } else if (saved == nullptr) {
        saveAssignedKeys(); // its own keys, saved as a tap on the prompt's button does
    }
    char said[NoticeSize];
    formatText(said, "layout %s chosen in the menu", layout.name);
    formatText(layoutNotice, "%s", said);
    noteInLog(said);
}

const MenuOutcome& menuOutcome() {
    return outcome;
}

void sayOutcome(bool problem, const char* text) {
    outcome.problem = problem;
    formatText(outcome.text, "%s", text);
    if (problem) {
        noteInLog(text);
    }
    menuChanged();
}

void takeWindowMenuChoice() {
    if (windowMenuChosen == 0 || controllerMode == EditLayout) {
        return;
    }
    const uintptr_t chosen = windowMenuChosen;
    windowMenuChosen = 0;
    actOnMenuNumber(chosen);
}

int32_t controllerWindowMenu(WindowMenuEntry* entries, int32_t max) {
    int32_t count = 0;
    refreshMenuLayouts();
    for (int32_t page = PagePhone; page < PageAbout; ++page) {
        add(entries, max, count, WindowMenuSubmenu, PageTitles[page], 0, false);
        if (page == PageLayout) {
            for (size_t i = 0; i < layouts.size(); ++i) {
                if (layouts[i].usable) {
                    add(entries, max, count, WindowMenuCommand, layouts[i].name,
                        layoutCommandNumber(static_cast<int32_t>(i)), layoutInUse(layouts[i]));
                }
            }
        }
        addCommands(entries, max, count, static_cast<MenuPage>(page));
        add(entries, max, count, WindowMenuSubmenuEnd, "", 0, false);
    }
    addCommands(entries, max, count, PageMain); // Edit layout, About
    return count;
}

void resetMenuCommands() {
    layouts.clear();
    outcome = MenuOutcome{};
}
