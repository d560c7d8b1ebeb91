// Finding and loading interception.dll, and telling why it could not be.
#pragma once

#include "keyout/keyboard_library.h"

#include <cstddef>
#include <cstdint>

// The system's calls that loading needs (keyboard_library_win32.cpp; fakes in
// tests). Errors are the system's error codes. Paths are UTF-8: a folder's
// name may be in any language.
struct LibraryLoader {
    // Loads a library from the program's folder or System32 only.
    void* (*loadFromSafeFolders)(const char* name, uint32_t* error);
    // Loads a library by its full path.
    void* (*loadFromPath)(const char* path, uint32_t* error);
    // The program's folder and the system folder, each ending in a backslash.
    bool (*programFolder)(char* out, size_t size);
    bool (*systemFolder)(char* out, size_t size);
    // Up to size bytes from the start of a file; how many were read.
    size_t (*readFileStart)(const char* path, uint8_t* out, size_t size);
};

constexpr uint32_t ErrorFileNotFound = 2;
constexpr uint32_t ErrorInvalidParameter = 87; // Windows 7 without the safe search flags
constexpr uint32_t ErrorModuleNotFound = 126;
constexpr uint32_t ErrorBadExeFormat = 193; // built for the other architecture

struct LibraryLoad {
    void* module;          // null when nothing could be loaded
    KeyboardLibrary found; // Ready when loaded; otherwise why not
};

// Loads interception.dll as the program does: from its own folder or System32,
// and where the system does not know that search, by the full path of each.
LibraryLoad loadInterceptionLibrary(const LibraryLoader& loader, int32_t programBits);

// 32 or 64 for a Windows x86 or x64 program file that starts with these
// bytes, 0 for anything else.
int32_t programFileBits(const uint8_t* bytes, size_t size);
