// Binds the keyboard-filter driver library at run time.
#include <windows.h>

#include "keyout/keyboard_library.h"

namespace {

template <typename Call> void bind(HMODULE module, const char* name, Call& call) {
    // The library's calls use the C calling convention; the table's pointers match.
    call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

KeyboardLibraryStatus bindKeyboardLibrary() {
    interception = InterceptionApi{};
    // Only the program's own folder and System32: never the current directory.
    HMODULE module =
        LoadLibraryExA("interception.dll", nullptr,
                       LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        keyboardLibraryStatus = KeyboardLibraryNotLoaded;
        keyboardLibraryMissingCall = nullptr;
        return keyboardLibraryStatus;
    }
    bind(module, "interception_create_context", interception.create_context);
    bind(module, "interception_destroy_context", interception.destroy_context);
    bind(module, "interception_is_keyboard", interception.is_keyboard);
    bind(module, "interception_set_filter", interception.set_filter);
    bind(module, "interception_wait", interception.wait);
    bind(module, "interception_receive", interception.receive);
    bind(module, "interception_send", interception.send);
    keyboardLibraryStatus = checkInterceptionTable(interception, &keyboardLibraryMissingCall);
    if (keyboardLibraryStatus != KeyboardLibraryReady) {
        // A half library is not used at all.
        interception = InterceptionApi{};
    }
    return keyboardLibraryStatus;
}
