#include "platform/win32/controls/gradient_background.h"

#include "platform/win32/controls/gradient_fill.h"

namespace kvl::win32 {

// The screen's colours: deep teal at the top into midnight blue at the bottom.
constexpr COLORREF kCandyTop = RGB(0, 112, 128);
constexpr COLORREF kCandyBottom = RGB(10, 24, 72);

bool CandyScreen::Create(const CandyScreenArgs& args) {
    static const WindowClass screenClass(L"KVL.CandyScreen");
    continuation_ = args.continuation;
    if (!CreateOwnControl(*this, args.parent, args.id, screenClass, L"", 0, args.at)) return false;
    Render();
    return true;
}

// Drawn once at the size the screen has, and again at each new scale: a form loaded again
// creates its screen again.
void CandyScreen::Render() {
    RECT r{};
    GetClientRect(hwnd_, &r);
    const WindowDC screen(hwnd_);
    const UniqueDC dc(CreateCompatibleDC(screen.get()));
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
    {
        Selection canvas(dc.get(), bitmap_.get());
        FillVertical(dc.get(), r, continuation_ ? kCandyBottom : kCandyTop, kCandyBottom);
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

}  // namespace kvl::win32
