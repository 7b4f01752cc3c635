#include "platform/win32/desktop_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/win32/activation.h"
#include "platform/win32/handles.h"
#include "platform/win32/key_input.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"
#include "platform/win32/window_calls.h"

namespace kvl::win32 {

namespace {

HWND ToHwnd(WindowHandle w) {
    return reinterpret_cast<HWND>(w);
}

WindowHandle ToHandle(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
}

// The title without sending the window a message when it belongs to another thread.
std::wstring TitleOf(HWND hwnd, int maxUnits) {
    std::wstring buffer(static_cast<std::size_t>(maxUnits) + 1, L'\0');
    const int n = OnThisThread(hwnd) ? GetWindowTextW(hwnd, buffer.data(), maxUnits + 1)
                                     : InternalGetWindowText(hwnd, buffer.data(), maxUnits + 1);
    buffer.resize(static_cast<std::size_t>(std::clamp(n, 0, maxUnits)));
    return buffer;
}

// Whether a class name names a button: the system's "Button", or a framework's class made
// from it ("WindowsForms10.BUTTON.app.0.2bf8098_r6_ad1", "ThunderRT6CommandButton").
bool NamesAButton(const wchar_t* cls) {
    std::wstring lower(cls);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    return lower.find(L"button") != std::wstring::npos;
}

// A button the user can press: a push button, a split button or a command link, also as the
// frameworks superclass it (a WinForms, VB or Delphi button). Windows gives such a class's
// real class as "Button"; Wine does not, so the name is asked too. Check boxes, radio buttons
// and group boxes, which share the class, are no such thing.
bool IsPushButton(HWND child) {
    wchar_t cls[256] = L"";
    if (RealGetWindowClassW(child, cls, 256) == 0) return false;
    if (!NamesAButton(cls) && (GetClassNameW(child, cls, 256) == 0 || !NamesAButton(cls)))
        return false;
    switch (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_OWNERDRAW:
        case BS_SPLITBUTTON:
        case BS_DEFSPLITBUTTON:
        case BS_COMMANDLINK:
        case BS_DEFCOMMANDLINK:
            return true;
        default:
            return false;
    }
}

BOOL CALLBACK CollectPushButton(HWND child, LPARAM found) {
    if (!IsPushButton(child) || !IsWindowVisible(child) || !IsWindowEnabled(child)) return TRUE;
    wchar_t text[256] = L"";
    const int n = InternalGetWindowText(child, text, 256);
    reinterpret_cast<std::vector<Desktop::Button>*>(found)->push_back(
        {ToHandle(child), Narrow(std::wstring_view(text, static_cast<std::size_t>(std::max(n, 0))))});
    return TRUE;
}

}  // namespace

std::vector<Desktop::Button> Win32Desktop::PushButtons(WindowHandle window) {
    std::vector<Button> buttons;
    if (!window) return buttons;
    const HWND hwnd = ToHwnd(window);
    EnumChildWindows(hwnd, CollectPushButton, reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

bool Win32Desktop::PressButton(WindowHandle button) {
    const HWND hwnd = ToHwnd(button);
    const HWND parent = IsWindow(hwnd) ? GetParent(hwnd) : nullptr;
    if (!parent || !IsWindow(parent)) return false;
    // What the button itself tells its parent on a click; a dialog answers it as one.
    return PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                        reinterpret_cast<LPARAM>(hwnd)) != FALSE;
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

bool Win32Desktop::Show(WindowHandle window, int command) {
    HWND hwnd = ToHwnd(window);
    if (!IsWindow(hwnd)) return false;
    // ShowWindow on another thread's window waits for that thread; the asynchronous form
    // does the same without waiting. ShowWindow tells what the window was before, not whether
    // it worked: only a window that vanished meanwhile counts as a failure.
    if (OnThisThread(hwnd)) {
        ShowWindow(hwnd, command);
        return IsWindow(hwnd) != FALSE;
    }
    return ShowWindowAsync(hwnd, command) != FALSE;
}

bool Win32Desktop::PostClose(WindowHandle window) {
    return PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0) != FALSE;
}

WindowHandle Win32Desktop::ModalDialogOf(WindowHandle window) {
    return ToHandle(kvl::win32::ModalDialogOf(ToHwnd(window)));
}

bool Win32Desktop::KeysReach(WindowHandle window) {
    return kvl::win32::KeysReach(ToHwnd(window));
}

bool Win32Desktop::BringForward(WindowHandle window) {
    return BringToFront(ToHwnd(window));
}

bool Win32Desktop::IsOwnWindow(WindowHandle window) {
    DWORD pid = 0;
    return GetWindowThreadProcessId(ToHwnd(window), &pid) && pid == GetCurrentProcessId();
}

std::uint32_t Win32Desktop::ProcessId(WindowHandle window) {
    DWORD pid = 0;
    return GetWindowThreadProcessId(ToHwnd(window), &pid) ? pid : 0;
}

Desktop::Typing Win32Desktop::Inject(const KeySequence& keys, WindowHandle into) {
    return TypeKeys(keys, ToHwnd(into));
}

std::string Win32Desktop::WindowClass(WindowHandle window) {
    const HWND hwnd = ToHwnd(window);
    return IsWindow(hwnd) ? Narrow(ClassNameOf(hwnd)) : std::string();
}

namespace {

// The process of the window, or our own for none.
UniqueHandle OpenProcessOf(WindowHandle window) {
    DWORD pid = GetCurrentProcessId();
    if (window && !GetWindowThreadProcessId(ToHwnd(window), &pid)) return nullptr;
    return OpenForQuery(pid);
}

}  // namespace

std::string Win32Desktop::ProgramPath(WindowHandle window) {
    const UniqueHandle process = OpenProcessOf(window);
    return process ? Narrow(ProgramPathOf(process.get())) : std::string();
}

namespace {

std::optional<std::uint32_t> ReadIntegrityLevel(WindowHandle window) {
    const UniqueHandle process = OpenProcessOf(window);
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

}  // namespace

std::optional<std::uint32_t> Win32Desktop::IntegrityLevel(WindowHandle window) {
    // Every reported window compares its program's level with ours, and each reading is
    // four calls to the system; ours does not change while we run, so it is read once.
    if (!window) {
        static const std::optional<std::uint32_t> own = ReadIntegrityLevel(0);
        return own;
    }
    return ReadIntegrityLevel(window);
}

}  // namespace kvl::win32
