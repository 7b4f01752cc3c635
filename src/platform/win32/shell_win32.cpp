#include "platform/win32/shell_win32.h"

#include "platform/win32/handles.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

bool Win32Shell::Launch(std::string_view commandLine) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = Widen(commandLine);
    if (line.empty()) return false;

    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    // No application name: the first word is looked up the way a typed command is (the
    // program's folder, the current folder, the system folders, then PATH; ".exe" implied).
    // Suspended, so that the program is allowed to take the focus before it first tries;
    // KVL itself has no window in the foreground to hand the focus on from.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info))
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

void Win32Shell::MessageBox(std::string_view text, std::string_view title) {
    // No owner: in the command-line mode the main window is never shown, so the box stands on
    // its own and asks to be brought to the front.
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_SETFOREGROUND);
}

}  // namespace kvl::win32
