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

// The full path of a process's program, read with no more right than a limited query (which
// every process of the same user grants); empty when it cannot be read.
std::wstring ProgramPathOf(HANDLE process);

// A window's class name, whole.
std::wstring ClassNameOf(HWND window);

}  // namespace kvl::win32
