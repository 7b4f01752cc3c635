#include "platform/win32/display.h"

#include "platform/colour_depth.h"
#include "platform/twips.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

bool IsRichColourDisplay() {
    UniqueDC dc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!dc) return false;
    return IsRichColourCount(GetDeviceCaps(dc.get(), PLANES), GetDeviceCaps(dc.get(), BITSPIXEL));
}

void SetTopmost(HWND window, bool topmost) {
    RECT r{};
    GetWindowRect(window, &r);
    const int left = TwipsToPixels(r.left * kTwipsPerPixel);
    const int top = TwipsToPixels(r.top * kTwipsPerPixel);
    const int width = TwipsToPixels((r.right - r.left) * kTwipsPerPixel);
    const int height = TwipsToPixels((r.bottom - r.top) * kTwipsPerPixel);
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, left, top, width, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace kvl::win32
