#include "app/win32/tray_clicks.h"

#include <shellapi.h>

namespace kvl {

TrayClicks::TrayClicks(UINT_PTR timerId) : timer_(timerId, 0) {
    timer_.onTimer = [this] { ClickTimeOver(); };
}

void TrayClicks::Event(UINT event, POINT at) {
    const ULONGLONG now = GetTickCount64();
    switch (event) {
        case NIN_SELECT:
            // The release that ends a double-click selects too; that selection is its own.
            if (doubleClickAt_ && now - doubleClickAt_ < GetDoubleClickTime()) {
                doubleClickAt_ = 0;
                break;
            }
            clickAt_ = at;
            timer_.SetInterval(GetDoubleClickTime());
            timer_.Restart();
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            timer_.Enable(false);
            doubleClickAt_ = now;
            if (onDoubleClick) onDoubleClick();
            break;
        case NIN_KEYSELECT:
            if (now - keySelectAt_ < GetDoubleClickTime()) break;
            keySelectAt_ = now;
            if (onDoubleClick) onDoubleClick();
            break;
        case WM_CONTEXTMENU:
            timer_.Enable(false);
            if (onContextMenu) onContextMenu(at);
            break;
        default:
            break;
    }
}

void TrayClicks::ClickTimeOver() {
    timer_.Enable(false);
    if (onClick) onClick(clickAt_);
}

}  // namespace kvl
