#include "controller/layouts/layout_editor.h"

#include "base/format_text.h"
#include "controller/layouts/layout_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int32_t FrameWidth = 1280;
constexpr int32_t FrameHeight = 720;

// Keys a new control takes, the first the layout does not send yet: the
// letters' rows, then the digits.
constexpr uint8_t NewKeys[] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x1E, 0x1F, 0x20,
                               0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x10, 0x11, 0x12, 0x13,
                               0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x02, 0x03, 0x04, 0x05,
                               0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x1D, 0x2A, 0x36, 0x39};

// The looks a pad goes through: the key caps, then the colours the file
// names (its white and blue are the caps' names).
struct Look {
    PadLook look;
    uint32_t colour;
};

std::vector<Look> padLooks() {
    std::vector<Look> looks = {{LookWhite, 0}, {LookBlue, 0}};
    for (int32_t i = 0; namedColour(i) != nullptr; ++i) {
        const std::string_view name = namedColour(i)->name;
        if (name != "white" && name != "blue") {
            looks.push_back(Look{LookColour, namedColour(i)->value});
        }
    }
    return looks;
}

bool sends(const Layout& layout, uint8_t code) {
    for (const AssignedKey& key : layoutKeys(layout).keys) {
        if (key.code == code && key.prefix == 0) {
            return true;
        }
    }
    return false;
}

AssignedKey unusedKey(const Layout& layout) {
    for (const uint8_t code : NewKeys) {
        if (!sends(layout, code)) {
            return AssignedKey{code, 0};
        }
    }
    return AssignedKey{NewKeys[0], 0};
}

int32_t snap(int32_t value, int32_t step) {
    return static_cast<int32_t>(std::lround(static_cast<double>(value) / step)) * step;
}

bool inside(const ControlBox& box, int32_t x, int32_t y) {
    return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

// A control whose middle is off the frame cannot be reached by a finger.
bool onScreen(const Layout& layout, int32_t control) {
    const ControlBox box = frameBoxOf(layout, control);
    const int64_t x = (box.left + box.right) / 2;
    const int64_t y = (box.top + box.bottom) / 2;
    return x >= 0 && x <= FrameWidth && y >= 0 && y <= FrameHeight;
}

// What is wrong with the layout as it would be with this control there.
bool problemWith(const Layout& layout, int32_t control, char* problem, size_t size) {
    layoutProblem(layout, problem, size);
    if (problem[0] == '\0' && control >= 0 && !onScreen(layout, control)) {
        formatTextN(problem, size, "%s would lie off the screen",
                    control < layout.padCount ? "the pad" : "the disc");
    }
    return problem[0] != '\0';
}

// The layout becomes the candidate when it is good: undone as one step.
bool change(EditorState& editor, const Layout& candidate, int32_t control) {
    if (problemWith(candidate, control, editor.problem, sizeof editor.problem)) {
        return false;
    }
    if (sameLayout(candidate, editor.layout)) {
        return true;
    }
    editor.undo.push_back(editor.layout);
    if (editor.undo.size() > static_cast<size_t>(EditorUndoDepth)) {
        editor.undo.erase(editor.undo.begin());
    }
    editor.redo.clear();
    editor.layout = candidate;
    return true;
}

bool refuse(EditorState& editor, const char* why) {
    formatText(editor.problem, "%s", why);
    return false;
}

// A quick look for a free place: in the layout's bounds, apart in units and
// in the frame. The whole check comes after.
bool fitsQuickly(const Layout& layout, int32_t control) {
    char overlap[64];
    findOverlap(layout, overlap, sizeof overlap);
    if (overlap[0] != '\0' || !onScreen(layout, control)) {
        return false;
    }
    findOverlap(fittedToFrame(layout), overlap, sizeof overlap);
    return overlap[0] == '\0';
}

// The first free place on the grid, from the top left, for the control just
// added at the end of its kind; false when there is none.
template <typename Place> bool placeNew(Layout& layout, int32_t control, Place place) {
    const int32_t step = gridStep(layout);
    for (int32_t y = 0; y < layout.height; y += step) {
        for (int32_t x = 0; x < layout.width; x += step) {
            place(x, y);
            if (fitsQuickly(layout, control)) {
                return true;
            }
        }
    }
    return false;
}

// The control just added to the candidate goes to its first free place and
// is selected; refused with noRoom when there is none.
template <typename Place>
bool addAt(EditorState& editor, Layout& candidate, int32_t index, const char* noRoom, Place place) {
    if (!placeNew(candidate, index, place)) {
        return refuse(editor, noRoom);
    }
    if (!change(editor, candidate, index)) {
        return false;
    }
    editor.selected = index;
    return true;
}

bool selectedPad(const EditorState& editor) {
    return editor.selected >= 0 && editor.selected < editor.layout.padCount;
}

bool selectedDisc(const EditorState& editor) {
    return editor.selected >= editor.layout.padCount &&
           editor.selected < controlCount(editor.layout);
}

} // namespace

void beginEditing(EditorState& editor, const Layout& layout) {
    editor = EditorState{};
    editor.layout = layout;
}

int32_t controlCount(const Layout& layout) {
    return layout.padCount + layout.discCount;
}

ControlBox frameBoxOf(const Layout& layout, int32_t control) {
    const Layout fitted = fittedToFrame(layout);
    ControlBox box = control < fitted.padCount ? padBox(fitted.pads[control])
                                               : discBox(fitted.discs[control - fitted.padCount]);
    // A size turned inside out by a drag still gives a box.
    return ControlBox{std::min(box.left, box.right), std::min(box.top, box.bottom),
                      std::max(box.left, box.right), std::max(box.top, box.bottom)};
}

int32_t controlAt(const Layout& fitted, int32_t x, int32_t y) {
    for (int32_t i = 0; i < controlCount(fitted); ++i) {
        const ControlBox box = i < fitted.padCount ? padBox(fitted.pads[i])
                                                   : discBox(fitted.discs[i - fitted.padCount]);
        if (inside(box, x, y)) {
            return i;
        }
    }
    return -1;
}

ControlBox handleBox(const EditorState& editor) {
    if (editor.selected < 0 || editor.selected >= controlCount(editor.layout)) {
        return ControlBox{-1, -1, -2, -2}; // nowhere
    }
    const ControlBox box = frameBoxOf(editor.layout, editor.selected);
    const int64_t x = box.right;
    const int64_t y = selectedPad(editor) ? box.bottom : (box.top + box.bottom) / 2;
    return ControlBox{x - HandleSize / 2, y - HandleSize / 2, x + HandleSize / 2,
                      y + HandleSize / 2};
}

void startDrag(EditorState& editor, int32_t x, int32_t y) {
    editor.problem[0] = '\0';
    editor.refused = false;
    editor.before = editor.layout;
    editor.startX = x;
    editor.startY = y;
    editor.moved = false;
    if (inside(handleBox(editor), x, y)) {
        editor.drag = DragKind::Resize;
        return;
    }
    editor.selected = controlAt(fittedToFrame(editor.layout), x, y);
    editor.drag = editor.selected >= 0 ? DragKind::Move : DragKind::None;
}

void dragTo(EditorState& editor, int32_t x, int32_t y) {
    if (editor.drag == DragKind::None) {
        return;
    }
    // A tap that selects a control leaves it where it is, on the grid or not.
    editor.moved = editor.moved || std::abs(x - editor.startX) > DragDeadZone ||
                   std::abs(y - editor.startY) > DragDeadZone;
    if (!editor.moved) {
        return;
    }
    const Layout& before = editor.before;
    const FitScale fit = fitScale(before);
    const double du = (x - editor.startX) / fit.scaleX;
    const double dv = (y - editor.startY) / fit.scaleY;
    const int32_t step = editor.grid ? gridStep(before) : 1;
    // An axis the finger has not moved along keeps its place: a control
    // dragged up does not jump sideways onto the grid.
    const bool alongX = std::abs(x - editor.startX) > DragDeadZone;
    const bool alongY = std::abs(y - editor.startY) > DragDeadZone;
    const auto movedBy = [step](int32_t from, double by, bool along) {
        if (!along) {
            return from;
        }
        const double to = std::clamp(from + by, -1e7, 1e7);
        return snap(static_cast<int32_t>(std::lround(to)), step);
    };
    const auto moved = [&](int32_t from, double by) { return movedBy(from, by, alongX); };
    const auto movedY = [&](int32_t from, double by) { return movedBy(from, by, alongY); };
    Layout candidate = before;
    const bool resize = editor.drag == DragKind::Resize;
    if (editor.selected < before.padCount) {
        LayoutPad& pad = candidate.pads[editor.selected];
        const LayoutPad& was = before.pads[editor.selected];
        if (resize) {
            pad.width = moved(was.x + was.width, du) - was.x;
            pad.height = movedY(was.y + was.height, dv) - was.y;
        } else {
            pad.x = moved(was.x, du);
            pad.y = movedY(was.y, dv);
        }
    } else {
        LayoutDisc& disc = candidate.discs[editor.selected - before.padCount];
        const LayoutDisc& was = before.discs[editor.selected - before.padCount];
        if (resize) {
            disc.radius = moved(was.radius, du);
        } else {
            disc.x = moved(was.x, du);
            disc.y = movedY(was.y, dv);
        }
    }
    char problem[EditorProblemSize];
    if (problemWith(candidate, editor.selected, problem, sizeof problem)) {
        editor.refused = true;
        editor.refusedBox = frameBoxOf(candidate, editor.selected);
        formatText(editor.problem, "%s", problem);
        return;
    }
    editor.refused = false;
    editor.problem[0] = '\0';
    editor.layout = candidate;
}

void endDrag(EditorState& editor) {
    if (editor.drag == DragKind::None) {
        return;
    }
    editor.drag = DragKind::None;
    editor.refused = false;
    if (!sameLayout(editor.layout, editor.before)) {
        const Layout now = editor.layout;
        editor.layout = editor.before;
        change(editor, now, -1);
    }
}

bool addPad(EditorState& editor) {
    Layout candidate = editor.layout;
    if (candidate.padCount == MaxPads) {
        return refuse(editor, "a layout has at most 24 pads");
    }
    const int32_t index = candidate.padCount++;
    LayoutPad& pad = candidate.pads[index];
    pad = LayoutPad{
        0, 0,  std::max(1, candidate.width / 10), std::max(1, candidate.height / 6), LookWhite,
        0, {}, unusedKey(editor.layout)};
    return addAt(editor, candidate, index, "there is no room for another pad",
                 [&pad](int32_t x, int32_t y) {
                     pad.x = x;
                     pad.y = y;
                 });
}

bool addDisc(EditorState& editor) {
    Layout candidate = editor.layout;
    if (candidate.discCount == MaxDiscs) {
        return refuse(editor, "a layout has at most 2 discs");
    }
    LayoutDisc& disc = candidate.discs[candidate.discCount++];
    const int32_t radius = std::max(10, std::min(candidate.width, candidate.height) / 8);
    const AssignedKey first = unusedKey(editor.layout);
    disc = LayoutDisc{0, 0, radius, 0.05, {first, first}};
    disc.keys[1] = unusedKey(candidate);
    const int32_t index = controlCount(candidate) - 1;
    return addAt(editor, candidate, index, "there is no room for another disc",
                 [&disc, radius](int32_t x, int32_t y) {
                     disc.x = x + radius;
                     disc.y = y + radius;
                 });
}

bool deleteSelected(EditorState& editor) {
    if (editor.selected < 0 || editor.selected >= controlCount(editor.layout)) {
        return refuse(editor, "touch a control first");
    }
    if (controlCount(editor.layout) == 1) {
        return refuse(editor, "a layout needs a pad or a disc");
    }
    Layout candidate = editor.layout;
    if (selectedPad(editor)) {
        std::copy(candidate.pads + editor.selected + 1, candidate.pads + candidate.padCount,
                  candidate.pads + editor.selected);
        candidate.pads[--candidate.padCount] = LayoutPad{};
    } else {
        const int32_t d = editor.selected - candidate.padCount;
        std::copy(candidate.discs + d + 1, candidate.discs + candidate.discCount,
                  candidate.discs + d);
        candidate.discs[--candidate.discCount] = LayoutDisc{};
    }
    if (!change(editor, candidate, -1)) {
        return false;
    }
    editor.selected = -1;
    return true;
}

namespace {

bool step(EditorState& editor, std::vector<Layout>& from, std::vector<Layout>& to,
          const char* none) {
    if (from.empty()) {
        return refuse(editor, none);
    }
    to.push_back(editor.layout);
    editor.layout = from.back();
    from.pop_back();
    editor.problem[0] = '\0';
    if (editor.selected >= controlCount(editor.layout)) {
        editor.selected = -1;
    }
    return true;
}

} // namespace

bool undoEdit(EditorState& editor) {
    return step(editor, editor.undo, editor.redo, "nothing to undo");
}

bool redoEdit(EditorState& editor) {
    return step(editor, editor.redo, editor.undo, "nothing to redo");
}

bool nextLook(EditorState& editor) {
    if (!selectedPad(editor)) {
        return refuse(editor, "touch a pad first");
    }
    Layout candidate = editor.layout;
    LayoutPad& pad = candidate.pads[editor.selected];
    static const std::vector<Look> looks = padLooks();
    size_t at = 0;
    while (at < looks.size() && !(looks[at].look == pad.look &&
                                  (pad.look != LookColour || looks[at].colour == pad.colour))) {
        ++at;
    }
    const Look& next = looks[at < looks.size() ? (at + 1) % looks.size() : 0];
    pad.look = next.look;
    pad.colour = next.colour;
    return change(editor, candidate, -1);
}

bool toggleFit(EditorState& editor) {
    Layout candidate = editor.layout;
    candidate.keepProportions = !candidate.keepProportions;
    return change(editor, candidate, -1);
}

bool toggleGame(EditorState& editor, const char* program) {
    if (program == nullptr || !isGameName(program)) {
        return refuse(editor, "no other program's window has been in front yet");
    }
    Layout candidate = editor.layout;
    int32_t kept = 0;
    for (int32_t i = 0; i < candidate.gameCount; ++i) {
        if (!sameProgramName(candidate.games[i], program)) {
            std::memcpy(candidate.games[kept++], candidate.games[i], GameNameSize);
        }
    }
    if (kept == candidate.gameCount) {
        if (kept == MaxGames) {
            return refuse(editor, "a layout names at most 8 programs");
        }
        formatText(candidate.games[kept++], "%s", program);
    }
    for (int32_t i = kept; i < MaxGames; ++i) {
        std::memset(candidate.games[i], 0, GameNameSize);
    }
    candidate.gameCount = kept;
    return change(editor, candidate, -1);
}

bool setKey(EditorState& editor, int32_t which, const AssignedKey& key) {
    Layout candidate = editor.layout;
    if (selectedPad(editor)) {
        candidate.pads[editor.selected].key = key;
    } else if (selectedDisc(editor) && (which == 0 || which == 1)) {
        candidate.discs[editor.selected - candidate.padCount].keys[which] = key;
    } else {
        return refuse(editor, "touch a control first");
    }
    return change(editor, candidate, -1);
}

bool setLabel(EditorState& editor, const char* label) {
    if (!selectedPad(editor)) {
        return refuse(editor, "touch a pad first");
    }
    const std::string_view text(label);
    if (text.size() >= static_cast<size_t>(PadLabelSize) ||
        text.find_first_of(" \t#") != std::string_view::npos) {
        return refuse(editor, "a label is one word of at most 15 characters, without #");
    }
    Layout candidate = editor.layout;
    LayoutPad& pad = candidate.pads[editor.selected];
    std::memset(pad.label, 0, sizeof pad.label);
    std::memcpy(pad.label, text.data(), text.size());
    return change(editor, candidate, -1);
}

bool isDeviceName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") {
        return true;
    }
    return upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
           upper[3] >= '0' && upper[3] <= '9';
}

bool setName(EditorState& editor, const char* name) {
    if (!isLayoutName(name)) {
        return refuse(editor, "a name is 1 to 31 letters, digits, - or _");
    }
    if (isDeviceName(name)) {
        return refuse(editor, "Windows keeps that name for a device: choose another");
    }
    if (presetNamed(name) != nullptr) {
        return refuse(editor, "that name is a built-in layout's: choose another");
    }
    Layout candidate = editor.layout;
    formatText(candidate.name, "%s", name);
    return change(editor, candidate, -1);
}

bool replaceLayout(EditorState& editor, const Layout& layout) {
    if (!change(editor, layout, -1)) {
        return false;
    }
    editor.selected = -1;
    return true;
}

int32_t gridStep(const Layout& layout) {
    return std::max(1, std::min(layout.width, layout.height) / 36);
}

void layoutProblem(const Layout& layout, char* problem, size_t size) {
    static char text[LayoutFileMaxBytes];
    const size_t length = writeLayoutFile(layout, text, sizeof text);
    Layout read;
    char said[EditorProblemSize + 16] = "";
    if (length == 0) {
        formatTextN(problem, size, "%s", "the layout is too long for its file");
        return;
    }
    if (!parseLayoutFile(std::string_view(text, length), read, said, sizeof said)) {
        // "line 7: pads 2 and 3 overlap": the line means nothing on the screen.
        const char* reason = std::strstr(said, ": ");
        formatTextN(problem, size, "%s", reason != nullptr ? reason + 2 : said);
        return;
    }
    if (!sameLayout(read, layout)) {
        formatTextN(problem, size, "%s", "the layout would not be read back the same");
        return;
    }
    if (size > 0) {
        problem[0] = '\0';
    }
}

bool sameLayout(const Layout& a, const Layout& b) {
    static char first[LayoutFileMaxBytes];
    static char second[LayoutFileMaxBytes];
    const size_t lengthA = writeLayoutFile(a, first, sizeof first);
    const size_t lengthB = writeLayoutFile(b, second, sizeof second);
    return lengthA == lengthB && std::memcmp(first, second, lengthA) == 0;
}
