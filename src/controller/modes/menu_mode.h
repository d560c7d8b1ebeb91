// The menu on the controller screen: a mode of the controller scene, drawn
// over the controller in the same window (a window, full screen, or over
// the game), by touch, mouse or pen, never taking the focus. A press held
// MenuHoldMs on its button opens it (over the game, on the panel's MENU):
// every key held goes up first, and no key goes to the game while it is
// open. Its pages are made of the command table's commands; a tap acts as
// the finger comes up on the button it came down on. BACK, BACK TO PLAY,
// Esc or a tap outside the menu close it; fingers held then press nothing
// until they lift.
#pragma once

#include "controller/modes/menu_commands.h"
#include "graphics/geometry.h"

#include <cstdint>
#include <vector>

constexpr uint32_t MenuHoldMs = 500;

// The menu's button in play, in a window or full screen: a small one where
// it hides the fewest controls (the place the editor's bar is looked for).
void placeMenuButton(const Layout& layout);
Rect menuButtonBox();
constexpr const char* MenuButtonText = "HOLD FOR MENU";
// How far a hold on the menu's button (or the overlay panel's MENU) has
// come, in thousandths; -1 while none is held.
int32_t menuHoldShare();
// Each pass of play: a press held long enough on the button opens the
// menu. True when it opened.
bool watchMenuButton();

// Opens the menu at a page (from play; while it is open, goes to the page).
void openMenu(MenuPage page);
// Back to play: the fingers down now press nothing until they lift.
void closeMenu();
// Each pass while the menu is open.
void updateMenu();

enum MenuTargetKind : int32_t {
    TargetCommand = 0, // a command of the table: value its id
    TargetPage,        // a page: value the page
    TargetLayout,      // a layout of the list: value its index
    TargetBack,        // the first page
    TargetPlay,        // back to play
    TargetEarlier,     // the layouts before those shown
    TargetLater,       // the layouts after
};
struct MenuButton {
    Rect box;
    MenuTargetKind kind;
    int32_t value;
};
// The buttons of the page shown, where they lie.
const std::vector<MenuButton>& menuButtons();
// What a button says.
void menuButtonText(const MenuButton& button, char* out, size_t size);
// Whether a button is what holds now (the layout in use, the phone on, ...).
bool menuButtonMarked(const MenuButton& button);
MenuPage menuPage();
// The layouts the layout page shows: from this one, at most
// MenuLayoutsShown.
int32_t menuFirstLayout();
constexpr int32_t MenuLayoutsShown = 12;
// The menu's panel in the frame: a tap outside it closes the menu.
Rect menuPanel();
// Changes whenever what the menu shows changes (its page, what holds, what
// the last command came to, the layouts).
uint64_t menuContent();
void menuChanged();

void resetMenu();
