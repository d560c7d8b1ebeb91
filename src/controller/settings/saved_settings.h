// What Padrelle remembers between runs (the layout in use, the keys of each
// layout, the screen) as a small text file a person can read:
//
//   # Padrelle settings ...
//   version 2
//   layout double                     # or: layout file C:\Layouts\popn.txt
//   keys default 2C 2D 2E 2F 30 31 32 10 11 e0:1D 2A
//   keys double 2C 2D ...
//   screen \\.\DISPLAY2 fullscreen
//   remote on 7k2m9xq4hd0c             # or off; the pairing code of the phone
//   overlay on 60                      # or off; its opacity in percent
//   output sendinput                   # or auto, interception: where keys go
//   remote-delay auto                  # or the phone's fixed delay in ms, 0 at once
//
// Comments and blank lines aside, the version line comes first; the rest may
// come in any order, each at most once (keys once a layout), and any may be
// missing (a file written before keys were assigned has none). A file of
// version 1, written before layouts, has one keys line without a layout's
// name: the default layout's keys. A file with anything else in it is not
// used at all.
#pragma once

#include "base/platform.h"
#include "controller/layouts/key_set.h"
#include "controller/layouts/layout.h"
#include "keyout/keyboard_output.h"
#include "remote/steady_delay.h"

#include <cstddef>
#include <string_view>

constexpr size_t SavedSettingsMaxBytes = 8192;
constexpr int32_t MaxSavedLayouts = 16;

struct SavedScreen {
    char monitor[MonitorNameSize]; // the display name: printable, no blanks
    bool fullScreen;
    char device[MonitorDeviceSize]; // its device interface name; "" when not known
};

struct SavedKeys {
    char layout[LayoutNameSize];
    KeySet keys;
};

struct SavedSettings {
    int32_t keysCount; // layouts with saved keys
    SavedKeys keys[MaxSavedLayouts];
    // The layout in use: a built-in one's name, or a layout file's path.
    bool hasLayout;
    bool layoutFromFile;
    char layout[LayoutPathSize];
    bool hasScreen;
    SavedScreen screen;
    // The phone's controller page: whether it is on, and its pairing code.
    bool hasRemote;
    bool remoteOn;
    char pairingCode[16];
    // The controller over the game: whether it is on, and its opacity.
    bool hasOverlay;
    bool overlayOn;
    int32_t overlayOpacity; // percent, OverlayOpacityMin to 100
    // Where the keys go, as chosen with --output or in the menu.
    bool hasOutput;
    OutputChoice output;
    // How the phone's keys are timed.
    bool hasRemoteDelay;
    DelaySetting remoteDelay;
};

// The overlay's opacity in percent: at least this much (the pads stay seen),
// at most 100; in steps of OverlayOpacityStep from its corner controls.
constexpr int32_t OverlayOpacityMin = 20;
constexpr int32_t OverlayOpacityMax = 100;
constexpr int32_t OverlayOpacityDefault = 60;
constexpr int32_t OverlayOpacityStep = 10;
// Whether a percentage is an opacity the overlay takes.
bool isOpacity(int32_t percent);
// A percentage as the command line and the file give it ("60" or "60%");
// false for anything else or outside the bounds.
bool parseOpacity(std::string_view text, int32_t& percent);

// Reads a whole file. False with the line and the problem otherwise.
bool parseSavedSettings(std::string_view text, SavedSettings& settings, char* problem,
                        size_t problemSize);
// The file's text (version 2); its length, or 0 when it does not fit.
size_t writeSavedSettings(const SavedSettings& settings, char* out, size_t size);

// The keys saved for a layout of that name, or null.
const KeySet* savedKeysOf(const SavedSettings& settings, const char* layout);
// Saves the keys of a layout, in the place of its earlier ones; false when
// no more layouts fit.
bool saveKeysOf(SavedSettings& settings, const char* layout, const KeySet& keys);

// A name that can stand in the file: 1 to 31 printable characters, no blank;
// a word of 1 to size - 1 such characters.
bool isMonitorName(std::string_view name);
bool isMonitorWord(std::string_view name, size_t size);
