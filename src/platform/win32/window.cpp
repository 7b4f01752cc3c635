#include "platform/win32/window.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/twips.h"
#include "platform/win32/dpi.h"
#include "platform/win32/timer.h"

namespace kvl::win32 {

namespace {

// The window properties that lead from a child to its reflection target and to what
// places it again at a new scale.
constexpr wchar_t kReflectionProperty[] = L"KVL.Reflection";
constexpr wchar_t kScaledProperty[] = L"KVL.Scaled";

BOOL CALLBACK RescaleChild(HWND child, LPARAM oldDpi) {
    if (auto* scaled = static_cast<ScaledChild*>(GetPropW(child, kScaledProperty)))
        scaled->Rescale(static_cast<int>(oldDpi));
    return TRUE;
}

// True when the child a notification to `parent` comes from took it.
bool ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
        case WM_COMMAND:
            // A command with no sender that carries a child's identifier is that child's: the
            // dialog manager presses the default button so.
            child = lp ? reinterpret_cast<HWND>(lp) : GetDlgItem(parent, LOWORD(wp));
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
            break;
        case WM_NOTIFY:
            child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            child = reinterpret_cast<HWND>(lp);
            break;
        default:
            return false;
    }
    auto* target =
        child ? static_cast<ReflectionTarget*>(GetPropW(child, kReflectionProperty)) : nullptr;
    return target && target->Reflected(msg, wp, lp, result);
}

// Every window of ours that wants the dialog manager; all live on the one UI thread.
std::vector<HWND>& DialogWindows() {
    static std::vector<HWND> windows;
    return windows;
}

// The one window procedure of every window of ours: the target comes with WM_NCCREATE and
// is forgotten before WM_NCDESTROY is handed on, after which the target may be gone.
LRESULT CALLBACK RouteMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!target) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return target->HandleMessage(hwnd, msg, wp, lp);
}

}  // namespace

void SetReflectionTarget(HWND child, ReflectionTarget* target) {
    if (target)
        SetPropW(child, kReflectionProperty, target);
    else
        RemovePropW(child, kReflectionProperty);
}

void SetScaledChild(HWND window, ScaledChild* child) {
    if (child)
        SetPropW(window, kScaledProperty, child);
    else
        RemovePropW(window, kScaledProperty);
}

WindowClass::WindowClass(const wchar_t* name, const Look& look) : name_(name) {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = look.style;
    wc.lpfnWndProc = RouteMessage;
    wc.cbWndExtra = look.extraBytes;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = look.icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = look.background;
    wc.lpszClassName = name_.c_str();
    atom_ = RegisterClassExW(&wc);
}

WindowClass::~WindowClass() {
    if (atom_) UnregisterClassW(name_.c_str(), GetModuleHandleW(nullptr));
}

HWND CreateRoutedWindow(MessageTarget& target, const WindowClass& windowClass, DWORD exStyle,
                        const wchar_t* title, DWORD style, const RECT& outer, HWND parent,
                        HMENU menuOrId) {
    if (!windowClass.Registered()) return nullptr;
    return CreateWindowExW(exStyle, windowClass.Name(), title, style, outer.left, outer.top,
                           outer.right, outer.bottom, parent, menuOrId, GetModuleHandleW(nullptr),
                           &target);
}

void KeepTitleBarOnWorkArea(HWND window) {
    RECT outer{};
    POINT clientTop{0, 0};
    MONITORINFO monitor{sizeof monitor};
    if (!GetWindowRect(window, &outer) || !ClientToScreen(window, &clientTop) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    // What lies above the client area: the frame's top, the title bar, the menu bar.
    const LONG bar = std::max(clientTop.y - outer.top, 1L);
    const LONG width = outer.right - outer.left;
    const LONG left = std::max(std::min(outer.left, work.right - width), work.left);
    const LONG top = std::max(std::min(outer.top, work.bottom - bar), work.top);
    if (left != outer.left || top != outer.top)
        SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsOurDialogMessage(MSG& msg) {
    if (!msg.hwnd) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    const auto& dialogs = DialogWindows();
    if (std::find(dialogs.begin(), dialogs.end(), root) == dialogs.end()) return false;
    return IsDialogMessageW(root, &msg) != FALSE;
}

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::Create(const Class& windowClass, const Frame& frame) {
    // Each form's class, registered on its first window, for the rest of the program's life.
    static std::map<std::wstring, std::unique_ptr<WindowClass>> classes;
    auto& registered = classes[windowClass.name];
    if (!registered || !registered->Registered())
        registered = std::make_unique<WindowClass>(
            windowClass.name,
            WindowClass::Look{windowClass.icon, windowClass.background, windowClass.style,
                              windowClass.dialog ? DLGWINDOWEXTRA : 0});
    dialog_ = windowClass.dialog;
    hwnd_ = CreateRoutedWindow(*this, *registered, frame.exStyle, frame.title, frame.style,
                               frame.outer, frame.parent, frame.menu);
    if (!hwnd_) return false;
    SetLaidOutDpi(hwnd_, frame.dpi > 0 ? frame.dpi : SystemDpi());
    KeepTitleBarOnWorkArea(hwnd_);
    if (dialog_) DialogWindows().push_back(hwnd_);
    return true;
}

int Window::Dpi() const { return WindowDpi(hwnd_); }

void Window::FitMonitorScale() {
    const int laidOut = Dpi(), actual = SystemWindowDpi(hwnd_);
    if (actual == laidOut) return;
    RECT r{};
    GetWindowRect(hwnd_, &r);
    Rescale(actual, {r.left, r.top});
}

// Each control's twips rectangle, and the fonts, at the new scale; the window keeps the
// corner the system suggests, which keeps it where it was under the pointer. Its size comes
// from the client area: the frame, title bar and menu bar do not grow in proportion, so the
// whole window scaled would leave the client a few pixels off the size laid out in twips.
void Window::Rescale(int dpi, POINT topLeft) {
    const int oldDpi = Dpi();
    RECT client{};
    GetClientRect(hwnd_, &client);
    const SIZE wanted{TwipsToPixels(PixelsToTwips(client.right, oldDpi), dpi),
                      TwipsToPixels(PixelsToTwips(client.bottom, oldDpi), dpi)};
    const SIZE outer = OuterSizeForClient(
        wanted.cx, wanted.cy, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
        static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), GetMenu(hwnd_) != nullptr, dpi);
    SetLaidOutDpi(hwnd_, dpi);
    // A minimized window has no client area to measure; it stays as it is.
    if (!IsIconic(hwnd_)) {
        SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, outer.cx, outer.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // Where the frame is drawn otherwise than the system measures it (a menu bar that
        // wraps, a system that draws every frame at one scale), the difference is made good.
        GetClientRect(hwnd_, &client);
        if (client.right != wanted.cx || client.bottom != wanted.cy)
            SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx + wanted.cx - client.right,
                         outer.cy + wanted.cy - client.bottom,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Dragged across monitors, the window stays under the pointer: pulled back onto the
        // work area at each change of scale, it would jump away from the user's hand.
        if (!draggedByUser_) KeepTitleBarOnWorkArea(hwnd_);
    }
    EnumChildWindows(hwnd_, RescaleChild, oldDpi);
    OnDpiChanged(oldDpi);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return Default(msg, wp, lp);
}

LRESULT Window::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!hwnd_) hwnd_ = hwnd;  // from WM_NCCREATE on, before CreateWindowEx returns
    if (LRESULT reflected = 0; ReflectToChild(hwnd, msg, wp, lp, reflected)) return reflected;
    if (msg == WM_TIMER && WindowTimer::Tick(hwnd, wp)) return 0;
    if (msg == WM_ENTERSIZEMOVE || msg == WM_EXITSIZEMOVE) draggedByUser_ = msg == WM_ENTERSIZEMOVE;
    if (msg == WM_DPICHANGED) {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lp);
        Rescale(LOWORD(wp), {suggested.left, suggested.top});
        return 0;
    }
    if (msg != WM_NCDESTROY) return OnMessage(msg, wp, lp);
    std::erase(DialogWindows(), hwnd);
    SetLaidOutDpi(hwnd, 0);
    const LRESULT result = OnMessage(msg, wp, lp);
    hwnd_ = nullptr;
    OnDestroyed();
    return result;
}

}  // namespace kvl::win32
