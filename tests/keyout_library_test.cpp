// Finding interception.dll and telling why it could not be loaded.
#include "keyout/library_loading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// The files the fake system has, by full path, and what loading each gives.
struct FakeFiles {
    bool safeFlagsKnown = true;
    std::map<std::string, uint32_t> loadErrors; // 0: loads
    std::map<std::string, std::vector<uint8_t>> contents;
    std::vector<std::string> loads;
};
FakeFiles files;
int moduleObject = 0;

void* load(const std::string& path, uint32_t* error) {
    files.loads.push_back(path);
    const auto found = files.loadErrors.find(path);
    *error = found == files.loadErrors.end() ? ErrorModuleNotFound : found->second;
    return *error == 0 ? &moduleObject : nullptr;
}

const LibraryLoader fakeLoader = {
    [](const char* name, uint32_t* error) -> void* {
        if (!files.safeFlagsKnown) {
            *error = ErrorInvalidParameter;
            return nullptr;
        }
        // The safe search: the program's folder, then System32.
        void* module = load(std::string("C:\\Game\\") + name, error);
        return module != nullptr || *error != ErrorModuleNotFound
                   ? module
                   : load(std::string("C:\\Windows\\System32\\") + name, error);
    },
    [](const char* path, uint32_t* error) { return load(path, error); },
    [](char* out, size_t size) { return std::snprintf(out, size, "C:\\Game\\") > 0; },
    [](char* out, size_t size) { return std::snprintf(out, size, "C:\\Windows\\System32\\") > 0; },
    [](const char* path, uint8_t* out, size_t size) -> size_t {
        const auto found = files.contents.find(path);
        if (found == files.contents.end()) {
            return 0;
        }
        const size_t n = std::min(size, found->second.size());
        std::memcpy(out, found->second.data(), n);
        return n;
    },
};

// The start of a Windows program file for a machine type.
std::vector<uint8_t> programFile(uint16_t machine, uint32_t headerAt = 0x80) {
    std::vector<uint8_t> bytes(headerAt + 24, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
        bytes[0x3C + i] = static_cast<uint8_t>(headerAt >> (8 * i));
    }
    std::memcpy(bytes.data() + headerAt, "PE\0\0", 4);
    bytes[headerAt + 4] = static_cast<uint8_t>(machine);
    bytes[headerAt + 5] = static_cast<uint8_t>(machine >> 8);
    return bytes;
}

const std::string ProgramFolderDll = "C:\\Game\\interception.dll";
const std::string SystemDll = "C:\\Windows\\System32\\interception.dll";

TEST(KeyoutLibrary, WhereItIsLookedForAndWhatEachFailureMeans) {
    const std::map<std::string, uint32_t> beside = {{ProgramFolderDll, 0}};
    const std::map<std::string, uint32_t> inSystem = {{SystemDll, 0}};
    const std::map<std::string, uint32_t> badFormat = {{ProgramFolderDll, ErrorBadExeFormat}};
    struct Case {
        const char* name;
        bool safeFlagsKnown;
        std::map<std::string, uint32_t> loadErrors;
        std::vector<uint8_t> file; // what the file beside the program begins with
        KeyboardLibraryStatus status;
        uint32_t error;
        int32_t libraryBits;
        size_t loads; // 1: beside the program only; 2: then System32
    };
    // clang-format off
    const Case cases[] = {
        {"beside the program", true, beside, {}, KeyboardLibraryReady, 0, 0, 1},
        {"in System32", true, inSystem, {}, KeyboardLibraryReady, 0, 0, 2},
        {"nowhere", true, {}, {}, KeyboardLibraryNotLoaded, ErrorModuleNotFound, 0, 2},
        {"no safe search: by full path", false, beside, {}, KeyboardLibraryReady, 0, 0, 1},
        {"no safe search: System32", false, inSystem, {}, KeyboardLibraryReady, 0, 0, 2},
        {"no safe search: nowhere", false, {}, {}, KeyboardLibraryNotLoaded,
         ErrorModuleNotFound, 0, 2},
        {"the 32-bit file", true, badFormat, programFile(0x014C),
         KeyboardLibraryWrongArchitecture, ErrorBadExeFormat, 32, 1},
        {"a broken file", true, badFormat, {'M', 'Z'}, KeyboardLibraryLoadFailed,
         ErrorBadExeFormat, 0, 1},
        {"a 64-bit file that will not load", true, badFormat, programFile(0x8664),
         KeyboardLibraryLoadFailed, ErrorBadExeFormat, 0, 1},
        {"another error", true, {{ProgramFolderDll, 1114}}, {}, KeyboardLibraryLoadFailed, 1114,
         0, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        files = FakeFiles{c.safeFlagsKnown, c.loadErrors, {}, {}};
        if (!c.file.empty()) {
            files.contents[ProgramFolderDll] = c.file;
        }
        const LibraryLoad load = loadInterceptionLibrary(fakeLoader, 64);
        EXPECT_EQ(load.module != nullptr, c.status == KeyboardLibraryReady) << c.name;
        EXPECT_EQ(load.found.status, c.status) << c.name;
        EXPECT_EQ(load.found.loadError, c.error) << c.name;
        EXPECT_EQ(load.found.libraryBits, c.libraryBits) << c.name;
        EXPECT_EQ(load.found.programBits, 64) << c.name;
        const std::vector<std::string> both = {ProgramFolderDll, SystemDll};
        EXPECT_EQ(files.loads, std::vector<std::string>(both.begin(), both.begin() + c.loads))
            << c.name;
    }
}

TEST(KeyoutLibrary, ProgramFileBits) {
    EXPECT_EQ(programFileBits(programFile(0x014C).data(), programFile(0x014C).size()), 32);
    EXPECT_EQ(programFileBits(programFile(0x8664).data(), programFile(0x8664).size()), 64);
    EXPECT_EQ(programFileBits(programFile(0xAA64).data(), programFile(0xAA64).size()), 0);
    // A header beyond what was read, or right at its end, tells nothing.
    std::vector<uint8_t> cut = programFile(0x8664, 0x200);
    EXPECT_EQ(programFileBits(cut.data(), 0x200 + 5), 0);
    EXPECT_EQ(programFileBits(cut.data(), 0x200 + 6), 64);
    std::vector<uint8_t> far = programFile(0x8664);
    far[0x3F] = 0xFF; // header offset near 4 GiB
    EXPECT_EQ(programFileBits(far.data(), far.size()), 0);
    std::vector<uint8_t> noPe = programFile(0x8664);
    noPe[0x80] = 'X';
    EXPECT_EQ(programFileBits(noPe.data(), noPe.size()), 0);
    EXPECT_EQ(programFileBits(nullptr, 100), 0);
    EXPECT_EQ(programFileBits(programFile(0x8664).data(), 0x3F), 0);
}

} // namespace
