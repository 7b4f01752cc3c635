#pragma once
// Libraries beyond the system's known ones are taken at run time, and only from the system
// folder: KVL is often run from the Downloads folder, where a planted DLL of the same name
// would otherwise be loaded in place of the system's.

#include <windows.h>

namespace kvl::win32 {

// Drops the program's own folder and the current folder from the places DLLs are looked for.
// First thing at start-up, before anything loads a library; a no-op on a Windows 7 without
// the update that brought it, where LoadSystemLibrary gives full paths instead.
void SearchDllsInSystemFolderOnly();

// A library from the system folder, never unloaded; none when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of such a library, or none.
FARPROC SystemProc(const wchar_t* library, const char* name);

template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    // Through the one pointer type the compiler lets stand for every function type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(SystemProc(library, name)));
}

}  // namespace kvl::win32
