// The controller scene: scene 1 of the engine.
#pragma once

#include "graphics/image.h"
#include "graphics/sprite.h"
#include "keyout/keyboard_output.h"

#include <cstddef>
#include <cstdint>

enum ControllerMode : int32_t { AssignKeys = 0, Play = 1 };

constexpr int32_t PadCount = 9;
constexpr int32_t ScratchKeyCount = 2;

// Changes whenever the scene's pictures and sprites are made or freed.
extern uint64_t controllerObjectsVersion;

extern Image* whiteImage;
extern Image* blueImage;
extern Image* scratchImage;
extern Sprite* padSprites[PadCount];
extern Sprite* scratchDisc;

// Set-1 scancodes, stored as their low byte.
extern int8_t KeyScancodes[PadCount];
extern int8_t ScratchScancodes[ScratchKeyCount]; // clockwise, counter-clockwise
// The E0/E1 prefix bits captured with each key, sent with its strokes.
extern unsigned short KeyPrefixes[PadCount];
extern unsigned short ScratchPrefixes[ScratchKeyCount];
extern ControllerMode controllerMode;

// The notices shown under the health line, each wrapped onto lines of its
// own: the output in use (set when the scene is entered), what became of
// the saved keys, and what keeps the keys from the game now.
constexpr size_t NoticeSize = 320;
constexpr int32_t NoticeCount = 3;
extern char noticeLines[NoticeCount][NoticeSize];
extern char (&outputNotice)[NoticeSize];
extern char (&settingsNotice)[NoticeSize];
extern char (&gameNotice)[NoticeSize];
// What to tell a player whose --output interception cannot be had.
void forcedDriverMessage(char* buffer, size_t size);

void enterController();
void updateController();
void leaveController();
// Every pad and scratch key still held goes up (session end, crash).
void releaseController();

// The state at program start: default keys, AssignKeys, nothing pressed or
// tracked, no prompt, no objects; the keyboard output closed.
void resetController();
