// Keys the capture keeps for Padrelle alone: while the layout editor waits
// for a key or a text, what the player types goes to the editor and not on
// to the game (key assignment passes every key on). A key whose down was
// not kept has its up passed on, so that nothing stays down elsewhere; the
// Alt and Windows keys, and whatever is typed while one is held, pass on
// too (Alt+Tab, Win+D).
#pragma once

#include "keyout/held_record.h"

#include <cstdint>

// From the main thread: whether the keys typed from now on are kept.
void keepTypedKeys(bool keep);
bool typedKeysKept();
// How many keys kept are still down: until their ups are kept too, the
// capture stays armed (with it off, the ups would reach the game).
int32_t keptKeysDown();

// One capture's view of the keys it kept (each capture is read on one
// thread: the hook's, or the driver's).
struct KeyKeeper {
    KeyBits kept = {};
    uint32_t systemKeysDown = 0; // Alt and Windows keys held, a bit each
    // One key down or up, as a set-1 code with its E0/E1 bits: true when it
    // is kept from the system.
    bool keep(uint16_t code, unsigned short prefix, bool up);
};
