#include "keyout/keyboard_library.h"

#include "engine/format_text.h"

KeyboardLibraryStatus keyboardLibraryStatus = KeyboardLibraryUnchecked;
const char* keyboardLibraryMissingCall = nullptr;

KeyboardLibraryStatus checkInterceptionTable(const InterceptionApi& api, const char** missingCall) {
    const char* missing = nullptr;
    if (api.create_context == nullptr && api.destroy_context == nullptr &&
        api.is_keyboard == nullptr && api.set_filter == nullptr && api.wait == nullptr &&
        api.receive == nullptr && api.send == nullptr) {
        // Nothing bound at all: no library.
        if (missingCall != nullptr) {
            *missingCall = nullptr;
        }
        return KeyboardLibraryNotLoaded;
    }
    if (api.create_context == nullptr) {
        missing = "interception_create_context";
    } else if (api.destroy_context == nullptr) {
        missing = "interception_destroy_context";
    } else if (api.is_keyboard == nullptr) {
        missing = "interception_is_keyboard";
    } else if (api.set_filter == nullptr) {
        missing = "interception_set_filter";
    } else if (api.wait == nullptr) {
        missing = "interception_wait";
    } else if (api.receive == nullptr) {
        missing = "interception_receive";
    } else if (api.send == nullptr) {
        missing = "interception_send";
    }
    if (missingCall != nullptr) {
        *missingCall = missing;
    }
    return missing == nullptr ? KeyboardLibraryReady : KeyboardLibraryIncomplete;
}

namespace {

constexpr const char* Consequence =
    "\n\nPadrelle now runs with the default keys and sends no keystrokes.";

} // namespace

void keyboardLibraryMessage(KeyboardLibraryStatus status, const char* missingCall, char* buffer,
                            size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    switch (status) {
    case KeyboardLibraryNotLoaded:
        formatTextN(buffer, size,
                    "interception.dll could not be loaded.\n\n"
                    "Padrelle sends its keys through the Interception keyboard driver. Install "
                    "the Interception driver (install-interception.exe /install, as "
                    "administrator) and reboot, and put interception.dll beside padrelle.exe.%s",
                    Consequence);
        break;
    case KeyboardLibraryIncomplete:
        formatTextN(buffer, size,
                    "interception.dll lacks the function %s.\n\n"
                    "Put the interception.dll of the Interception driver package beside "
                    "padrelle.exe.%s",
                    missingCall != nullptr ? missingCall : "(unknown)", Consequence);
        break;
    case KeyboardDriverMissing:
        formatTextN(buffer, size,
                    "The Interception keyboard driver is not installed (interception.dll "
                    "gives no driver context).\n\n"
                    "Install the Interception driver (install-interception.exe /install, as "
                    "administrator) and reboot.%s",
                    Consequence);
        break;
    default:
        buffer[0] = '\0';
        break;
    }
}
