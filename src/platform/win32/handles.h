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
using UniqueWinEventHook = UniqueHandleOf<HWINEVENTHOOK, UnhookWinEvent>;

}  // namespace kvl::win32
