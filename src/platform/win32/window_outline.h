#pragma once
// A frame drawn around another program's window without drawing into it: four thin topmost
// windows of our own along its edges, which the pointer passes through.

#include <windows.h>

#include <array>

#include "platform/win32/window.h"

namespace kvl::win32 {

class WindowOutline final : private MessageTarget {
public:
    WindowOutline() = default;
    ~WindowOutline();
    WindowOutline(const WindowOutline&) = delete;
    WindowOutline& operator=(const WindowOutline&) = delete;

    // Around `window`'s outer rectangle; nullptr hides the outline.
    void Around(HWND window);
    HWND Target() const { return target_; }
    // Whether `hwnd` is one of the outline's own edges.
    bool IsEdge(HWND hwnd) const;

private:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    std::array<HWND, 4> edges_{};
    HWND target_ = nullptr;
};

}  // namespace kvl::win32
