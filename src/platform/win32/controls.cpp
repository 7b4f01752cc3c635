#include "platform/win32/controls.h"

#include <commctrl.h>

#include <cwchar>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

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

int ListBox::AddItem(std::wstring_view text) {
    return static_cast<int>(
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
}

std::wstring ListBox::List(int i) const {
    const auto n = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

bool ComboBox::Create(HWND parent, int id, const TwipsRect& at, bool dropDownList,
                      int dropHeightPx) {
    TwipsRect withList = at;
    withList.height = at.height + dropHeightPx * kTwipsPerPixel;
    return CreateControl(parent, id, L"COMBOBOX", L"",
                         WS_TABSTOP | WS_VSCROLL |
                             (dropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL),
                         withList);
}

int ComboBox::AddItem(std::wstring_view text, LPARAM data) {
    const auto i = static_cast<int>(
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
    if (i >= 0) SendMessageW(hwnd_, CB_SETITEMDATA, static_cast<WPARAM>(i), data);
    return i;
}

std::wstring ComboBox::List(int i) const {
    const auto n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

HWND ComboBox::EditHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

HWND ComboBox::ListHandle() const {
    COMBOBOXINFO info{sizeof info};
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndList : nullptr;
}

void ComboBox::SetToolTip(HWND toolTips, const wchar_t* text) {
    Control::SetToolTip(toolTips, text);
    if (HWND edit = EditHandle(); edit && edit != hwnd_) AddToolTip(toolTips, edit, text);
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

bool Frame::Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at) {
    static const WindowClass frameClass(L"KVL.Frame");
    return CreateOwnControl(*this, parent, id, frameClass, text, 0, at);
}

LRESULT Frame::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT forwarded = 0;
    if (ForwardChildNotification(hwnd, msg, wp, lp, forwarded)) return forwarded;
    switch (msg) {
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wp);
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        case WM_PAINT: {
            PaintDC paint(hwnd);
            const HDC dc = paint.get();
            Selection font(dc, font_);
            // Colours come from the parent, as for a static control.
            auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
                GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                reinterpret_cast<LPARAM>(hwnd)));
            if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
            RECT r{};
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, brush);

            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            RECT edge = r;
            edge.top += tm.tmHeight / 2;
            DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);

            wchar_t text[256] = L"";
            const int n = GetWindowTextW(hwnd, text, 256);
            if (n > 0) {
                SIZE extent{};
                GetTextExtentPoint32W(dc, text, n, &extent);
                RECT caption{6, 0, 6 + extent.cx + 2, tm.tmHeight};
                FillRect(dc, &caption, brush);
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, text, n, &caption, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
            }
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

namespace {

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    auto channel = [t](int x, int y) { return static_cast<BYTE>(x + (y - x) * t + 0.5); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

void FillVertical(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {
        {r.left, r.top, static_cast<COLOR16>(GetRValue(top) << 8),
         static_cast<COLOR16>(GetGValue(top) << 8), static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {r.right, r.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8),
         0}};
    GRADIENT_RECT g{0, 1};
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    static const auto fill = SystemFunction<GradientFillFn>(L"msimg32.dll", "GradientFill");
    if (fill && fill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V)) return;
    // Without the library the screen is still filled, in the colour halfway between.
    UniqueBrush brush(CreateSolidBrush(Mix(top, bottom, 0.5)));
    FillRect(dc, &r, brush.get());
}

// The screen's colours: deep teal at the top into midnight blue at the bottom.
constexpr COLORREF kCandyTop = RGB(0, 112, 128);
constexpr COLORREF kCandyBottom = RGB(10, 24, 72);

}  // namespace

bool StyledButton::Create(HWND parent, int id, std::wstring_view text, const TwipsRect& at) {
    if (!Button::Create(parent, id, text, at, BS_OWNERDRAW)) return false;
    SetWindowSubclass(hwnd_, Proc, 1, 0);
    return true;
}

// To the dialog manager a drawn button is no push button, so Enter on it would press the
// default one: it says it is the default while it has the focus, as a push button becomes.
// The dialog manager's style changes would make it a plain button; its look is its own.
LRESULT CALLBACK StyledButton::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR) {
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON | (GetFocus() == hwnd ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case BM_SETSTYLE:
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, Proc, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void StyledButton::Draw(const DRAWITEMSTRUCT& item, HBRUSH background) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool disabled = item.itemState & ODS_DISABLED;

    COLORREF top = RGB(70, 150, 220), bottom = RGB(16, 60, 140);
    if (pressed) std::swap(top, bottom);
    if (disabled) top = bottom = RGB(110, 120, 140);

    // Paint the corners like the background, then a rounded glossy face on top.
    FillRect(dc, &r, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    const UniqueRegion face(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, 10, 10));
    {
        ClipTo clip(dc, face.get());
        FillVertical(dc, r, top, bottom);
        RECT gloss = r;
        gloss.bottom = r.top + (r.bottom - r.top) / 2;
        FillVertical(dc, gloss, Mix(top, RGB(255, 255, 255), 0.35), top);
    }
    const UniqueBrush edge(CreateSolidBrush(RGB(8, 30, 70)));
    FrameRgn(dc, face.get(), edge.get(), 1, 1);

    wchar_t text[128] = L"";
    GetWindowTextW(item.hwndItem, text, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? RGB(200, 200, 200) : RGB(255, 255, 255));
    if (pressed) OffsetRect(&r, 1, 1);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE |
                        ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    {
        Selection font(dc, DialogFont());
        DrawTextW(dc, text, -1, &r, format);
    }
    if (focused) {
        RECT f = item.rcItem;
        InflateRect(&f, -4, -4);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &f);
    }
}

bool CandyScreen::Create(HWND parent, int id, const TwipsRect& at) {
    static const WindowClass screenClass(L"KVL.CandyScreen");
    if (!CreateOwnControl(*this, parent, id, screenClass, L"", 0, at)) return false;
    Render();
    return true;
}

void CandyScreen::Render() {
    // A form loaded again creates its screen again.
    RECT r{};
    GetClientRect(hwnd_, &r);
    const WindowDC screen(hwnd_);
    const UniqueDC dc(CreateCompatibleDC(screen.get()));
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
    {
        Selection canvas(dc.get(), bitmap_.get());
        FillVertical(dc.get(), r, kCandyTop, kCandyBottom);
    }
    brush_.reset(CreatePatternBrush(bitmap_.get()));
}

HBRUSH CandyScreen::BrushFor(HDC dc, HWND control) const {
    POINT origin{0, 0};
    MapWindowPoints(control, hwnd_, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    return brush_.get();
}

LRESULT CandyScreen::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT forwarded = 0;
    if (ForwardChildNotification(hwnd, msg, wp, lp, forwarded)) return forwarded;
    if (msg == WM_ERASEBKGND && brush_) {
        RECT r{};
        GetClientRect(hwnd, &r);
        SetBrushOrgEx(reinterpret_cast<HDC>(wp), 0, 0, nullptr);
        FillRect(reinterpret_cast<HDC>(wp), &r, brush_.get());
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void UseClassicLook(HWND control) {
    // The styles library is loaded at run time, and only from the system folder.
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setWindowTheme = []() -> SetWindowThemeFn {
        wchar_t path[MAX_PATH];
        const UINT n = GetSystemDirectoryW(path, MAX_PATH);
        if (n == 0 || n + 13 >= MAX_PATH) return nullptr;
        wcscat(path, L"\\uxtheme.dll");
        HMODULE lib = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        return lib ? reinterpret_cast<SetWindowThemeFn>(
                         reinterpret_cast<void*>(GetProcAddress(lib, "SetWindowTheme")))
                   : nullptr;
    }();
    if (setWindowTheme) setWindowTheme(control, L"", L"");
}

HFONT DialogFont() {
    static HFONT font = [] {
        // 8.25 points at 96 dots per inch is 11 pixels.
        HFONT f = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
        return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

}  // namespace kvl::win32
