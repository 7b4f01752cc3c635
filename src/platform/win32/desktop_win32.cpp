#include "platform/win32/desktop_win32.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/activation_target.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

namespace {

// How long a window's thread may take to answer before we treat it as busy.
constexpr UINT kAnswerMs = 150;
// Everything Activate may spend on bringing a window to the front.
constexpr ULONGLONG kActivateBudgetMs = 600;
// How long one attempt waits for the foreground to change, and then for it to stay.
constexpr ULONGLONG kFrontWaitMs = 60;
constexpr ULONGLONG kSettleMs = 50;
constexpr int kActivateAttempts = 6;
// Typing waits for the target to take its keys, however many: as long as the target keeps
// answering. One that stays silent this long has stopped taking them, and is left alone.
constexpr ULONGLONG kStallMs = 1000;
// Keys go out this many strokes at a time, each batch once the one before has been taken, so
// that neither our memory nor the target's input queue grows with the length of a text.
constexpr std::size_t kStrokesPerBatch = 256;
// A virtual-key code with no key behind it: typed between Alt going down and up, it keeps
// the Alt tap from opening a menu bar; pressed after a batch of keys, it marks the batch's end.
constexpr WORD kMaskKey = 0xE8;
// How often a wait for the target's keys makes sure the target still answers, and the most
// one batch may wait for a target that answers but takes no keys (it is in a wait of its own).
constexpr ULONGLONG kAliveCheckMs = 100;
constexpr ULONGLONG kBatchWaitMs = 5000;

HWND ToHwnd(WindowHandle w) {
    return reinterpret_cast<HWND>(w);
}

WindowHandle ToHandle(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
}

bool OnThisThread(HWND hwnd) {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

ULONGLONG Now() {
    return GetTickCount64();
}

// The title without sending the window a message when it belongs to another thread.
std::wstring TitleOf(HWND hwnd, int maxUnits) {
    std::wstring buffer(static_cast<std::size_t>(maxUnits) + 1, L'\0');
    const int n = OnThisThread(hwnd) ? GetWindowTextW(hwnd, buffer.data(), maxUnits + 1)
                                     : InternalGetWindowText(hwnd, buffer.data(), maxUnits + 1);
    buffer.resize(static_cast<std::size_t>(std::clamp(n, 0, maxUnits)));
    return buffer;
}

bool Answers(HWND hwnd, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

// The foreground may go to a dialog the window owns; that counts as the window being in front.
bool IsInFront(HWND target) {
    for (HWND w = GetForegroundWindow(); w; w = GetWindow(w, GW_OWNER))
        if (w == target) return true;
    return false;
}

// Waits a moment for the target to come to the front, then watches it stay there: a window
// that has just been shown may still be taking the foreground for itself (under Wine this
// lands some 20 ms after our change and undoes it).
bool AwaitFront(HWND target, ULONGLONG deadline) {
    // The change completes on the target's own thread, when it handles the activation it was
    // sent: one round trip to that thread waits exactly as long as a busy machine makes it.
    Answers(target, kAnswerMs);
    const ULONGLONG until = std::max(std::min(deadline, Now() + kFrontWaitMs), Now() + kSettleMs);
    while (!IsInFront(target)) {
        if (Now() >= until) return false;
        ::Sleep(5);
    }
    const ULONGLONG settled = Now() + kSettleMs;
    while (Now() < settled) {
        ::Sleep(5);
        HWND front = GetForegroundWindow();
        if (front && !IsInFront(target)) return false;
    }
    return true;
}

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    return in;
}

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
        wchar_t units[2];
        int n = 1;
        if (c >= 0x10000) {
            units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            n = 2;
        } else {
            units[0] = static_cast<wchar_t>(c);
        }
        for (int k = 0; k < n; ++k) {
            out_.push_back(KeyInput(0, units[k], KEYEVENTF_UNICODE));
            out_.push_back(KeyInput(0, units[k], KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        }
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

namespace {

BOOL CALLBACK CollectPushButton(HWND child, LPARAM found) {
    wchar_t cls[16] = L"";
    GetClassNameW(child, cls, 16);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    if (_wcsicmp(cls, L"Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) ||
        !IsWindowVisible(child) || !IsWindowEnabled(child))
        return TRUE;
    wchar_t text[256] = L"";
    const int n = InternalGetWindowText(child, text, 256);
    reinterpret_cast<std::vector<Desktop::Button>*>(found)->push_back(
        {ToHandle(child), Narrow(std::wstring_view(text, static_cast<std::size_t>(std::max(n, 0))))});
    return TRUE;
}

}  // namespace

std::vector<Desktop::Button> Win32Desktop::PushButtons(WindowHandle window) {
    std::vector<Button> buttons;
    if (window) EnumChildWindows(ToHwnd(window), CollectPushButton, reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

void Win32Desktop::PressButton(WindowHandle button) {
    const HWND hwnd = ToHwnd(button);
    const HWND parent = GetParent(hwnd);
    if (!parent) return;
    // What the button itself tells its parent on a click; a dialog answers it as one.
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

bool Win32Desktop::Exists(WindowHandle window) {
    return IsWindow(ToHwnd(window)) != FALSE;
}

bool Win32Desktop::IsVisible(WindowHandle window) {
    return IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32Desktop::IsEnabled(WindowHandle window) {
    return IsWindowEnabled(ToHwnd(window)) != FALSE;
}

std::string Win32Desktop::Caption(WindowHandle window, std::size_t maxUnits) {
    HWND hwnd = ToHwnd(window);
    if (!IsWindow(hwnd) || maxUnits == 0) return {};
    std::wstring title = TitleOf(hwnd, static_cast<int>(std::min<std::size_t>(maxUnits, 0x7FFF)));
    // A cut between the two halves of a character drops the half.
    if (!title.empty() && IS_HIGH_SURROGATE(title.back())) title.pop_back();
    return Narrow(title);
}

std::vector<WindowHandle> Win32Desktop::TopLevelWindows() {
    const std::vector<HWND> all = TopLevelHwnds();
    std::vector<WindowHandle> windows;
    windows.reserve(all.size());
    for (HWND h : all) windows.push_back(reinterpret_cast<WindowHandle>(h));
    return windows;
}

void Win32Desktop::Show(WindowHandle window, int command) {
    HWND hwnd = ToHwnd(window);
    if (!IsWindow(hwnd)) return;
    // ShowWindow on another thread's window waits for that thread; the asynchronous form
    // does the same without waiting.
    if (OnThisThread(hwnd))
        ShowWindow(hwnd, command);
    else
        ShowWindowAsync(hwnd, command);
}

void Win32Desktop::PostClose(WindowHandle window) {
    PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0);
}

HWND FindActivationTarget(std::string_view title, HWND preferred) {
    auto caption = [](HWND h) { return Narrow(TitleOf(h, 4096)); };
    std::optional<std::string> preferredCaption;
    if (preferred && IsWindow(preferred) && IsWindowVisible(preferred))
        preferredCaption = caption(preferred);
    const WindowHandle chosen = ActivationTarget(
        title, reinterpret_cast<WindowHandle>(preferred), preferredCaption, [&] {
            std::vector<ShownWindow> shown;
            for (HWND h : TopLevelHwnds())
                if (IsWindowVisible(h))
                    shown.push_back({reinterpret_cast<WindowHandle>(h), caption(h)});
            return shown;
        });
    return ToHwnd(chosen);
}

WindowHandle Win32Desktop::Activate(std::string_view title, WindowHandle preferred) {
    HWND target = FindActivationTarget(title, ToHwnd(preferred));
    if (!target) return 0;
    const auto done = [target](bool inFront) { return inFront ? ToHandle(target) : 0; };
    if (kvl::win32::IsInFront(target)) return done(true);
    // Activation talks to the window's thread (Wine waits up to a second for it), so a
    // window that does not answer is left alone: keys would not reach it anyway.
    if (!Answers(target, kAnswerMs)) return 0;

    const ULONGLONG deadline = Now() + kActivateBudgetMs;
    const DWORD self = GetCurrentThreadId();
    for (int attempt = 0; attempt < kActivateAttempts && Now() < deadline; ++attempt) {
        const int way = attempt % 3;
        if (way == 0) {
            // Enough when we are in front ourselves or the system allows the change.
            SetForegroundWindow(target);
        } else if (way == 1) {
            // Sharing the input state of the thread in front lets us hand the foreground on.
            // Never with a thread that does not answer: attached to it, we could stall too.
            HWND front = GetForegroundWindow();
            const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
            const bool attach = frontThread && frontThread != self && Answers(front, kAnswerMs) &&
                                AttachThreadInput(self, frontThread, TRUE);
            // Asynchronous: a window that stops answering just now must not hold us.
            SetWindowPos(target, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
            SetForegroundWindow(target);
            if (attach) AttachThreadInput(self, frontThread, FALSE);
        } else {
            // A key event of our own lifts the foreground lock. The unassigned key between
            // Alt going down and up keeps the tap from opening the menu bar of the window
            // that receives it.
            INPUT down[] = {KeyInput(VK_MENU, 0, 0)};
            SendInput(1, down, sizeof(INPUT));
            SetForegroundWindow(target);
            INPUT up[] = {KeyInput(kMaskKey, 0, 0), KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP),
                          KeyInput(VK_MENU, 0, KEYEVENTF_KEYUP)};
            SendInput(3, up, sizeof(INPUT));
        }
        if (AwaitFront(target, deadline)) return done(true);
    }
    return done(kvl::win32::IsInFront(target));
}

bool Win32Desktop::IsInFront(WindowHandle window) {
    return kvl::win32::IsInFront(ToHwnd(window));
}

std::vector<INPUT> KeyInputs(const KeySequence& keys, HKL layout, bool capsLock) {
    InputBuilder b(layout);
    for (const KeyStroke& k : keys) AddStroke(b, k, layout, capsLock);
    return b.Finish();
}

Desktop::Typing Win32Desktop::Inject(const KeySequence& keys, WindowHandle into) {
    if (keys.empty()) return Typing::Typed;
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
        if (into && !kvl::win32::IsInFront(ToHwnd(into))) return Typing::NotInFront;
        const std::size_t to = std::min(keys.size(), from + kStrokesPerBatch);
        for (std::size_t k = from; k < to; ++k) AddStroke(b, keys[k], layout, capsLock);
        // Every batch lets go of its modifiers, even in the middle of a group (the next
        // batch presses them again): under Wine a modifier held while we wait is at times
        // reset from the display's own keyboard state.
        std::vector<INPUT> inputs = b.Finish();
        if (marked) inputs.push_back(KeyInput(kMaskKey, 0, 0));

        const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        if (sent != inputs.size()) {
            // Part of the input went in: never leave a modifier, or the marker, held down.
            INPUT release[] = {
                KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP), KeyInput(VK_CONTROL, 0, KEYEVENTF_KEYUP),
                KeyInput(VK_MENU, 0, KEYEVENTF_KEYUP), KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP)};
            if (sent > 0) SendInput(4, release, sizeof(INPUT));
            if (ownThread) ProcessOwnKeys(sent);
            return Typing::Refused;
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
    return Typing::Typed;
}

namespace {

// Asks no more of another process than the limited query right, which even a process of
// higher rights grants: no handle that could change it is ever opened.
UniqueHandle OpenForQuery(WindowHandle window) {
    DWORD pid = GetCurrentProcessId();
    if (window && !GetWindowThreadProcessId(ToHwnd(window), &pid)) return nullptr;
    return UniqueHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

}  // namespace

std::string Win32Desktop::ProgramPath(WindowHandle window) {
    const UniqueHandle process = OpenForQuery(window);
    return process ? Narrow(ProgramPathOf(process.get())) : std::string();
}

std::optional<std::uint32_t> Win32Desktop::IntegrityLevel(WindowHandle window) {
    const UniqueHandle process = OpenForQuery(window);
    HANDLE raw = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &raw)) return std::nullopt;
    const UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (!IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) return std::nullopt;
    return static_cast<std::uint32_t>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1));
}

void Win32Desktop::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace kvl::win32
