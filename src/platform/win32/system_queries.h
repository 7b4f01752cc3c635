#pragma once
// Questions put to the system that more than one part of the program asks.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace kvl::win32 {

// Every top-level window, front to back.
std::vector<HWND> TopLevelHwnds();

// The full path of the running executable, however long.
std::wstring ThisProgramPath();

// A process opened with no more right than a limited query, which even a process of higher
// rights grants: no handle that could change it is ever opened. Null when it cannot be.
UniqueHandle OpenForQuery(DWORD processId);

// The full path of a process's program, opened so; empty when it cannot be read.
std::wstring ProgramPathOf(HANDLE process);

// A window's class name, whole.
std::wstring ClassNameOf(HWND window);

}  // namespace kvl::win32
