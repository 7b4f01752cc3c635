#include "platform/win32/key_input.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/utf8.h"
#include "platform/win32/window_calls.h"

namespace kvl::win32 {

namespace {

// Typing waits for the target to take its keys, however many: as long as the target keeps
// answering. One that stays silent this long has stopped taking them, and is left alone.
constexpr ULONGLONG kStallMs = 1000;
// Keys go out a few strokes at a time, each batch once the one before has been taken, and
// each only while the target is still in front: so that between the look at the front and
// the keys there is never more than a few strokes' worth of input, and neither our memory
// nor the target's input queue grows with the length of a text.
constexpr std::size_t kStrokesPerBatch = 8;
// How often a wait for the target's keys makes sure the target still answers, and the most
// one batch may wait for a target that answers but takes no keys (it is in a wait of its own).
constexpr ULONGLONG kAliveCheckMs = 100;
constexpr ULONGLONG kBatchWaitMs = 5000;

ULONGLONG Now() { return GetTickCount64(); }

bool IsExtendedKey(WORD vk) {
    switch (vk) {
        case VK_CANCEL:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_SNAPSHOT:
        case VK_INSERT:
        case VK_DELETE:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
            return true;
        default:
            return false;
    }
}

class InputBuilder {
public:
    explicit InputBuilder(HKL layout) : layout_(layout) {}

    // `keep`: the modifiers that stay down for the next key, which belongs to the same group.
    void Key(WORD vk, std::uint8_t mods, std::uint8_t keep) {
        Hold(mods);
        const WORD scan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout_));
        const DWORD ext = IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0;
        out_.push_back(KeyInput(vk, scan, ext));
        out_.push_back(KeyInput(vk, scan, ext | KEYEVENTF_KEYUP));
        Hold(held_ & keep);
    }

    void Unicode(char32_t c, std::uint8_t mods, std::uint8_t keep) {
        Hold(mods);
        utf8::ForEachUtf16Unit(c, [this](char16_t unit) {
            out_.push_back(KeyInput(0, unit, KEYEVENTF_UNICODE));
            out_.push_back(KeyInput(0, unit, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        });
        Hold(held_ & keep);
    }

    // The events so far, with every modifier let go at the end.
    std::vector<INPUT> Finish() {
        Hold(0);
        return std::exchange(out_, {});
    }

private:
    struct Modifier {
        std::uint8_t flag;
        WORD vk;
    };
    static constexpr Modifier kModifiers[] = {
        {kCtrl, VK_CONTROL}, {kAlt, VK_MENU}, {kShift, VK_SHIFT}};

    // Releases the modifiers no longer wanted and presses the new ones.
    void Hold(std::uint8_t mods) {
        for (auto it = std::rbegin(kModifiers); it != std::rend(kModifiers); ++it)
            if ((held_ & it->flag) && !(mods & it->flag)) Press(it->vk, true);
        for (const auto& m : kModifiers)
            if (!(held_ & m.flag) && (mods & m.flag)) Press(m.vk, false);
        held_ = mods;
    }

    void Press(WORD vk, bool up) {
        const WORD scan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout_));
        out_.push_back(KeyInput(vk, scan, up ? KEYEVENTF_KEYUP : 0));
    }

    HKL layout_;
    std::uint8_t held_ = 0;
    std::vector<INPUT> out_;
};

bool IsCasedLetter(wchar_t c) {
    if (!IsCharAlphaW(c)) return false;
    return reinterpret_cast<UINT_PTR>(
               CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))) !=
           reinterpret_cast<UINT_PTR>(
               CharLowerW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c))));
}

// Keys we typed into a window of our own thread wait in our own queue: handle them here.
// Only keyboard messages are taken, so none of our other work runs in the middle of a step.
// The wait lasts while keys keep coming; a stall ends it.
void ProcessOwnKeys(std::size_t events) {
    std::size_t seen = 0;
    ULONGLONG deadline = Now() + kStallMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            switch (msg.message) {
                case WM_KEYDOWN:
                case WM_KEYUP:
                case WM_SYSKEYDOWN:
                case WM_SYSKEYUP:
                    ++seen;
                    deadline = Now() + kStallMs;
                    break;
                default:
                    break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = Now();
        if (seen >= events || now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_KEY);
    }
}

// Another thread fetches one queued message each time round its message loop, and answers a
// sent WM_NULL before fetching the next. So once it has answered as many times as there are
// messages our keys make (one per event, and a character message for each key-down at
// most), it has had them all. Each answer may take up to kStallMs: the wait follows the
// target's pace, and only a target that stops answering ends it early. False then.
bool AwaitOtherThread(HWND window, std::size_t events) {
    const std::size_t rounds = events + (events + 1) / 2 + 1;
    for (std::size_t k = 0; k < rounds; ++k) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                 static_cast<UINT>(kStallMs), &result))
            return false;
    }
    return true;
}

// Shares another thread's input state while it lives: our GetKeyState then reads that
// thread's key state, which changes only as the thread takes its key messages from its queue.
class SharedInput {
public:
    explicit SharedInput(DWORD thread)
        : self_(GetCurrentThreadId()),
          thread_(thread),
          attached_(thread && thread != self_ && AttachThreadInput(self_, thread, TRUE)) {}
    ~SharedInput() {
        if (attached_) AttachThreadInput(self_, thread_, FALSE);
    }
    SharedInput(const SharedInput&) = delete;
    SharedInput& operator=(const SharedInput&) = delete;
    bool Attached() const { return attached_; }

private:
    DWORD self_, thread_;
    bool attached_;
};

// Waits, sharing the target's input, until the target has taken the marker key's last event:
// the key shows `down`, or no longer. Answering a sent message proves nothing (a thread
// inside a wait of its own answers those and takes no keys), so only the key state counts.
// False when the target stops answering or takes no keys for kBatchWaitMs.
bool AwaitMarker(HWND window, bool down) {
    const ULONGLONG start = Now();
    ULONGLONG check = start + kAliveCheckMs;
    while ((GetKeyState(kMaskKey) < 0) != down) {
        const ULONGLONG now = Now();
        if (now - start >= kBatchWaitMs) return false;
        if (now >= check) {
            if (!Answers(window, static_cast<UINT>(kStallMs))) return false;
            check = Now() + kAliveCheckMs;
        }
        ::Sleep(1);
    }
    return true;
}

// Appends the events of one stroke.
void AddStroke(InputBuilder& b, const KeyStroke& k, HKL layout, bool capsLock) {
    if (k.virtualKey != 0) {
        b.Key(k.virtualKey, k.modifiers, k.keepHeld);
        return;
    }
    const char32_t c = k.character;
    const SHORT scan = c < 0x10000 ? VkKeyScanExW(static_cast<wchar_t>(c), layout) : -1;
    const BYTE shiftState = HIBYTE(scan);
    // Only characters that Shift, Ctrl and Alt can reach are typed with their key; the
    // rest (no key on this layout, or a dead-key or kana state) go in as Unicode.
    if (scan == -1 || (shiftState & ~7) != 0) {
        b.Unicode(c, k.modifiers, k.keepHeld);
        return;
    }
    std::uint8_t mods = k.modifiers;
    if (shiftState & 1) mods |= kShift;
    if (shiftState & 2) mods |= kCtrl;
    if (shiftState & 4) mods |= kAlt;
    // With Caps Lock on, Shift gives the small letter: turn it round so that the
    // character comes out as written. Not when the text adds modifiers of its own.
    if (capsLock && k.modifiers == 0 && IsCasedLetter(static_cast<wchar_t>(c))) mods ^= kShift;
    // What the character itself needs goes up after it; only the text's group holds on.
    b.Key(LOBYTE(scan), mods, k.keepHeld);
}

}  // namespace

std::vector<INPUT> KeyInputs(const KeySequence& keys, HKL layout, bool capsLock) {
    InputBuilder b(layout);
    for (const KeyStroke& k : keys) AddStroke(b, k, layout, capsLock);
    return b.Finish();
}

Desktop::Typing TypeKeys(const KeySequence& keys, HWND into) {
    if (keys.empty()) return Desktop::Typing::Typed;
    HWND front = GetForegroundWindow();
    const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const bool ownThread = front && frontThread == GetCurrentThreadId();
    const HKL layout = GetKeyboardLayout(frontThread);
    const bool capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;

    // Another program's keys are followed by the marker key, held down until the target
    // shows it down (it has taken the batch), then let go until it shows that too. Where its
    // input cannot be shared, answers to sent messages are counted instead.
    std::optional<SharedInput> shared;
    if (front && !ownThread && Answers(front, kAnswerMs)) shared.emplace(frontThread);
    const bool marked = shared && shared->Attached();

    InputBuilder b(layout);
    bool waiting = true;
    for (std::size_t from = 0; from < keys.size(); from += kStrokesPerBatch) {
        const std::size_t to = std::min(keys.size(), from + kStrokesPerBatch);
        for (std::size_t k = from; k < to; ++k) AddStroke(b, keys[k], layout, capsLock);
        // Every batch lets go of its modifiers, even in the middle of a group (the next
        // batch presses them again): under Wine a modifier held while we wait is at times
        // reset from the display's own keyboard state.
        std::vector<INPUT> inputs = b.Finish();
        if (marked) inputs.push_back(KeyInput(kMaskKey, 0, 0));

        // Looked at right before the keys go out, nothing in between: the user may switch
        // windows at any moment, and what went out can no longer be called back.
        if (into && !KeysReach(into)) return Desktop::Typing::NotInFront;
        const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        if (sent != inputs.size()) {
            // Part of the input went in: never leave a modifier, or the marker, held down.
            INPUT release[] = {
                KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP), KeyInput(VK_CONTROL, 0, KEYEVENTF_KEYUP),
                KeyInput(VK_MENU, 0, KEYEVENTF_KEYUP), KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP)};
            if (sent > 0) SendInput(4, release, sizeof(INPUT));
            if (ownThread) ProcessOwnKeys(sent);
            return Desktop::Typing::Refused;
        }
        // A target that stops taking keys still gets the whole text, as it would have had it
        // all at once; we only stop waiting for it.
        if (ownThread) {
            ProcessOwnKeys(sent);
        } else if (marked) {
            waiting = waiting && AwaitMarker(front, true);
            INPUT up[] = {KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP)};
            SendInput(1, up, sizeof(INPUT));
            waiting = waiting && AwaitMarker(front, false);
        } else if (front && waiting) {
            waiting = AwaitOtherThread(front, sent);
        }
    }
    return Desktop::Typing::Typed;
}

}  // namespace kvl::win32
