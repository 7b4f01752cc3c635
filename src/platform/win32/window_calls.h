#pragma once
// Small calls on other programs' windows that never wait on them for long: a hung window must
// never hang KVL.

#include <windows.h>

namespace kvl::win32 {

// How long a window's thread may take to answer before we treat it as busy.
inline constexpr UINT kAnswerMs = 150;

// Whether the window's thread answers a sent message within `timeoutMs`.
inline bool Answers(HWND hwnd, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

inline bool OnThisThread(HWND hwnd) {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

// The dialog a disabled window waits on: the visible, enabled pop-up of its own that it was
// last busy with. None for a window that takes input itself.
inline HWND ModalDialogOf(HWND window) {
    if (!IsWindow(window) || IsWindowEnabled(window)) return nullptr;
    const HWND popup = GetLastActivePopup(window);
    if (!popup || popup == window || !IsWindowVisible(popup) || !IsWindowEnabled(popup))
        return nullptr;
    return popup;
}

// Whether keys typed now reach the window: it takes input and is in front, or it is disabled
// and the modal dialog it waits on (or the one that dialog waits on) is. A pop-up of its own
// in front of a window that takes input is not the window: keys meant for a document must not
// go into its Find box; and a disabled window with no dialog takes no keys at all.
inline bool KeysReach(HWND target) {
    const HWND front = GetForegroundWindow();
    HWND window = target;
    for (int depth = 0; window && depth <= 8; ++depth) {
        if (IsWindowEnabled(window)) return window == front;
        window = ModalDialogOf(window);
    }
    return false;
}

inline INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    return in;
}

// A virtual-key code with no key behind it: typed between Alt going down and up, it keeps the
// Alt tap from opening a menu bar; pressed after a batch of keys, it marks the batch's end.
inline constexpr WORD kMaskKey = 0xE8;

}  // namespace kvl::win32
