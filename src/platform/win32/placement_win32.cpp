// Where other programs' windows stand, and putting them elsewhere. Every change to another
// thread's window is posted to it (SWP_ASYNCWINDOWPOS, ShowWindowAsync), and posted in the
// order it must happen: that thread carries them out one after another, and KVL waits on none.

#include <algorithm>
#include <cwctype>

#include "platform/win32/desktop_win32.h"
#include "platform/win32/dpi.h"
#include "platform/win32/window_calls.h"

namespace kvl::win32 {

namespace {

HWND ToHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// n of \\.\DISPLAYn; 0 for a name without a number.
int DisplayNumber(const wchar_t* device) {
    const std::wstring name(device);
    std::size_t digits = name.size();
    while (digits > 0 && iswdigit(name[digits - 1])) --digits;
    if (digits == name.size() || name.size() - digits > 4) return 0;
    return std::stoi(name.substr(digits));
}

BOOL CALLBACK AddDisplay(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    reinterpret_cast<std::vector<DisplayInfo>*>(list)->push_back(
        {DisplayNumber(info.szDevice), FromRect(info.rcMonitor), FromRect(info.rcWork),
         MonitorDpi(info.rcMonitor), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

int NumberOf(HMONITOR monitor) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    return GetMonitorInfoW(monitor, &info) ? DisplayNumber(info.szDevice) : 0;
}

// A minimized or maximized window's restored rectangle is kept in workspace coordinates:
// measured from the primary display's work area, unless the window is a tool window.
POINT WorkspaceOffset(HWND window) {
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return {0, 0};
    MONITORINFO primary{sizeof primary};
    if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary))
        return {0, 0};
    return {primary.rcWork.left - primary.rcMonitor.left, primary.rcWork.top - primary.rcMonitor.top};
}

UINT Async(HWND window) { return OnThisThread(window) ? 0 : SWP_ASYNCWINDOWPOS; }

void MoveTo(HWND window, const ScreenRect& r, bool resize) {
    SetWindowPos(window, nullptr, r.left, r.top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | (resize ? 0 : SWP_NOSIZE) |
                     Async(window));
}

void ShowAs(HWND window, int command) {
    if (OnThisThread(window))
        ShowWindow(window, command);
    else
        ShowWindowAsync(window, command);
}

}  // namespace

std::vector<DisplayInfo> Win32Desktop::Displays() {
    std::vector<DisplayInfo> displays;
    EnumDisplayMonitors(nullptr, nullptr, AddDisplay, reinterpret_cast<LPARAM>(&displays));
    return displays;
}

std::optional<WindowPlaceFacts> Win32Desktop::PlaceOf(WindowHandle w) {
    const HWND window = ToHwnd(w);
    WINDOWPLACEMENT placement{sizeof placement};
    RECT outer{};
    if (!IsWindow(window) || !GetWindowPlacement(window, &placement) || !GetWindowRect(window, &outer))
        return std::nullopt;
    WindowPlaceFacts facts;
    facts.state = IsIconic(window)   ? WindowPlaceFacts::State::Minimized
                  : IsZoomed(window) ? WindowPlaceFacts::State::Maximized
                                     : WindowPlaceFacts::State::Normal;
    if (facts.state == WindowPlaceFacts::State::Normal) {
        facts.restored = FromRect(outer);
    } else {
        const POINT offset = WorkspaceOffset(window);
        RECT r = placement.rcNormalPosition;
        OffsetRect(&r, offset.x, offset.y);
        facts.restored = FromRect(r);
    }
    facts.display = NumberOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    facts.resizable = (style & WS_THICKFRAME) != 0;
    POINT client{0, 0};
    if (facts.state == WindowPlaceFacts::State::Normal && ClientToScreen(window, &client))
        facts.titleBar = std::max<int>(client.y - outer.top, 0);
    else if ((style & WS_CAPTION) == WS_CAPTION)
        facts.titleBar = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
    return facts;
}

ScreenPoint Win32Desktop::PointerPosition() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

bool Win32Desktop::SetPlace(WindowHandle w, const ScreenRect& wanted, bool resize) {
    const HWND window = ToHwnd(w);
    if (!IsWindow(window)) return false;
    const bool minimized = IsIconic(window), maximized = IsZoomed(window);
    if (minimized || maximized) {
        WINDOWPLACEMENT placement{sizeof placement};
        // Set only while the window answers: the call may wait on it.
        if (Answers(window, kAnswerMs) && GetWindowPlacement(window, &placement)) {
            const POINT offset = WorkspaceOffset(window);
            RECT r{wanted.left, wanted.top, wanted.right, wanted.bottom};
            if (!resize) {
                const RECT& old = placement.rcNormalPosition;
                r.right = r.left + (old.right - old.left);
                r.bottom = r.top + (old.bottom - old.top);
            }
            OffsetRect(&r, -offset.x, -offset.y);
            placement.rcNormalPosition = r;
            placement.flags = 0;
            placement.showCmd = minimized ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
            WINDOWPLACEMENT now{sizeof now};
            if (SetWindowPlacement(window, &placement) && GetWindowPlacement(window, &now) &&
                EqualRect(&now.rcNormalPosition, &r))
                return true;
        }
        // Where the system refuses another program's placement (Wine does): restore it, move
        // it, and give it its state back, in that order on its own thread.
        ShowAs(window, SW_SHOWNOACTIVATE);
        MoveTo(window, wanted, resize);
        ShowAs(window, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED);
        return true;
    }
    const HMONITOR from = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    const RECT target{wanted.left, wanted.top, wanted.right, wanted.bottom};
    const HMONITOR to = MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST);
    MONITORINFO fromInfo{sizeof fromInfo}, toInfo{sizeof toInfo};
    if (resize && from != to && GetMonitorInfoW(from, &fromInfo) && GetMonitorInfoW(to, &toInfo) &&
        MonitorDpi(fromInfo.rcMonitor) != MonitorDpi(toInfo.rcMonitor)) {
        // Onto a display of another scale the window rescales itself as it arrives: the size
        // asked for is set after that, or the rescaling would change it.
        MoveTo(window, wanted, false);
    }
    MoveTo(window, wanted, resize);
    return true;
}

bool Win32Desktop::SetOnTop(WindowHandle w, bool onTop) {
    const HWND window = ToHwnd(w);
    if (!IsWindow(window)) return false;
    return SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | Async(window)) != FALSE;
}

bool Win32Desktop::SetOpacity(WindowHandle w, int percent) {
    const HWND window = ToHwnd(w);
    // A new extended style is sent to the window (WM_STYLECHANGING): only while it answers.
    if (!IsWindow(window) || !Answers(window, kAnswerMs)) return false;
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    const BYTE alpha = static_cast<BYTE>(std::clamp(percent, 0, 100) * 255 / 100);
    return SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA) != FALSE;
}

}  // namespace kvl::win32
