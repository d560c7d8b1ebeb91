// What the player can do without a command line: one table of commands,
// from which both the menu on the controller screen and the window menu are
// built. Each command says what it does at once and what the next start
// keeps of it; what it changes is remembered exactly as its command-line
// option is.
#pragma once

#include "base/platform.h"
#include "controller/layouts/layout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The menu's pages; each but the first is a submenu of the window menu.
enum MenuPage : int32_t {
    PageMain = 0,
    PagePhone,
    PageTiming,
    PageLayout,
    PageScreen,
    PageKeys,
    PageOutput,
    PageFiles,
    PageAbout,
    PageCount
};

enum MenuCommandId : int32_t {
    CommandOverTheGame = 0, // the window menu's numbers these two always had
    CommandEditLayout,
    CommandPhoneOn,
    CommandPhoneOff,
    CommandNewCode,
    CommandDelaySteady,
    CommandDelayAtOnce,
    CommandDelayLonger,
    CommandDelayShorter,
    CommandWindow,
    CommandFullScreen,
    CommandLessOpaque,
    CommandMoreOpaque,
    CommandAskKeys,
    CommandOwnKeys,
    CommandOutputAuto,
    CommandOutputSendInput,
    CommandOutputDriver,
    CommandLayoutsFolder,
    CommandLog,
    CommandGuide,
    CommandAbout,
    CommandClose,
    MenuCommandCount
};

// The menu closes after the command, back to play (or to what it starts).
constexpr uint32_t MenuBackToPlay = 1;
// Only on the screen: the window menu has the system's own (Close).
constexpr uint32_t MenuScreenOnly = 2;

struct MenuCommand {
    MenuPage page;
    const char* text; // as the window menu says it; in capitals on the screen
    void (*act)();    // what it does at once
    bool (*chosen)(); // whether it is what holds now (marked, checked); null: never
    // What the next start keeps of it, said on the screen once it is done;
    // "" for nothing.
    const char* remembered;
    uint32_t flags;
};

const MenuCommand& menuCommand(int32_t id);
// A page's name, as its button and its submenu say it.
const char* menuPageTitle(MenuPage page);

// The layouts the menu offers: every built-in one, then every layout file
// in the layouts folder (by its name); a file that cannot be used is named
// with its problem and cannot be chosen.
struct MenuLayout {
    bool preset;
    bool usable;
    char name[LayoutNameSize]; // the layout's name, or the file's when unusable
    char path[LayoutPathSize]; // a file's whole path
    char problem[200];
    Layout layout; // in its own units
};
// Read anew (the folder may have changed); its version changes with it.
void refreshMenuLayouts();
const std::vector<MenuLayout>& menuLayouts();
uint64_t menuLayoutsVersion();
// Whether a layout of the list is the one in use.
bool layoutInUse(const MenuLayout& entry);

// The window menu's number of a command, and of a layout of the list.
uintptr_t menuCommandNumber(int32_t id);
uintptr_t layoutCommandNumber(int32_t index);

// Does what a command does, by the window menu's number: a command of the
// table, or a layout of the list (played with its keys: asked for when it
// has none and a keyboard is attached, its own otherwise). Gives whether
// the number was one.
bool actOnMenuNumber(uintptr_t number);
void actOnCommand(int32_t id);
void chooseLayout(int32_t index);

// What the last command came to, for the menu's line: done (with what is
// remembered), or a problem.
struct MenuOutcome {
    bool problem;
    char text[320];
};
const MenuOutcome& menuOutcome();
void sayOutcome(bool problem, const char* text);

// Each pass: a command chosen in the window menu is done (while a layout is
// edited it waits for play).
void takeWindowMenuChoice();
// The scene's entries of the window menu (engine.h's WindowMenuSource): a
// submenu a page, the layouts with the one in use checked.
int32_t controllerWindowMenu(WindowMenuEntry* entries, int32_t max);

void resetMenuCommands();
