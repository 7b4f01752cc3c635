// The bench's anchor: the leanest cross-process watcher of KVL's kind this platform allows,
// written as a competitor would write it with the same means as KVL, so that KVL's figures
// can be read as ratios to it. It hides every window whose caption starts with the bench's
// prefix; it has no table, no UI and no tray.
//
//   kvl_min_watcher.exe TOKEN [--poll MS] [--no-hook]
//
// TOKEN makes the command line findable in /proc and names the hidden window the bench waits
// for ("KVL min watcher TOKEN"), which appears once the watcher watches; WM_CLOSE to it ends
// the watcher. --poll is the EnumWindows period (500 ms, KVL's default level); --no-hook
// polls only, as KVL's level 10 does.
//
// The means are KVL's: an out-of-context WinEvent hook on the same events, whose callback only
// records; the same short re-check list for windows that are created untitled or hidden
// (other programs' show and name-change events do not arrive under Wine); an EnumWindows poll,
// because events cannot be trusted; the asynchronous show command. Like KVL, a window is acted
// on when it goes from not matching to matching, and windows already matching at start are
// left alone.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr wchar_t kPrefix[] = L"Bench probe ";
constexpr UINT kPendingMessage = WM_APP + 1;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kRecheckTimer = 2;
constexpr UINT kRecheckMs = 10;
constexpr ULONGLONG kRecheckForMs = 2000;
constexpr DWORD kEventObjectUncloaked = 0x8018;

HWND g_sink = nullptr;
std::vector<HWND> g_pending;
bool g_posted = false;
struct Recheck {
    HWND window;
    ULONGLONG deadline;
};
std::vector<Recheck> g_rechecks;
std::unordered_set<HWND> g_matching;  // windows matching now: acted on once, when they began to

bool Matches(HWND h) {
    if (!IsWindowVisible(h) || GetAncestor(h, GA_ROOT) != h) return false;
    wchar_t caption[256];
    const int n = InternalGetWindowText(h, caption, static_cast<int>(std::size(caption)));
    constexpr int prefixLength = static_cast<int>(std::size(kPrefix)) - 1;
    return n >= prefixLength && std::wcsncmp(caption, kPrefix, prefixLength) == 0;
}

// Returns whether the window is settled (shown, or matching).
bool Look(HWND h, bool act) {
    if (Matches(h)) {
        if (g_matching.insert(h).second && act) ShowWindowAsync(h, SW_HIDE);
        return true;
    }
    g_matching.erase(h);
    return IsWindowVisible(h) != FALSE;
}

void Watch(HWND h) {
    if (Look(h, true)) return;
    for (const Recheck& r : g_rechecks)
        if (r.window == h) return;
    g_rechecks.push_back({h, GetTickCount64() + kRecheckForMs});
    SetTimer(g_sink, kRecheckTimer, kRecheckMs, nullptr);
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

void Poll(bool act) {
    std::vector<HWND> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    std::unordered_set<HWND> alive(windows.begin(), windows.end());
    std::erase_if(g_matching, [&](HWND h) { return !alive.contains(h); });
    for (HWND h : windows) Look(h, act);
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG child, DWORD, DWORD) {
    if (!h || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    if (event == EVENT_OBJECT_DESTROY) {
        g_matching.erase(h);
        return;
    }
    g_pending.push_back(h);
    if (!g_posted) g_posted = PostMessageW(g_sink, kPendingMessage, 0, 0);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kPendingMessage: {
            g_posted = false;
            std::vector<HWND> batch;
            batch.swap(g_pending);
            std::sort(batch.begin(), batch.end());
            batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
            for (HWND h : batch)
                if (GetAncestor(h, GA_ROOT) == h) Watch(h);
            return 0;
        }
        case WM_TIMER:
            if (wp == kPollTimer) {
                Poll(true);
            } else if (wp == kRecheckTimer) {
                const ULONGLONG now = GetTickCount64();
                std::vector<Recheck> batch;
                batch.swap(g_rechecks);
                for (const Recheck& r : batch)
                    if (IsWindow(r.window) && !Look(r.window, true) && now < r.deadline)
                        g_rechecks.push_back(r);
                if (g_rechecks.empty()) KillTimer(hwnd, kRecheckTimer);
            }
            return 0;
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    std::wstring token = L"-";
    UINT pollMs = 500;
    bool hook = true;
    for (int i = 0; argv && i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--poll" && i + 1 < argc) pollMs = static_cast<UINT>(_wtoi(argv[++i]));
        else if (arg == L"--no-hook") hook = false;
        else if (i == 0) token = arg;
    }
    LocalFree(argv);

    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KVL.MinWatcher";
    if (!RegisterClassExW(&wc)) return 1;
    // Hidden and top-level, so that the bench can find it; never shown.
    g_sink = CreateWindowExW(0, wc.lpszClassName, (L"KVL min watcher " + token).c_str(), 0, 0, 0,
                             0, 0, nullptr, nullptr, instance, nullptr);
    if (!g_sink) return 1;

    Poll(false);  // what matches already is not news
    if (hook) {
        static constexpr DWORD kRanges[][2] = {
            {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
            {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW},
            {EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS},
            {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
            {kEventObjectUncloaked, kEventObjectUncloaked},
        };
        for (const auto& range : kRanges)
            SetWinEventHook(range[0], range[1], nullptr, OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
    if (pollMs > 0) SetTimer(g_sink, kPollTimer, pollMs, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
