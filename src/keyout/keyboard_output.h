// Keyboard output: where the controller's strokes go and where key assignment
// takes its keys from. Two outputs stand behind the one table keyOutput: the
// keyboard-filter driver (interception_output.h) and the system's input queue
// through SendInput (sendinput_output.h). Which one is used, and why, is
// decided when the output is opened.
#pragma once

#include "keyout/keyboard_library.h"

#include <cstddef>
#include <cstdint>

// The prefix bits of a stroke's state (E0, E1) that belong to the key itself.
constexpr unsigned short KeyPrefixMask = KeyStateE0 | KeyStateE1;

enum CapturePoll : int32_t { CapturePending = 0, CaptureTaken = 1, CaptureFailed = 2 };

struct CapturedKey {
    bool captured;         // false: no key could be taken; the caller keeps its default
    uint16_t code;         // the set-1 make code
    unsigned short prefix; // its E0/E1 bits
};

// What became of a stroke: the system refused it (the input desktop is the
// lock screen or a UAC prompt: nothing was inserted), took it, or took it
// where it may be dropped on the way without a word (the foreground window
// outranks the program).
enum StrokeResult : int32_t { StrokeRefused = 0, StrokeTaken = 1, StrokeDoubtful = 2 };

struct KeyOutput {
    // One make or break stroke of a set-1 code with its prefix bits.
    StrokeResult (*send)(uint16_t code, unsigned short prefix, bool down);
    // Key capture: once armed, the next key-down of any keyboard is taken
    // (and reaches the system as usual); polled until it is there.
    void (*armCapture)();
    CapturePoll (*pollCapture)(CapturedKey* key);
    void (*disarmCapture)();
    // Lets go of the output (a capture under way included).
    void (*close)();
    // How often a pending capture must be polled, in milliseconds; 0 when a
    // key press wakes the main loop by itself.
    uint32_t capturePollMs;
};

// The output in use; until one is opened it sends and captures nothing.
extern KeyOutput keyOutput;

enum OutputChoice : int32_t { OutputAuto = 0, OutputSendInput = 1, OutputInterception = 2 };
enum OutputInUse : int32_t { NoOutput = 0, DriverOutput = 1, SendInputOutput = 2 };
extern OutputInUse outputInUse;
// The choice the output was last opened with, and its name as the command
// line and the settings file give it: "auto", "sendinput", "interception".
OutputChoice outputChoice();
const char* outputChoiceName(OutputChoice choice);

// Opens the output asked for: Auto takes the driver when it can be used and
// SendInput otherwise; SendInput and Interception only that one. False when
// nothing could be opened (the driver asked for and unusable: keyboardLibrary
// says why). While an output is open, opening again changes nothing.
bool openKeyboardOutput(OutputChoice choice = OutputAuto);
// One make (down nonzero) or break stroke; the prefix bits go with both. A
// stroke the output refuses is counted as lost. A break that was refused or
// is doubtful leaves its key in the held record and owed: it goes again
// (retryOwedBreaks) until the system surely takes it. A make of an owed key
// ends the debt: the key is wanted down again and its own break will come.
void sendKey(int8_t scancode, int32_t down, unsigned short prefix = 0);

// Sends every owed break again, at most every OwedBreakRetryMs, or at once
// after inputMayReachTheGameAgain(). Gives how many are still owed; while
// any are, the caller comes back within OwedBreakRetryMs.
int32_t retryOwedBreaks();
int32_t owedBreakCount();
constexpr uint32_t OwedBreakRetryMs = 100;
// Input changed hands (the foreground, the input desktop, the session): a
// break the system took since the last change may not have reached the game
// (UIPI drops keys without a word, and the program hears of a new foreground
// only when it next takes messages; keys taken as the desktop switches go to
// the one that goes), so each, taken no longer before than the news of a
// change may come late, is owed again until it is surely taken.
void inputChangedHands();
// How late the news of a change of the foreground may come: its event at the
// main thread's next message, a look every half second. Only breaks taken
// that long before it are sent again.
constexpr uint32_t ChangeHeardLateMs = 1000;
// The input desktop came back (unlock, console connect, the end of a UAC
// prompt) or the foreground changed: input changed hands, and the next retry
// is not to wait.
void inputMayReachTheGameAgain();
// Closes the output; afterwards nothing is sent. Safe to call twice.
void closeKeyboardOutput();

// The controller screen's line about the output: which one, and why.
void describeKeyboardOutput(char* buffer, size_t size);

// Nothing open, nothing chosen, the library unchecked.
void resetKeyboardOutput();
