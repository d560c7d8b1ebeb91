// The programs behind windows and processes (Windows builds only;
// process_names_win32.cpp).
#pragma once

#include <string>

// The file name of a process's program ("popn.exe", UTF-8, no folder), from
// a handle with PROCESS_QUERY_LIMITED_INFORMATION; "" when it cannot be had.
std::string programNameOfProcess(void* process);
// The same for the process of a window (HWND).
std::string programNameOfWindow(void* window);
