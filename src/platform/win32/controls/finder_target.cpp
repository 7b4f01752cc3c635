#include "platform/win32/controls/finder_target.h"

#include <algorithm>

#include "platform/win32/handles.h"

namespace kvl::win32 {

bool FinderTarget::Create(const FinderTargetArgs& args) {
    static const WindowClass targetClass(L"KVL.FinderTarget");
    empty_ = false;
    return CreateOwnControl(*this, args.parent, args.id, targetClass, L"", 0, args.at);
}

void FinderTarget::SetEmpty(bool empty) {
    empty_ = empty;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT FinderTarget::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        case WM_PAINT: {
            PaintDC paint(hwnd);
            const HDC dc = paint.get();
            // The background the parent gives a static control, as a frame has it.
            FillAsStatic(hwnd, dc);
            RECT r{};
            GetClientRect(hwnd, &r);
            DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
            if (empty_) return 0;
            // A ring with a cross through it, in the window text colour, drawn to scale.
            const auto px = [this](int standard) { return MulDiv(standard, Dpi(), kStandardDpi); };
            const int cx = r.right / 2, cy = r.bottom / 2;
            const int radius = std::min(r.right, r.bottom) / 2 - px(6);
            const UniqueHandleOf<HPEN, DeleteObject> pen(
                CreatePen(PS_SOLID, px(2), GetSysColor(COLOR_WINDOWTEXT)));
            Selection usePen(dc, pen.get());
            Selection hollow(dc, GetStockObject(HOLLOW_BRUSH));
            Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
            MoveToEx(dc, cx, cy - radius - px(3), nullptr);
            LineTo(dc, cx, cy + radius + px(4));
            MoveToEx(dc, cx - radius - px(3), cy, nullptr);
            LineTo(dc, cx + radius + px(4), cy);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace kvl::win32
