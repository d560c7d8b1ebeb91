// The stand-in's keyboard: scripted key presses for tests, real key presses
// for people.
#include <windows.h>

#include "standin.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t MaxScriptedKeys = 256;
constexpr unsigned short PrefixE0 = 0x02;
constexpr unsigned short PrefixE1 = 0x04;

StandinKey script[MaxScriptedKeys];
size_t scriptLength = 0;
size_t scriptUsed = 0;
bool scriptLoaded = false;

void loadScript() {
    if (scriptLoaded) {
        return;
    }
    scriptLoaded = true;
    const char* text = std::getenv("PADRELLE_STANDIN_KEYS");
    if (text == nullptr || text[0] == '\0') {
        logLine("script keys=0 source=keyboard");
        return;
    }
    size_t bad = 0;
    scriptLength = parseKeyScript(text, script, MaxScriptedKeys, &bad);
    logLine("script keys=%u bad=%u", static_cast<unsigned>(scriptLength),
            static_cast<unsigned>(bad));
}

unsigned long numberFromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || text[0] == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return (end != nullptr && *end == '\0') ? value : fallback;
}

// How many scripted keys the gate file lets through: the decimal number in
// the file named by PADRELLE_STANDIN_GATE; 0 while it is missing. Without a
// gate every key may go.
size_t gateAllows() {
    const char* path = std::getenv("PADRELLE_STANDIN_GATE");
    if (path == nullptr || path[0] == '\0') {
        return MaxScriptedKeys;
    }
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return 0;
    }
    unsigned long allowed = 0;
    if (std::fscanf(file, "%lu", &allowed) != 1) {
        allowed = 0;
    }
    std::fclose(file);
    return static_cast<size_t>(allowed);
}

size_t gateLogged = static_cast<size_t>(-1);

bool nextScriptedKey(unsigned long milliseconds, StandinKey* key) {
    if (gateAllows() <= scriptUsed) {
        if (gateLogged != scriptUsed) {
            logLine("gate key=%u closed", static_cast<unsigned>(scriptUsed));
            gateLogged = scriptUsed;
        }
        idle(milliseconds);
        return false;
    }
    const unsigned long delay = numberFromEnvironment("PADRELLE_STANDIN_KEY_DELAY_MS", 0);
    if (delay > 0) {
        idle(delay);
    }
    *key = script[scriptUsed++];
    return true;
}

struct ExtendedKey {
    int virtualKey;
    unsigned short code;
    unsigned short prefix;
};

// Keys whose set-1 code carries a prefix, or that the system's mapping does
// not give reliably.
const ExtendedKey extendedKeys[] = {
    {VK_RCONTROL, 0x1D, PrefixE0}, {VK_RMENU, 0x38, PrefixE0},    {VK_INSERT, 0x52, PrefixE0},
    {VK_DELETE, 0x53, PrefixE0},   {VK_HOME, 0x47, PrefixE0},     {VK_END, 0x4F, PrefixE0},
    {VK_PRIOR, 0x49, PrefixE0},    {VK_NEXT, 0x51, PrefixE0},     {VK_LEFT, 0x4B, PrefixE0},
    {VK_RIGHT, 0x4D, PrefixE0},    {VK_UP, 0x48, PrefixE0},       {VK_DOWN, 0x50, PrefixE0},
    {VK_DIVIDE, 0x35, PrefixE0},   {VK_LWIN, 0x5B, PrefixE0},     {VK_RWIN, 0x5C, PrefixE0},
    {VK_APPS, 0x5D, PrefixE0},     {VK_SNAPSHOT, 0x37, PrefixE0}, {VK_PAUSE, 0x1D, PrefixE1},
    {VK_NUMLOCK, 0x45, 0},         {VK_LCONTROL, 0x1D, 0},        {VK_LMENU, 0x38, 0},
    {VK_LSHIFT, 0x2A, 0},          {VK_RSHIFT, 0x36, 0},
};

// Keys not watched: mouse buttons, and the side-less Shift, Ctrl and Alt
// (their left and right keys are watched instead).
bool watched(int virtualKey) {
    if (virtualKey < VK_BACK || virtualKey == VK_SHIFT || virtualKey == VK_CONTROL ||
        virtualKey == VK_MENU) {
        return false;
    }
    return virtualKey != VK_XBUTTON1 && virtualKey != VK_XBUTTON2;
}

bool setOneKey(int virtualKey, StandinKey* key) {
    for (const ExtendedKey& extended : extendedKeys) {
        if (extended.virtualKey == virtualKey) {
            key->code = extended.code;
            key->prefix = extended.prefix;
            return true;
        }
    }
    const UINT code = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC) & 0xFF;
    key->code = static_cast<unsigned short>(code);
    key->prefix = 0;
    return code != 0;
}

// Down now, or pressed since the last query (a short press can go down and
// up between two polls).
bool wentDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8001) != 0;
}

// The next key that goes down while the keyboard is watched; keys already held
// when the watch began are taken only after they have been released and
// pressed again.
bool wasDown[256] = {};
bool watching = false;

bool nextRealKey(unsigned long milliseconds, StandinKey* found) {
    if (!watching) {
        watching = true;
        for (int virtualKey = 0; virtualKey < 256; ++virtualKey) {
            wasDown[virtualKey] = watched(virtualKey) && wentDown(virtualKey);
        }
        logLine("keyboard waiting for a key press");
    }
    for (unsigned long waited = 0;; waited += 10) {
        for (int virtualKey = 0; virtualKey < 255; ++virtualKey) {
            if (!watched(virtualKey)) {
                continue;
            }
            const bool down = wentDown(virtualKey);
            const bool pressed = down && !wasDown[virtualKey];
            wasDown[virtualKey] = down;
            if (!pressed) {
                continue;
            }
            StandinKey key = {0, 0};
            if (setOneKey(virtualKey, &key)) {
                logLine("keyboard virtual_key=0x%02X code=0x%02X prefix=0x%02X", virtualKey,
                        key.code, key.prefix);
                watching = false;
                *found = key;
                return true;
            }
            logLine("keyboard virtual_key=0x%02X has no scancode: ignored", virtualKey);
        }
        if (waited >= milliseconds) {
            return false;
        }
        idle(10);
    }
}

} // namespace

// Waits about the given time. The wait also lets the system deliver its
// pending window output and input events to this thread's windows, but it
// dispatches no window message.
void idle(unsigned long milliseconds) {
    const DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, 0);
    if (result != WAIT_TIMEOUT && milliseconds > 0) {
        Sleep(milliseconds);
    }
}

bool nextKeyPress(unsigned long milliseconds, StandinKey* key) {
    loadScript();
    if (scriptUsed < scriptLength) {
        return nextScriptedKey(milliseconds, key);
    }
    return nextRealKey(milliseconds, key);
}

size_t scriptedKeysUsed() {
    return scriptUsed;
}

size_t scriptedKeyCount() {
    loadScript();
    return scriptLength;
}
