#include "platform/win32/system_library.h"
#include "platform/win32/controls/control.h"

#include <commctrl.h>
#include <cwchar>

namespace kvl::win32 {

RECT PixelRect(const TwipsRect& r) {
    const int left = TwipsToPixels(r.left), top = TwipsToPixels(r.top);
    return {left, top, left + TwipsToPixels(r.width), top + TwipsToPixels(r.height)};
}

namespace {
// The window property that leads from a control's window to its wrapper.
constexpr wchar_t kWrapperProperty[] = L"KVL.Control";
}  // namespace

Control::~Control() {
    if (hwnd_ && IsWindow(hwnd_)) RemovePropW(hwnd_, kWrapperProperty);
}

bool RouteToControl(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp) {
        auto* control = static_cast<Control*>(GetPropW(reinterpret_cast<HWND>(lp), kWrapperProperty));
        return control && control->Notified(HIWORD(wp));
    }
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        auto* control = static_cast<Control*>(GetPropW(item->hwndItem, kWrapperProperty));
        return control && control->DrawItem(*item);
    }
    return false;
}

LPARAM CommandSender(HWND form, WPARAM wp, LPARAM lp) {
    if (lp) return lp;
    return reinterpret_cast<LPARAM>(GetDlgItem(form, LOWORD(wp)));
}

bool Control::CreateControl(HWND parent, int id, const wchar_t* windowClass,
                            std::wstring_view text, DWORD style, const TwipsRect& at,
                            DWORD exStyle) {
    const RECT r = PixelRect(at);
    hwnd_ = CreateWindowExW(exStyle, windowClass, std::wstring(text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    SetPropW(hwnd_, kWrapperProperty, this);
    SetFont(DialogFont());
    return true;
}

bool Control::CreateOwnControl(MessageTarget& target, HWND parent, int id,
                               const WindowClass& windowClass, std::wstring_view text, DWORD style,
                               const TwipsRect& at) {
    const RECT r = PixelRect(at);
    hwnd_ = CreateRoutedWindow(target, windowClass, WS_EX_CONTROLPARENT, std::wstring(text).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | style,
                               {r.left, r.top, r.right - r.left, r.bottom - r.top}, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    if (!hwnd_) return false;
    SetPropW(hwnd_, kWrapperProperty, this);
    SetFont(DialogFont());
    return true;
}

void Control::Move(const TwipsRect& at) {
    const RECT r = PixelRect(at);
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

TwipsRect Control::Position() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return {r.left * kTwipsPerPixel, r.top * kTwipsPerPixel, (r.right - r.left) * kTwipsPerPixel,
            (r.bottom - r.top) * kTwipsPerPixel};
}

std::wstring Control::Text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::AddToolTip(HWND toolTips, HWND tool, const wchar_t* text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    // Transparent: a click where the tip shows goes to what lies beneath, not into the tip.
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

bool ForwardChildNotification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR:
            // A notification with no sender (lp 0) is a menu or accelerator of our own.
            if (msg == WM_COMMAND && lp == 0) return false;
            result = SendMessageW(GetParent(container), msg, wp, lp);
            return true;
        default:
            return false;
    }
}

void UseClassicLook(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setWindowTheme =
        SystemFunction<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
    if (setWindowTheme) setWindowTheme(control, L"", L"");
}

HFONT DialogFont() {
    static HFONT font = [] {
        // 8.25 points at 96 dots per inch is 11 pixels.
        HFONT f = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
        return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

}  // namespace kvl::win32
