#include <windows.h>

#include "base/system_call.h"

void* systemCall(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    return module == nullptr ? nullptr : reinterpret_cast<void*>(GetProcAddress(module, name));
}
