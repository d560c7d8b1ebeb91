#include "controller/modes/held_keys.h"

#include "controller/modes/controller_state.h"
#include "controller/modes/play_mode.h"
#include "controller/modes/scratch.h"
#include "keyout/keyboard_output.h"

void releaseHeldKeys() {
    // During key assignment a pad's flag only highlights it: no make stroke
    // went out for it.
    if (controllerMode == Play) {
        for (int32_t i = 0; i < controllerLayout.padCount; ++i) {
            if (PadPressed[i] != 0) {
                PadPressed[i] = 0;
                sendKey(KeyScancodes[i], 0, KeyPrefixes[i]);
            }
        }
    }
    for (int32_t disc = 0; disc < MaxDiscs; ++disc) {
        sendDiscScratch(disc, Stop);
    }
}
