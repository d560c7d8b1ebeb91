// The controller scene's state, which its modes share: the layout in use and
// its keys, the pictures and sprites made of it, the mode, the notices.
#pragma once

#include "controller/layouts/layout.h"
#include "graphics/image.h"
#include "graphics/sprite.h"

#include <cstddef>
#include <cstdint>

enum ControllerMode : int32_t { AssignKeys = 0, Play = 1, EditLayout = 2, MenuOpen = 3 };

// The default layout's pads; a layout may have up to MaxPads.
constexpr int32_t PadCount = 9;
// Keys of a disc: clockwise, counter-clockwise.
constexpr int32_t ScratchKeyCount = 2;

// The turntable's picture is this wide and high: a disc of that size has it.
constexpr int32_t DiscPictureSize = 926;
// The key caps' pictures: a white or blue pad of that size has its picture,
// a pad of another size the picture's colour.
constexpr int32_t PadPictureWidth = 130;
constexpr int32_t PadPictureHeight = 190;
constexpr uint32_t WhiteCapColour = 0xF0F0F0;
constexpr uint32_t BlueCapColour = 0xFF6020;

// The layout in use, fitted to the 1280 x 720 frame.
extern Layout controllerLayout;
// The same in its own units, as its file writes it.
extern Layout playedLayout;
// Takes a layout for the next entry of the scene, with its own keys.
void useLayout(const Layout& layout);
// Plays another layout at once, with these keys (its own when they do not
// fit it): every key held goes up first, and its controls are made anew.
void playLayout(const Layout& layout, const KeySet& keys);

// The controller's keys now, and the layout's own.
KeySet currentKeys();
KeySet defaultKeys();
// Puts the keys into the controller's tables; a set of another count than
// the layout asks for changes nothing.
void useKeys(const KeySet& keys);

// Changes whenever the scene's pictures and sprites are made or freed.
extern uint64_t controllerObjectsVersion;

extern Image* whiteImage;
extern Image* blueImage;
extern Image* scratchImage;
extern Sprite* padSprites[MaxPads];
extern Sprite* scratchDiscs[MaxDiscs];
extern Sprite*& scratchDisc; // the first disc

// Set-1 scancodes, stored as their low byte.
extern int8_t KeyScancodes[MaxPads];
// Disc d's clockwise and counter-clockwise keys at 2d and 2d + 1.
extern int8_t ScratchScancodes[MaxDiscs * ScratchKeyCount];
// The E0/E1 prefix bits captured with each key, sent with its strokes.
extern unsigned short KeyPrefixes[MaxPads];
extern unsigned short ScratchPrefixes[MaxDiscs * ScratchKeyCount];
extern ControllerMode controllerMode;

// The notices shown under the health line, each wrapped onto lines of its
// own: the output in use (set when the scene is entered), what became of
// the saved keys, and what keeps the keys from the game now.
constexpr size_t NoticeSize = 320;
constexpr int32_t NoticeCount = 5;
extern char noticeLines[NoticeCount][NoticeSize];
// Over the game: another program's window keeps the controller under it.
extern char (&coverNotice)[NoticeSize];
extern char (&outputNotice)[NoticeSize];
extern char (&settingsNotice)[NoticeSize];
extern char (&gameNotice)[NoticeSize];
// Which layout came up for the game in front, or came back when it left.
extern char (&layoutNotice)[NoticeSize];
// The mode the firewall's question took the player out of at the start
// (the question must not hide under it): given back once it is answered,
// and saved meanwhile as the player's choice.
enum class LeftForQuestion : int32_t { Nothing, Overlay, FullScreen };
extern LeftForQuestion leftForFirewallQuestion;

// The scene's pictures (img/white.bmp, blue.bmp, scratch.bmp) read anew and
// the layout's sprites made of them; and all of them freed.
void loadControllerObjects();
void deleteControllerObjects();
