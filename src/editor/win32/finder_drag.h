#pragma once
// The finder's drag: the user takes the crosshair out of its place and carries it onto
// another program's window, which is outlined on the screen while the pointer is over it,
// and taken when the button comes up there. Escape or a lost capture puts it back.

#include <windows.h>

#include <functional>

#include "platform/win32/controls/finder_target.h"
#include "platform/win32/timer.h"
#include "platform/win32/window_outline.h"

namespace kvl {

class FinderDrag {
public:
    // `timerId` is one of the form's window timers, free for the drag's use.
    FinderDrag(win32::FinderTarget& finder, UINT_PTR timerId);
    // Once the form has its window (again): the drag's timer runs on it.
    void Attach(HWND form);

    bool Finding() const { return finding_; }
    HWND OutlinedWindow() const { return outline_.Target(); }
    // Puts the crosshair back, taking nothing.
    void End();

    // The window the user dropped the crosshair on: a top-level window of another program.
    std::function<void(HWND)> onFound;

private:
    void MouseDown(win32::MouseButton button);
    void MouseUp(win32::MouseButton button);
    void Follow();
    // The top-level window the finder would take at a point of the screen: none over KVL's
    // own windows.
    HWND WindowAt(POINT screen) const;

    win32::FinderTarget& finder_;
    win32::WindowTimer follow_;
    win32::WindowOutline outline_;
    bool finding_ = false;
};

}  // namespace kvl
