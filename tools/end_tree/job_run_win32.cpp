// Starts a program in a job object, as a launcher or a game client may: the
// job lets its processes break away (JOB_OBJECT_LIMIT_BREAKAWAY_OK) and kills
// every process still in it when its last handle is closed
// (JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE). A line on the standard input closes
// the job; the program's end is waited for.
//
//   padrelle-in-job.exe COMMAND LINE...
//
// Prints "started <process id>", then "closed <exit code>". Exit code 0 when
// the program was started and ended with the job.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    // The command line after this program's own name, as it was given.
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line != L'\0' && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        quoted = *line == L'"' ? !quoted : quoted;
    }
    while (*line == L' ' || *line == L'\t') {
        ++line;
    }
    std::wstring command = line;
    if (command.empty()) {
        std::fprintf(stderr, "no command line to start\n");
        return 2;
    }
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_BREAKAWAY_OK | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job == nullptr ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        std::fprintf(stderr, "no job object (error %lu)\n", GetLastError());
        return 1;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &started)) {
        std::fprintf(stderr, "could not start it (error %lu)\n", GetLastError());
        return 1;
    }
    if (!AssignProcessToJobObject(job, started.hProcess)) {
        std::fprintf(stderr, "could not put it in the job (error %lu)\n", GetLastError());
        TerminateProcess(started.hProcess, 1);
        return 1;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    std::printf("started %lu\n", static_cast<unsigned long>(started.dwProcessId));
    std::fflush(stdout);
    char word[64];
    if (std::fgets(word, sizeof word, stdin) == nullptr) {
        // No line will come: the job closes with this process all the same.
    }
    CloseHandle(job);
    const bool ended = WaitForSingleObject(started.hProcess, 20000) == WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    std::printf("closed %lu\n", static_cast<unsigned long>(code));
    std::fflush(stdout);
    return ended ? 0 : 1;
}
