#include "controller/controller_scene.h"

#include "base/format_text.h"
#include "base/logical_scale.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "base/win_constants.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/editor_mode.h"
#include "controller/modes/game_layouts.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/key_assignment.h"
#include "controller/modes/menu_commands.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/overlay.h"
#include "controller/modes/phone_offer.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/modes/remote_panel.h"
#include "controller/modes/scratch.h"
#include "engine/actions.h"
#include "engine/engine.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "keyout/accessibility_keys.h"
#include "keyout/guard.h"
#include "keyout/held_record.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "remote/network_reach.h"
#include "remote/remote_link.h"

#include <cstring>
#include <string>

namespace {

// The firewall's question was seen coming once: the window was made an
// ordinary one for it (a player who lays it over the game again meanwhile
// keeps it there).
bool firewallQuestionSeen = false;

} // namespace

void forcedDriverMessage(char* buffer, size_t size) {
    char reason[256];
    describeKeyboardLibrary(keyboardLibrary, reason, sizeof reason);
    formatTextN(buffer, size,
                "Padrelle was started with --output interception, but the Interception "
                "keyboard driver cannot be used: %s.\n\nStart padrelle.exe without --output "
                "to send the keys through SendInput instead.",
                reason);
}

namespace {

void reportForcedDriverProblem() {
    char message[512];
    forcedDriverMessage(message, sizeof message);
    platform.messageBox(nullptr, message, KeyboardLibraryCaption,
                        win::MB_OK | win::MB_ICONEXCLAMATION);
}

} // namespace

void resetController() {
    deleteControllerObjects();
    useLayout(defaultLayout());
    controllerMode = AssignKeys;
    resetRemembered();
    std::memset(noticeLines, 0, sizeof noticeLines);
    cancelKeyAssignment();
    fullScreen = 0;
    resetOverlay();
    resetGameLayouts();
    resetEditor();
    resetMenu();
    resetMenuCommands();
    leftForFirewallQuestion = LeftForQuestion::Nothing;
    firewallQuestionSeen = false;
    resetScratchTrackers();
    std::memset(statusText, 0, sizeof statusText);
    resetKeyboardOutput();
}

void installControllerScene() {
    installScene(1, Scene{enterController, updateController, renderController, leaveController,
                          releaseController, inputBackToController});
    installWindowMenu(controllerWindowMenu);
}

void enterController() {
    loadControllerObjects();
    setFrameRate(1000, 4);
    // The output given on the command line, else the one remembered: a
    // driver remembered that cannot be had now gives SendInput and says why.
    const OutputChoice output = startOutputChoice();
    if (!openKeyboardOutput(output) && outputDemanded()) {
        reportForcedDriverProblem();
    } else if (outputInUse == NoOutput) {
        openKeyboardOutput(OutputAuto);
    }
    describeKeyboardOutput(outputNotice, sizeof outputNotice);
    // Five Shifts of a scratch must not bring up the Sticky Keys question.
    turnOffAccessibilityHotkeys();
    // Keys that are known already: play at once.
    if (useStartKeys()) {
        controllerMode = Play;
    }
    // The phone's page is one more source of fingers for the engine's input step.
    setInputSource(InputSource{remoteInputWaiting, pollRemote, remoteInputDue});
    char pairingCode[16];
    if (chooseRemote(pairingCode, sizeof pairingCode)) {
        startRemoteController(pairingCode);
    }
    writeStartLog();
    // After the log is begun: a layout file that cannot be used is named in it.
    loadGameLayouts();
}

namespace {

// A game started as administrator gets no injected key: said on the screen
// and in the log while it has the foreground.
void watchTheGame() {
    const bool blocked = keysBlockedByTheGame();
    if (blocked == (gameNotice[0] != '\0')) {
        return;
    }
    formatText(gameNotice, "%s", blocked ? GameOutranksNotice : "");
    if (blocked) {
        noteInLog(GameOutranksNotice);
    }
}

// A guard that ended under the program is replaced by the Win32 layer; the
// log says so.
void watchTheGuard() {
    static int32_t seen = 0;
    const int32_t restarts = guardRestarts();
    if (restarts != seen) {
        seen = restarts;
        noteInLog(GuardRestartNotice);
    }
}

// Windows asks once whether Padrelle may use the network, as its server
// first listens: the question must not hide under a full-screen controller
// or the overlay. When the first check of the firewall says the question
// comes, the window becomes an ordinary one; the player's choice stays
// theirs (saved as it was) and comes back once the question is answered (a
// rule names padrelle.exe).
void watchTheFirewallsQuestion() {
    if (mainWindow == nullptr) {
        return;
    }
    const bool asks = (remoteStatus().reachProblems & ReachFirewallWillAsk) != 0;
    if (asks && !firewallQuestionSeen && leftForFirewallQuestion == LeftForQuestion::Nothing) {
        firewallQuestionSeen = true;
        if (overlayState.on) {
            leaveOverlay();
            leftForFirewallQuestion = LeftForQuestion::Overlay;
        } else if (fullScreen != 0) {
            setWindowedMode(mainWindow, LogicalWidth, LogicalHeight);
            fullScreen = 0;
            leftForFirewallQuestion = LeftForQuestion::FullScreen;
        }
        return;
    }
    if (asks || leftForFirewallQuestion == LeftForQuestion::Nothing) {
        return;
    }
    if (leftForFirewallQuestion == LeftForQuestion::Overlay) {
        enterOverlay();
    } else if (!overlayState.on) {
        setFullScreenMode(mainWindow);
        fullScreen = 1;
    }
    leftForFirewallQuestion = LeftForQuestion::Nothing;
}

// Keys whose breaks Windows has not surely taken at the end (a locked screen,
// no window in front) are the guard's to send: the log names them.
void sayKeysLeftToTheGuard() {
    const int32_t left = keysHeldInRecord(*heldRecord);
    if (left == 0) {
        return;
    }
    std::string names;
    forEachKey(heldRecord->held, [&names](uint16_t code, unsigned short prefix) {
        char name[16];
        formatText(name, " %s%02X", (prefix & KeyStateE0) != 0 ? "E0 " : "",
                   static_cast<unsigned>(code));
        names += name;
    });
    char text[NoticeSize];
    formatText(text,
               "at the end Windows had not surely taken the breaks of%s: the guard goes "
               "on sending them",
               names.c_str());
    noteInLog(text);
}

} // namespace

void updateController() {
    watchTheGuard();
    watchTheFirewallsQuestion();
    // Breaks the system refused go again until it takes them.
    if (retryOwedBreaks() > 0) {
        requestPassIn(OwedBreakRetryMs);
    }
    watchTheGame();
    followTheGame();
    updateOverlay();
    takeWindowMenuChoice();
    if (controllerMode == AssignKeys) {
        offerThePhone();
        if (assignKeys()) {
            saveAssignedKeys();
            writeStartLog();
        }
    } else if (controllerMode == Play && !watchMenuButton()) {
        updatePlayMode();
    }
    if (controllerMode == MenuOpen) {
        updateMenu();
    }
    startEditorWhenAsked();
    if (controllerMode == EditLayout) {
        updateEditor();
    }
}

void releaseController() {
    releaseHeldKeys();
    // The system cut input off (a lock, a switch of the desktop, sleep): the
    // breaks taken as it did may have gone nowhere.
    inputChangedHands();
    restoreAccessibilityHotkeys();
}

void inputBackToController() {
    inputMayReachTheGameAgain();
    requestPassIn(0);
}

void leaveController() {
    // No key may stay pressed in the system once the controller is gone, and
    // the mouse button counts as released: the keys go up first, before
    // anything that may take its time (the phone's server stopping).
    dropMouseFinger();
    releaseHeldKeys();
    restoreAccessibilityHotkeys();
    cancelKeyAssignment();
    stopRemoteController();
    saveScreenAtExit();
    deleteControllerObjects();
    closeKeyboardOutput();
    sayKeysLeftToTheGuard();
}
