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

// The foreground may go to a dialog the window owns; that counts as the window being in front.
inline bool IsInFront(HWND target) {
    for (HWND w = GetForegroundWindow(); w; w = GetWindow(w, GW_OWNER))
        if (w == target) return true;
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
