#include "platform/win32/window.h"

#include <algorithm>
#include <set>
#include <vector>

namespace kvl::win32 {

namespace {

// Every window of ours that wants the dialog manager; all live on the one UI thread.
std::vector<HWND>& DialogWindows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

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
    static std::set<std::wstring> registered;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered.contains(windowClass.name)) {
        WNDCLASSEXW wc{sizeof wc};
        wc.style = windowClass.style;
        wc.lpfnWndProc = Dispatch;
        wc.hInstance = instance;
        wc.hIcon = windowClass.icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = windowClass.background;
        wc.lpszClassName = windowClass.name;
        if (windowClass.dialog) wc.cbWndExtra = DLGWINDOWEXTRA;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        registered.insert(windowClass.name);
    }
    const RECT& r = frame.outer;
    dialog_ = windowClass.dialog;
    hwnd_ = CreateWindowExW(frame.exStyle, windowClass.name, frame.title, frame.style, r.left,
                            r.top, r.right, r.bottom, frame.parent, frame.menu, instance, this);
    if (hwnd_ && dialog_) DialogWindows().push_back(hwnd_);
    return hwnd_ != nullptr;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CALLBACK Window::Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        std::erase(DialogWindows(), hwnd);
        const LRESULT result = self->OnMessage(msg, wp, lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnDestroyed();
        return result;
    }
    return self->OnMessage(msg, wp, lp);
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                        bool hasMenu) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, hasMenu, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace kvl::win32
