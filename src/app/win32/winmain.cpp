// KVL's entry: the main window's start-up is the program's start-up.

#include <windows.h>

#include <commctrl.h>

#include "app/win32/frm_kvl.h"
#include "cmdline/command_line.h"
#include "platform/shell.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unicode.h"
#include "platform/win32/window.h"
#include "platform/win32/window_watcher_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kvl::win32::SearchDllsInSystemFolderOnly();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    kvl::win32::RegistryStore store(kvl::win32::RegistryStore::AppNameOfThisProgram());
    kvl::win32::Win32WindowWatcher watcher;
    kvl::win32::Win32Shell shell;
    kvl::win32::Win32Desktop desktop;
    kvl::win32::Win32Clock clock;
    kvl::win32::Win32Files files;
    const std::wstring arguments = kvl::win32::Widen(
        kvl::ArgumentsOf(kvl::win32::Narrow(GetCommandLineW())));

    kvl::frmKVL main({store, watcher, shell, desktop, clock, files, arguments, [](int exitCode) { PostQuitMessage(exitCode); }});
    if (!main.Form_Load()) {
        // Run on without its window or its icon, the program could be reached by no one.
        MessageBoxW(nullptr, L"KVL could not create its window or its notification icon.",
                    kvl::win32::Widen(kvl::kMessageTitle).c_str(), MB_OK | MB_ICONERROR);
        return kvl::kExitError;
    }

    // The program ends by leaving this loop, so that everything above lets go of what it
    // holds: the watcher's hooks, the tray icon, the window classes.
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (kvl::win32::IsOurDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : kvl::kExitError;
}
