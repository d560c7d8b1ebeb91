// Calls of later Windows versions found at run time (GetProcAddress) in a
// library the process has loaded already (GetModuleHandleA). It loads no
// library: a call of one the process has not loaded is none.
#include <windows.h>

#include "base/system_call.h"

void* systemCall(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    return module == nullptr ? nullptr : reinterpret_cast<void*>(GetProcAddress(module, name));
}
