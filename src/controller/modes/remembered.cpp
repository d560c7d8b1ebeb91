#include "controller/modes/remembered.h"

#include "base/format_text.h"
#include "base/platform.h"
#include "base/system_watches.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/game_layouts.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/settings/settings_store.h"
#include "engine/responsiveness.h"
#include "engine/window_proc.h"
#include "keyout/sendinput_output.h"
#include "remote/network.h"
#include "remote/remote_gate.h"
#include "remote/remote_link.h"

#include <cstring>

LaunchOptions launchOptions;

namespace {

struct Remembered {
    bool saved = false;   // the file holds usable settings
    bool missing = false; // there is no file yet
    SavedSettings settings = {};
    // The layout in use, as it is written down: a name or a file's path.
    bool layoutFromFile = false;
    char layout[LayoutPathSize] = "default";
    char layoutName[LayoutNameSize] = "default"; // its name, as its keys are saved
};

Remembered remembered;

void save() {
    char text[SavedSettingsMaxBytes];
    const size_t length = writeSavedSettings(remembered.settings, text, sizeof text);
    uint32_t error = 0;
    if (length == 0 || !settingsStore.write(text, length, &error)) {
        char code[32] = "";
        if (error != 0) {
            formatText(code, " (Windows error %u)", static_cast<unsigned>(error));
        }
        formatText(settingsNotice, "the keys could not be saved in %s%s", SettingsPlace, code);
        return;
    }
    remembered.saved = true;
}

// The layout in use where its keys are saved, and the monitor the window is
// on and whether it is full screen.
void takeScreenNow() {
    // The layout is remembered with its keys: one whose keys are not saved
    // (given with --keys, or never assigned) would ask for them next time.
    if (savedKeysOf(remembered.settings, remembered.layoutName) != nullptr) {
        remembered.settings.hasLayout = true;
        remembered.settings.layoutFromFile = remembered.layoutFromFile;
        std::memcpy(remembered.settings.layout, remembered.layout, sizeof remembered.layout);
    }
    // The overlay once it was ever asked for: on or off, and its opacity.
    SavedSettings& settings = remembered.settings;
    // What the firewall's question took the player out of is still theirs.
    const bool overlayWanted =
        overlayState.on || leftForFirewallQuestion == LeftForQuestion::Overlay;
    if (settings.hasOverlay || overlayWanted || launchOptions.overlay != OverlayUnsaid) {
        settings.hasOverlay = true;
        settings.overlayOn = overlayWanted;
        settings.overlayOpacity = overlayState.opacity;
    }
    MonitorIdentity monitor = {};
    remembered.settings.hasScreen =
        platform.monitorName(mainWindow, &monitor) && isMonitorName(monitor.name);
    if (remembered.settings.hasScreen) {
        SavedScreen& screen = remembered.settings.screen;
        std::memcpy(screen.monitor, monitor.name, sizeof screen.monitor);
        screen.fullScreen =
            fullScreen != 0 || leftForFirewallQuestion == LeftForQuestion::FullScreen;
        monitor.device[sizeof monitor.device - 1] = '\0';
        const bool known = isMonitorWord(monitor.device, sizeof screen.device);
        std::memcpy(screen.device, known ? monitor.device : "", known ? sizeof screen.device : 1);
    }
}

} // namespace

void loadRememberedSettings() {
    remembered = Remembered{};
    char text[SavedSettingsMaxBytes + 1];
    size_t length = 0;
    const SettingsRead read = settingsStore.read(text, sizeof text, &length);
    if (read == SettingsMissing) {
        remembered.missing = true;
        return;
    }
    char problem[160] = "it cannot be read";
    if (read == SettingsFound && length <= SavedSettingsMaxBytes &&
        parseSavedSettings(std::string_view(text, length), remembered.settings, problem,
                           sizeof problem)) {
        remembered.saved = true;
        return;
    }
    remembered.settings = SavedSettings{};
    if (!launchOptions.keysGiven && !launchOptions.assign) {
        formatText(settingsNotice, "the saved keys in %s are not used (%s): assign them again",
                   SettingsPlace, problem);
    }
}

bool readLayout(const char* nameOrPath, bool onlyFile, Layout& layout, char* problem,
                size_t problemSize) {
    const Layout* preset = onlyFile ? nullptr : presetNamed(nameOrPath);
    if (preset != nullptr) {
        layout = *preset;
        return true;
    }
    static char text[LayoutFileMaxBytes + 1];
    size_t length = 0;
    const SettingsRead read = settingsStore.readFile(nameOrPath, text, sizeof text, &length);
    char why[160] = "";
    if (read == SettingsFound &&
        parseLayoutFile(std::string_view(text, length), layout, why, sizeof why)) {
        return true;
    }
    formatTextN(problem, problemSize, "the layout file %s %s%s", nameOrPath,
                read == SettingsMissing      ? "is not there"
                : read == SettingsUnreadable ? "cannot be read"
                                             : "is not usable: ",
                why);
    return false;
}

bool chooseStartLayout(char* problem, size_t problemSize) {
    Layout layout = defaultLayout();
    if (launchOptions.layoutGiven) {
        if (!readLayout(launchOptions.layout, false, layout, problem, problemSize)) {
            return false;
        }
        remembered.layoutFromFile = presetNamed(launchOptions.layout) == nullptr;
        // A file is remembered by its whole path: the next start may come
        // from another folder (a shortcut, a launcher).
        if (!remembered.layoutFromFile ||
            !settingsStore.fullPath(launchOptions.layout, remembered.layout,
                                    sizeof remembered.layout)) {
            formatText(remembered.layout, "%s", launchOptions.layout);
        }
    } else if (remembered.saved && remembered.settings.hasLayout) {
        char why[400];
        if (readLayout(remembered.settings.layout, remembered.settings.layoutFromFile, layout, why,
                       sizeof why)) {
            remembered.layoutFromFile = remembered.settings.layoutFromFile;
            formatText(remembered.layout, "%s", remembered.settings.layout);
        } else {
            layout = defaultLayout();
            formatText(settingsNotice, "%s: the default layout instead", why);
        }
    }
    if (!checkLaunchKeys(launchOptions, layoutKeyCount(layout), problem, problemSize)) {
        return false;
    }
    if (launchOptions.edit) {
        Layout edited = layout;
        if (launchOptions.editLayout[0] != '\0' &&
            !readLayout(launchOptions.editLayout, false, edited, problem, problemSize)) {
            return false;
        }
        askForEditor(launchOptions.editLayout[0] != '\0' ? &edited : nullptr);
    }
    useLayout(layout);
    formatText(remembered.layoutName, "%s", layout.name);
    setPlayersLayout(layout);
    return true;
}

bool useStartKeys() {
    if (launchOptions.keysGiven) {
        useKeys(launchOptions.keys);
        formatText(settingsNotice, "%s", "keys from --keys, for this run only");
        return true;
    }
    // Keys saved for a layout of that name but another count: the file was
    // changed since; they are asked for again.
    const KeySet* saved =
        remembered.saved && !launchOptions.assign ? savedKeysFor(controllerLayout) : nullptr;
    if (saved != nullptr) {
        useKeys(*saved);
        return true;
    }
    return false;
}

namespace {

// --overlay, else the saved choice; the opacity given, else the saved one.
void chooseOverlay() {
    const SavedSettings& settings = remembered.settings;
    const bool saved = remembered.saved && settings.hasOverlay;
    overlayState.on = launchOptions.overlay == OverlayOn ||
                      (launchOptions.overlay == OverlayUnsaid && saved && settings.overlayOn);
    overlayState.opacity = launchOptions.overlayOpacity != 0 ? launchOptions.overlayOpacity
                           : saved                           ? settings.overlayOpacity
                                                             : OverlayOpacityDefault;
}

} // namespace

StartScreen rememberedStartScreen() {
    chooseOverlay();
    StartScreen start = {};
    start.overlay = overlayState.on;
    start.opacity = overlayState.opacity;
    if (remembered.saved && remembered.settings.hasScreen) {
        // The monitor by its own device name where that was saved: display
        // numbers change as monitors come and go, and the number alone
        // might open full screen over another monitor. Without it, by the
        // number (an older file, a system that cannot tell).
        const SavedScreen& screen = remembered.settings.screen;
        start.onMonitor = screen.device[0] != '\0'
                              ? platform.monitorWithDevice(screen.device, &start.monitor)
                              : platform.monitorNamed(screen.monitor, &start.monitor);
        start.fullScreen = start.onMonitor && screen.fullScreen && !start.overlay;
    }
    return start;
}

const KeySet* savedKeysFor(const Layout& layout) {
    const KeySet* saved = savedKeysOf(remembered.settings, layout.name);
    return saved != nullptr && saved->count == layoutKeyCount(layout) ? saved : nullptr;
}

namespace {

// The keys of a layout kept beside the others; said on the screen when no
// more layouts fit.
bool keepKeys(const char* layout, const KeySet& keys) {
    if (!saveKeysOf(remembered.settings, layout, keys)) {
        formatText(settingsNotice, "the keys of more than %d layouts cannot be saved",
                   static_cast<int>(MaxSavedLayouts));
        return false;
    }
    return true;
}

} // namespace

void rememberLayoutFile(const char* path, const Layout& layout, const KeySet& keys) {
    if (!keepKeys(layout.name, keys)) {
        return;
    }
    remembered.layoutFromFile = true;
    formatText(remembered.layout, "%s", path);
    formatText(remembered.layoutName, "%s", layout.name);
    takeScreenNow();
    save();
}

void saveAssignedKeys() {
    if (!keepKeys(controllerLayout.name, currentKeys())) {
        return;
    }
    takeScreenNow();
    save();
}

namespace {

// Saved from a start that changes what is remembered, or from the menu: a
// file that cannot be used is left as it is (it is replaced once keys are
// assigned).
void saveChoice() {
    if (remembered.saved || remembered.missing) {
        save();
    }
}

// The phone on or off, with a fresh code when asked or when none is saved;
// false when it is to be on but no code could be made.
bool settleRemote(bool on, bool fresh, char* code, size_t size) {
    SavedSettings& settings = remembered.settings;
    fresh = on && (fresh || !isPairingCode(settings.pairingCode));
    if (fresh) {
        uint8_t random[8];
        if (!network.randomBytes(random, sizeof random)) {
            formatText(settingsNotice, "%s",
                       "the remote controller is off: the system gave no random pairing code");
            return false;
        }
        makePairingCode(random, settings.pairingCode);
    }
    settings.hasRemote = isPairingCode(settings.pairingCode);
    settings.remoteOn = on && settings.hasRemote;
    formatTextN(code, size, "%s", settings.pairingCode);
    return settings.remoteOn;
}

} // namespace

bool rememberRemote(bool on, bool fresh, char* code, size_t size) {
    if (!settleRemote(on, fresh, code, size) && on) {
        return false;
    }
    saveChoice();
    return on;
}

bool chooseRemote(char* code, size_t size) {
    setRemoteDelay(chooseRemoteDelay());
    const SavedSettings& settings = remembered.settings;
    const RemoteChoice choice = launchOptions.remote;
    const bool on = choice == RemoteOn || choice == RemoteNew ||
                    (choice == RemoteUnsaid && settings.hasRemote && settings.remoteOn);
    const bool fresh = on && (choice == RemoteNew || !isPairingCode(settings.pairingCode));
    if (!settleRemote(on, choice == RemoteNew, code, size) && on) {
        return false; // no code could be made: nothing changed
    }
    // The choice and the code last from this start on: the phone's saved
    // page must be let in next time, whether or not keys are saved yet.
    if (choice != RemoteUnsaid || fresh) {
        saveChoice();
    }
    return settings.remoteOn;
}

DelaySetting chooseRemoteDelay() {
    const SavedSettings& settings = remembered.settings;
    if (launchOptions.remoteDelayGiven) {
        saveRemoteDelay(launchOptions.remoteDelay);
        return launchOptions.remoteDelay;
    }
    return settings.hasRemoteDelay ? settings.remoteDelay : DelaySetting{};
}

void saveRemoteDelay(const DelaySetting& setting) {
    remembered.settings.hasRemoteDelay = true;
    remembered.settings.remoteDelay = setting;
    saveChoice();
}

void saveScreenAtExit() {
    if (!remembered.saved) {
        return; // nothing saved to stand beside; a bad file stays as it is
    }
    takeScreenNow();
    save();
}

void rememberScreenNow() {
    takeScreenNow();
    saveChoice();
}

void rememberOpacity(int32_t percent) {
    remembered.settings.hasOverlay = true;
    remembered.settings.overlayOpacity = percent;
    rememberScreenNow();
}

void rememberOutput(OutputChoice choice) {
    remembered.settings.hasOutput = true;
    remembered.settings.output = choice;
    saveChoice();
}

void rememberPlayersLayout(const char* nameOrPath, bool fromFile, const Layout& layout) {
    remembered.layoutFromFile = fromFile;
    formatText(remembered.layout, "%s", nameOrPath);
    formatText(remembered.layoutName, "%s", layout.name);
    if (savedKeysFor(layout) != nullptr) {
        rememberScreenNow();
    }
}

OutputChoice startOutputChoice() {
    SavedSettings& settings = remembered.settings;
    if (launchOptions.outputGiven) {
        // Remembered from now on, as the menu's choice is.
        settings.hasOutput = true;
        settings.output = launchOptions.output;
        return launchOptions.output;
    }
    return remembered.saved && settings.hasOutput ? settings.output : OutputAuto;
}

bool outputDemanded() {
    return launchOptions.outputGiven;
}

void writeStartLog() {
    char keys[KeyListSize];
    writeKeyList(currentKeys(), keys, sizeof keys);
    char hook[96] = "";
    if (hookRestarts() > 0) {
        formatText(hook, "the keyboard hook fell silent and was set again %d time(s)\n",
                   static_cast<int>(hookRestarts()));
    }
    char scheduling[256];
    describeResponsiveRun(scheduling, sizeof scheduling);
    char refused[1024];
    describeRefusedWatches(refusedSystemWatches(), refused, sizeof refused);
    const RemoteStatus& remote = remoteStatus();
    char remoteLine[256] = "";
    if (remote.state == RemoteState::Failed) {
        formatText(remoteLine, "%s\n", remote.problem);
    } else if (remote.state != RemoteState::Off) {
        formatText(remoteLine, "remote controller: %s\n", remote.address);
    }
    char text[3072];
    const int length = formatText(
        text, "Padrelle 1.0\n%s\n%s\nlayout: %s\nkeys in use: %s%s\nrunning with %s\n%s%s%s",
        outputNotice, settingsNotice, remembered.layout, keys,
        controllerMode == AssignKeys ? " (until they are assigned)" : "", scheduling, hook, refused,
        remoteLine);
    if (length > 0) {
        settingsStore.writeLog(text, static_cast<size_t>(length) < sizeof text
                                         ? static_cast<size_t>(length)
                                         : sizeof text - 1);
    }
}

void noteInLog(const char* line) {
    char text[NoticeSize + 2];
    const int length = formatText(text, "%s\n", line);
    if (length > 0) {
        settingsStore.appendLog(text, static_cast<size_t>(length) < sizeof text
                                          ? static_cast<size_t>(length)
                                          : sizeof text - 1);
    }
}

void resetRemembered() {
    remembered = Remembered{};
    launchOptions = LaunchOptions{};
}
