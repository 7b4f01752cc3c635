#include "editor/win32/finder_drag.h"

#include "editor/editor_fields.h"

namespace kvl {

namespace {

constexpr UINT kFollowMs = 30;

}  // namespace

FinderDrag::FinderDrag(win32::FinderTarget& finder, UINT_PTR timerId)
    : finder_(finder), follow_(timerId, kFollowMs) {
    follow_.onTimer = [this] { Follow(); };
    finder_.onMouseDown = [this](win32::MouseButton button, POINT) { MouseDown(button); };
    finder_.onMouseMove = [this](POINT) { Follow(); };
    finder_.onMouseUp = [this](win32::MouseButton button) { MouseUp(button); };
    finder_.onCaptureLost = [this] { End(); };
}

void FinderDrag::Attach(HWND form) {
    finding_ = false;
    follow_.Attach(form);
}

void FinderDrag::MouseDown(win32::MouseButton button) {
    if (button != win32::MouseButton::Left || finding_) return;
    finding_ = true;
    finder_.SetEmpty(true);
    finder_.SetCapture();
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    // The pointer is followed by the clock as well as by its moves: not every system hands
    // us the moves over another program's window while we hold the mouse (Wine does not,
    // always).
    follow_.Enable(true);
}

void FinderDrag::Follow() {
    if (!finding_) return;
    // Where the pointer is now rather than where a message says it was: on a busy machine
    // the moves queue up behind the pointer, and the outline must not lag behind.
    POINT now{};
    GetCursorPos(&now);
    const HWND window = WindowAt(now);
    if (window != outline_.Target()) outline_.Around(window);
}

void FinderDrag::MouseUp(win32::MouseButton button) {
    if (button != win32::MouseButton::Left || !finding_) return;
    // Where the button came up, not where the last move was seen.
    const DWORD at = GetMessagePos();
    const HWND window = WindowAt({static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
    End();
    if (window && onFound) onFound(window);
}

void FinderDrag::End() {
    if (!finding_) return;
    finding_ = false;  // first: letting the mouse go tells us again
    follow_.Enable(false);
    outline_.Around(nullptr);
    finder_.SetEmpty(false);
    finder_.ReleaseCapture();
}

HWND FinderDrag::WindowAt(POINT screen) const {
    const HWND under = WindowFromPoint(screen);
    const HWND window = under ? GetAncestor(under, GA_ROOT) : nullptr;
    if (!window || outline_.IsEdge(window)) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return FinderTakes(process, GetCurrentProcessId()) ? window : nullptr;
}

}  // namespace kvl
