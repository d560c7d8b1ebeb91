#include "controller/key_assignment.h"

#include "controller/controller_render.h"
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "engine/engine.h"
#include "engine/format_text.h"
#include "keyout/keyboard_output.h"

char statusText[StatusTextSize];

namespace {

// One step a pad, two a disc.
int32_t assignmentSteps() {
    return layoutKeyCount(controllerLayout);
}

struct Assignment {
    int32_t step = 0;
    bool prompted = false; // the step's prompt is on the screen and the capture armed
};

Assignment assignment;

// Keeps the low byte of a captured code, and its prefix; a capture that took
// no key leaves the slot as it was.
void store(const CapturedKey& key, int8_t& scancode, unsigned short& prefix) {
    if (!key.captured) {
        return;
    }
    scancode = static_cast<int8_t>(static_cast<uint8_t>(key.code & 0xFF));
    prefix = key.prefix;
}

// The prompt is on the screen before the key is waited for. The capture
// stays armed from the first prompt to the last: a key's break is seen
// before the next key is taken.
void finishPrompt() {
    renderControllerNow();
    keyOutput.armCapture();
}

void prompt(int32_t step) {
    const int32_t pads = controllerLayout.padCount;
    if (step < pads) {
        PadPressed[step] = 1;
        formatText(statusText, "PRESS KEY TO ASSIGN KEY %02d", step);
        return finishPrompt();
    }
    // The first disc is the scratch; a second one is named by its number.
    const int32_t disc = (step - pads) / ScratchKeyCount;
    const bool clockwise = (step - pads) % ScratchKeyCount == 0;
    char which[8] = "";
    if (disc > 0) {
        formatText(which, " %d", static_cast<int>(disc + 1));
    }
    formatText(statusText, "PRESS KEY TO ASSIGN SCRATCH%s %s", which,
               clockwise ? "CLOCKWISE" : "COUNTER-CLOCKWISE");
    finishPrompt();
}
void finishStep(int32_t step, const CapturedKey& key) {
    const int32_t pads = controllerLayout.padCount;
    if (step < pads) {
        store(key, KeyScancodes[step], KeyPrefixes[step]);
        PadPressed[step] = 0;
    } else {
        store(key, ScratchScancodes[step - pads], ScratchPrefixes[step - pads]);
    }
}

} // namespace

bool assignKeys() {
    while (assignment.step < assignmentSteps()) {
        if (!assignment.prompted) {
            prompt(assignment.step);
            assignment.prompted = true;
        }
        CapturedKey key = {false, 0, 0};
        const CapturePoll poll = keyOutput.pollCapture(&key);
        if (poll == CapturePending) {
            // Back to the main loop, which handles the window meanwhile; a key
            // press wakes it, or it comes back when the output must be asked.
            if (keyOutput.capturePollMs > 0) {
                requestPassIn(keyOutput.capturePollMs);
            }
            return false;
        }
        finishStep(assignment.step, poll == CaptureTaken ? key : CapturedKey{false, 0, 0});
        ++assignment.step;
        assignment.prompted = false;
    }
    keyOutput.disarmCapture();
    assignment = Assignment{};
    controllerMode = Play;
    return true;
}

void cancelKeyAssignment() {
    if (assignment.prompted) {
        if (assignment.step < controllerLayout.padCount) {
            PadPressed[assignment.step] = 0;
        }
    }
    if (assignment.step > 0 || assignment.prompted) {
        keyOutput.disarmCapture();
    }
    assignment = Assignment{};
}
