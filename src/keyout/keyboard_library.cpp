#include "keyout/keyboard_library.h"

#include "base/format_text.h"
#include "keyout/library_loading.h"

KeyboardLibrary keyboardLibrary;

KeyboardLibraryStatus checkInterceptionTable(const InterceptionApi& api, const char** missingCall) {
    const struct {
        bool bound;
        const char* name;
    } calls[] = {
        {api.create_context != nullptr, "interception_create_context"},
        {api.destroy_context != nullptr, "interception_destroy_context"},
        {api.is_keyboard != nullptr, "interception_is_keyboard"},
        {api.set_filter != nullptr, "interception_set_filter"},
        {api.wait != nullptr, "interception_wait"},
        {api.receive != nullptr, "interception_receive"},
        {api.send != nullptr, "interception_send"},
    };
    const char* missing = nullptr;
    bool any = false;
    for (const auto& call : calls) {
        any = any || call.bound;
        if (!call.bound && missing == nullptr) {
            missing = call.name;
        }
    }
    if (missingCall != nullptr) {
        *missingCall = any ? missing : nullptr;
    }
    if (!any) {
        return KeyboardLibraryNotLoaded; // nothing bound at all: no library
    }
    return missing == nullptr ? KeyboardLibraryReady : KeyboardLibraryIncomplete;
}

namespace {

constexpr const char* InstallDriver =
    "install it (install-interception.exe /install, as administrator) and restart Windows";

} // namespace

void describeKeyboardLibrary(const KeyboardLibrary& library, char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const int32_t otherBits = library.programBits == 32 ? 64 : 32;
    switch (library.status) {
    case KeyboardLibraryNotLoaded:
        formatTextN(buffer, size, "no interception.dll beside padrelle.exe or in %s",
                    library.onWow64 ? "SysWOW64" : "System32");
        break;
    case KeyboardLibraryWrongArchitecture:
        formatTextN(buffer, size,
                    "interception.dll is the %d-bit file: this %d-bit padrelle.exe needs the one "
                    "from the %s folder of the Interception release",
                    library.libraryBits != 0 ? library.libraryBits : otherBits, library.programBits,
                    library.programBits == 32 ? "x86" : "x64");
        break;
    case KeyboardLibraryLoadFailed:
        formatTextN(buffer, size, "interception.dll could not be loaded (Windows error %u%s)",
                    static_cast<unsigned>(library.loadError),
                    library.loadError == ErrorBadExeFormat ? ": not a valid library" : "");
        break;
    case KeyboardLibraryIncomplete:
        formatTextN(buffer, size,
                    "interception.dll lacks %s: put the one of the Interception release there",
                    library.missingCall != nullptr ? library.missingCall : "a call");
        break;
    case KeyboardDriverMissing:
    case KeyboardDriverSilent:
        formatTextN(buffer, size, "the Interception driver is not installed: %s", InstallDriver);
        break;
    case KeyboardNotAttached:
        formatTextN(buffer, size, "no keyboard is attached to the Interception driver");
        break;
    default:
        buffer[0] = '\0';
        break;
    }
}
