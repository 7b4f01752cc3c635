#include "platform/win32/window_outline.h"

#include "platform/twips.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"

namespace kvl::win32 {

namespace {

constexpr int kThickness = 3;  // pixels at 96 dots per inch

HBRUSH EdgeBrush() {
    static const UniqueBrush brush(CreateSolidBrush(RGB(255, 0, 0)));
    return brush.get();
}

}  // namespace

WindowOutline::~WindowOutline() {
    for (HWND edge : edges_)
        if (edge) DestroyWindow(edge);
}

bool WindowOutline::IsEdge(HWND hwnd) const {
    for (HWND edge : edges_)
        if (edge && edge == hwnd) return true;
    return false;
}

void WindowOutline::Around(HWND window) {
    target_ = window;
    RECT r{};
    if (!window || !GetWindowRect(window, &r)) {
        for (HWND edge : edges_)
            if (edge) ShowWindow(edge, SW_HIDE);
        target_ = nullptr;
        return;
    }
    static const WindowClass edgeClass(L"KVL.OutlineEdge", {.background = EdgeBrush()});
    const int w = r.right - r.left, h = r.bottom - r.top;
    // As thick to the eye on every monitor.
    const int t = MulDiv(kThickness, MonitorDpi(r), kStandardDpi);
    const RECT places[] = {
        {r.left, r.top, w, t},
        {r.left, r.bottom - t, w, t},
        {r.left, r.top, t, h},
        {r.right - t, r.top, t, h},
    };
    for (std::size_t k = 0; k < edges_.size(); ++k) {
        const RECT& p = places[k];
        if (!edges_[k])
            edges_[k] = CreateRoutedWindow(
                *this, edgeClass, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"",
                WS_POPUP, {p.left, p.top, p.right, p.bottom}, nullptr, nullptr);
        SetWindowPos(edges_[k], HWND_TOPMOST, p.left, p.top, p.right, p.bottom,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

LRESULT WindowOutline::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // The window under the pointer is the one outlined, never the outline itself.
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kvl::win32
