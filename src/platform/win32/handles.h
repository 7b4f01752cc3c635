#pragma once
// RAII owners for the Win32 handles KVL holds.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kvl::win32 {

template <typename H, auto Close>
struct HandleCloser {
    void operator()(H h) const noexcept {
        if (h) Close(h);
    }
};

template <typename H, auto Close>
using UniqueHandleOf = std::unique_ptr<std::remove_pointer_t<H>, HandleCloser<H, Close>>;

using UniqueKey = UniqueHandleOf<HKEY, RegCloseKey>;
using UniqueHandle = UniqueHandleOf<HANDLE, CloseHandle>;
using UniqueIcon = UniqueHandleOf<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandleOf<HMENU, DestroyMenu>;
using UniqueDC = UniqueHandleOf<HDC, DeleteDC>;
using UniqueFont = UniqueHandleOf<HFONT, DeleteObject>;
using UniqueBrush = UniqueHandleOf<HBRUSH, DeleteObject>;
using UniqueBitmap = UniqueHandleOf<HBITMAP, DeleteObject>;
using UniqueRegion = UniqueHandleOf<HRGN, DeleteObject>;
using UniqueWinEventHook = UniqueHandleOf<HWINEVENTHOOK, UnhookWinEvent>;

// A window's device context, given back when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The painting of one WM_PAINT, ended when it goes.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context; the one it replaced goes back when it goes.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Drawing clipped to a region until it goes.
class ClipTo {
public:
    ClipTo(HDC dc, HRGN region) : dc_(dc) { SelectClipRgn(dc, region); }
    ~ClipTo() { SelectClipRgn(dc_, nullptr); }
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;

private:
    HDC dc_;
};

}  // namespace kvl::win32
