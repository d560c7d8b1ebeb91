// Calls of later Windows versions, resolved at run time from a library the
// program has loaded already (user32.dll, kernel32.dll): an older system
// lacks them, and the program carries on without (Windows builds only;
// system_call_win32.cpp).
#pragma once

// The call of that name, or null.
void* systemCall(const char* library, const char* name);

template <typename Call> Call systemCallAs(const char* library, const char* name) {
    return reinterpret_cast<Call>(systemCall(library, name));
}
