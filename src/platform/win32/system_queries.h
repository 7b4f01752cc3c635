#pragma once
// Questions put to the system that more than one part of the program asks.

#include <windows.h>

#include <string>
#include <vector>

namespace kvl::win32 {

// Every top-level window, front to back.
std::vector<HWND> TopLevelHwnds();

// The full path of the running executable, however long.
std::wstring ThisProgramPath();

}  // namespace kvl::win32
