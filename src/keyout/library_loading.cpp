#include "keyout/library_loading.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr const char* LibraryName = "interception.dll";

uint32_t readLittle(const uint8_t* p, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = bytes; i-- > 0;) {
        value = (value << 8) | p[i];
    }
    return value;
}

bool joined(char* out, size_t size, const char* folder, const char* name) {
    const size_t a = std::strlen(folder);
    const size_t b = std::strlen(name);
    if (a + b + 1 > size) {
        return false;
    }
    std::memcpy(out, folder, a);
    std::memcpy(out + a, name, b + 1);
    return true;
}

// The library's path in a folder; false when the folder is not known.
bool pathIn(bool (*folderOf)(char*, size_t), char* path, size_t size) {
    char folder[512];
    return folderOf(folder, sizeof folder) && joined(path, size, folder, LibraryName);
}

// The same search by full paths: the program's folder first, then System32.
void* loadByFullPaths(const LibraryLoader& loader, uint32_t* error) {
    char path[600];
    for (auto folderOf : {loader.programFolder, loader.systemFolder}) {
        if (!pathIn(folderOf, path, sizeof path)) {
            continue;
        }
        void* module = loader.loadFromPath(path, error);
        if (module != nullptr || (*error != ErrorModuleNotFound && *error != ErrorFileNotFound)) {
            return module;
        }
    }
    return nullptr;
}

// Which file was found but could not be loaded: the program's folder's, else
// System32's; its bits, 0 when neither can be read.
int32_t foundLibraryBits(const LibraryLoader& loader) {
    char path[600];
    for (auto folderOf : {loader.programFolder, loader.systemFolder}) {
        uint8_t start[4096];
        if (pathIn(folderOf, path, sizeof path)) {
            const size_t read = loader.readFileStart(path, start, sizeof start);
            if (read > 0) {
                return programFileBits(start, read);
            }
        }
    }
    return 0;
}

} // namespace

int32_t programFileBits(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') {
        return 0;
    }
    const uint32_t header = readLittle(bytes + 0x3C, 4);
    if (header > size || size - header < 6 || std::memcmp(bytes + header, "PE\0\0", 4) != 0) {
        return 0;
    }
    switch (readLittle(bytes + header + 4, 2)) {
    case 0x014C:
        return 32;
    case 0x8664:
        return 64;
    default:
        return 0;
    }
}

LibraryLoad loadInterceptionLibrary(const LibraryLoader& loader, int32_t programBits) {
    LibraryLoad load = {};
    load.found.programBits = programBits;
    uint32_t error = 0;
    load.module = loader.loadFromSafeFolders(LibraryName, &error);
    if (load.module == nullptr && error == ErrorInvalidParameter) {
        load.module = loadByFullPaths(loader, &error);
    }
    if (load.module != nullptr) {
        load.found.status = KeyboardLibraryReady;
        return load;
    }
    load.found.loadError = error;
    if (error == ErrorModuleNotFound || error == ErrorFileNotFound) {
        load.found.status = KeyboardLibraryNotLoaded;
        return load;
    }
    const int32_t bits = error == ErrorBadExeFormat ? foundLibraryBits(loader) : 0;
    if (bits != 0 && bits != programBits) {
        load.found.status = KeyboardLibraryWrongArchitecture;
        load.found.libraryBits = bits;
    } else {
        load.found.status = KeyboardLibraryLoadFailed;
    }
    return load;
}
