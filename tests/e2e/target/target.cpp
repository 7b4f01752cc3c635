// A window factory for the end-to-end tests: opens top-level windows as its command line
// says and logs what happens to them.
//
//   kvl_target.exe [log:PATH] INSTRUCTION...
//     open:CAPTION       a plain window
//     quiet:CAPTION      a plain window shown without taking the focus
//     edit:CAPTION       a window filled by an edit control that has the focus
//     min:CAPTION        a window that opens minimized
//     max:CAPTION        a window that opens maximized
//     fixed:CAPTION      a window without a sizing border
//     hidden:CAPTION     created hidden; shown after 300 ms
//     late:CAPTION       created untitled and visible; titled after 300 ms
//     hang:CAPTION       a window whose thread stops pumping messages once it is shown
//     bounce:CAPTION     a window that never keeps the front: activated, it hands the front
//                        back to the last edit window opened before it
//     storm:COUNT        COUNT unrelated windows, each created and destroyed at once
//     box:TEXT           a standard message box (class #32770) titled "KVL factory"
//     ask:TEXT           the same with Yes, No and Cancel
//     asklate:TEXT       that box behind the last edit window opened, titled TEXT after 500 ms
//
// The log gets one line per event: "open CAPTION", "close CAPTION", "hidden CAPTION",
// "box closed TEXT" and "answered Yes|No|Cancel|OK TEXT".

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"KVL.TestTarget";
constexpr UINT_PTR kLaterTimer = 1;
constexpr UINT kBounceMessage = WM_APP + 1;
FILE* g_log = nullptr;
int g_open = 0;
HWND g_lastEdit = nullptr;
DWORD g_mainThread = 0;

struct Pending {
    HWND hwnd;
    std::wstring caption;
    bool show;
};
std::vector<Pending> g_later;

void Log(const wchar_t* what, HWND hwnd) {
    if (!g_log) return;
    wchar_t caption[512] = L"";
    GetWindowTextW(hwnd, caption, 512);
    fwprintf(g_log, L"%ls %ls\n", what, caption);
    fflush(g_log);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE: {
            HWND edit = GetDlgItem(hwnd, 1);
            if (edit) MoveWindow(edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            return 0;
        }
        case WM_SETFOCUS: {
            HWND edit = GetDlgItem(hwnd, 1);
            if (edit) SetFocus(edit);
            return 0;
        }
        case WM_ACTIVATE:
            // Posted: the activation must finish before the front is handed on.
            if (LOWORD(wp) != WA_INACTIVE && GetPropW(hwnd, L"KVL.Bounce"))
                PostMessageW(hwnd, kBounceMessage, 0, 0);
            return DefWindowProcW(hwnd, msg, wp, lp);
        case kBounceMessage:
            if (g_lastEdit) SetForegroundWindow(g_lastEdit);
            return 0;
        case WM_SHOWWINDOW:
            if (!wp) Log(L"hidden", hwnd);
            return DefWindowProcW(hwnd, msg, wp, lp);
        case WM_CLOSE:
            Log(L"close", hwnd);
            DestroyWindow(hwnd);
            return 0;
        case WM_TIMER:
            if (wp == kLaterTimer) {
                KillTimer(hwnd, kLaterTimer);
                for (const Pending& p : g_later) {
                    if (p.hwnd != hwnd) continue;
                    SetWindowTextW(hwnd, p.caption.c_str());
                    if (p.show) ShowWindow(hwnd, SW_SHOWNORMAL);
                }
            }
            return 0;
        case WM_DESTROY:
            if (RemovePropW(hwnd, L"KVL.Storm")) return 0;
            if (--g_open == 0) PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND Open(const std::wstring& caption, bool edit, bool visible,
          DWORD style = WS_OVERLAPPEDWINDOW) {
    static int n = 0;
    const int offset = (n++ % 20) * 12;
    HWND hwnd = CreateWindowExW(0, kClass, caption.c_str(), style, 40 + offset,
                                40 + offset, 360, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return nullptr;
    ++g_open;
    if (edit)
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                        0, 0, 360, 200, hwnd, reinterpret_cast<HMENU>(1),
                        GetModuleHandleW(nullptr), nullptr);
    if (visible) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
    }
    Log(L"open", hwnd);
    return hwnd;
}

// On a thread of its own, so that the instructions after it run meanwhile.
BOOL CALLBACK RetitleBox(HWND hwnd, LPARAM text) {
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    if (wcscmp(cls, L"#32770") == 0) SetWindowTextW(hwnd, reinterpret_cast<const wchar_t*>(text));
    return TRUE;
}

std::wstring g_lateTitle;
// Inside the box's own loop: the edit window takes the front, then the box its title.
void CALLBACK TitleBoxLate(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_lastEdit) SetForegroundWindow(g_lastEdit);
    EnumThreadWindows(GetCurrentThreadId(), RetitleBox,
                      reinterpret_cast<LPARAM>(g_lateTitle.c_str()));
}

void MessageBoxThread(std::wstring text, UINT buttons, bool titleLate) {
    if (titleLate) {
        g_lateTitle = text;
        SetTimer(nullptr, 0, 500, TitleBoxLate);
    }
    const int answer = MessageBoxW(nullptr, text.c_str(), L"KVL factory", buttons);
    if (g_log) {
        fwprintf(g_log, L"box closed %ls\n", text.c_str());
        const wchar_t* word = answer == IDYES ? L"Yes" : answer == IDNO ? L"No"
                              : answer == IDCANCEL ? L"Cancel" : L"OK";
        fwprintf(g_log, L"answered %ls %ls\n", word, text.c_str());
        fflush(g_log);
    }
    PostThreadMessageW(g_mainThread, WM_APP, 0, 0);
}

void HangingWindow(std::wstring caption) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", caption.c_str(), WS_OVERLAPPEDWINDOW,
                                60, 60, 300, 150, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    (void)hwnd;
    // Pump once so the window is on screen, then never again.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(INFINITE);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    g_mainThread = GetCurrentThreadId();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const auto colon = arg.find(L':');
        if (colon == std::wstring::npos) continue;
        const std::wstring verb = arg.substr(0, colon), value = arg.substr(colon + 1);
        if (verb == L"log") {
            g_log = _wfopen(value.c_str(), L"a, ccs=UTF-8");
        } else if (verb == L"open") {
            Open(value, false, true);
        } else if (verb == L"quiet") {
            HWND hwnd = Open(value, false, false);
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        } else if (verb == L"min") {
            HWND hwnd = Open(value, false, false);
            ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
        } else if (verb == L"max") {
            HWND hwnd = Open(value, false, false);
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        } else if (verb == L"fixed") {
            Open(value, false, true, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
        } else if (verb == L"edit") {
            HWND hwnd = Open(value, true, true);
            SetForegroundWindow(hwnd);
            g_lastEdit = hwnd;
        } else if (verb == L"hidden") {
            HWND hwnd = Open(value, false, false);
            g_later.push_back({hwnd, value, true});
            SetTimer(hwnd, kLaterTimer, 300, nullptr);
        } else if (verb == L"late") {
            HWND hwnd = Open(L"", false, true);
            g_later.push_back({hwnd, value, false});
            SetTimer(hwnd, kLaterTimer, 300, nullptr);
        } else if (verb == L"storm") {
            const int count = _wtoi(value.c_str());
            for (int n = 0; n < count; ++n) {
                const std::wstring caption = L"storm window " + std::to_wstring(n);
                HWND hwnd = CreateWindowExW(0, kClass, caption.c_str(), WS_OVERLAPPEDWINDOW,
                                            0, 0, 120, 80, nullptr, nullptr, instance, nullptr);
                // Not counted among the windows whose closing ends the factory.
                SetPropW(hwnd, L"KVL.Storm", reinterpret_cast<HANDLE>(1));
                DestroyWindow(hwnd);
            }
        } else if (verb == L"bounce") {
            HWND hwnd = Open(value, false, false);
            SetPropW(hwnd, L"KVL.Bounce", reinterpret_cast<HANDLE>(1));
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        } else if (verb == L"box" || verb == L"ask" || verb == L"asklate") {
            ++g_open;
            std::thread(MessageBoxThread, value, verb == L"box" ? MB_OK : MB_YESNOCANCEL,
                        verb == L"asklate")
                .detach();
        } else if (verb == L"hang") {
            ++g_open;
            std::thread(HangingWindow, value).detach();
        }
    }
    LocalFree(argv);
    if (g_open == 0) return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // A message box has closed: it counted as a window.
        if (msg.hwnd == nullptr && msg.message == WM_APP && --g_open == 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_log) fclose(g_log);
    return 0;
}
