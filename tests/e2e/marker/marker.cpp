// A stand-in for a file someone planted beside KVL: it leaves a note beside itself, named
// after itself with ".loaded" (as a DLL) or ".started" (as a program) added, and does
// nothing else. As a DLL it offers the functions KVL takes from the libraries it stands in
// for, so that a program bound to those by name would load it without complaint.

#include <windows.h>

#include <string>

namespace {

void LeaveNote(HMODULE self, const wchar_t* suffix) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring note = std::wstring(path, n) + suffix;
    HANDLE file = CreateFileW(note.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

#ifdef KVL_MARKER_DLL

extern "C" HRESULT WINAPI MarkerDwmGetWindowAttribute(HWND, DWORD, PVOID, DWORD) {
    return E_NOTIMPL;
}

extern "C" BOOL WINAPI MarkerGradientFill(HDC, PVOID, ULONG, PVOID, ULONG, ULONG) {
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveNote(self, L".loaded");
    return TRUE;
}

#else

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LeaveNote(nullptr, L".started");
    return 0;
}

#endif
