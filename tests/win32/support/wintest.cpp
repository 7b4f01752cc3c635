#include "support/wintest.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <gtest/gtest.h>

#include "platform/twips.h"
#include "platform/win32/dpi.h"
#include "platform/win32/unicode.h"
#include "platform/win32/window.h"

namespace kvl::wintest {

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            // As the program's own loop does: its dialogs see their keys first.
            if (win32::IsOurDialogMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        // Wake for our own messages at once, else look again every few milliseconds.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(5, deadline - now)),
                                  QS_ALLINPUT);
    }
}

std::wstring UniqueName(std::wstring_view prefix) {
    static std::atomic<int> counter{0};
    wchar_t buffer[96];
    swprintf(buffer, 96, L"%.*ls%lu_%llu_%d", static_cast<int>(prefix.size()), prefix.data(),
             GetCurrentProcessId(), GetTickCount64(), counter++);
    return buffer;
}

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring ReadFileText(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return {};
    std::string bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return win32::Widen(bytes);
}

ScopedStore::ScopedStore(std::wstring appName) : app_(std::move(appName)), store_(app_) {}

ScopedStore::~ScopedStore() {
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   (win32::Widen(kSettingsRoot) + L"\\" + app_).c_str());
}

bool ScopedStore::SectionExists(std::string_view section) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, store_.SectionPath(section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pi_(other.pi_) { other.pi_ = {}; }

bool ChildProcess::Start(const std::wstring& commandLine) {
    STARTUPINFOW si{sizeof si};
    std::wstring mutableLine = commandLine;
    return CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi_) != FALSE;
}

bool ChildProcess::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::Wait(DWORD timeoutMs) {
    if (!pi_.hProcess) return std::nullopt;
    bool ended = false;
    WaitFor([&] { return ended = WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; },
            timeoutMs);
    if (!ended) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

void ChildProcess::Kill() {
    if (!pi_.hProcess) return;
    if (Running()) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
}

KvlCopy::KvlCopy() : app_(UniqueName(L"KVLTest")) {
    path_ = ExeDir() + L"\\" + app_ + L".exe";
    CopyFileW((ExeDir() + L"\\KVL.exe").c_str(), path_.c_str(), FALSE);
}

KvlCopy::~KvlCopy() {
    // The copy may still be shutting down; try for a moment before giving up.
    WaitFor([&] { return DeleteFileW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
            3000);
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   (win32::Widen(kSettingsRoot) + L"\\" + app_).c_str());
}

HWND AwaitShownWindow(std::wstring_view caption, DWORD processId, DWORD timeoutMs) {
    HWND w = nullptr;
    WaitFor([&] {
        w = FindWindowByCaption(caption, processId);
        return w && IsWindowVisible(w);
    }, timeoutMs);
    return w && IsWindowVisible(w) ? w : nullptr;
}

std::wstring CaptionOf(HWND hwnd) {
    wchar_t buffer[1024];
    const int n = InternalGetWindowText(hwnd, buffer, 1024);
    return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

namespace {

struct CaptionQuery {
    std::wstring_view caption;
    DWORD pid;
    std::vector<HWND> found;
};

// A named CALLBACK, not a lambda: on i686 the system calls it with stdcall.
BOOL CALLBACK CollectByCaption(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<CaptionQuery*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if ((q->pid == 0 || q->pid == pid) && CaptionOf(h) == q->caption) q->found.push_back(h);
    return TRUE;
}

}  // namespace

std::vector<HWND> FindWindowsByCaption(std::wstring_view caption, DWORD processId) {
    CaptionQuery query{caption, processId, {}};
    EnumWindows(CollectByCaption, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND FindWindowByCaption(std::wstring_view caption, DWORD processId) {
    auto found = FindWindowsByCaption(caption, processId);
    return found.empty() ? nullptr : found.front();
}

std::wstring EditText(HWND hwnd) {
    HWND edit = FindWindowExW(hwnd, nullptr, L"EDIT", nullptr);
    if (!edit) return {};
    wchar_t buffer[4096] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        1000, &copied);
    return std::wstring(buffer, static_cast<std::size_t>(copied));
}

namespace {

struct DialogQuery {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialogOf(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<DialogQuery*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t cls[64] = L"";
    GetClassNameW(h, cls, 64);
    if (pid == q->pid && IsWindowVisible(h) && std::wstring_view(cls) == L"#32770") {
        q->found = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadDialogChild(HWND h, LPARAM lp) {
    auto* box = reinterpret_cast<MessageBoxSeen*>(lp);
    wchar_t cls[64] = L"";
    GetClassNameW(h, cls, 64);
    const std::wstring_view kind(cls);
    if (_wcsicmp(cls, L"Static") == 0) {
        if (GetWindowLongW(h, GWL_STYLE) & SS_ICON) {
            if (IsWindowVisible(h) && SendMessageW(h, STM_GETICON, 0, 0)) box->hasIcon = true;
        } else {
            wchar_t text[8192] = L"";
            DWORD_PTR n = 0;
            SendMessageTimeoutW(h, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &n);
            if (n > box->text.size()) box->text.assign(text, n);
        }
    } else if (_wcsicmp(cls, L"Button") == 0 && IsWindowVisible(h)) {
        ++box->buttons;
    }
    return TRUE;
}

}  // namespace

std::optional<MessageBoxSeen> AwaitMessageBox(DWORD processId, DWORD timeoutMs) {
    DialogQuery query{processId};
    if (!WaitFor([&] {
            EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&query));
            return query.found != nullptr;
        }, timeoutMs))
        return std::nullopt;
    MessageBoxSeen box;
    box.dialog = query.found;
    box.title = CaptionOf(query.found);
    // The text is set as the box comes up; give it a moment to be complete.
    WaitFor([&] {
        box.text.clear();
        box.buttons = 0;
        EnumChildWindows(query.found, ReadDialogChild, reinterpret_cast<LPARAM>(&box));
        return !box.text.empty() && box.buttons > 0;
    }, 3000);
    return box;
}

void PressOk(const MessageBoxSeen& box) { PostMessageW(box.dialog, WM_COMMAND, IDOK, 0); }

void KillProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!pid || pid == GetCurrentProcessId()) return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

namespace {

bool NotifyIcon(DWORD message, HWND owner) {
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = owner;
    probe.uID = 1;
    return Shell_NotifyIconW(message, &probe) != FALSE;
}

}  // namespace

bool ShellHasIcon(HWND owner) { return NotifyIcon(NIM_MODIFY, owner); }

bool RemoveShellIcon(HWND owner) { return NotifyIcon(NIM_DELETE, owner); }

TestWindow::TestWindow(std::wstring_view caption, bool visible) {
    static const bool registered = [] {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KVL.TestWindow";
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(0, L"KVL.TestWindow", std::wstring(caption).c_str(),
                            WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 200, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

ForeignWindow::ForeignWindow(const std::wstring& caption) {
    if (process_.Start(L"\"" + ExeDir() + L"\\kvl_target.exe\" \"open:" + caption + L"\""))
        hwnd_ = AwaitShownWindow(caption, process_.Id(), 10000);
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void PressKey(WORD vk, bool shift) {
    if (shift) SendKey(VK_SHIFT, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (shift) SendKey(VK_SHIFT, true);
}

void PressAltKey(WORD vk) {
    SendKey(VK_MENU, false);
    PressKey(vk);
    SendKey(VK_MENU, true);
}

void TypeText(std::wstring_view text) {
    for (wchar_t c : text) {
        INPUT in[2]{};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wScan = c;
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof in[0]);
    }
}

namespace {

INPUT PointerAt(POINT screen) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>(screen.x * 65535.0 / (w - 1) + 0.5);
    move.mi.dy = static_cast<LONG>(screen.y * 65535.0 / (h - 1) + 0.5);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return move;
}

}  // namespace

void MovePointer(POINT screen) {
    INPUT move = PointerAt(screen);
    SendInput(1, &move, sizeof move);
}

void ClickAt(POINT screen, bool right, HWND target) {
    INPUT move = PointerAt(screen);
    SendInput(1, &move, sizeof move);
    // The button goes down only once the pointer is there, over the window meant.
    WaitFor(
        [&] {
            POINT p{};
            GetCursorPos(&p);
            const HWND there = WindowFromPoint(screen);
            return p.x == screen.x && p.y == screen.y &&
                   (!target || there == target || IsChild(target, there));
        },
        5000);
    // The press and the release carry the place too: a pointer motion that X reports late
    // may have moved the pointer back in the meantime.
    INPUT click[2]{move, move};
    click[0].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof click[0]);
}

namespace {

bool PointerSettlesAt(POINT screen) {
    return WaitFor([&] {
        POINT p{};
        GetCursorPos(&p);
        return p.x == screen.x && p.y == screen.y;
    });
}

}  // namespace

bool MovePointerAndWait(POINT screen) {
    MovePointer(screen);
    return PointerSettlesAt(screen);
}

void LeftButtonDown() {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &in, sizeof in);
}

bool LeftButtonUp(POINT screen) {
    INPUT in = PointerAt(screen);
    in.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
    return PointerSettlesAt(screen);
}

// A click in the middle of a window.
void Click(HWND hwnd, bool right) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, right, hwnd);
}

// Clicks until `done` holds, three times at most. Under Wine on a bare X display a click now
// and then goes missing: a focus event that X delivers late cancels the mouse capture of the
// control between the button's press and its release. Each click here may safely repeat.
bool ClickUntil(const std::function<void()>& click, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        click();
        if (WaitFor(done, 2000)) return true;
    }
    return false;
}

std::optional<POINT> FindTrayIcon(const std::function<bool()>& heardOf) {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r{};
    if (!taskbar || !GetWindowRect(taskbar, &r)) return std::nullopt;
    const LONG y = (r.top + r.bottom) / 2;
    for (LONG x = r.right - 2; x > r.right - 400 && x > r.left; x -= 4) {
        MovePointer({x, y});
        if (WaitFor(heardOf, 60)) return POINT{x, y};
    }
    return std::nullopt;
}

}  // namespace kvl::wintest

namespace kvl::wintest {

int Scaled(int standardPixels, int dpi) { return TwipsToPixels(standardPixels * 15, dpi); }

RECT RectInParent(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

bool IsContainer(HWND window) {
    const std::wstring kind = ClassOf(window);
    return kind == L"KVL.Frame" || kind == L"KVL.CandyScreen";
}

std::wstring Describe(HWND window) {
    return ClassOf(window) + L" \"" + CaptionOf(window) + L"\"";
}

// The room a control of its kind leaves its text, in pixels of its client area.
struct TextRoom {
    int width;
    int height;
    bool wraps;
    UINT prefix;  // DT_NOPREFIX where an ampersand is shown as it is
};

std::optional<TextRoom> RoomForText(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    const std::wstring kind = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const int dpi = win32::WindowDpi(control);
    if (kind == L"Static") {
        const bool single = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (style & SS_TYPEMASK) == SS_SIMPLE;
        return TextRoom{client.right, client.bottom, !single,
                        (style & SS_NOPREFIX) ? UINT(DT_NOPREFIX) : 0u};
    }
    if (kind == L"KVL.Frame") return TextRoom{client.right - Scaled(8, dpi), client.bottom, false, DT_NOPREFIX};
    if (kind != L"Button") return std::nullopt;
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            // The box, and the gap after it.
            return TextRoom{client.right - win32::SystemMetric(SM_CXMENUCHECK, dpi) - Scaled(3, dpi),
                            client.bottom, false, 0};
        default:
            return TextRoom{client.right - Scaled(2, dpi), client.bottom, false, 0};
    }
}

// Where a single line of text puts ink: Wine measures its dialog font a tenth wider than it
// draws it, so a text is judged by what it draws, not by what it measures.
RECT InkOf(HDC like, const std::wstring& text, UINT prefix) {
    RECT measured{};
    DrawTextW(like, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | prefix);
    const int width = measured.right + 8, height = measured.bottom + 8;
    HDC dc = CreateCompatibleDC(like);
    HBITMAP bitmap = CreateCompatibleBitmap(like, width, height);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, GetCurrentObject(like, OBJ_FONT));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &all, DT_SINGLELINE | prefix);
    RECT ink{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

void ExpectTextFits(HWND control) {
    const std::optional<TextRoom> room = RoomForText(control);
    const std::wstring text = CaptionOf(control);
    if (!room || text.empty()) return;
    const std::string who = win32::Narrow(Describe(control));
    HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    if (room->wraps) {
        // Broken into lines as the control breaks it, by what the font measures.
        RECT need{0, 0, room->width, 0};
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | room->prefix);
        EXPECT_LE(need.bottom, room->height) << who << ": its last line cut off";
    } else {
        const RECT ink = InkOf(dc, text, room->prefix);
        EXPECT_LE(ink.right, room->width) << who << ": text cut off at the right";
        EXPECT_LE(ink.bottom - ink.top, room->height) << who << ": text cut off";
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM into) {
    reinterpret_cast<std::vector<HWND>*>(into)->push_back(child);
    return TRUE;
}

}  // namespace

void ExpectReadableLayout(HWND form, const std::vector<HWND>& cutAsDesigned) {
    std::vector<HWND> all;
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> leaves;
    for (HWND c : all) {
        // A control's own parts (a combo box's field, a list's headings) lie inside it.
        const HWND parent = GetParent(c);
        if (!IsWindowVisible(c) || (parent != form && !IsContainer(parent))) continue;
        if (std::find(cutAsDesigned.begin(), cutAsDesigned.end(), c) == cutAsDesigned.end())
            ExpectTextFits(c);
        if (!IsContainer(c)) leaves.push_back(c);
    }
    for (std::size_t i = 0; i < leaves.size(); ++i)
        for (std::size_t j = i + 1; j < leaves.size(); ++j) {
            RECT a{}, b{}, both{};
            GetWindowRect(leaves[i], &a);
            GetWindowRect(leaves[j], &b);
            EXPECT_FALSE(IntersectRect(&both, &a, &b))
                << win32::Narrow(Describe(leaves[i])) << " overlaps " << win32::Narrow(Describe(leaves[j]));
        }
}

}  // namespace kvl::wintest

namespace kvl::wintest {

namespace {

// What the system sends a window that moved to a monitor of `dpi`, with the rectangle it
// suggests: the same place, the size times the ratio.
void SendDpiChange(HWND window, int dpi, std::optional<POINT> at = std::nullopt) {
    const int from = win32::WindowDpi(window);
    RECT r{};
    GetWindowRect(window, &r);
    if (at) OffsetRect(&r, at->x - r.left, at->y - r.top);
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, from),
                   r.top + MulDiv(r.bottom - r.top, dpi, from)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

struct Placed {
    HWND window;
    RECT at;
    LONG fontHeight;
};

LONG FontHeight(HWND window) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    return handle && GetObjectW(handle, sizeof font, &font) ? font.lfHeight : 0;
}

std::vector<Placed> Snapshot(HWND form) {
    std::vector<HWND> all;
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<Placed> placed;
    for (HWND c : all) placed.push_back({c, RectInParent(c), FontHeight(c)});
    return placed;
}

// The colour at the bottom-left corner of the form's first background, as it paints it
// (into a picture: grown, the form may reach beyond the screen).
std::optional<COLORREF> BackgroundCorner(HWND form) {
    HWND screen = nullptr;
    for (HWND c = GetWindow(form, GW_CHILD); c && !screen; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == L"KVL.CandyScreen" && IsWindowVisible(c)) screen = c;
    if (!screen) return std::nullopt;
    RECT r{};
    GetClientRect(screen, &r);
    HDC like = GetDC(screen);
    HDC dc = CreateCompatibleDC(like);
    HBITMAP bitmap = CreateCompatibleBitmap(like, r.right, r.bottom);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(screen, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const COLORREF colour = GetPixel(dc, 2, r.bottom - 3);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(screen, like);
    return colour;
}

}  // namespace

void ExpectLaidOutAgainOnAnotherScale(HWND form, const std::vector<HWND>& cutAsDesigned) {
    const int home = win32::WindowDpi(form);
    const int other = home == 96 ? 144 : 96;
    const std::vector<Placed> before = Snapshot(form);
    const std::optional<COLORREF> corner = BackgroundCorner(form);
    RECT homeClient{}, homeOuter{};
    GetClientRect(form, &homeClient);
    GetWindowRect(form, &homeOuter);

    SendDpiChange(form, other);
    EXPECT_EQ(win32::WindowDpi(form), other);
    {
        SCOPED_TRACE(testing::Message() << "at " << other << " dots per inch");
        RECT client{};
        GetClientRect(form, &client);
        EXPECT_EQ(client.right, TwipsToPixels(PixelsToTwips(homeClient.right, home), other));
        EXPECT_EQ(client.bottom, TwipsToPixels(PixelsToTwips(homeClient.bottom, home), other));
        ExpectReadableLayout(form, cutAsDesigned);
        for (const Placed& p : before) {
            // A control's own parts (a combo box's field) are placed by the control.
            const HWND parent = GetParent(p.window);
            if (parent != form && !IsContainer(parent)) continue;
            const RECT now = RectInParent(p.window);
            const double ratio = double(other) / home;
            EXPECT_NEAR(now.left, p.at.left * ratio, 1.5) << win32::Narrow(Describe(p.window));
            EXPECT_NEAR(now.top, p.at.top * ratio, 1.5) << win32::Narrow(Describe(p.window));
            EXPECT_NEAR(now.right - now.left, (p.at.right - p.at.left) * ratio, 2.5)
                << win32::Narrow(Describe(p.window));
            // Its text made at the new scale, not left at the old size in a larger box.
            EXPECT_NEAR(FontHeight(p.window), p.fontHeight * ratio, 1)
                << win32::Narrow(Describe(p.window));
        }
        // Drawn again at the new size, not the old picture repeated.
        if (corner) {
            COLORREF seen = CLR_INVALID;
            auto close = [&](COLORREF a, COLORREF b) {
                return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                           std::abs(GetBValue(a) - GetBValue(b)) <= 24;
            };
            seen = BackgroundCorner(form).value_or(CLR_INVALID);
            EXPECT_TRUE(close(seen, *corner)) << std::hex << seen << " where the background ends in " << *corner;
        }
    }

    SendDpiChange(form, home);
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_TRUE(EqualRect(&client, &homeClient)) << "the client area not back to its size";
    for (const Placed& p : before) {
        const RECT now = RectInParent(p.window);
        EXPECT_TRUE(EqualRect(&now, &p.at)) << win32::Narrow(Describe(p.window)) << " not back in place";
        EXPECT_EQ(FontHeight(p.window), p.fontHeight)
            << win32::Narrow(Describe(p.window)) << " not back to its font";
    }

    // Suggested far above and left of the screen, as for a monitor that lies there: the title
    // bar is brought back where the user can take hold of it.
    MONITORINFO monitor{sizeof monitor};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    SendDpiChange(form, other, POINT{work.left - 2000, work.top - 2000});
    SendDpiChange(form, home, POINT{work.left - 2000, work.top - 2000});
    RECT outer{};
    GetWindowRect(form, &outer);
    POINT clientTop{0, 0};
    ClientToScreen(form, &clientTop);
    EXPECT_GE(outer.left, work.left);
    EXPECT_GE(outer.top, work.top);
    EXPECT_LE(clientTop.y, work.bottom);
    EXPECT_EQ(outer.right - outer.left, homeOuter.right - homeOuter.left);

    // While the user drags it across monitors, it goes where the system puts it: pulled back
    // at each change of scale, it would jump away from under the pointer.
    const POINT dragged{work.left - 50, work.top - 40};
    SendMessageW(form, WM_ENTERSIZEMOVE, 0, 0);
    SendDpiChange(form, other, dragged);
    GetWindowRect(form, &outer);
    EXPECT_EQ(outer.left, dragged.x);
    EXPECT_EQ(outer.top, dragged.y);
    SendDpiChange(form, home, dragged);
    SendMessageW(form, WM_EXITSIZEMOVE, 0, 0);
    SetWindowPos(form, nullptr, homeOuter.left, homeOuter.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kvl::wintest
