// The guard process: padrelle.exe started again with --guard and two
// inherited handles, the program's process (to wait on) and the section of
// the held record (to read when the program is gone).
#include <windows.h>

#include "keyout/guard.h"
#include "keyout/interception_api.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"

#include <cwchar>

namespace {

// Taken by SendInput and not in front of a window that outranks us, whose
// process drops it without a word.
bool sendInputBreak(uint16_t code, unsigned short prefix, void*) {
    return injectKey(code, prefix, false) && !systemInput.foregroundOutranksUs();
}

void pause(uint32_t ms) {
    Sleep(ms);
}

// The driver, through a context of the guard's own, into the keyboard the
// program sent to.
struct DriverTarget {
    InterceptionContext context;
    InterceptionDevice device;
};

bool driverBreak(uint16_t code, unsigned short prefix, void* target) {
    const auto* t = static_cast<const DriverTarget*>(target);
    InterceptionKeyStroke stroke = {code, static_cast<unsigned short>(KeyStateUp | prefix), 0};
    return interception.send(t->context, t->device, &stroke, 1) > 0;
}

} // namespace

bool startGuard() {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0,
                                        sizeof(HeldRecord), nullptr);
    if (section == nullptr) {
        return false;
    }
    auto* shared = static_cast<HeldRecord*>(
        MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HeldRecord)));
    HANDLE self = nullptr;
    wchar_t program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH * 4);
    if (shared == nullptr || length == 0 || length >= MAX_PATH * 4 ||
        !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0)) {
        if (shared != nullptr) {
            UnmapViewOfFile(shared);
        }
        CloseHandle(section);
        return false;
    }
    *shared = *heldRecord;
    heldRecord = shared;
    wchar_t line[MAX_PATH * 4 + 96];
    swprintf(line, sizeof line / sizeof line[0], L"\"%ls\" %hs %llu %llu", program, GuardOption,
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(self)),
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(section)));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION guard = {};
    // Only the two handles are inheritable; the guard has no window.
    const BOOL started = CreateProcessW(program, line, nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &guard);
    CloseHandle(self);
    CloseHandle(section); // the view keeps the section, the guard its own handle
    if (!started) {
        resetHeldRecord();
        UnmapViewOfFile(shared);
        return false;
    }
    CloseHandle(guard.hThread);
    CloseHandle(guard.hProcess);
    return true;
}

int runGuard(uint64_t processHandle, uint64_t recordHandle) {
    HANDLE process = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(processHandle));
    HANDLE section = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(recordHandle));
    auto* record = static_cast<HeldRecord*>(
        MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HeldRecord)));
    if (record == nullptr || !isHeldRecord(*record)) {
        return 1;
    }
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0) {
        return 1;
    }
    useWin32AccessibilityApi();
    DriverTarget target = {nullptr, record->keyboardDevice};
    if (record->cleanExit == 0 && record->output == DriverOutput && keysHeldInRecord(*record) > 0) {
        bindKeyboardLibrary();
        if (keyboardLibrary.status == KeyboardLibraryReady) {
            target.context = interception.create_context();
        }
    }
    if (target.context != nullptr) {
        releaseUntilTaken(*record, driverBreak, &target, accessibilityApi, pause);
        interception.destroy_context(target.context);
    } else {
        // A key the driver held is let go through the system's queue all the
        // same when the driver cannot be had now.
        useWin32SystemInput();
        releaseUntilTaken(*record, sendInputBreak, nullptr, accessibilityApi, pause);
    }
    UnmapViewOfFile(record);
    return 0;
}
