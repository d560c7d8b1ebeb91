#include "controller/key_assignment.h"

#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "engine/format_text.h"
#include "graphics/controller_render.h"
#include "keyout/keyboard_output.h"

char statusText[StatusTextSize];

namespace {

constexpr int32_t AssignmentSteps = PadCount + ScratchKeyCount;

// Keeps the low byte of a captured code, and its prefix; a capture that took
// no key leaves the slot as it was.
void store(const CapturedKey& key, int8_t& scancode, unsigned short& prefix) {
    if (!key.captured) {
        return;
    }
    scancode = static_cast<int8_t>(static_cast<uint8_t>(key.code & 0xFF));
    prefix = key.prefix;
}

} // namespace

void assignKeys() {
    for (int32_t step = 0; step < AssignmentSteps; ++step) {
        if (step < PadCount) {
            PadPressed[step] = 1;
            formatText(statusText, "PRESS KEY TO ASSIGN KEY %02d", step);
        } else if (step == PadCount) {
            formatText(statusText, "%s", "PRESS KEY TO ASSIGN SCRATCH CLOCKWISE");
        } else {
            formatText(statusText, "%s", "PRESS KEY TO ASSIGN SCRATCH COUNTER-CLOCKWISE");
        }
        renderControllerNow();
        const CapturedKey key = captureKey();
        if (step < PadCount) {
            store(key, KeyScancodes[step], KeyPrefixes[step]);
            PadPressed[step] = 0;
        } else {
            store(key, ScratchScancodes[step - PadCount], ScratchPrefixes[step - PadCount]);
        }
    }
    controllerMode = Play;
}
