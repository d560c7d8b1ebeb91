// The strokes the program sends, made real key events of the system.
#include <windows.h>

#include "keyout/interception_api.h"
#include "standin.h"

#include <cstdlib>

bool injectingStrokes() {
    static const bool on = [] {
        const char* value = std::getenv("PADRELLE_STANDIN_INJECT");
        return value != nullptr && value[0] == '1';
    }();
    return on;
}

void injectStroke(unsigned short code, unsigned short state) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    const DWORD up = (state & KeyStateUp) != 0 ? KEYEVENTF_KEYUP : 0;
    if ((state & KeyStateE1) != 0) {
        // E1 1D is Pause, which the system takes by its virtual key only.
        input.ki.wVk = VK_PAUSE;
        input.ki.dwFlags = up;
    } else {
        input.ki.wScan = static_cast<WORD>(code & 0xFF);
        input.ki.dwFlags =
            KEYEVENTF_SCANCODE | up | ((state & KeyStateE0) != 0 ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    const UINT taken = SendInput(1, &input, sizeof input);
    logLine("inject code=0x%02X state=0x%02X taken=%u", code, state, taken);
}
