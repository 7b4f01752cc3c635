#pragma once
// How the shell's events on the tray icon become the icon's three: a click is told only once
// the double-click time has passed without a second click, so a double-click never opens the
// menu whose loop would swallow its second click. The keyboard selects like a double-click.

#include <windows.h>

#include <functional>

#include "platform/win32/timer.h"

namespace kvl {

class TrayClicks {
public:
    // `timerId` is one of the owner's window timers, kept for the wait after a click.
    explicit TrayClicks(UINT_PTR timerId);
    void Attach(HWND owner) { timer_.Attach(owner); }

    // One event of the icon's callback message: LOWORD(lParam), and the point from wParam.
    void Event(UINT event, POINT at);

    std::function<void(POINT)> onClick;  // where the single click was
    std::function<void()> onDoubleClick;
    std::function<void(POINT)> onContextMenu;  // the right button, or the menu key

private:
    void ClickTimeOver();

    win32::WindowTimer timer_;
    POINT clickAt_{};
    ULONGLONG doubleClickAt_ = 0;  // the last double-click whose selection is still to come
    ULONGLONG keySelectAt_ = 0;    // one key press may be announced twice
};

}  // namespace kvl
