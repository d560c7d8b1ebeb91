// The command line of padrelle.exe.
#pragma once

#include "controller/layouts/key_set.h"
#include "controller/layouts/layout.h"
#include "keyout/keyboard_output.h"
#include "remote/steady_delay.h"

#include <cstddef>

// --remote: the phone's controller page on (with the saved pairing code, or
// a fresh one the first time), off, or on with a fresh code.
enum RemoteChoice : int32_t { RemoteUnsaid = 0, RemoteOn, RemoteOff, RemoteNew };

// --overlay: the controller over the game (at an opacity, or the saved one),
// or back in a window of its own.
enum OverlayChoice : int32_t { OverlayUnsaid = 0, OverlayOn, OverlayOff };

struct LaunchOptions {
    OutputChoice output = OutputAuto; // --output auto|sendinput|interception
    bool outputGiven = false;
    bool assign = false;    // --assign: ask for the keys again
    bool keysGiven = false; // --keys K0,...,K10: these keys, this run only
    KeySet keys = {};
    // --layout NAME|FILE: a built-in layout by its name, or a layout file.
    bool layoutGiven = false;
    char layout[LayoutPathSize] = {};
    RemoteChoice remote = RemoteUnsaid; // --remote [on|off|new]
    // --remote-delay auto|MS: the phone's keys at a delay that follows the
    // network, at a fixed one, or at once (0).
    bool remoteDelayGiven = false;
    DelaySetting remoteDelay = {};
    OverlayChoice overlay = OverlayUnsaid; // --overlay [on|off|PERCENT]
    int32_t overlayOpacity = 0;            // percent; 0: not given
    // --edit [NAME|FILE]: the layout editor at the start, on the layout in
    // use or on the one named ("" for the layout in use).
    bool edit = false;
    char editLayout[LayoutPathSize] = {};
    bool help = false; // --help
    // --guard PROCESS RECORD: this instance is the guard of another (not
    // said in the usage: the program starts it itself).
    bool guard = false;
    // --guard-start PROCESS RECORD: the short-lived starter of a guard.
    bool guardStart = false;
    uint64_t guardProcess = 0;
    uint64_t guardRecord = 0;
};

// Room for a problem with the usage after it.
constexpr size_t LaunchProblemSize = 2048;

// What padrelle.exe accepts, as shown when it is given something else.
extern const char* const LaunchUsage;

// Reads a Windows command line (the program's name not included): words
// apart by blanks, double quotes keep blanks in a word. False with the
// problem, naming the word and the forms accepted, for anything unknown,
// incomplete, repeated or contradictory. Keys are counted against a built-in
// layout here; against a layout file by checkLaunchKeys once it is read.
bool parseLaunchOptions(const char* commandLine, LaunchOptions& options, char* problem,
                        size_t problemSize);

// Whether --keys gives as many keys as the layout asks for; false with the
// problem (and the usage) otherwise.
bool checkLaunchKeys(const LaunchOptions& options, int32_t keysWanted, char* problem,
                     size_t problemSize);
