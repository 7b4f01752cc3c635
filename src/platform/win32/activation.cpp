#include "platform/win32/activation.h"

#include <algorithm>

#include "platform/win32/window_calls.h"

namespace kvl::win32 {

namespace {

// Everything BringToFront may spend, and the part of it a window still busy with what it was
// last told may take to answer.
constexpr ULONGLONG kActivateBudgetMs = 1000;
constexpr UINT kBusyAnswerMs = 500;
// How long one attempt waits for the foreground to change, and then for it to stay.
constexpr ULONGLONG kFrontWaitMs = 60;
constexpr ULONGLONG kSettleMs = 50;
constexpr int kActivateAttempts = 6;

ULONGLONG Now() { return GetTickCount64(); }

// Waits a moment for the target to come to the front, then watches it stay there: a window
// that has just been shown may still be taking the foreground for itself (under Wine this
// lands some 20 ms after our change and undoes it).
bool AwaitFront(HWND target, ULONGLONG deadline) {
    // The change completes on the target's own thread, when it handles the activation it was
    // sent: one round trip to that thread waits exactly as long as a busy machine makes it.
    Answers(target, kAnswerMs);
    const ULONGLONG until = std::max(std::min(deadline, Now() + kFrontWaitMs), Now() + kSettleMs);
    while (!KeysReach(target)) {
        if (Now() >= until) return false;
        ::Sleep(5);
    }
    const ULONGLONG settled = Now() + kSettleMs;
    while (Now() < settled) {
        ::Sleep(5);
        HWND front = GetForegroundWindow();
        if (front && !KeysReach(target)) return false;
    }
    return true;
}

// What takes the target's input: the target itself, or the modal dialogs it waits on.
HWND WindowToActivate(HWND target) {
    HWND window = target;
    for (int depth = 0; depth <= 8; ++depth) {
        const HWND dialog = ModalDialogOf(window);
        if (!dialog) break;
        window = dialog;
    }
    return window;
}

}  // namespace

bool BringToFront(HWND target) {
    if (!IsWindow(target)) return false;
    if (KeysReach(target)) return true;
    const ULONGLONG deadline = Now() + kActivateBudgetMs;
    // Activation talks to the window's thread (Wine waits up to a second for it). One that is
    // still busy, with a maximize we asked for, say, is given the time it takes; one that does
    // not answer at all is left alone: keys would not reach it anyway.
    if (!Answers(target, kBusyAnswerMs)) return false;

    const HWND window = WindowToActivate(target);
    const DWORD self = GetCurrentThreadId();
    for (int attempt = 0; attempt < kActivateAttempts && Now() < deadline; ++attempt) {
        const int way = attempt % 3;
        if (way == 0) {
            // Enough when we are in front ourselves or the system allows the change.
            SetForegroundWindow(window);
        } else if (way == 1) {
            // Sharing the input state of the thread in front lets us hand the foreground on.
            // Never with a thread that does not answer: attached to it, we could stall too.
            HWND front = GetForegroundWindow();
            const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
            const bool attach = frontThread && frontThread != self && Answers(front, kAnswerMs) &&
                                AttachThreadInput(self, frontThread, TRUE);
            // Asynchronous: a window that stops answering just now must not hold us.
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
            SetForegroundWindow(window);
            if (attach) AttachThreadInput(self, frontThread, FALSE);
        } else {
            // A key event of our own lifts the foreground lock. The unassigned key between
            // Alt going down and up keeps the tap from opening the menu bar of the window
            // that receives it.
            INPUT down[] = {KeyInput(VK_MENU, 0, 0)};
            SendInput(1, down, sizeof(INPUT));
            SetForegroundWindow(window);
            INPUT up[] = {KeyInput(kMaskKey, 0, 0), KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP),
                          KeyInput(VK_MENU, 0, KEYEVENTF_KEYUP)};
            SendInput(3, up, sizeof(INPUT));
        }
        if (AwaitFront(target, deadline)) return true;
    }
    return KeysReach(target);
}

}  // namespace kvl::win32
