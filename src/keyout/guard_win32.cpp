// The guard process: padrelle.exe started again with --guard and two
// inherited handles, the program's process (to wait on) and the section of
// the held record (to read when the program is gone).
#include <windows.h>

#include "base/wide_text.h"
#include "keyout/guard.h"
#include "keyout/interception_api.h"
#include "keyout/keyboard_library.h"
#include "keyout/keyboard_output.h"
#include "keyout/sendinput_output.h"
#include "keyout/system_input.h"

#include <string>

namespace {

bool sendInputBreak(uint16_t code, unsigned short prefix, void*) {
    return injectGuardBreak(code, prefix);
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

// Starts padrelle.exe again with an option and the two handles, which are
// all it inherits (a launcher's pipes stay with the program), out of the
// program's job where the job allows it. The command line names the handles.
bool launch(const std::wstring& program, const char* option, HANDLE process, HANDLE section,
            PROCESS_INFORMATION* started) {
    if (program.empty()) {
        return false;
    }
    std::wstring line = L"\"" + program + L"\" " + wideFromUtf8(option) + L" " +
                        std::to_wstring(reinterpret_cast<uintptr_t>(process)) + L" " +
                        std::to_wstring(reinterpret_cast<uintptr_t>(section));
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    auto* list = static_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(HeapAlloc(GetProcessHeap(), 0, size));
    HANDLE handles[2] = {process, section};
    const bool listed = list != nullptr && InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                        UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                  handles, sizeof handles, nullptr, nullptr);
    if (!listed) {
        // Without the list the new process would inherit every inheritable
        // handle of the program (a launcher's pipes among them): no guard.
        if (list != nullptr) {
            HeapFree(GetProcessHeap(), 0, list);
        }
        return false;
    }
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = list;
    const DWORD flags = CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT;
    // A job that allows no breakaway refuses the flag: the guard then stays
    // in it, and a job that kills its processes kills the guard too.
    BOOL ok = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                             flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr,
                             &startup.StartupInfo, started);
    if (!ok && GetLastError() == ERROR_ACCESS_DENIED) {
        ok = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                            nullptr, &startup.StartupInfo, started);
    }
    DeleteProcThreadAttributeList(list);
    HeapFree(GetProcessHeap(), 0, list);
    return ok != 0;
}

struct GuardWatch {
    std::wstring program;
    HANDLE section = nullptr; // kept: every new guard maps the same record
    HANDLE guard = nullptr;   // the guard now running, to hear of its end
    HANDLE thread = nullptr;
};

GuardWatch watch;

// The program starts a short-lived process that starts the guard and ends at
// once, giving the guard's process id as its exit code: the guard's parent
// is then gone, so ending the program's tree (Task Manager's "End process
// tree", which follows parent ids) does not reach it.
HANDLE launchGuard() {
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0)) {
        return nullptr;
    }
    PROCESS_INFORMATION starter = {};
    const bool started = launch(watch.program, GuardStartOption, self, watch.section, &starter);
    CloseHandle(self);
    if (!started) {
        return nullptr;
    }
    CloseHandle(starter.hThread);
    DWORD guardId = 0;
    if (WaitForSingleObject(starter.hProcess, 5000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(starter.hProcess, &guardId)) {
        guardId = 0;
    }
    CloseHandle(starter.hProcess);
    return guardId == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, guardId);
}

// A guard that ends while the program runs (someone ended it) is replaced.
DWORD WINAPI watchGuard(void*) {
    while (watch.guard != nullptr && WaitForSingleObject(watch.guard, INFINITE) == WAIT_OBJECT_0) {
        CloseHandle(watch.guard);
        noteGuardRestart();
        Sleep(GuardRestartPauseMs); // never a tight loop, whatever ends it
        watch.guard = launchGuard();
    }
    return 0;
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
    watch.program = programPath();
    if (shared == nullptr || watch.program.empty()) {
        if (shared != nullptr) {
            UnmapViewOfFile(shared);
        }
        CloseHandle(section);
        return false;
    }
    *shared = *heldRecord;
    heldRecord = shared;
    watch.section = section;
    watch.guard = launchGuard();
    if (watch.guard == nullptr) {
        return false; // the record stays shared; nothing reads it
    }
    watch.thread = CreateThread(nullptr, 0, watchGuard, nullptr, 0, nullptr);
    return true;
}

int runGuardStart(uint64_t processHandle, uint64_t recordHandle) {
    PROCESS_INFORMATION guard = {};
    if (!launch(programPath(), GuardOption,
                reinterpret_cast<HANDLE>(static_cast<uintptr_t>(processHandle)),
                reinterpret_cast<HANDLE>(static_cast<uintptr_t>(recordHandle)), &guard)) {
        return 0;
    }
    CloseHandle(guard.hThread);
    CloseHandle(guard.hProcess);
    return static_cast<int>(guard.dwProcessId);
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
    // The breaks go as the program made their keys (a numpad key as the
    // virtual key of its make).
    heldRecord = record;
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
