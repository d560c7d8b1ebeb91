// Whose a window is, from what Windows says of it: its class and its
// program's file name.
#pragma once

#include <string_view>

// Two programs' file names are the same: ASCII letters alike in either
// case, as Windows compares file names; the rest byte for byte.
bool sameProgramName(std::string_view a, std::string_view b);
// The frame of a UWP app (ApplicationFrameHost.exe): the app itself is the
// process of the content window (Windows.UI.Core.CoreWindow) inside it.
bool isAppFrameHost(std::string_view program);
// The program a player knows a window by: a UWP app's frame by the app in
// it ("" while the app cannot be told), any other by its own program.
std::string_view programOfWindow(std::string_view program, std::string_view content);
// One of the shell's own windows, which the overlay never rises over: the
// taskbars, Start, the action center, the tray's overflow, by their window
// classes; a CoreWindow only in a process of the shell's (a UWP app's
// content window, a game's among them, has that class too).
bool isShellWindow(std::string_view windowClass, std::string_view program);
