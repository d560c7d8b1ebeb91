#include "controller/modes/overlay.h"

#include "base/format_text.h"
#include "base/logical_scale.h"
#include "base/pass_requests.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remembered.h"
#include "controller/settings/saved_settings.h"
#include "engine/engine.h"
#include "engine/shape_bands.h"
#include "engine/window_modes.h"
#include "engine/window_proc.h"
#include "keyout/system_input.h"
#include "touch/button_tap.h"
#include "touch/touch_table.h"

#include <algorithm>

OverlayState overlayState;

namespace {

// The panel: MENU, a label and four buttons in a row, big enough for a
// finger.
constexpr int32_t PanelMargin = 8;
constexpr int32_t CellWidth = 64;
constexpr int32_t CellHeight = 48;
constexpr int32_t CellGap = 4;
constexpr int32_t CellCount = 1 + OverlayButtonCount;
constexpr int32_t PanelWidth = CellCount * CellWidth + (CellCount - 1) * CellGap;
// The key assignment's prompt and its buttons, and the phone's code under
// them, while keys are asked for.
constexpr Rect AssignmentBox = {186, 200, 500, 1080};
constexpr const char* ExclusiveNotice =
    "the game holds the screen in exclusive full screen: no window can lie over it, and the "
    "controller stands aside (hidden) until it lets go; choose borderless or windowed full "
    "screen in its settings";
constexpr const char* CoverNotice =
    "another program's window lies over the controller and Windows keeps Padrelle under it "
    "(it takes the touches): close or move that window, or turn off its always-on-top";

struct Overlay {
    Rect panel = {};
    bool upright = false; // the cells one above the other
    ButtonTap tap = {};
    // What the window's place and shape were made for: the monitor, the
    // window's place on the screen, the prompt, the controls.
    bool shaped = false;
    WinRect shapedMonitor = {};
    WinRect shapedWindow = {};
    bool shapedAssigning = false;
    bool shapedEditing = false;
    uint64_t shapedObjects = 0;
    bool shapedNotice = false;
    bool foregroundChecked = false;
    uint32_t foregroundSeen = 0;
    bool looked = false;
    uint32_t lookedMs = 0;
    bool exclusiveSaid = false;
    // Hidden while a game holds the screen in exclusive full screen: it
    // could not be seen, and would still take touches on its pads.
    bool aside = false;
    int32_t fingersSeen = 0; // fingers down at the last look
    // Since when its raises have been refused, if they are.
    bool raiseRefused = false;
    uint32_t raiseRefusedMs = 0;
};

Overlay state;

// Upright, a little lower: it fits between the default layout's right-hand
// pads.
constexpr int32_t UprightCellHeight = 45;
constexpr int32_t PanelHeight = CellCount * UprightCellHeight + (CellCount - 1) * CellGap;

Rect panelInCorner(int32_t corner) {
    const bool right = corner == 0 || corner == 2;
    const bool top = corner < 2;
    const int32_t left = right ? LogicalWidth - PanelMargin - PanelWidth : PanelMargin;
    const int32_t y = top ? PanelMargin : LogicalHeight - PanelMargin - CellHeight;
    return Rect{y, left, y + CellHeight, left + PanelWidth};
}

// Upright along the right or the left edge, from the top down.
Rect panelOnEdge(bool right, int32_t y) {
    const int32_t left = right ? LogicalWidth - PanelMargin - CellWidth : PanelMargin;
    return Rect{y, left, y + PanelHeight, left + CellWidth};
}

ControlBox boxOf(const Rect& r) {
    return ControlBox{r.left, r.top, r.right, r.bottom};
}

// Apart by at least one unit, as the layout's controls are from each other.
bool clearOfControls(const Rect& panel, const Layout& fitted) {
    for (int32_t i = 0; i < fitted.padCount; ++i) {
        if (overlap(boxOf(panel), padBox(fitted.pads[i]))) {
            return false;
        }
    }
    for (int32_t i = 0; i < fitted.discCount; ++i) {
        if (overlap(boxOf(panel), discBox(fitted.discs[i]))) {
            return false;
        }
    }
    return true;
}

Rect cell(int32_t index) {
    if (state.upright) {
        const int32_t top = state.panel.top + index * (UprightCellHeight + CellGap);
        return Rect{top, state.panel.left, top + UprightCellHeight, state.panel.right};
    }
    const int32_t left = state.panel.left + index * (CellWidth + CellGap);
    return Rect{state.panel.top, left, state.panel.bottom, left + CellWidth};
}

// The client pixels, first and one past the last, whose place in the frame
// (offset into a view of that size, scaled as every touch is) lies from lo
// to hi: the scaling only grows, so the ends are found by halving.
struct Span {
    int32_t first;
    int32_t end;
};

int32_t firstReaching(int64_t value, int32_t size, int32_t logical) {
    int32_t low = 0;
    int32_t high = size;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (scaleToLogical(middle, size, logical) >= value) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

Span clientSpan(int64_t lo, int64_t hi, int32_t offset, int32_t size, int32_t logical) {
    return Span{offset + firstReaching(lo, size, logical),
                offset + firstReaching(hi + 1, size, logical)};
}

void addBox(const FrameView& view, const ControlBox& box, std::vector<WinRect>& boxes) {
    const Span xs = clientSpan(box.left, box.right, view.x, view.width, LogicalWidth);
    const Span ys = clientSpan(box.top, box.bottom, view.y, view.height, LogicalHeight);
    if (xs.first < xs.end && ys.first < ys.end) {
        boxes.push_back(WinRect{xs.first, ys.first, xs.end, ys.end});
    }
}

// The buttons a tap acts on: MENU is held instead.
int32_t buttonAt(int32_t x, int32_t y) {
    for (int32_t b = 0; b < OverlayMenu; ++b) {
        if (pointInRect(x, y, overlayButtonBox(b))) {
            return b;
        }
    }
    return -1;
}

void press(int32_t button) {
    if (button == OverlayLess) {
        changeOverlayOpacity(-OverlayOpacityStep);
    } else if (button == OverlayMore) {
        changeOverlayOpacity(OverlayOpacityStep);
    } else if (button == OverlayLeave) {
        leaveOverlay();
    } else if (button == OverlayEdit) {
        editLayoutAsked = 1; // as the window menu does, which cannot be reached here
    }
}

// A tap on a button of the panel acts.
void tapPanel() {
    const int32_t button = followTap(state.tap, buttonAt);
    if (button >= 0) {
        press(button);
    }
}

bool sameRect(const WinRect& a, const WinRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The window covers only the box its controls need on its monitor (a band
// along the bottom for the overlay presets), not the whole monitor: a
// window over a game in borderless full screen makes Windows compose the
// game's frames, and the less of the screen it covers the better. The frame
// lies on the whole monitor all the same; the window is the part of it its
// controls are in, and its shape their boxes.
void reshape() {
    WinRect window = {};
    MonitorArea monitor = {};
    if (!platform.windowRect(mainWindow, &window) || !platform.monitorRect(&window, &monitor)) {
        return;
    }
    const WinRect& whole = monitor.whole;
    const int32_t width = whole.right - whole.left;
    const int32_t height = whole.bottom - whole.top;
    const bool assigning = controllerMode == AssignKeys;
    // The editor moves controls anywhere on the monitor: it takes all of it,
    // as the menu does.
    const bool editing = controllerMode == EditLayout || controllerMode == MenuOpen;
    const bool notice = coverNotice[0] != '\0';
    if (state.shaped && sameRect(whole, state.shapedMonitor) &&
        sameRect(window, state.shapedWindow) && assigning == state.shapedAssigning &&
        editing == state.shapedEditing && controllerObjectsVersion == state.shapedObjects &&
        notice == state.shapedNotice) {
        return;
    }
    std::vector<WinRect> boxes;
    setFrameSpace(nullptr);
    if (editing) {
        boxes.assign(1, WinRect{0, 0, width, height});
    } else {
        overlayShape(controllerLayout, assigning, width, height, boxes);
    }
    WinRect band = {width, height, 0, 0};
    for (const WinRect& box : boxes) {
        band = {std::min(band.left, std::max(box.left, 0)),
                std::min(band.top, std::max(box.top, 0)),
                std::max(band.right, std::min(box.right, width)),
                std::max(band.bottom, std::min(box.bottom, height))};
    }
    if (band.right <= band.left || band.bottom <= band.top) {
        band = {0, 0, width, height};
    }
    const FrameSpace space = {band.left, band.top, width, height};
    setFrameSpace(&space);
    for (WinRect& box : boxes) {
        box = {box.left - band.left, box.top - band.top, box.right - band.left,
               box.bottom - band.top};
    }
    const WinRect placed = {whole.left + band.left, whole.top + band.top, whole.left + band.right,
                            whole.top + band.bottom};
    placeOverlay(mainWindow, placed);
    state.shaped =
        platform.setWindowShape(mainWindow, boxes.data(), static_cast<int32_t>(boxes.size()));
    state.shapedMonitor = whole;
    state.shapedWindow = placed;
    state.shapedAssigning = assigning;
    state.shapedEditing = editing;
    state.shapedObjects = controllerObjectsVersion;
    state.shapedNotice = notice;
}

// Fingers down on the controller now (touch and the mouse finger).
int32_t fingersDown() {
    int32_t down = 0;
    for (int32_t i = 0; i <= TouchSlotCount; ++i) {
        down += fingerAt(i).down != 0 ? 1 : 0;
    }
    return down;
}

// A raise refused since RaiseFailsSaidMs is said on the screen (over the
// game too: the shape takes the notice in) and once in the log; the notice
// goes when the overlay is on top again.
void noteRaise(bool refused, uint32_t now) {
    if (!refused) {
        state.raiseRefused = false;
        coverNotice[0] = '\0';
        return;
    }
    if (!state.raiseRefused) {
        state.raiseRefused = true;
        state.raiseRefusedMs = now;
    }
    if (now - state.raiseRefusedMs >= RaiseFailsSaidMs && coverNotice[0] == '\0') {
        formatText(coverNotice, "%s", CoverNotice);
        noteInLog(CoverNotice);
    }
}

// Back on top where another program's window came over it, never over the
// shell's own (the taskbar, Start). Windows may refuse a program without the
// foreground that (SetWindowPos's remarks): it is asked again at the next
// look, and at once after a finger came down on the overlay, which gives the
// program the last input event.
void keepOnTop(uint32_t now) {
    if (platform.windowAbove(mainWindow) != WindowAboveOther) {
        noteRaise(false, now);
        return;
    }
    keepOverlayOnTop(mainWindow);
    noteRaise(platform.windowAbove(mainWindow) == WindowAboveOther, now);
}

// A game in exclusive full screen hides every window over it: the overlay
// stands aside, and the log says so once a time it happens.
void watchExclusive() {
    const bool exclusive = platform.exclusiveFullScreen();
    if (exclusive && !state.exclusiveSaid) {
        noteInLog(ExclusiveNotice);
    }
    state.exclusiveSaid = exclusive;
    if (exclusive != state.aside) {
        standOverlayAside(mainWindow, exclusive);
        state.aside = exclusive;
    }
}

// At each change of the foreground heard and at each look: a game that
// holds the screen now (the one in front may turn exclusive without any
// change of the foreground), and another window over the overlay (a topmost
// one can raise itself without one); and at once after a finger came down.
void watchForeground() {
    const uint32_t now = platform.timeMs();
    const bool lookDue = !state.looked || now - state.lookedMs >= OverlayLookMs;
    if (lookDue) {
        state.looked = true;
        state.lookedMs = now;
        lookAtForeground(); // a change found is heard as its event would be
    }
    requestPassBy(state.lookedMs + OverlayLookMs);
    const uint32_t changes = foregroundChangeCount();
    const bool changed = !state.foregroundChecked || changes != state.foregroundSeen;
    state.foregroundChecked = true;
    state.foregroundSeen = changes;
    if (changed || lookDue) {
        watchExclusive();
    }
    const int32_t fingers = fingersDown();
    const bool touched = fingers > state.fingersSeen;
    state.fingersSeen = fingers;
    if (!state.aside && (changed || lookDue || touched)) {
        keepOnTop(now);
    }
}

} // namespace

void placeOverlayPanel(const Layout& fitted) {
    state.upright = false;
    // Beside the controls first, just above or below the box they take, to
    // the right and then to the left: the window need cover no more than
    // that box and the panel.
    ControlBox controls = {LogicalWidth, LogicalHeight, 0, 0};
    for (int32_t i = 0; i < fitted.padCount + fitted.discCount; ++i) {
        const ControlBox box = i < fitted.padCount ? padBox(fitted.pads[i])
                                                   : discBox(fitted.discs[i - fitted.padCount]);
        controls = {std::min(controls.left, box.left), std::min(controls.top, box.top),
                    std::max(controls.right, box.right), std::max(controls.bottom, box.bottom)};
    }
    const int64_t above = controls.top - PanelMargin - CellHeight;
    const int64_t below = controls.bottom + PanelMargin;
    for (const int64_t y : {above, below}) {
        if (y < PanelMargin || y + CellHeight > LogicalHeight - PanelMargin) {
            continue;
        }
        for (const int32_t corner : {0, 1}) {
            state.panel = panelInCorner(corner);
            state.panel.top = static_cast<int32_t>(y);
            state.panel.bottom = static_cast<int32_t>(y) + CellHeight;
            if (clearOfControls(state.panel, fitted)) {
                return;
            }
        }
    }
    for (int32_t corner = 0; corner < 4; ++corner) {
        state.panel = panelInCorner(corner);
        if (clearOfControls(state.panel, fitted)) {
            return;
        }
    }
    state.upright = true;
    for (const bool right : {true, false}) {
        for (int32_t y = PanelMargin; y + PanelHeight <= LogicalHeight - PanelMargin; y += 4) {
            state.panel = panelOnEdge(right, y);
            if (clearOfControls(state.panel, fitted)) {
                return;
            }
        }
    }
    state.upright = false;
    state.panel = panelInCorner(0);
}

Rect overlayPanelBox() {
    return state.panel;
}

Rect overlayLabelBox() {
    return cell(1);
}

Rect overlayButtonBox(int32_t button) {
    return cell(button == OverlayMenu ? 0 : 2 + button);
}

void overlayOpacityText(char* out, size_t size) {
    formatTextN(out, size, "%d%%", static_cast<int>(overlayState.opacity));
}

void overlayShape(const Layout& fitted, bool assigning, int32_t clientWidth, int32_t clientHeight,
                  std::vector<WinRect>& boxes) {
    boxes.clear();
    if (clientWidth <= 0 || clientHeight <= 0) {
        return;
    }
    const FrameView view = frameViewIn(clientWidth, clientHeight);
    for (int32_t i = 0; i < fitted.padCount; ++i) {
        addBox(view, padBox(fitted.pads[i]), boxes);
    }
    for (int32_t i = 0; i < fitted.discCount; ++i) {
        addBox(view, discBox(fitted.discs[i]), boxes);
    }
    addBox(view, boxOf(state.panel), boxes);
    if (assigning) {
        addBox(view, boxOf(AssignmentBox), boxes);
    }
    if (coverNotice[0] != '\0') {
        addBox(view, boxOf(firstNoticeBox(coverNotice)), boxes);
    }
    shapeBands(boxes);
}

void updateOverlay() {
    if (overlayAsked != 0) {
        overlayAsked = 0;
        enterOverlay();
    }
    if (!overlayState.on || mainWindow == nullptr) {
        return;
    }
    if (controllerMode != EditLayout && controllerMode != MenuOpen) {
        tapPanel();
    }
    if (!overlayState.on) {
        return;
    }
    watchForeground();
    reshape();
}

void leaveOverlay() {
    coverNotice[0] = '\0';
    setFrameSpace(nullptr);
    overlayState.on = false;
    state = Overlay{state.panel, state.upright};
    fullScreen = 0;
    if (mainWindow != nullptr) {
        leaveOverlayMode(mainWindow, LogicalWidth, LogicalHeight);
    }
}

void enterOverlay() {
    if (overlayState.on || mainWindow == nullptr) {
        return;
    }
    overlayState.on = true;
    if (overlayState.opacity == 0) {
        overlayState.opacity = OverlayOpacityDefault;
    }
    state = Overlay{state.panel, state.upright};
    fullScreen = 0;
    setOverlayModeHere(mainWindow, overlayState.opacity);
}

void changeOverlayOpacity(int32_t by) {
    overlayState.opacity =
        std::clamp(overlayState.opacity + by, OverlayOpacityMin, OverlayOpacityMax);
    if (overlayState.on) {
        const bool menu = controllerMode == MenuOpen;
        setOverlayOpacity(mainWindow, menu ? std::max(overlayState.opacity, MenuOpacityMin)
                                           : overlayState.opacity);
    }
}

void overlayMenuOpen(bool open) {
    if (overlayState.on && mainWindow != nullptr) {
        setOverlayOpacity(mainWindow, open ? std::max(overlayState.opacity, MenuOpacityMin)
                                           : overlayState.opacity);
    }
}

void resetOverlay() {
    overlayState = OverlayState{};
    state = Overlay{};
}
