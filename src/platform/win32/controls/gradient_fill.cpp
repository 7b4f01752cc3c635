#include "platform/win32/controls/gradient_fill.h"

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace kvl::win32 {

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

}  // namespace kvl::win32
