#include "keyout/keyboard_output.h"

#include "base/format_text.h"
#include "base/health.h"
#include "base/platform.h"
#include "keyout/held_record.h"
#include "keyout/interception_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"

#include <cstring>

OutputInUse outputInUse = NoOutput;

namespace {

OutputChoice outputChosen = OutputAuto;

// Keys whose break the system refused or may have dropped; each is in the
// held record too.
KeyBits owedBreaks = {};
int32_t owedCount = 0;
bool retryAtOnce = false;
uint32_t lastRetryMs = 0;
// Breaks the system took since input last changed hands (the foreground,
// the input desktop, the session). Taken is not delivered: a break taken
// just before the foreground went to an elevated window (whose news comes
// only when the main thread next takes messages) was dropped, and one taken
// as the input desktop switched went to the desktop that was going.
KeyBits breaksSinceChange = {};
// When each of those was taken: one taken long before the news of a change
// reached the window in front then.
uint32_t breakTakenMs[3][256] = {};

int32_t prefixRow(unsigned short prefix) {
    return (prefix & KeyStateE1) != 0 ? 2 : (prefix & KeyStateE0) != 0 ? 1 : 0;
}

void owe(uint16_t code, unsigned short prefix, bool owed) {
    if (keyBit(owedBreaks, code, prefix) != owed) {
        setKeyBit(owedBreaks, code, prefix, owed);
        owedCount += owed ? 1 : -1;
    }
}

// A break the system surely took takes the key out of the record; any other
// leaves it there, owed.
bool settleBreak(uint16_t code, unsigned short prefix, StrokeResult result) {
    if (result == StrokeTaken) {
        noteKeyHeld(code, prefix, false);
        owe(code, prefix, false);
        setKeyBit(breaksSinceChange, code, prefix, true);
        breakTakenMs[prefixRow(prefix)][code & 0xFF] = platform.timeMs();
        return true;
    }
    if (keyHeldInRecord(*heldRecord, code, prefix)) {
        owe(code, prefix, true);
    }
    return false;
}

KeyOutput closedOutput() {
    return KeyOutput{
        .send = [](uint16_t, unsigned short, bool) { return StrokeRefused; },
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
    heldRecord->keyboardDevice = keyboardDevice;
    const StrokeResult result = keyOutput.send(code, bits, down != 0);
    switch (result) {
    case StrokeTaken:
        noteStrokeSent();
        break;
    case StrokeDoubtful:
        noteStrokeSent();
        noteStrokeBlocked();
        break;
    default:
        noteStrokeLost();
        break;
    }
    if (down != 0) {
        setKeyBit(breaksSinceChange, code, bits, false);
        // Taken, the game may hold the key (a doubtful make too: its break
        // costs nothing); refused, it holds it only if it did before.
        owe(code, bits, false);
        if (result != StrokeRefused) {
            noteKeyHeld(code, bits, true);
        }
    } else if (!settleBreak(code, bits, result)) {
        retryAtOnce = false;
        lastRetryMs = platform.timeMs();
    }
}

int32_t retryOwedBreaks() {
    if (owedCount == 0 || outputInUse == NoOutput) {
        return owedCount;
    }
    const uint32_t now = platform.timeMs();
    if (!retryAtOnce && now - lastRetryMs < OwedBreakRetryMs) {
        return owedCount;
    }
    retryAtOnce = false;
    lastRetryMs = now;
    // A new window in front whose event never came: found here, it owes
    // again what was taken since the last change.
    lookAtForeground();
    heldRecord->keyboardDevice = keyboardDevice;
    KeyBits owed;
    static_assert(sizeof owed == sizeof owedBreaks);
    std::memcpy(owed, owedBreaks, sizeof owed);
    forEachKey(owed, [](uint16_t code, unsigned short prefix) {
        if (settleBreak(code, prefix, keyOutput.send(code, prefix, false))) {
            noteStrokeSent();
        }
    });
    return owedCount;
}

int32_t owedBreakCount() {
    return owedCount;
}

void inputChangedHands() {
    // Every break taken since the last change, as late as its news may come,
    // goes again (a break too many costs the game nothing), held in the
    // record until it is surely taken.
    const uint32_t now = platform.timeMs();
    forEachKey(breaksSinceChange, [now](uint16_t code, unsigned short prefix) {
        if (now - breakTakenMs[prefixRow(prefix)][code & 0xFF] <= ChangeHeardLateMs) {
            noteKeyHeld(code, prefix, true);
            owe(code, prefix, true);
        }
    });
    std::memset(breaksSinceChange, 0, sizeof breaksSinceChange);
}

void inputMayReachTheGameAgain() {
    inputChangedHands();
    retryAtOnce = true;
}

void closeKeyboardOutput() {
    std::memset(breaksSinceChange, 0, sizeof breaksSinceChange);
    keyOutput.close();
    keyOutput = closedOutput();
    outputInUse = NoOutput;
}

OutputChoice outputChoice() {
    return outputChosen;
}

const char* outputChoiceName(OutputChoice choice) {
    return choice == OutputSendInput      ? "sendinput"
           : choice == OutputInterception ? "interception"
                                          : "auto";
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
            formatTextN(
                buffer, size,
                "keys go out through SendInput, as chosen (--output sendinput, or the menu)");
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
    std::memset(owedBreaks, 0, sizeof owedBreaks);
    std::memset(breaksSinceChange, 0, sizeof breaksSinceChange);
    owedCount = 0;
    retryAtOnce = false;
    lastRetryMs = 0;
}
