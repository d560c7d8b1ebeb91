// The system's own keyboard input: injecting key events (SendInput) and
// watching every keyboard's key-downs (a low-level keyboard hook). The Win32
// layer fills the table (system_input_win32.cpp); tests fill it with fakes.
#pragma once

#include <cstddef>
#include <cstdint>

// One key event as SendInput takes it.
struct SystemKeyEvent {
    uint16_t virtualKey; // used without KeyEventScancode
    uint16_t scanCode;
    uint32_t flags; // KeyEvent* bits
};

constexpr uint32_t KeyEventExtended = 0x0001; // KEYEVENTF_EXTENDEDKEY: the E0 prefix
constexpr uint32_t KeyEventUp = 0x0002;       // KEYEVENTF_KEYUP: a break
constexpr uint32_t KeyEventScancode = 0x0008; // KEYEVENTF_SCANCODE

// Flags of a hooked key (the hook's KBDLLHOOKSTRUCT).
constexpr uint32_t HookedExtended = 0x01; // LLKHF_EXTENDED
constexpr uint32_t HookedInjected = 0x10; // LLKHF_INJECTED
constexpr uint32_t HookedUp = 0x80;       // LLKHF_UP

// One key the hook saw go down or up.
struct HookedKey {
    uint32_t scanCode;
    uint32_t flags; // Hooked* bits
    uint32_t virtualKey;
    uintptr_t extraInfo;
};

// One bit a virtual key, 0 to 255.
struct KeyStateBits {
    uint8_t bits[32];
};

// What the program's own injected events carry as extra information, so that
// its hook can tell them from everything else.
constexpr uintptr_t PadrelleInputTag = 0x50616472u;

// What SendInput sets as the last error while another desktop has the input
// (the lock screen, a UAC prompt): it may count the events all the same.
constexpr uint32_t SystemErrorAccessDenied = 5; // ERROR_ACCESS_DENIED

struct SystemInputApi {
    // Injects the events in order; gives how many the system counted, and
    // in *error the thread's last error after the call (0 when it set none).
    uint32_t (*send)(const SystemKeyEvent* events, uint32_t count, uint32_t* error);
    // From now on every key of any keyboard, down and up, goes to
    // queueHookedKey (from the hook's own thread), until unhooked. False when
    // the hook cannot be set.
    bool (*hookKeyboard)();
    void (*unhookKeyboard)();
    // Which keys are down now, one bit a virtual key (GetAsyncKeyState).
    void (*keysDown)(KeyStateBits* out);
    // Whether NumLock is on (GetKeyState's toggle bit).
    bool (*numLockOn)();
    // Whether the foreground window's process runs at a higher integrity
    // level than this one (a game started as administrator): Windows then
    // drops every key injected into it, and SendInput does not say so. Kept
    // up to date as the foreground changes; cheap to ask.
    bool (*foregroundOutranksUs)();
    // Whether there is a foreground window for this thread now
    // (GetForegroundWindow is not null): none while this thread's desktop
    // is not the input desktop, or for a moment while a window loses the
    // activation. Cheap to ask.
    bool (*foregroundKnown)();
    // The file name of the program whose window is in the foreground
    // ("popn.exe", UTF-8, no folder), as last heard (its event, or a look
    // that found another window): "" for none, for this program's own, and
    // for one that keeps its name from us.
    void (*foregroundProgram)(char* out, size_t size);
    // The same of the window's content where another process draws it (a
    // UWP app's CoreWindow inside ApplicationFrameHost.exe's frame): "" for
    // none.
    void (*foregroundContentProgram)(char* out, size_t size);
    // Asks for the window in front now (GetForegroundWindow, cheap); when
    // it is another than last heard, reads it anew (its integrity level,
    // its program) and gives true: the caller acts as on its event.
    bool (*lookAtForeground)();
};

// Takes nothing and sets no hook until filled.
extern SystemInputApi systemInput;
void resetSystemInput();

// A key the hook saw, kept for the capture to take; from any thread. The
// hook does nothing else: Windows removes a hook whose callback is slow,
// without a word. A full queue drops the key.
void queueHookedKey(const HookedKey& key);
// On the hook's thread, after queueHookedKey: whether the key is kept from
// the system (the hook gives nonzero instead of passing it on), as while the
// layout editor waits for a key or a text (key_keeper.h). The program's own
// strokes are never kept.
bool keepHookedKey(const HookedKey& key);
// The keys queued since the last call, oldest first, at most max of them.
uint32_t takeHookedKeys(HookedKey* keys, uint32_t max);
// Drops every key queued.
void discardHookedKeys();

// How many times the foreground window changed since the start, as the
// watch below hears it or a look finds it (main thread).
uint32_t foregroundChangeCount();
void noteForegroundChange();
// Another window came to the foreground, heard from its event or found by a
// look: input may reach the game again (breaks taken since the last change
// are owed again), and the change is counted.
void foregroundChangeHeard();
// The program in front as a player knows it: a UWP app by its own program,
// not its frame's (programOfWindow); "" as foregroundProgram gives it.
void programInFront(char* out, size_t size);
// Looks for the window in front now; a change goes through
// foregroundChangeHeard, as its event would. True when one was found: under
// Wine, and where the system never sends the event, this is how it is seen.
bool lookAtForeground();

// Windows only: fills the table with SendInput and SetWindowsHookExW.
void useWin32SystemInput();
// Windows only: keeps foregroundOutranksUs up to date from now on (the
// calling thread's message loop hears of every change of the foreground).
void watchForegroundWindow();
