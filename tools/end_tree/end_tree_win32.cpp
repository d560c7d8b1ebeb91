// Ends a program's whole process tree as Task Manager's "End process tree"
// does: the process of the window titled as given, then every process whose
// parent id leads back to it, each with TerminateProcess. Prints each
// process it ended; exit code 0 when the window's process was ended.
//
//   padrelle-end-tree.exe ["Padrelle v1.0"]
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<DWORD> treeOf(DWORD root) {
    std::vector<DWORD> tree = {root};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return tree;
    }
    std::vector<PROCESSENTRY32W> all;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        all.push_back(entry);
    }
    CloseHandle(snapshot);
    // Breadth first: children of every process found so far.
    for (size_t i = 0; i < tree.size(); ++i) {
        for (const PROCESSENTRY32W& p : all) {
            if (p.th32ParentProcessID == tree[i] && p.th32ProcessID != tree[i]) {
                tree.push_back(p.th32ProcessID);
            }
        }
    }
    return tree;
}

} // namespace

int main(int argc, char** argv) {
    const char* title = argc > 1 ? argv[1] : "Padrelle v1.0";
    HWND window = FindWindowA(nullptr, title);
    DWORD root = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &root) == 0 || root == 0) {
        std::fprintf(stderr, "no window titled \"%s\"\n", title);
        return 1;
    }
    int ended = 0;
    bool rootEnded = false;
    for (DWORD id : treeOf(root)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (process != nullptr && TerminateProcess(process, 1)) {
            std::printf("ended process %lu%s\n", static_cast<unsigned long>(id),
                        id == root ? " (the window's)" : "");
            ++ended;
            rootEnded = rootEnded || id == root;
        }
        if (process != nullptr) {
            CloseHandle(process);
        }
    }
    std::printf("%d processes ended\n", ended);
    return rootEnded ? 0 : 1;
}
