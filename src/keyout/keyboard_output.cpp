#include "keyout/keyboard_output.h"

#include "engine/format_text.h"
#include "engine/health.h"
#include "keyout/held_record.h"
#include "keyout/interception_output.h"
#include "keyout/sendinput_output.h"

OutputInUse outputInUse = NoOutput;

namespace {

OutputChoice outputChosen = OutputAuto;

KeyOutput closedOutput() {
    return KeyOutput{
        .send = [](uint16_t, unsigned short, bool) { return false; },
        .armCapture = [] {},
        .pollCapture = [](CapturedKey*) { return CaptureFailed; },
        .disarmCapture = [] {},
        .close = [] {},
        .capturePollMs = 0,
    };
}

} // namespace

KeyOutput keyOutput = closedOutput();

bool openKeyboardOutput(OutputChoice choice) {
    if (outputInUse != NoOutput) {
        return true;
    }
    outputChosen = choice;
    if (choice != OutputSendInput && openInterceptionOutput()) {
        outputInUse = DriverOutput;
    } else if (choice == OutputInterception) {
        return false;
    } else {
        useSendInputOutput();
        outputInUse = SendInputOutput;
    }
    heldRecord->output = outputInUse;
    return true;
}

void sendKey(int8_t scancode, int32_t down, unsigned short prefix) {
    if (outputInUse == NoOutput) {
        return;
    }
    // The code goes out widened with its sign, as the table holds it.
    const auto code = static_cast<uint16_t>(static_cast<int16_t>(scancode));
    const auto bits = static_cast<unsigned short>(prefix & KeyPrefixMask);
    // The record holds a key only while it surely is held: from after its
    // make went out until before its break goes. The guard never lets go of
    // a key that was not held.
    if (down == 0) {
        noteKeyHeld(code, bits, false);
    }
    heldRecord->keyboardDevice = keyboardDevice;
    if (keyOutput.send(code, bits, down != 0)) {
        noteStrokeSent();
        if (down != 0) {
            noteKeyHeld(code, bits, true);
        }
    } else {
        noteStrokeLost();
    }
}

void closeKeyboardOutput() {
    keyOutput.close();
    keyOutput = closedOutput();
    outputInUse = NoOutput;
}

void describeKeyboardOutput(char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    char reason[256];
    switch (outputInUse) {
    case DriverOutput:
        formatTextN(buffer, size, "keys go out through the Interception driver (keyboard %d)",
                    static_cast<int>(keyboardDevice));
        break;
    case SendInputOutput:
        if (outputChosen == OutputSendInput) {
            formatTextN(buffer, size, "keys go out through SendInput (--output sendinput)");
        } else {
            describeKeyboardLibrary(keyboardLibrary, reason, sizeof reason);
            formatTextN(buffer, size, "keys go out through SendInput: %s", reason);
        }
        break;
    default:
        describeKeyboardLibrary(keyboardLibrary, reason, sizeof reason);
        formatTextN(buffer, size, "no keys go out: %s", reason);
        break;
    }
}

void resetKeyboardOutput() {
    keyOutput.close();
    keyOutput = closedOutput();
    outputInUse = NoOutput;
    outputChosen = OutputAuto;
    interceptionContext = nullptr;
    keyboardDevice = 0;
    keyStroke = InterceptionKeyStroke{};
    keyboardLibrary = KeyboardLibrary{};
    resetHeldRecord();
}
