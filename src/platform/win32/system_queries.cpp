#include "platform/win32/system_queries.h"

#include <algorithm>
#include <iterator>

namespace kvl::win32 {

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelHwnds() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring ThisProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        // A path that fills the buffer may have been cut: try again with room to spare.
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

UniqueHandle OpenForQuery(DWORD processId) {
    return UniqueHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

std::wstring ProgramPathOf(HANDLE process) {
    // 32767 units is the longest path the system has.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = static_cast<DWORD>(path.size());
        if (QueryFullProcessImageNameW(process, 0, path.data(), &n)) {
            path.resize(n);
            return path;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::wstring ClassNameOf(HWND window) {
    // Class names are at most 256 characters long.
    wchar_t name[257];
    const int n = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

}  // namespace kvl::win32
