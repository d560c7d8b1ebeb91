#include "keyout/keyboard_output.h"

#include "keyout/keyboard_library.h"

InterceptionContext interceptionContext = nullptr;
InterceptionDevice keyboardDevice = 0;
InterceptionKeyStroke keyStroke = {};

namespace {

bool isKeyboardNumber(InterceptionDevice device) {
    return device >= FirstKeyboard && device <= LastKeyboard;
}

bool libraryReady() {
    return keyboardLibraryStatus == KeyboardLibraryReady;
}

} // namespace

void resetKeyboardOutput() {
    interceptionContext = nullptr;
    keyboardDevice = 0;
    keyStroke = InterceptionKeyStroke{};
    keyboardLibraryStatus = KeyboardLibraryUnchecked;
    keyboardLibraryMissingCall = nullptr;
}

bool openKeyboardOutput() {
    if (keyboardLibraryStatus == KeyboardLibraryUnchecked) {
        keyboardLibraryStatus = checkInterceptionTable(interception, &keyboardLibraryMissingCall);
    }
    if (!libraryReady()) {
        return false;
    }
    interceptionContext = interception.create_context();
    if (interceptionContext == nullptr) {
        keyboardLibraryStatus = KeyboardDriverMissing;
        return false;
    }
    // Keyboards are the devices 1 to 10; nothing beyond them is asked.
    for (InterceptionDevice device = 0; device <= LastKeyboard; ++device) {
        if (interception.is_keyboard(device) != 0) {
            keyboardDevice = device;
            return true;
        }
    }
    return false;
}

CapturedKey captureKey() {
    CapturedKey result = {false, 0, 0};
    // Without a context the library's wait returns at once: never loop on it.
    if (!libraryReady() || interceptionContext == nullptr) {
        return result;
    }
    interception.set_filter(interceptionContext, interception.is_keyboard, FilterKeyDown);
    for (int32_t failures = 0; failures < MaxFailedReceives;) {
        const InterceptionDevice device = interception.wait(interceptionContext);
        if (!isKeyboardNumber(device)) {
            break; // the wait failed: no key will come this way
        }
        if (interception.receive(interceptionContext, device, &keyStroke, 1) <= 0) {
            ++failures;
            continue;
        }
        keyboardDevice = device;
        // The press goes on to the system as if it had not been held back.
        interception.send(interceptionContext, device, &keyStroke, 1);
        result.captured = true;
        result.code = keyStroke.code;
        result.prefix = static_cast<unsigned short>(keyStroke.state & KeyPrefixMask);
        break;
    }
    interception.set_filter(interceptionContext, interception.is_keyboard, FilterNone);
    return result;
}

void sendKey(int8_t scancode, int32_t down, unsigned short prefix) {
    if (!libraryReady() || interceptionContext == nullptr || !isKeyboardNumber(keyboardDevice)) {
        return;
    }
    keyStroke.code = static_cast<unsigned short>(static_cast<int16_t>(scancode));
    const unsigned short state = down != 0 ? KeyStateDown : KeyStateUp;
    keyStroke.state = static_cast<unsigned short>(state | (prefix & KeyPrefixMask));
    interception.send(interceptionContext, keyboardDevice, &keyStroke, 1);
}

void closeKeyboardOutput() {
    if (interceptionContext != nullptr && interception.destroy_context != nullptr) {
        interception.destroy_context(interceptionContext);
    }
    interceptionContext = nullptr;
}
