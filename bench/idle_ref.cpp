// The idle reference: the least a resident Win32 program can be, one window and a message
// loop, so that KVL's idle cost can be read as a ratio that holds across machines.
//
//   kvl_idle_ref.exe [TOKEN] [--load-kvl-libraries]
//
// TOKEN only makes the command line findable in /proc. --load-kvl-libraries loads the system
// libraries KVL.exe links, so that the memory they bring under Wine can be told apart from
// KVL's own.

#include <windows.h>

#include <cwchar>
#include <initializer_list>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (std::wcsstr(commandLine, L"--load-kvl-libraries")) {
        for (const wchar_t* name : {L"advapi32.dll", L"comctl32.dll", L"dwmapi.dll",
                                    L"msimg32.dll", L"shell32.dll"})
            if (!LoadLibraryW(name)) return 1;
    }
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KVL.IdleReference";
    if (!RegisterClassExW(&wc)) return 1;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"KVL idle reference", WS_OVERLAPPEDWINDOW,
                                700, 40, 240, 120, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
