#include <gtest/gtest.h>

#include <cwctype>

#include "platform/win32/minute_timer.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::FindWindowByCaption;
using wintest::UniqueName;
using wintest::WaitFor;

// The shell keeps no handle to what it launched, so the test finds the program by the
// window it opens and ends it through that window's process, whatever the test's outcome.
class LaunchedByCaption {
public:
    explicit LaunchedByCaption(std::wstring caption) : caption_(std::move(caption)) {}
    ~LaunchedByCaption() {
        HWND w = FindWindowByCaption(caption_);
        if (!w) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) return;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    LaunchedByCaption(const LaunchedByCaption&) = delete;
    LaunchedByCaption& operator=(const LaunchedByCaption&) = delete;

    HWND Await() {
        HWND w = nullptr;
        WaitFor([&] { return (w = FindWindowByCaption(caption_)) != nullptr; }, 10000);
        return w;
    }

private:
    std::wstring caption_;
};

void ExpectNormalFocusedWindow(HWND w) {
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(w) != FALSE; }));
    EXPECT_FALSE(IsIconic(w));
    EXPECT_FALSE(IsZoomed(w));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == w; }));
}

TEST(Win32Shell, LaunchesAProgramLookedUpLikeATypedCommand) {
    // No folder and no ".exe": found next to the running program, as a typed command would be.
    const std::wstring caption = UniqueName(L"Shell bare ");
    LaunchedByCaption launched(caption);
    win32::Win32Shell shell;
    ASSERT_TRUE(shell.Launch(win32::Narrow(L"kvl_target \"open:" + caption + L"\"")));
    HWND w = launched.Await();
    ASSERT_TRUE(w);
    ExpectNormalFocusedWindow(w);
}

TEST(Win32Shell, LaunchesALowerCasedQuotedPathWithItsArguments) {
    // The command-line mode hands over everything lower-cased; the path must still work.
    const std::wstring caption = UniqueName(L"shell path ");  // lower case already
    std::wstring line =
        L"\"" + wintest::ExeDir() + L"\\KVL_Target.EXE\" \"open:" + caption + L"\"";
    for (wchar_t& c : line) c = static_cast<wchar_t>(std::towlower(c));
    LaunchedByCaption launched(caption);
    win32::Win32Shell shell;
    ASSERT_TRUE(shell.Launch(win32::Narrow(line)));
    HWND w = launched.Await();
    ASSERT_TRUE(w);
    ExpectNormalFocusedWindow(w);
}

TEST(Win32Shell, RefusesWhatCannotBeStartedAtOnce) {
    win32::Win32Shell shell;
    for (const char* line : {"c:\\no\\such\\folder\\kvl_missing.exe", "kvl_no_such_program /x",
                             "\"c:\\no such\\program.exe\" arg", ""}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(shell.Launch(line));
    }
}

// A hidden window that counts the WM_TIMER messages it is sent, per timer id.
class TickCounter {
public:
    TickCounter() {
        static const bool registered = [] {
            WNDCLASSEXW wc{sizeof wc};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"KVL.TickCounter";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = CreateWindowExW(0, L"KVL.TickCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TickCounter() { DestroyWindow(hwnd_); }
    TickCounter(const TickCounter&) = delete;
    TickCounter& operator=(const TickCounter&) = delete;

    HWND Handle() const { return hwnd_; }
    int Ticks(UINT_PTR id) const { return id < std::size(ticks_) ? ticks_[id] : 0; }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TickCounter*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_TIMER && self && wp < std::size(self->ticks_)) {
            ++self->ticks_[wp];
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

    HWND hwnd_ = nullptr;
    int ticks_[8] = {};
};

TEST(Win32MinuteTimer, CountsWholeMinutesAndRunsOnlyWithAnInterval) {
    TickCounter owner;
    win32::Win32MinuteTimer timer(2, 3);
    timer.Attach(owner.Handle());
    EXPECT_EQ(timer.Id(), 2u);
    EXPECT_EQ(timer.Timer().Interval(), 180000u);
    EXPECT_FALSE(timer.Timer().Enabled());

    timer.Enable(true);
    EXPECT_TRUE(timer.Timer().Enabled());
    timer.SetInterval(1);
    EXPECT_EQ(timer.Timer().Interval(), 60000u);
    timer.SetInterval(32767);
    EXPECT_EQ(timer.Timer().Interval(), 1966020000u);
    EXPECT_TRUE(timer.Timer().Enabled());

    // No interval stops a running timer; a new one starts it again.
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Timer().Enabled());
    timer.SetInterval(10);
    EXPECT_EQ(timer.Timer().Interval(), 600000u);
    EXPECT_TRUE(timer.Timer().Enabled());
    timer.Enable(false);
    EXPECT_FALSE(timer.Timer().Enabled());
    timer.SetInterval(5);
    EXPECT_FALSE(timer.Timer().Enabled());
}

TEST(Win32MinuteTimer, NeverTicksWithoutAnInterval) {
    TickCounter owner;
    // The counter does see a real timer on the same window.
    win32::WindowTimer control(1, 10);
    control.Attach(owner.Handle());
    control.Enable(true);
    ASSERT_TRUE(WaitFor([&] { return owner.Ticks(1) > 0; }));
    control.Enable(false);

    for (int minutes : {0, -1, -32768}) {
        SCOPED_TRACE(minutes);
        win32::Win32MinuteTimer timer(2, 3);
        timer.Attach(owner.Handle());
        timer.Enable(true);
        timer.SetInterval(minutes);
        EXPECT_FALSE(WaitFor([&] { return owner.Ticks(2) > 0; }, 300));
        timer.Enable(false);
    }
}

}  // namespace
}  // namespace kvl
