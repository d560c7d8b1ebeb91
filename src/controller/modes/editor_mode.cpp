#include "controller/modes/editor_mode.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "controller/layouts/free_place.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/game_layouts.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/remembered.h"
#include "controller/settings/settings_store.h"
#include "engine/engine.h"
#include "engine/window_proc.h"
#include "keyout/key_keeper.h"
#include "keyout/key_taker.h"
#include "keyout/keyboard_output.h"
#include "touch/button_tap.h"
#include "touch/touch_table.h"

#include <algorithm>
#include <cstring>
#include <vector>

EditorState editor;
uint64_t editorVersion = 0;

namespace {

constexpr int32_t ButtonWidth = 80;
constexpr int32_t ButtonHeight = 40;
constexpr int32_t FrameHeight = 720;
constexpr int32_t LineStep = 20;

constexpr const char* ButtonTexts[EditorButtonCount] = {
    "+PAD",  "+DISC", "DELETE", "UNDO", "REDO",   "GRID", "KEY",  "LOOK",
    "LABEL", "FIT",   "GAME",   "NAME", "PRESET", "BAR",  "SAVE", "LEAVE"};

enum class Awaiting : int32_t { Nothing, Key, Label, Name };

struct Session {
    Layout original = {};
    KeySet originalKeys = {};
    std::vector<Rect> barPlaces; // the bar's places, the freest first
    int32_t barPlace = 0;
    int32_t dragFinger = -1;
    uint32_t ignored = 0; // fingers down when editing began, until they lift
    ButtonTap tap = {};
    Awaiting awaiting = Awaiting::Nothing;
    int32_t keyStep = 0;            // a disc's clockwise key, then its counter-clockwise one
    char text[LayoutNameSize] = ""; // a label or a name as it is typed
    char prompt[96] = "";
    int32_t nextPreset = 0;
    bool pending = false; // the editor asked for before play could begin
    bool pendingFromLayout = false;
    Layout pendingLayout = {};
};

Session session;

// The layout as it is written, with these keys in its controls.
Layout withKeys(Layout layout, const KeySet& keys) {
    if (keys.count != layoutKeyCount(layout)) {
        return layout;
    }
    for (int32_t i = 0; i < layout.padCount; ++i) {
        layout.pads[i].key = keys.keys[i];
    }
    for (int32_t d = 0; d < layout.discCount; ++d) {
        layout.discs[d].keys[0] = keys.keys[layout.padCount + 2 * d];
        layout.discs[d].keys[1] = keys.keys[layout.padCount + 2 * d + 1];
    }
    return layout;
}

// A built-in layout's name is not the file's: the player's own is offered.
void offerName(Layout& layout) {
    if (presetNamed(layout.name) == nullptr) {
        return;
    }
    char name[LayoutNameSize];
    formatText(name, "%.26s-own", layout.name);
    std::memcpy(layout.name, name, sizeof name);
}

Rect barBox() {
    if (session.barPlaces.empty()) {
        return Rect{0, 0, ButtonHeight, ButtonWidth * EditorButtonCount};
    }
    return session.barPlaces[static_cast<size_t>(session.barPlace) % session.barPlaces.size()];
}

bool onBar(int32_t x, int32_t y) {
    const Rect bar = barBox();
    return y >= bar.top && y < bar.bottom && x >= bar.left && x < bar.right;
}

int32_t buttonAt(int32_t x, int32_t y) {
    if (!onBar(x, y)) {
        return -1;
    }
    const Rect bar = barBox();
    const int32_t columns = (bar.right - bar.left) / ButtonWidth;
    return (y - bar.top) / ButtonHeight * columns + (x - bar.left) / ButtonWidth;
}

// The bar's places: one row along the top or the bottom, or two, four or
// eight rows in a corner or the middle of an edge; the freest of controls
// first (the area of controls under it), so that it hides the least.
std::vector<Rect> barPlaces(const Layout& layout) {
    std::vector<Rect> places;
    for (const int32_t columns : {16, 8, 4, 2}) {
        const std::vector<Rect> edge =
            edgePlaces(columns * ButtonWidth, EditorButtonCount / columns * ButtonHeight, 0);
        places.insert(places.end(), edge.begin(), edge.end());
    }
    return byCover(layout, places);
}

void changed() {
    ++editorVersion;
}

// The layout being made is on the screen, as the fingers would press it.
void show() {
    if (!sameLayout(editor.layout, playedLayout)) {
        playLayout(editor.layout, layoutKeys(editor.layout));
        changed();
    }
}

// The capture of the last keys awaited, left armed until the keys it kept
// are up (their ups are kept too: none reaches the game), at most
// TakerForgetMs; at once when the editor ends.
struct Closing {
    bool pending = false;
    uint32_t sinceMs = 0;
};
Closing closing;

void closeCapture(bool now) {
    if (!closing.pending) {
        return;
    }
    CapturedKey ignored = {};
    const bool waited = platform.timeMs() - closing.sinceMs >= TakerForgetMs;
    if (!now && !waited && keptKeysDown() > 0) {
        while (keyOutput.pollCapture(&ignored) == CaptureTaken) {
        }
        requestPassIn(keyOutput.capturePollMs > 0 ? keyOutput.capturePollMs : TakerForgetMs);
        return;
    }
    closing.pending = false;
    keyOutput.disarmCapture();
}

void stopAwaiting() {
    if (session.awaiting != Awaiting::Nothing) {
        // Keys typed from now on go on as usual.
        keepTypedKeys(false);
        closing = Closing{true, platform.timeMs()};
        closeCapture(false);
        session.awaiting = Awaiting::Nothing;
        session.prompt[0] = '\0';
        changed();
    }
}

void awaitKeys(Awaiting what) {
    session.awaiting = what;
    session.keyStep = 0;
    session.text[0] = '\0';
    // What is typed goes to the editor alone, over the game too.
    keepTypedKeys(true);
    closing.pending = false; // the capture still armed serves again
    keyOutput.armCapture();
    changed();
}

void promptForKey() {
    const int32_t pads = editor.layout.padCount;
    if (editor.selected < pads) {
        formatText(session.prompt, "PRESS THE KEY FOR PAD %d", static_cast<int>(editor.selected));
    } else {
        formatText(session.prompt, "PRESS THE KEY FOR DISC %d %s",
                   static_cast<int>(editor.selected - pads),
                   session.keyStep == 0 ? "CLOCKWISE" : "COUNTER-CLOCKWISE");
    }
}

void promptForText() {
    formatText(session.prompt, "TYPE THE %s: %s_  (RETURN TAKES IT, ESC LEAVES IT)",
               session.awaiting == Awaiting::Label ? "LABEL" : "NAME", session.text);
}

// The character a key types into a label or a name: letters, digits, '-';
// the space bar gives '_'. 0 for any other key.
char typed(const CapturedKey& key, bool upper) {
    static constexpr const char* Rows[] = {"1234567890-", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static constexpr uint16_t Starts[] = {0x02, 0x10, 0x1E, 0x2C};
    if (key.prefix != 0) {
        return 0;
    }
    if (key.code == 0x39) {
        return '_';
    }
    for (size_t row = 0; row < std::size(Rows); ++row) {
        const size_t at = static_cast<size_t>(key.code) - Starts[row];
        if (key.code >= Starts[row] && at < std::strlen(Rows[row])) {
            const char c = Rows[row][at];
            return upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return 0;
}

constexpr uint16_t KeyReturn = 0x1C;
constexpr uint16_t KeyEscape = 0x01;
constexpr uint16_t KeyBackspace = 0x0E;

void takeText(const CapturedKey& key) {
    const bool label = session.awaiting == Awaiting::Label;
    const size_t length = std::strlen(session.text);
    if (key.code == KeyReturn) {
        const bool taken = label ? setLabel(editor, session.text) : setName(editor, session.text);
        if (taken) {
            stopAwaiting();
        }
        return;
    }
    if (key.code == KeyEscape && key.prefix == 0) {
        stopAwaiting();
        return;
    }
    if (key.code == KeyBackspace && key.prefix == 0) {
        if (length > 0) {
            session.text[length - 1] = '\0';
        }
    } else if (const char c = typed(key, label); c != '\0' && length + 1 < sizeof session.text) {
        session.text[length] = c;
        session.text[length + 1] = '\0';
    }
    promptForText();
}

void takeKey(const CapturedKey& key) {
    const AssignedKey assigned = {static_cast<uint8_t>(key.code & 0xFF),
                                  static_cast<uint16_t>(key.prefix & KeyPrefixMask)};
    setKey(editor, session.keyStep, assigned);
    const bool disc = editor.selected >= editor.layout.padCount;
    if (disc && session.keyStep == 0) {
        session.keyStep = 1;
        promptForKey();
        return;
    }
    stopAwaiting();
}

// The keys pressed while a key or a text is awaited.
void pollKeys() {
    while (session.awaiting != Awaiting::Nothing) {
        CapturedKey key = {false, 0, 0};
        const CapturePoll poll = keyOutput.pollCapture(&key);
        if (poll == CapturePending) {
            if (keyOutput.capturePollMs > 0) {
                requestPassIn(keyOutput.capturePollMs);
            }
            return;
        }
        changed();
        if (poll != CaptureTaken || !key.captured) {
            formatText(editor.problem, "%s", "no key could be taken from the keyboard");
            stopAwaiting();
            return;
        }
        if (session.awaiting == Awaiting::Key) {
            takeKey(key);
        } else {
            takeText(key);
        }
    }
}

void startAwaitingKey() {
    if (editor.selected < 0) {
        formatText(editor.problem, "%s", "touch a control first");
        return;
    }
    awaitKeys(Awaiting::Key);
    promptForKey();
}

void startTyping(Awaiting what) {
    if (what == Awaiting::Label &&
        (editor.selected < 0 || editor.selected >= editor.layout.padCount)) {
        formatText(editor.problem, "%s", "touch a pad first");
        return;
    }
    awaitKeys(what);
    promptForText();
}

void nextPreset() {
    Layout preset = *presetLayout(session.nextPreset);
    session.nextPreset =
        presetLayout(session.nextPreset + 1) != nullptr ? session.nextPreset + 1 : 0;
    offerName(preset);
    replaceLayout(editor, preset);
}

void press(int32_t button) {
    const bool wasAwaiting = session.awaiting != Awaiting::Nothing;
    stopAwaiting();
    editor.problem[0] = '\0';
    switch (button) {
    case EditAddPad:
        addPad(editor);
        break;
    case EditAddDisc:
        addDisc(editor);
        break;
    case EditDelete:
        deleteSelected(editor);
        break;
    case EditUndo:
        undoEdit(editor);
        break;
    case EditRedo:
        redoEdit(editor);
        break;
    case EditGrid:
        editor.grid = !editor.grid;
        break;
    case EditKey:
        if (!wasAwaiting) {
            startAwaitingKey();
        }
        break;
    case EditLook:
        nextLook(editor);
        break;
    case EditLabel:
        startTyping(Awaiting::Label);
        break;
    case EditFit:
        toggleFit(editor);
        break;
    case EditGame:
        toggleGame(editor, lastProgramInFront());
        break;
    case EditName:
        startTyping(Awaiting::Name);
        break;
    case EditPreset:
        nextPreset();
        break;
    case EditBar:
        session.barPlace = (session.barPlace + 1) % static_cast<int32_t>(session.barPlaces.size());
        break;
    case EditSave:
        saveEditedLayout();
        break;
    case EditLeave:
        leaveEditor();
        break;
    default:
        break;
    }
    changed();
}

// A tap on a button of the bar acts. The drag's finger and one down when
// editing began tap nothing.
void tapBar() {
    const int32_t button = followTap(session.tap, buttonAt, [](int32_t finger) {
        return (session.ignored & (1u << finger)) == 0 && finger != session.dragFinger;
    });
    if (button >= 0) {
        press(button);
    }
}

// One finger at a time moves a control: the first to come down off the bar.
void followDragFinger() {
    if (session.dragFinger >= 0) {
        const TouchSlot& finger = fingerAt(session.dragFinger);
        if (finger.down != 0) {
            dragTo(editor, finger.x, finger.y);
        } else {
            endDrag(editor);
            session.dragFinger = -1;
        }
        changed();
        return;
    }
    for (int32_t i = 0; i < FingerCount; ++i) {
        const TouchSlot& finger = fingerAt(i);
        const bool ignored = (session.ignored & (1u << i)) != 0;
        if (finger.down == 0 || ignored || i == session.tap.finger || onBar(finger.x, finger.y)) {
            continue;
        }
        stopAwaiting();
        startDrag(editor, finger.x, finger.y);
        session.dragFinger = i;
        changed();
        return;
    }
}

void forgetLiftedFingers() {
    for (int32_t i = 0; i < FingerCount; ++i) {
        if (fingerAt(i).down == 0) {
            session.ignored &= ~(1u << i);
        }
    }
}

void backToPlay(const Layout& layout, const KeySet& keys) {
    stopAwaiting();
    closeCapture(true);
    if (session.dragFinger >= 0) {
        endDrag(editor);
    }
    // A finger still on the screen presses what it lies on, as in play.
    playLayout(layout, keys);
    controllerMode = Play;
    session = Session{};
    changed();
}

} // namespace

const char* editorButtonText(int32_t button) {
    if (button == EditGrid) {
        return editor.grid ? "GRID ON" : "GRID OFF";
    }
    return button >= 0 && button < EditorButtonCount ? ButtonTexts[button] : "";
}

Rect editorButtonBox(int32_t button) {
    const Rect bar = barBox();
    const int32_t columns = (bar.right - bar.left) / ButtonWidth;
    const int32_t top = bar.top + button / columns * ButtonHeight;
    const int32_t left = bar.left + button % columns * ButtonWidth;
    return Rect{top, left, top + ButtonHeight, left + ButtonWidth};
}

int32_t editorLineY(int32_t line) {
    // Over the bar when it lies in the lower half, else under it.
    const Rect bar = barBox();
    return bar.top > FrameHeight / 2 ? bar.top - 2 * LineStep + LineStep * line
                                     : bar.bottom + 4 + LineStep * line;
}

const char* editorPrompt() {
    return session.prompt;
}

void enterEditor(const Layout& from) {
    releaseHeldKeys();
    session = Session{};
    session.original = playedLayout;
    session.originalKeys = currentKeys();
    Layout start = sameLayout(from, playedLayout) ? withKeys(from, currentKeys()) : from;
    offerName(start);
    beginEditing(editor, start);
    session.barPlaces = barPlaces(start);
    for (int32_t i = 0; i < FingerCount; ++i) {
        if (fingerAt(i).down != 0) {
            session.ignored |= 1u << i;
        }
    }
    controllerMode = EditLayout;
    show();
    changed();
}

void updateEditor() {
    closeCapture(false);
    pollKeys();
    if (controllerMode != EditLayout) {
        return;
    }
    forgetLiftedFingers();
    tapBar();
    if (controllerMode != EditLayout) {
        return; // saved or left
    }
    followDragFinger();
    show();
}

void leaveEditor() {
    backToPlay(session.original, session.originalKeys);
}

bool saveEditedLayout() {
    const Layout layout = editor.layout;
    layoutProblem(layout, editor.problem, sizeof editor.problem);
    if (editor.problem[0] != '\0') {
        return false;
    }
    // Its keys are saved by its name: a built-in layout's would be shared.
    // A device's name is no file's (a file read with --edit may have one).
    if (presetNamed(layout.name) != nullptr || isDeviceName(layout.name)) {
        formatText(editor.problem, "%s", "choose another name: that one is taken");
        return false;
    }
    static char text[LayoutFileMaxBytes];
    const size_t length = writeLayoutFile(layout, text, sizeof text);
    char file[LayoutNameSize + 8];
    formatText(file, "%s.txt", layout.name);
    char path[LayoutPathSize];
    uint32_t error = 0;
    if (!settingsStore.saveLayout(file, text, length, path, sizeof path, &error)) {
        formatText(editor.problem, "the layout could not be saved in %s (Windows error %u)",
                   LayoutsPlace, static_cast<unsigned>(error));
        noteInLog(editor.problem);
        return false;
    }
    const KeySet keys = layoutKeys(layout);
    rememberLayoutFile(path, layout, keys);
    setPlayersLayout(layout);
    loadGameLayouts();
    backToPlay(layout, keys);
    char said[NoticeSize];
    formatText(said, "layout %s saved as %s", layout.name, path);
    formatText(layoutNotice, "%s", said);
    noteInLog(said);
    return true;
}

void askForEditor(const Layout* from) {
    session.pending = true;
    session.pendingFromLayout = from != nullptr;
    if (from != nullptr) {
        session.pendingLayout = *from;
    }
}

void startEditorWhenAsked() {
    if (editLayoutAsked != 0) {
        editLayoutAsked = controllerMode == AssignKeys ? 1 : 0;
        if (controllerMode == Play) {
            enterEditor(playedLayout);
        }
    }
    if (session.pending && controllerMode == Play) {
        const Layout from = session.pendingFromLayout ? session.pendingLayout : playedLayout;
        session.pending = false;
        enterEditor(from);
    }
}

void resetEditor() {
    keepTypedKeys(false);
    closing = Closing{};
    session = Session{};
    editor = EditorState{};
}
