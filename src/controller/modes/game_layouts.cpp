#include "controller/modes/game_layouts.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "base/platform.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/remembered.h"
#include "controller/settings/settings_store.h"
#include "engine/engine.h"
#include "keyout/system_input.h"

#include <cstring>
#include <vector>

namespace {

struct Following {
    std::vector<Layout> layouts; // from the layouts folder, each naming a game
    Layout players = defaultLayout();
    KeySet playersKeys = {}; // the keys the player had when a game took over
    bool onGameLayout = false;
    uint32_t changesHeard = 0;
    bool heardOnce = false;
    uint32_t lookedMs = 0; // when the program in front was last asked for
    bool pending = false;  // a change heard that play has not acted on
    char inFront[GameNameSize] = "";
    char lastInFront[GameNameSize] = "";
};

Following following;

// The layout for a program: the player's own when it names it, else the
// first of the folder's.
const Layout* layoutFor(const char* program) {
    if (layoutIsFor(following.players, program)) {
        return &following.players;
    }
    for (const Layout& layout : following.layouts) {
        if (layoutIsFor(layout, program)) {
            return &layout;
        }
    }
    return nullptr;
}

void say(const char* text) {
    formatText(layoutNotice, "%s", text);
    noteInLog(text);
}

void takeGameLayout(const Layout& layout, const char* program) {
    if (!following.onGameLayout) {
        following.playersKeys = currentKeys();
    }
    const KeySet* saved = savedKeysFor(layout);
    playLayout(layout, saved != nullptr ? *saved : layoutKeys(layout));
    following.onGameLayout = true;
    char text[NoticeSize];
    formatText(text, "layout %s for %s, which is in front", layout.name, program);
    say(text);
}

void backToPlayers(const char* program) {
    following.onGameLayout = false;
    // Keys that do not fit it leave its own (--keys of another layout).
    const Layout& players = following.players;
    playLayout(players, following.playersKeys);
    char text[NoticeSize];
    formatText(text, "layout %s again: %s is in front", players.name, program);
    say(text);
}

// The program in front, asked for at each change of the foreground heard
// and every FollowLookMs besides: a change whose event never came (a
// system that refused the watch, or does not send it for every window) is
// seen within that time.
void hearForeground() {
    const uint32_t now = platform.timeMs();
    // Looked for only while a layout follows a game: otherwise the program
    // sleeps until something happens.
    const bool looking = !following.layouts.empty() || following.players.gameCount > 0;
    const bool lookDue = looking && now - following.lookedMs >= FollowLookMs;
    if (looking) {
        requestPassBy((lookDue ? now : following.lookedMs) + FollowLookMs);
    }
    if (lookDue) {
        following.lookedMs = now;
        // A change found is heard as its event would be, by the keys too.
        lookAtForeground();
    }
    const uint32_t changes = foregroundChangeCount();
    if (following.heardOnce && changes == following.changesHeard) {
        return;
    }
    following.heardOnce = true;
    following.changesHeard = changes;
    following.lookedMs = now; // heard: as good as a look
    char program[GameNameSize] = "";
    programInFront(program, sizeof program);
    std::memcpy(following.inFront, program, sizeof program);
    if (program[0] != '\0') {
        std::memcpy(following.lastInFront, program, sizeof program);
        following.pending = true;
    }
}

} // namespace

void loadGameLayouts() {
    following.layouts.clear();
    settingsStore.eachSavedLayout(
        [](const char* path, void*) {
            Layout layout;
            char problem[LayoutPathSize + 200];
            if (!readLayout(path, true, layout, problem, sizeof problem)) {
                noteInLog(problem);
            } else if (layout.gameCount > 0 &&
                       std::strcmp(layout.name, following.players.name) != 0 &&
                       following.layouts.size() < static_cast<size_t>(MaxSavedLayoutFiles)) {
                following.layouts.push_back(layout);
            }
        },
        nullptr);
}

void setPlayersLayout(const Layout& layout) {
    following.players = layout;
    following.onGameLayout = false;
    // A layout of the same name in the folder is this one, as it was saved
    // before: the player's own stands for it.
    std::erase_if(following.layouts, [&layout](const Layout& other) {
        return std::strcmp(other.name, layout.name) == 0;
    });
}

void followTheGame() {
    hearForeground();
    if (!following.pending || controllerMode != Play) {
        return;
    }
    following.pending = false;
    const char* program = following.inFront;
    if (program[0] == '\0') {
        return;
    }
    const Layout* wanted = layoutFor(program);
    if (wanted == nullptr || wanted == &following.players) {
        if (following.onGameLayout) {
            backToPlayers(program);
        }
        return;
    }
    if (following.onGameLayout && std::strcmp(wanted->name, controllerLayout.name) == 0) {
        return;
    }
    takeGameLayout(*wanted, program);
}

const char* lastProgramInFront() {
    return following.lastInFront;
}

int32_t gameLayoutCount() {
    return static_cast<int32_t>(following.layouts.size());
}

void resetGameLayouts() {
    following = Following{};
}
