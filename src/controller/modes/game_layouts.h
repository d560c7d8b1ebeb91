// Layouts that follow the game: a layout that names programs (its game
// lines) comes up when a window of one of them comes to the foreground, with
// its keys, and the player's own choice comes back when the game leaves.
// Nothing here takes the foreground: it is only watched.
#pragma once

#include "controller/layouts/layout.h"

#include <cstdint>

// How often the program in front is asked for besides its changes heard.
constexpr uint32_t FollowLookMs = 500;

// Reads the layout files kept in the layouts folder; those that name a
// program follow it. A file that cannot be used is named in the log and
// left out.
void loadGameLayouts();
// The layout the player chose (the start's, the editor's): the one that
// comes back when a game leaves, and that follows its own game lines.
void setPlayersLayout(const Layout& layout);
// Each pass: the program in front picks the layout: asked for at each change
// of the foreground heard, and every FollowLookMs. Only
// while playing; a change heard meanwhile is acted on once play resumes.
// A window of Padrelle's own, or one whose program cannot be told, changes
// nothing.
void followTheGame();
// The program whose window was last in front other than Padrelle's own
// ("" when none was seen): the one the editor offers.
const char* lastProgramInFront();
// How many layouts follow a game now.
int32_t gameLayoutCount();

void resetGameLayouts();
