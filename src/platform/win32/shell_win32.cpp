#include "platform/win32/shell_win32.h"

#include "platform/win32/handles.h"
#include "platform/win32/own_modal.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

namespace {

// Every program KVL starts starts so: in a normal window that may take the focus. Suspended
// at first, so that the program is allowed to take the focus before it first tries; KVL
// itself has no window in the foreground to hand the focus on from.
bool Start(const wchar_t* application, std::wstring commandLine, const wchar_t* folder) {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    // CreateProcessW may write into the command line: it has a copy of its own.
    if (!CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, folder, &startup, &info))
        return false;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    AllowSetForegroundWindow(info.dwProcessId);
    if (ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
        TerminateProcess(info.hProcess, 1);
        return false;
    }
    return true;
}

// A program of the system's own: from the system folder, else from the Windows folder.
std::wstring SystemProgram(const std::wstring& name) {
    using FolderOf = UINT(WINAPI*)(LPWSTR, UINT);
    for (FolderOf folderOf : {FolderOf{GetSystemDirectoryW}, FolderOf{GetWindowsDirectoryW}}) {
        wchar_t folder[MAX_PATH];
        const UINT n = folderOf(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) continue;
        std::wstring path = std::wstring(folder, n) + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    }
    return {};
}

}  // namespace

bool Win32Shell::Launch(std::string_view commandLine) {
    // No application name: the first word is looked up the way a typed command is (the
    // program's folder, the current folder, the system folders, then PATH; ".exe" implied).
    const std::wstring line = Widen(commandLine);
    return !line.empty() && Start(nullptr, line, nullptr);
}

bool Win32Shell::LaunchSystemProgram(std::string_view program, std::string_view arguments) {
    const std::wstring path = SystemProgram(Widen(program));
    if (path.empty()) return false;
    // Named by its full path and started in its own folder, so that not even what it loads
    // later comes from ours.
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    return Start(path.c_str(), L"\"" + path + L"\" " + Widen(arguments), folder.c_str());
}

void Win32Shell::MessageBox(std::string_view text, std::string_view title) {
    // No owner: in the command-line mode the main window is never shown, so the box stands on
    // its own and asks to be brought to the front.
    const OwnModalLoop modal;
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace kvl::win32
