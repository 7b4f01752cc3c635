#include "platform/win32/window.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/win32/timer.h"

namespace kvl::win32 {

namespace {

// The window property that leads from a child to its reflection target.
constexpr wchar_t kReflectionProperty[] = L"KVL.Reflection";

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
    if (hwnd_ && dialog_) DialogWindows().push_back(hwnd_);
    return hwnd_ != nullptr;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return Default(msg, wp, lp);
}

LRESULT Window::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!hwnd_) hwnd_ = hwnd;  // from WM_NCCREATE on, before CreateWindowEx returns
    if (LRESULT reflected = 0; ReflectToChild(hwnd, msg, wp, lp, reflected)) return reflected;
    if (msg == WM_TIMER && WindowTimer::Tick(hwnd, wp)) return 0;
    if (msg != WM_NCDESTROY) return OnMessage(msg, wp, lp);
    std::erase(DialogWindows(), hwnd);
    const LRESULT result = OnMessage(msg, wp, lp);
    hwnd_ = nullptr;
    OnDestroyed();
    return result;
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                        bool hasMenu) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, hasMenu, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace kvl::win32
