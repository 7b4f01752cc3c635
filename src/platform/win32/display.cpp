#include "platform/win32/display.h"

#include "platform/colour_depth.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

bool IsRichColourDisplay() {
    UniqueDC dc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!dc) return false;
    return IsRichColourCount(GetDeviceCaps(dc.get(), PLANES), GetDeviceCaps(dc.get(), BITSPIXEL));
}

// The window is shown where it is, at the size it has.
void SetTopmost(HWND window, bool topmost) {
    RECT r{};
    GetWindowRect(window, &r);
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace kvl::win32
