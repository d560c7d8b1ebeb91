// A process that dies must not leave a key pressed in the system: the current
// scene lets go of what it holds on the way down.
#include <windows.h>

#include "engine/crash_release.h"
#include "engine/engine.h"

#include <cstdlib>
#include <exception>

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER earlierFilter = nullptr;
std::terminate_handler earlierTerminate = nullptr;
// One attempt only: an error inside the release itself (or a second thread
// dying meanwhile) must not run it again.
volatile LONG releaseStarted = 0;

void releaseOnce() {
    if (InterlockedExchange(&releaseStarted, 1) == 0) {
        releaseScene();
    }
}

LONG WINAPI releaseOnUnhandledException(EXCEPTION_POINTERS* exception) {
    releaseOnce();
    // Then the error takes its usual course: the runtime's own filter, the
    // system's error report, the end of the process.
    if (earlierFilter != nullptr) {
        return earlierFilter(exception);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void releaseOnTerminate() {
    releaseOnce();
    if (earlierTerminate != nullptr) {
        earlierTerminate();
    }
    std::abort();
}

} // namespace

void installCrashRelease() {
    earlierFilter = SetUnhandledExceptionFilter(releaseOnUnhandledException);
    earlierTerminate = std::set_terminate(releaseOnTerminate);
}
