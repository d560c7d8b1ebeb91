// Text and paths between the program's UTF-8 and the system's wide calls
// (Windows builds only; wide_text_win32.cpp). No fixed buffers: a path may be
// longer than 260 characters and in any language.
#pragma once

#include <string>

// The UTF-16 of a UTF-8 text; empty for text that is not UTF-8.
std::wstring wideFromUtf8(const char* utf8);
std::string utf8FromWide(const wchar_t* wide);
// The path made whole from the current folder (GetFullPathNameW); empty
// when the system cannot make it so.
std::wstring fullPathOf(const std::wstring& path);
// A path for the system's file calls: as it is while short, else its full
// form with the \\?\ prefix, which the file calls take at any length even
// where the system's long-path setting is off. Empty when not UTF-8.
std::wstring fileSystemPath(const char* utf8);
std::wstring fileSystemPath(const std::wstring& path);
// The full path of padrelle.exe, however long; empty when it cannot be had.
std::wstring programPath();
