#include "platform/win32/controls/styled_button.h"

#include <utility>

#include "platform/win32/controls/gradient_fill.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

// To the dialog manager a drawn button is no push button, so Enter on it would press the
// default one: it says it is the default while it has the focus, as a push button becomes.
// The dialog manager's style changes would make it a plain button; its look is its own.
bool StyledButton::OwnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_GETDLGCODE:
            result =
                DLGC_BUTTON | (GetFocus() == hwnd_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return true;
        case BM_SETSTYLE:
            result = 0;
            return true;
        default:
            return false;
    }
}

namespace {

// `background` fills the corners the rounded face leaves; `dpi` scales the corners, the text
// and the focus mark's inset.
void DrawFace(const DRAWITEMSTRUCT& item, HBRUSH background, int dpi) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool disabled = item.itemState & ODS_DISABLED;

    COLORREF top = RGB(70, 150, 220), bottom = RGB(16, 60, 140);
    if (pressed) std::swap(top, bottom);
    if (disabled) top = bottom = RGB(110, 120, 140);

    const int corner = MulDiv(10, dpi, kStandardDpi);
    // Paint the corners like the background, then a rounded glossy face on top.
    FillRect(dc, &r, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    const UniqueRegion face(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, corner, corner));
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
        Selection font(dc, DialogFont(dpi));
        DrawTextW(dc, text, -1, &r, format);
    }
    if (focused) {
        RECT f = item.rcItem;
        const int inset = MulDiv(4, dpi, kStandardDpi);
        InflateRect(&f, -inset, -inset);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &f);
    }
}

}  // namespace

bool StyledButton::DrawItem(const DRAWITEMSTRUCT& item) {
    DrawFace(item, BackgroundBrush(item.hDC), Dpi());
    return true;
}

}  // namespace kvl::win32
