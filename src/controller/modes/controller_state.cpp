#include "controller/modes/controller_state.h"

#include "base/logical_scale.h"
#include "base/platform.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/menu_mode.h"
#include "controller/modes/overlay.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/remote_panel.h"
#include "controller/modes/scratch.h"
#include "keyout/keyboard_output.h"

#include <cstring>
#include <string>

uint64_t controllerObjectsVersion = 0;
LeftForQuestion leftForFirewallQuestion = LeftForQuestion::Nothing;
Image* whiteImage = nullptr;
Image* blueImage = nullptr;
Image* scratchImage = nullptr;
Sprite* padSprites[MaxPads] = {};
Sprite* scratchDiscs[MaxDiscs] = {};
Sprite*& scratchDisc = scratchDiscs[0];
Layout controllerLayout = fittedToFrame(defaultLayout());
Layout playedLayout = defaultLayout();

int8_t KeyScancodes[MaxPads] = {0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x10, 0x11};
int8_t ScratchScancodes[MaxDiscs * ScratchKeyCount] = {0x1D, 0x2A};
unsigned short KeyPrefixes[MaxPads] = {};
unsigned short ScratchPrefixes[MaxDiscs * ScratchKeyCount] = {};
ControllerMode controllerMode = AssignKeys;
char noticeLines[NoticeCount][NoticeSize];
// First: over the game only its lines are seen, where the frame's notices begin.
char (&coverNotice)[NoticeSize] = noticeLines[0];
char (&outputNotice)[NoticeSize] = noticeLines[1];
char (&settingsNotice)[NoticeSize] = noticeLines[2];
char (&gameNotice)[NoticeSize] = noticeLines[3];
char (&layoutNotice)[NoticeSize] = noticeLines[4];

namespace {

// The layout's pads and disc keys, never past the tables.
int32_t padsInUse() {
    return controllerLayout.padCount < MaxPads ? controllerLayout.padCount : MaxPads;
}

int32_t discKeysInUse() {
    return controllerLayout.discCount < MaxDiscs ? controllerLayout.discCount * ScratchKeyCount
                                                 : MaxDiscs * ScratchKeyCount;
}

} // namespace

KeySet currentKeys() {
    KeySet set = {};
    for (int32_t i = 0; i < padsInUse(); ++i) {
        set.keys[set.count++] = AssignedKey{static_cast<uint8_t>(KeyScancodes[i]), KeyPrefixes[i]};
    }
    for (int32_t i = 0; i < discKeysInUse(); ++i) {
        set.keys[set.count++] =
            AssignedKey{static_cast<uint8_t>(ScratchScancodes[i]), ScratchPrefixes[i]};
    }
    return set;
}

KeySet defaultKeys() {
    return layoutKeys(controllerLayout);
}

void useKeys(const KeySet& set) {
    if (set.count != layoutKeyCount(controllerLayout)) {
        return;
    }
    for (int32_t i = 0; i < padsInUse(); ++i) {
        KeyScancodes[i] = static_cast<int8_t>(set.keys[i].code);
        KeyPrefixes[i] = static_cast<unsigned short>(set.keys[i].prefix & KeyPrefixMask);
    }
    int8_t codes[MaxDiscs * ScratchKeyCount] = {};
    unsigned short prefixes[MaxDiscs * ScratchKeyCount] = {};
    for (int32_t i = 0; i < discKeysInUse(); ++i) {
        const AssignedKey& key = set.keys[padsInUse() + i];
        codes[i] = static_cast<int8_t>(key.code);
        prefixes[i] = static_cast<unsigned short>(key.prefix & KeyPrefixMask);
    }
    std::memcpy(ScratchScancodes, codes, sizeof codes);
    std::memcpy(ScratchPrefixes, prefixes, sizeof prefixes);
}

namespace {

void deleteControls() {
    for (Sprite*& pad : padSprites) {
        delete pad;
        pad = nullptr;
    }
    for (Sprite*& disc : scratchDiscs) {
        delete disc;
        disc = nullptr;
    }
}

void deleteObjects() {
    ++controllerObjectsVersion;
    deleteControls();
    delete whiteImage;
    whiteImage = nullptr;
    delete blueImage;
    blueImage = nullptr;
    delete scratchImage;
    scratchImage = nullptr;
}

} // namespace

void useLayout(const Layout& layout) {
    playedLayout = layout;
    controllerLayout = fittedToFrame(layout);
    std::memset(KeyScancodes, 0, sizeof KeyScancodes);
    std::memset(KeyPrefixes, 0, sizeof KeyPrefixes);
    std::memset(ScratchScancodes, 0, sizeof ScratchScancodes);
    std::memset(ScratchPrefixes, 0, sizeof ScratchPrefixes);
    std::memset(PadPressed, 0, sizeof PadPressed);
    useKeys(layoutKeys(controllerLayout));
}

namespace {

// A picture from img\ in the current folder; where that has none (a player
// started padrelle.exe from a shortcut or a launcher that sets another
// folder), from img\ beside the program.
Image* loadPicture(const char* name) {
    Image* image = new Image(name);
    std::string folder(ProgramFolderSize, '\0');
    if (image->loaded == 0 && platform.programFolder(folder.data(), folder.size())) {
        folder.resize(std::strlen(folder.c_str()));
        delete image;
        image = new Image((folder + name).c_str());
    }
    return image;
}

} // namespace

namespace {

// The sprites of the layout in use, made anew.
void makeControls() {
    deleteControls();
    const Layout& layout = controllerLayout;
    // A layout that keeps its proportions keeps them on any screen.
    keepFrameProportions(layout.keepProportions);
    for (int32_t i = 0; i < layout.padCount; ++i) {
        const LayoutPad& pad = layout.pads[i];
        // The key caps' pictures where they fit the pad; its colour elsewhere.
        const bool fits = pad.width == PadPictureWidth && pad.height == PadPictureHeight;
        Image* picture = !fits                   ? nullptr
                         : pad.look == LookBlue  ? blueImage
                         : pad.look == LookWhite ? whiteImage
                                                 : nullptr;
        padSprites[i] = new Sprite(picture, pad.x, pad.y, pad.width, pad.height);
    }
    for (int32_t i = 0; i < layout.discCount; ++i) {
        const LayoutDisc& disc = layout.discs[i];
        // The turntable's picture where it fits the disc; a circle elsewhere.
        const bool pictured = 2 * disc.radius == DiscPictureSize;
        scratchDiscs[i] = new Sprite(pictured ? scratchImage : nullptr, disc.x - disc.radius,
                                     disc.y - disc.radius, 2 * disc.radius, 2 * disc.radius);
        // A second disc's lines start at its centre, not at the screen's corner.
        if (i > 0 && ScratchTrackers[i].tracking == 0) {
            const Point centre = spriteCentre(*scratchDiscs[i]);
            ScratchTrackers[i].touchPoint = centre;
            ScratchTrackers[i].lowEnd = centre;
            ScratchTrackers[i].highEnd = centre;
        }
    }
    ++controllerObjectsVersion;
    placeOverlayPanel(layout);
    placeMenuButton(playedLayout);
}

} // namespace

void playLayout(const Layout& layout, const KeySet& keys) {
    releaseHeldKeys();
    resetScratchTrackers();
    useLayout(layout);
    useKeys(keys);
    if (whiteImage != nullptr) {
        makeControls();
    }
    showLayoutToPhone();
}

void loadControllerObjects() {
    deleteObjects(); // an earlier entry's objects, if the scene was never left
    whiteImage = loadPicture("img/white.bmp");
    blueImage = loadPicture("img/blue.bmp");
    scratchImage = loadPicture("img/scratch.bmp");
    makeControls();
}

void deleteControllerObjects() {
    deleteObjects();
}
