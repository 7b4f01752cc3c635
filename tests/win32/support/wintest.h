#pragma once
// Helpers shared by the Wine test programs: waiting on conditions with deadlines, windows,
// processes and throw-away registry stores. Everything made here cleans up after itself.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/registry_store.h"

namespace kvl::wintest {

// Pumps this thread's messages until `done` holds or `timeoutMs` passes; never a blind sleep.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 5000);

std::wstring UniqueName(std::wstring_view prefix);
std::wstring ExeDir();  // the folder of the running test program (the build folder)
std::wstring ReadFileText(const std::wstring& path);  // UTF-8 file as UTF-16

// A settings store under a name nobody else uses; its registry key goes with it.
class ScopedStore {
public:
    explicit ScopedStore(std::wstring appName);
    ~ScopedStore();
    ScopedStore(const ScopedStore&) = delete;
    ScopedStore& operator=(const ScopedStore&) = delete;

    const std::wstring& AppName() const { return app_; }
    win32::RegistryStore& Store() { return store_; }
    bool SectionExists(std::string_view section);

private:
    std::wstring app_;
    win32::RegistryStore store_;
};

// A process that is ended when the object goes, unless it ended first.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;

    bool Start(const std::wstring& commandLine);
    bool Running() const;
    // Exit code, or nothing when still running after timeoutMs.
    std::optional<DWORD> Wait(DWORD timeoutMs);
    void Kill();
    DWORD Id() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }

private:
    PROCESS_INFORMATION pi_{};
};

// A copy of KVL.exe under a unique name, so that it has a registry store of its own.
class KvlCopy {
public:
    KvlCopy();
    ~KvlCopy();
    KvlCopy(const KvlCopy&) = delete;
    KvlCopy& operator=(const KvlCopy&) = delete;
    const std::wstring& Path() const { return path_; }
    const std::wstring& AppName() const { return app_; }

private:
    std::wstring app_;
    std::wstring path_;
};

// Top-level windows with exactly this caption, optionally of one process only.
std::vector<HWND> FindWindowsByCaption(std::wstring_view caption, DWORD processId = 0);
HWND FindWindowByCaption(std::wstring_view caption, DWORD processId = 0);
// Such a window of the process once it is shown, or none after timeoutMs.
HWND AwaitShownWindow(std::wstring_view caption, DWORD processId, DWORD timeoutMs);
std::wstring CaptionOf(HWND hwnd);
// Text of the first edit control in a window, read without risking a hang.
std::wstring EditText(HWND hwnd);

// A message box of a process: its window and its text, read from the dialog's controls.
struct MessageBoxSeen {
    HWND dialog = nullptr;
    std::wstring title;
    std::wstring text;
    bool hasIcon = false;
    int buttons = 0;
};
std::optional<MessageBoxSeen> AwaitMessageBox(DWORD processId, DWORD timeoutMs = 10000);
// Presses its OK button.
void PressOk(const MessageBoxSeen& box);

// Ends the process that owns a window (for programs KVL itself started).
void KillProcessOf(HWND window);

// Whether the notification area holds icon 1 of this window: modifying a missing icon fails.
bool ShellHasIcon(HWND owner);
// Takes that icon away, as a restarted shell would have forgotten it.
bool RemoveShellIcon(HWND owner);

// Input as the user gives it, through the system's input queue.
void SendKey(WORD vk, bool up);
void PressKey(WORD vk, bool shift = false);
void PressAltKey(WORD vk);
void TypeText(std::wstring_view text);
void MovePointer(POINT screen);
// A click at a point of the screen. With `target`, only once that window (or one of its
// children) is what lies there: windows may still be settling into their order.
void ClickAt(POINT screen, bool right = false, HWND target = nullptr);
// Moves the pointer and waits until the system has it there. Under Wine the pointer's place
// follows X's report of each move, which comes late: an input given before it lands where
// the pointer was, and X's report of a move that another input carried can put the pointer
// back after later moves. Dragging therefore moves with this and presses with LeftButton,
// which carries no move of its own; the release carries its place, and waits for it too.
bool MovePointerAndWait(POINT screen);
// The left button pressed where the pointer is, or let go at a place.
void LeftButtonDown();
bool LeftButtonUp(POINT screen);
// A click in the middle of a window.
void Click(HWND hwnd, bool right = false);
// Clicks until `done` holds, three times at most (see the definition for why).
bool ClickUntil(const std::function<void()>& click, const std::function<bool()>& done);

// Where an icon sits in the taskbar's notification area: the pointer moves along it until
// `heardOf` says the icon's owner was told of the pointer.
std::optional<POINT> FindTrayIcon(const std::function<bool()>& heardOf);

// A measure of so many pixels at the standard scale, at `dpi`.
int Scaled(int standardPixels, int dpi);
// What a user sees of a form at any scale: every shown control's text whole inside it, and
// no two shown controls on top of one another. Containers (frames, backgrounds) are left out
// of the second: controls lie over them by design. `cutAsDesigned` are controls whose
// text is known not to fit under Wine, to be left unchecked.
void ExpectReadableLayout(HWND form, const std::vector<HWND>& cutAsDesigned = {});
// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// Moves a form to a monitor of the other scale (144 dots per inch from 96, 96 from any
// other), as the system tells it, and back: it must read whole there, every control at its
// place grown or shrunk by the ratio, its background whole, its client area the size the
// twips give at the new scale, and back home exactly as before; and, sent by the system above
// and left of the screen, with its title bar brought back onto the work area, unless the user
// is dragging it there.
void ExpectLaidOutAgainOnAnotherScale(HWND form, const std::vector<HWND>& cutAsDesigned = {});

// A top-level window of this thread's own, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(std::wstring_view caption, bool visible = true);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// A window of another program (the test target's), as KVL meets the windows it acts on: KVL
// never acts on windows of its own process. Gone with the object.
class ForeignWindow {
public:
    explicit ForeignWindow(const std::wstring& caption);
    HWND Handle() const { return hwnd_; }

private:
    ChildProcess process_;
    HWND hwnd_ = nullptr;
};

}  // namespace kvl::wintest
