#include "platform/win32/controls/control.h"

#include <commctrl.h>

#include <map>

#include "platform/win32/system_library.h"

namespace kvl::win32 {

RECT PixelRect(const TwipsRect& r, int dpi) {
    const int left = TwipsToPixels(r.left, dpi), top = TwipsToPixels(r.top, dpi);
    return {left, top, left + TwipsToPixels(r.width, dpi), top + TwipsToPixels(r.height, dpi)};
}

namespace {

constexpr UINT_PTR kSubclassId = 1;

void AddToolTip(HWND toolTips, HWND tool, const wchar_t* text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    // Transparent: a click where the tip shows goes to what lies beneath, not into the tip.
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

Control::~Control() {
    // The form's window, and this control's with it, may outlive the wrapper by a moment:
    // nothing may lead back here after it is gone.
    for (HWND part : parts_) Detach(part);
    Detach(hwnd_);
}

void Control::Attach(HWND window) {
    SetReflectionTarget(window, this);
    SetWindowSubclass(window, WindowMessage, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void Control::Detach(HWND window) {
    if (!window || !IsWindow(window)) return;
    SetReflectionTarget(window, nullptr);
    SetScaledChild(window, nullptr);
    RemoveWindowSubclass(window, WindowMessage, kSubclassId);
}

void Control::AdoptPart(HWND part) {
    if (!part || part == hwnd_) return;
    parts_.push_back(part);
    Attach(part);
}

bool Control::CreateControl(HWND parent, int id, const wchar_t* windowClass, std::wstring_view text,
                            DWORD style, const TwipsRect& at, DWORD exStyle) {
    parts_.clear();  // those of a window made before, which is gone
    const RECT r = PixelRect(at, WindowDpi(parent));
    hwnd_ = CreateWindowExW(exStyle, windowClass, std::wstring(text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    return Made(at);
}

bool Control::CreateOwnControl(MessageTarget& target, HWND parent, int id,
                               const WindowClass& windowClass, std::wstring_view text, DWORD style,
                               const TwipsRect& at) {
    const RECT r = PixelRect(at, WindowDpi(parent));
    hwnd_ = CreateRoutedWindow(target, windowClass, WS_EX_CONTROLPARENT, std::wstring(text).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | style,
                               {r.left, r.top, r.right - r.left, r.bottom - r.top}, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    return Made(at);
}

bool Control::Made(const TwipsRect& at) {
    if (!hwnd_) return false;
    at_ = at;
    Attach(hwnd_);
    SetScaledChild(hwnd_, this);
    SetFont(DialogFont(Dpi()));
    return true;
}

void Control::Rescale(int oldDpi) {
    SetFont(DialogFont(Dpi()));  // first: a list sizes its items by its font
    Place();
    Rescaled(oldDpi);
}

void Control::PlaceWindow(const TwipsRect& at) {
    const RECT r = PixelRect(at, Dpi());
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

bool Control::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            result = 0;
            return Notified(HIWORD(wp));
        case WM_DRAWITEM:
            result = TRUE;
            return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<const NMHDR*>(lp), result);
        default:  // WM_CTLCOLOR*
            result = PaintWith(reinterpret_cast<HDC>(wp));
            return result != 0;
    }
}

void Control::SetColours(const Colours& colours) {
    colours_ = colours;
    backBrush_.reset(colours.back != CLR_INVALID ? CreateSolidBrush(colours.back) : nullptr);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH Control::BackgroundBrush(HDC dc) const {
    if (colours_.backdrop) return colours_.backdrop->BrushFor(dc, hwnd_);
    return backBrush_.get();
}

// The answer to a WM_CTLCOLOR*: 0 leaves the control to the system's colours.
LRESULT Control::PaintWith(HDC dc) const {
    const HBRUSH brush = BackgroundBrush(dc);
    if (!brush) return 0;
    if (colours_.text != CLR_INVALID) SetTextColor(dc, colours_.text);
    if (colours_.backdrop)
        SetBkMode(dc, TRANSPARENT);
    else
        SetBkColor(dc, colours_.back);
    return reinterpret_cast<LRESULT>(brush);
}

bool Control::MouseMessage(UINT msg, LPARAM lp) {
    const int dpi = Dpi();
    const POINT at{PixelsToTwips(static_cast<short>(LOWORD(lp)), dpi),
                   PixelsToTwips(static_cast<short>(HIWORD(lp)), dpi)};
    switch (msg) {
        case WM_LBUTTONDOWN:
            Raise(onMouseDown, MouseButton::Left, at);
            return false;
        case WM_RBUTTONDOWN:
            return Raise(onMouseDown, MouseButton::Right, at);
        case WM_LBUTTONUP:
            Raise(onMouseUp, MouseButton::Left);
            return false;
        case WM_RBUTTONUP:
            Raise(onMouseUp, MouseButton::Right);
            return static_cast<bool>(onMouseDown);
        case WM_CONTEXTMENU:
            return static_cast<bool>(onMouseDown);
        case WM_MOUSEMOVE:
            Raise(onMouseMove, at);
            return false;
        default:
            return false;
    }
}

LRESULT CALLBACK Control::WindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR self) {
    auto* control = reinterpret_cast<Control*>(self);
    switch (msg) {
        case WM_NCDESTROY:
            SetReflectionTarget(hwnd, nullptr);
            SetScaledChild(hwnd, nullptr);
            RemoveWindowSubclass(hwnd, WindowMessage, kSubclassId);
            return DefSubclassProc(hwnd, msg, wp, lp);
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            const HWND to = reinterpret_cast<HWND>(wp);
            const HWND own = control->hwnd_;
            if (to && to != own && !IsChild(own, to) &&
                GetAncestor(to, GA_ROOT) == GetAncestor(own, GA_ROOT))
                Raise(control->onLostFocus);
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
        case WM_MOUSEMOVE:
            if (control->MouseMessage(msg, lp)) return 0;
            break;
        case WM_CAPTURECHANGED:
            // Told once the capture has gone, whoever took it.
            if (reinterpret_cast<HWND>(lp) != hwnd) Raise(control->onCaptureLost);
            break;
        default:
            if (LRESULT result = 0; control->OwnMessage(msg, wp, lp, result)) return result;
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void Control::Move(const TwipsRect& at) {
    at_ = at;
    Place();
}

std::wstring Control::Text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Control::ItemText(UINT lengthMessage, UINT textMessage, int index) const {
    const auto i = static_cast<WPARAM>(index);
    const LRESULT n = SendMessageW(hwnd_, lengthMessage, i, 0);
    if (n < 0) return {};  // LB_ERR and CB_ERR alike
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, textMessage, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void Control::SetToolTip(HWND toolTips, const wchar_t* text) {
    AddToolTip(toolTips, hwnd_, text);
    // Over the parts inside the control too (a combo box's edit field covers most of it),
    // not over its drop-down list.
    for (HWND part : parts_)
        if (IsChild(hwnd_, part)) AddToolTip(toolTips, part, text);
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

HBRUSH FillAsStatic(HWND control, HDC dc) {
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
    RECT r{};
    GetClientRect(control, &r);
    FillRect(dc, &r, brush);
    return brush;
}

HFONT DialogFont(int dpi) {
    // 8.25 points is 11 pixels at 96 dots per inch. At other scales the pixels are rounded
    // down, so that a text never outgrows the control laid out for it (16 at 144, not 17).
    static std::map<int, UniqueFont> fonts;
    UniqueFont& font = fonts[dpi];
    if (!font)
        font.reset(CreateFontW(-(11 * dpi / kStandardDpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                               FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
    return font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace kvl::win32
