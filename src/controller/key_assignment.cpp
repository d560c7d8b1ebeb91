#include "controller/key_assignment.h"

#include "controller/controller_render.h"
#include "controller/controller_scene.h"
#include "controller/play_mode.h"
#include "engine/engine.h"
#include "engine/format_text.h"
#include "keyout/keyboard_output.h"

char statusText[StatusTextSize];

namespace {

constexpr int32_t AssignmentSteps = PadCount + ScratchKeyCount;

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

void prompt(int32_t step) {
    if (step < PadCount) {
        PadPressed[step] = 1;
        formatText(statusText, "PRESS KEY TO ASSIGN KEY %02d", step);
    } else if (step == PadCount) {
        formatText(statusText, "%s", "PRESS KEY TO ASSIGN SCRATCH CLOCKWISE");
    } else {
        formatText(statusText, "%s", "PRESS KEY TO ASSIGN SCRATCH COUNTER-CLOCKWISE");
    }
    // The prompt is on the screen before the key is waited for. The capture
    // stays armed from the first prompt to the last: a key's break is seen
    // before the next key is taken.
    renderControllerNow();
    keyOutput.armCapture();
}

void finishStep(int32_t step, const CapturedKey& key) {
    if (step < PadCount) {
        store(key, KeyScancodes[step], KeyPrefixes[step]);
        PadPressed[step] = 0;
    } else {
        store(key, ScratchScancodes[step - PadCount], ScratchPrefixes[step - PadCount]);
    }
}

} // namespace

bool assignKeys() {
    while (assignment.step < AssignmentSteps) {
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
        if (assignment.step < PadCount) {
            PadPressed[assignment.step] = 0;
        }
    }
    if (assignment.step > 0 || assignment.prompted) {
        keyOutput.disarmCapture();
    }
    assignment = Assignment{};
}
