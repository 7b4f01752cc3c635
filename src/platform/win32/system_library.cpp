#include "platform/win32/system_library.h"

#include <string>

namespace kvl::win32 {

namespace {

// From the headers of later systems; Windows 7 knows them once its DLL-search update is in.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

HMODULE Kernel32() {
    return GetModuleHandleW(L"kernel32.dll");
}

// The update that brought SetDefaultDllDirectories brought AddDllDirectory and the search
// flags of LoadLibraryExW with it; without it, those flags make the call fail.
bool HasSearchFlags() {
    static const bool has = GetProcAddress(Kernel32(), "AddDllDirectory") != nullptr;
    return has;
}

}  // namespace

void SearchDllsInSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(Kernel32(), "SetDefaultDllDirectories")));
    if (set) set(kSearchSystem32);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HasSearchFlags()) return LoadLibraryExW(name, nullptr, kSearchSystem32);
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + name;
    // With a full path, what the library itself needs is looked for beside it first.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemProc(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace kvl::win32
