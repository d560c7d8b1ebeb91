#include "controller/modes/key_assignment.h"

#include "base/format_text.h"
#include "base/pass_requests.h"
#include "controller/layouts/key_set.h"
#include "controller/modes/controller_render.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/held_keys.h"
#include "controller/modes/play_mode.h"
#include "engine/engine.h"
#include "keyout/keyboard_output.h"
#include "touch/touch_table.h"

char statusText[StatusTextSize];
const Rect LayoutKeysButton = {215, 420, 265, 860}; // top, left, bottom, right

namespace {

// One step a pad, two a disc.
int32_t assignmentSteps() {
    return layoutKeyCount(controllerLayout);
}

struct Assignment {
    int32_t step = 0;
    bool prompted = false;   // the step's prompt is on the screen and the capture armed
    bool buttonHeld = false; // a finger is down on the layout-keys button
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

// The tap ends when the finger on the button comes up and no finger is
// down: play then starts with no finger on any control.
bool layoutKeysTapped() {
    bool onButton = false;
    bool anyDown = false;
    for (int32_t i = 0; i < FingerCount; ++i) {
        const TouchSlot& finger = fingerAt(i);
        anyDown = anyDown || finger.down != 0;
        onButton =
            onButton || (finger.down != 0 && pointInRect(finger.x, finger.y, LayoutKeysButton));
    }
    if (onButton) {
        assignment.buttonHeld = true;
        return false;
    }
    // Slid off the button (or another finger still down): no tap.
    const bool tapped = assignment.buttonHeld && !anyDown;
    assignment.buttonHeld = false;
    return tapped;
}

bool finishAssignment() {
    keyOutput.disarmCapture();
    assignment = Assignment{};
    controllerMode = Play;
    return true;
}

} // namespace

bool assignKeys() {
    if (layoutKeysTapped()) {
        if (assignment.prompted && assignment.step < controllerLayout.padCount) {
            PadPressed[assignment.step] = 0;
        }
        useKeys(layoutKeys(controllerLayout));
        return finishAssignment();
    }
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
    return finishAssignment();
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

void startKeyAssignment() {
    releaseHeldKeys();
    cancelKeyAssignment();
    controllerMode = AssignKeys;
}
