#include "platform/win32/controls/frame.h"

#include "platform/win32/handles.h"

namespace kvl::win32 {

bool Frame::Create(const FrameArgs& args) {
    static const WindowClass frameClass(L"KVL.Frame");
    return CreateOwnControl(*this, args.parent, args.id, frameClass, args.text, 0, args.at);
}

LRESULT Frame::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT forwarded = 0;
    if (ForwardChildNotification(hwnd, msg, wp, lp, forwarded)) return forwarded;
    switch (msg) {
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wp);
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        case WM_PAINT: {
            PaintDC paint(hwnd);
            const HDC dc = paint.get();
            Selection font(dc, font_);
            // Colours come from the parent, as for a static control.
            const HBRUSH brush = FillAsStatic(hwnd, dc);
            RECT r{};
            GetClientRect(hwnd, &r);

            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            RECT edge = r;
            edge.top += tm.tmHeight / 2;
            DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);

            wchar_t text[256] = L"";
            const int n = GetWindowTextW(hwnd, text, 256);
            if (n > 0) {
                SIZE extent{};
                GetTextExtentPoint32W(dc, text, n, &extent);
                RECT caption{6, 0, 6 + extent.cx + 2, tm.tmHeight};
                FillRect(dc, &caption, brush);
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, text, n, &caption, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
            }
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace kvl::win32
