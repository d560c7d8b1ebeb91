// What Padrelle remembers between runs (the keys, the monitor and the mode)
// and what it does with it at the start and the end of a run.
#pragma once

#include "controller/settings/launch_options.h"
#include "controller/settings/saved_settings.h"
#include "engine/window_modes.h"

// The command line of this run.
extern LaunchOptions launchOptions;

// Reads the saved file, unless --assign or --keys make it unneeded for the
// keys. A file that cannot be used is never used in part: the notice line
// says so, and it is replaced only by a complete new one.
void loadRememberedSettings();

// The layout of a name (a built-in one) or, failing that, of a file by its
// path; false with the problem in words.
bool readLayout(const char* nameOrPath, bool onlyFile, Layout& layout, char* problem,
                size_t problemSize);
// Takes the layout of this run: --layout, else the one saved, else the
// default. False, with the problem, when --layout names nothing usable or
// --keys does not fit it: said before any window opens. A saved layout that
// is gone gives the default with a notice.
bool chooseStartLayout(char* problem, size_t problemSize);
// Puts the keys of this run into the tables: --keys, else the saved ones
// unless --assign. True when play can begin at once.
bool useStartKeys();
// Where the window opens: the saved monitor in the saved mode while that
// monitor is there; otherwise the window centred on its own monitor.
StartScreen rememberedStartScreen();
// The keys saved for that layout, when they are as many as it asks for;
// else null.
const KeySet* savedKeysFor(const Layout& layout);
// The player saved a layout file (its whole path, as the layouts folder
// gives it) in the editor and plays it: it is the layout remembered from now
// on, with these keys, saved at once; when no more layouts' keys fit in the
// file, the screen says so and nothing changes.
void rememberLayoutFile(const char* path, const Layout& layout, const KeySet& keys);
// After a key assignment: the keys, with the screen now, saved.
void saveAssignedKeys();
// Whether this run serves the phone's controller page, and its pairing code:
// --remote, else the saved choice. A fresh code with --remote new or when
// none is saved. The choice and the code are saved beside the keys; so is
// how the phone's keys are timed (chooseRemoteDelay), whether or not the
// page is served.
bool chooseRemote(char* code, size_t size);
// How the phone's keys are timed: --remote-delay (saved as it is given),
// else the saved setting, else a delay that follows the network.
DelaySetting chooseRemoteDelay();
// The player changed it while Padrelle runs: saved beside the keys.
void saveRemoteDelay(const DelaySetting& setting);
// When the program ends: the screen, saved beside the saved keys.
void saveScreenAtExit();

// What the menu chooses is remembered as its command-line option is, saved
// at once (beside the keys, or before any when there is no file yet; a
// file that cannot be used is left as it is):
// the screen as it is now (window or full screen, the overlay, its opacity);
void rememberScreenNow();
// the opacity given, the overlay on or not;
void rememberOpacity(int32_t percent);
// the phone on or off, with the saved code or a fresh one: false, with the
// notice, when no code can be made; the code in code;
bool rememberRemote(bool on, bool fresh, char* code, size_t size);
// where the keys go;
void rememberOutput(OutputChoice choice);
// the player's layout: a built-in one's name, or a layout file's whole
// path; saved once its keys are (at once when they are already).
void rememberPlayersLayout(const char* nameOrPath, bool fromFile, const Layout& layout);
// The output of this run: --output, else the one remembered, else auto.
OutputChoice startOutputChoice();
// Whether --output asked for exactly that output (then a driver that
// cannot be had ends the program before its window).
bool outputDemanded();
// The start-up log: the notices and the keys in use.
void writeStartLog();
// A line added to the log: what happened while the program ran.
void noteInLog(const char* line);

void resetRemembered();
