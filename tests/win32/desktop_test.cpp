#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <thread>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/dispatch.h"
#include "engine/key_text.h"
#include "engine/keystroke_step.h"
#include "engine/plan_run.h"
#include "engine/window_actions.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/key_input.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using win32::Narrow;
using wintest::ChildProcess;
using wintest::EditText;
using wintest::FindWindowByCaption;
using wintest::TestWindow;
using wintest::UniqueName;
using wintest::WaitFor;

WindowHandle H(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
}

// One keystroke step into `window`, meant for windows whose caption holds `caption`, run to
// its end, its pauses blocking; the pauses it took go into `pauses`. How the run ended.
ActionResult RunKeys(Desktop& desk, std::string_view caption, std::string_view keys, int pause,
                     WindowHandle window, std::vector<std::uint32_t>* pauses = nullptr) {
    ActionPlan plan;
    plan.target.window = window;
    plan.target.condition.caption = caption;
    plan.steps = KeystrokeSteps(keys, pause);
    PlanRun run(std::move(plan));
    for (PlanRun::Progress p = run.Advance(desk); p.kind != PlanRun::Progress::Kind::Finished;
         p = run.Advance(desk)) {
        if (p.kind != PlanRun::Progress::Kind::Wait || p.ms == 0) continue;
        if (pauses) pauses->push_back(p.ms);
        Sleep(p.ms);
    }
    return run.Result();
}
bool RunKeystrokeStep(Desktop& desk, std::string_view caption, std::string_view keys, int pause,
                      WindowHandle window) {
    return RunKeys(desk, caption, keys, pause, window) == ActionResult::Done;
}

// Runs `calls` while a watchdog stands by: should they hang on the target, the watchdog ends
// the target's process after half a minute, which sets them free, and tells.
bool WithoutHanging(HANDLE target, const std::function<void()>& calls) {
    const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool hung = false;
    std::thread watchdog([&] {
        if (WaitForSingleObject(done, 30000) != WAIT_OBJECT_0) {
            hung = true;
            TerminateProcess(target, 1);
        }
    });
    calls();
    SetEvent(done);
    watchdog.join();
    CloseHandle(done);
    return !hung;
}

// A window of the test target program, with the process that owns it.
struct Target {
    ChildProcess process;
    HWND window = nullptr;
    std::wstring caption;
};

class DesktopTest : public ::testing::Test {
protected:
    // `kind` is a kvl_target instruction ("edit", "open", "hang").
    Target Start(const std::wstring& kind, const std::wstring& caption) {
        Target t;
        t.caption = caption;
        EXPECT_TRUE(t.process.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"" + kind +
                                    L":" + caption + L"\""));
        WaitFor(
            [&] { return (t.window = FindWindowByCaption(caption, t.process.Id())) != nullptr; },
            10000);
        EXPECT_TRUE(t.window) << Narrow(caption);
        if (t.window && kind != L"hang")
            WaitFor([&] { return IsWindowVisible(t.window) != FALSE; });
        return t;
    }

    // Empties the target's edit control, without risking a hang.
    static void ClearEdit(HWND window) {
        HWND edit = FindWindowExW(window, nullptr, L"EDIT", nullptr);
        DWORD_PTR r = 0;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG,
                            1000, &r);
    }

    // Types `keys` into the target by its caption and waits for the edit to read `expected`.
    ::testing::AssertionResult Types(const Target& t, std::string_view keys,
                                     const std::wstring& expected, int pause = 0) {
        ClearEdit(t.window);
        RunKeystrokeStep(desk, Narrow(t.caption), keys, pause, H(t.window));
        std::wstring text;
        if (WaitFor([&] { return (text = EditText(t.window)) == expected; }, 3000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "typing " << keys << " gave \"" << Narrow(text)
                                             << "\", not \"" << Narrow(expected) << "\"";
    }

    win32::Win32Desktop desk;
};

// ---- window-state actions -------------------------------------------------------------

TEST_F(DesktopTest, EachActionReachesAnotherProgramsWindow) {
    Target t = Start(L"open", UniqueName(L"Actions "));
    ASSERT_TRUE(t.window);
    HWND w = t.window;

    SetWindowState(desk, H(w), "Minimize");
    EXPECT_TRUE(WaitFor([&] { return IsIconic(w) != FALSE; }));
    SetWindowState(desk, H(w), "MAXIMIZE");
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(w) && !IsIconic(w); }));
    SetWindowState(desk, H(w), "restore");
    EXPECT_TRUE(WaitFor([&] { return !IsZoomed(w) && !IsIconic(w) && IsWindowVisible(w); }));
    SetWindowState(desk, H(w), "hide");
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }));
    SetWindowState(desk, H(w), "Restore");
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(w) != FALSE; }));

    // Close posts WM_CLOSE; the target destroys its last window and ends.
    SetWindowState(desk, H(w), "Close");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); }));
    EXPECT_EQ(t.process.Wait(5000), std::optional<DWORD>(0));
}

TEST_F(DesktopTest, ActionsOnAWindowOfOurOwnThreadTakeEffectAtOnce) {
    TestWindow own(UniqueName(L"Own "));
    HWND w = own.Handle();
    SetWindowState(desk, H(w), "minimize");
    EXPECT_TRUE(IsIconic(w));
    SetWindowState(desk, H(w), "restore");
    EXPECT_TRUE(IsWindowVisible(w) && !IsZoomed(w) && !IsIconic(w));
    SetWindowState(desk, 0, "hide");  // a stale handle is ignored
}

// ---- captions -------------------------------------------------------------------------

TEST_F(DesktopTest, OnlyVisibleEnabledWindowsHaveACaption) {
    const std::wstring tag = UniqueName(L"Caption ");
    TestWindow shown(tag + L" ü€");
    TestWindow hidden(tag, false);
    TestWindow disabled(tag);
    EnableWindow(disabled.Handle(), FALSE);
    EXPECT_EQ(WindowCaption(desk, H(shown.Handle())), Narrow(tag) + " ü€");
    EXPECT_EQ(WindowCaption(desk, H(hidden.Handle())), "");
    EXPECT_EQ(WindowCaption(desk, H(disabled.Handle())), "");
    // The port itself reads the title of any window.
    EXPECT_EQ(desk.Caption(H(hidden.Handle()), 256), Narrow(tag));
    EXPECT_EQ(WindowCaption(desk, 0), "");
}

TEST_F(DesktopTest, CaptionsAreCutTo256Utf16Units) {
    TestWindow longOne(std::wstring(300, L'x'));
    EXPECT_EQ(WindowCaption(desk, H(longOne.Handle())), std::string(256, 'x'));
    // A character of two units that would be cut in half is left out.
    TestWindow astral(std::wstring(255, L'y') + L"\U0001F600z");
    EXPECT_EQ(WindowCaption(desk, H(astral.Handle())), std::string(255, 'y'));

    Target other = Start(L"open", UniqueName(L"Other ") + std::wstring(290, L'o'));
    ASSERT_TRUE(other.window);
    EXPECT_EQ(WindowCaption(desk, H(other.window)), Narrow(other.caption.substr(0, 256)));
}

// ---- typing ---------------------------------------------------------------------------

TEST_F(DesktopTest, KeystrokesReachTheEditControlOfAnotherProgram) {
    Target t = Start(L"edit", UniqueName(L"Typing "));
    ASSERT_TRUE(t.window);
    EXPECT_TRUE(Types(t, "hello", L"hello"));
    EXPECT_TRUE(Types(t, "+abc", L"Abc"));
    EXPECT_TRUE(Types(t, "+(ab)c", L"ABc"));
    EXPECT_TRUE(Types(t, "MiXeD 42!?", L"MiXeD 42!?"));
    EXPECT_TRUE(Types(t, "abc{LEFT 2}x", L"axbc"));
    EXPECT_TRUE(Types(t, "ab{BS}c{{}{}}", L"ac{}"));
    EXPECT_TRUE(Types(t, "{+}{^}{%}{~}{(}{)}{[}{]}", L"+^%~()[]"));
    EXPECT_TRUE(Types(t, "{a 3}{b 2}", L"aaabb"));
    EXPECT_TRUE(Types(t, "a~b", L"a\r\nb"));
    EXPECT_TRUE(Types(t, "abc+{HOME}x", L"x"));
    // A text that does not parse types nothing at all; the step after it still works.
    ClearEdit(t.window);
    RunKeystrokeStep(desk, Narrow(t.caption), "{SHIFT}a{CNTL}{BOGUS}", 0, H(t.window));
    RunKeystrokeStep(desk, Narrow(t.caption), "ab{shift}", 0, H(t.window));
    RunKeystrokeStep(desk, Narrow(t.caption), "(ab", 0, H(t.window));
    RunKeystrokeStep(desk, Narrow(t.caption), "z", 0, H(t.window));
    EXPECT_TRUE(WaitFor([&] { return EditText(t.window) == L"z"; }, 3000))
        << Narrow(EditText(t.window));
    EXPECT_TRUE(Types(t, "{SHIFT}ab", L"Ab"));
}

TEST_F(DesktopTest, AStepReturnsOnlyAfterTheTargetHasTakenItsKeys) {
    Target t = Start(L"edit", UniqueName(L"Processed "));
    ASSERT_TRUE(t.window);
    for (int round = 0; round < 2; ++round) {
        ClearEdit(t.window);
        // Several batches, and a group across the edge of one: longer than any fixed wait
        // would cover on a busy machine.
        RunKeystrokeStep(desk, Narrow(t.caption), "{x 254}+(abcd){y 700}~", 0, H(t.window));
        // Read at once: no waiting here.
        EXPECT_EQ(EditText(t.window),
                  std::wstring(254, L'x') + L"ABCD" + std::wstring(700, L'y') + L"\r\n")
            << round;
    }
}

TEST_F(DesktopTest, CharactersWithNoKeyGoInAsUnicode) {
    Target t = Start(L"edit", UniqueName(L"Unicode "));
    ASSERT_TRUE(t.window);
    EXPECT_TRUE(Types(t, "é€ж\U0001F600ß", L"é€ж\U0001F600ß"));
    EXPECT_TRUE(Types(t, "{ж 3}", L"жжж"));
}

TEST_F(DesktopTest, WithAPauseUnitsAreTypedOneByOneWithAWaitAfterEach) {
    Target t = Start(L"edit", UniqueName(L"Paused "));
    ASSERT_TRUE(t.window);
    ClearEdit(t.window);
    std::vector<std::uint32_t> pauses;
    EXPECT_EQ(RunKeys(desk, Narrow(t.caption), "a{LEFT}+b", 1, H(t.window), &pauses),
              ActionResult::Done);
    EXPECT_TRUE(WaitFor([&] { return EditText(t.window) == L"Ba"; }, 3000));
    // Three passes (a, {LEFT}, +b) and the empty one after, a second each.
    EXPECT_EQ(pauses, (std::vector<std::uint32_t>{1000, 1000, 1000, 1000}));
}

// The keys go into the window they are meant for, though another program's window of the
// same caption is in front; a dialog the window waits on is what comes forward for it, and
// only for a window it disables: a tool window of its own in front of an enabled window is
// not the window (keys meant for a document must not go into its Find box).
TEST_F(DesktopTest, KeysGoIntoTheirOwnWindowNotAnotherOfTheSameCaption) {
    const std::wstring caption = UniqueName(L"Same ");
    Target behind = Start(L"edit", caption);
    ASSERT_TRUE(behind.window);
    Target front = Start(L"edit", caption);
    ASSERT_TRUE(front.window);
    ASSERT_TRUE(desk.BringForward(H(front.window)));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front.window; }));

    EXPECT_TRUE(RunKeystrokeStep(desk, Narrow(caption), "xyz", 0, H(behind.window)));
    EXPECT_EQ(GetForegroundWindow(), behind.window);
    EXPECT_TRUE(WaitFor([&] { return EditText(behind.window) == L"xyz"; }, 3000));
    EXPECT_EQ(EditText(front.window), L"");
    // Meant for windows of another caption, it is not the one: nothing is typed anywhere.
    EXPECT_FALSE(RunKeystrokeStep(desk, "no window is called this", "q", 0, H(behind.window)));
    EXPECT_FALSE(desk.BringForward(0));

    TestWindow owner(UniqueName(L"Owner "));
    const HWND dialog = CreateWindowExW(0, L"STATIC", L"Its question", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                        10, 10, 200, 100, owner.Handle(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(dialog);
    // Modeless: the pop-up in front is not its enabled owner, and the owner comes forward itself.
    SetForegroundWindow(dialog);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    EXPECT_FALSE(desk.KeysReach(H(owner.Handle())));
    EXPECT_TRUE(desk.BringForward(H(owner.Handle())));
    EXPECT_EQ(GetForegroundWindow(), owner.Handle());

    EnableWindow(owner.Handle(), FALSE);  // as a modal dialog leaves it
    SetActiveWindow(dialog);
    ASSERT_TRUE(desk.BringForward(H(front.window)));
    EXPECT_TRUE(desk.BringForward(H(owner.Handle())));
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_TRUE(desk.KeysReach(H(owner.Handle())));
    EnableWindow(owner.Handle(), TRUE);
    DestroyWindow(dialog);
}

// The buttons users have: a framework's own push button (a superclass of the system's) and a
// command link count, a check box does not. A window disabled behind its modal dialog is
// pressed in that dialog, where a click could reach, never in itself. A press is reported as
// made only when it could be posted to a live parent.
TEST_F(DesktopTest, PushButtonsAreFoundAsUsersSeeThem) {
    WNDCLASSEXW framework{};
    framework.cbSize = sizeof framework;
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Button", &framework));
    framework.hInstance = GetModuleHandleW(nullptr);
    framework.lpszClassName = L"KvlTest.FrameworkButton";
    RegisterClassExW(&framework);  // may be there from an earlier repeat

    TestWindow window(UniqueName(L"Buttons "));
    int id = 100;
    const auto make = [&](HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 24, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), nullptr, nullptr);
    };
    const HWND saveAndExit = make(window.Handle(), L"KvlTest.FrameworkButton", L"Save && E&xit", BS_PUSHBUTTON);
    make(window.Handle(), L"Button", L"Install now", BS_COMMANDLINK);
    make(window.Handle(), L"Button", L"Remember", BS_AUTOCHECKBOX);
    const HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE,
                                        0, 0, 200, 100, window.Handle(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(dialog);
    make(dialog, L"Button", L"&No", BS_DEFPUSHBUTTON);
    const auto captions = [&](HWND of) {
        std::vector<std::string> found;
        for (const Desktop::Button& b : desk.PushButtons(H(of))) found.push_back(b.caption);
        return found;
    };
    EXPECT_EQ(captions(window.Handle()), (std::vector<std::string>{"Save && E&xit", "Install now"}));
    EXPECT_EQ(ClickableWindow(desk, H(window.Handle())), H(window.Handle()));
    EnableWindow(window.Handle(), FALSE);  // the dialog is modal now
    SetActiveWindow(dialog);
    EXPECT_EQ(ClickableWindow(desk, H(window.Handle())), H(dialog));
    EXPECT_EQ(captions(dialog), std::vector<std::string>{"&No"});
    EnableWindow(window.Handle(), TRUE);

    EXPECT_TRUE(desk.PressButton(H(saveAndExit)));
    DestroyWindow(saveAndExit);
    EXPECT_FALSE(desk.PressButton(H(saveAndExit)));
    DestroyWindow(dialog);
}

TEST(KeyInputs, CapsLockGroupsAndCharactersBeyondSixteenBits) {
    const HKL layout = GetKeyboardLayout(0);
    // With Caps Lock on, a capital goes without Shift and a small letter with it.
    std::vector<std::pair<WORD, bool>> events;  // key, and whether it goes up
    for (const INPUT& in : win32::KeyInputs(ParseKeyText("Ab").value(), layout, true))
        events.emplace_back(in.ki.wVk, (in.ki.dwFlags & KEYEVENTF_KEYUP) != 0);
    const std::vector<std::pair<WORD, bool>> caps = {{'A', false}, {'A', true}, {VK_SHIFT, false},
                                                     {'B', false}, {'B', true}, {VK_SHIFT, true}};
    EXPECT_EQ(events, caps);

    // A modifier goes up at the end of its key or group: two groups are two presses.
    auto keysOf = [&](const char* text) {
        std::vector<std::pair<WORD, bool>> out;
        for (const INPUT& in : win32::KeyInputs(ParseKeyText(text).value(), layout, false))
            out.emplace_back(in.ki.wVk, (in.ki.dwFlags & KEYEVENTF_KEYUP) != 0);
        return out;
    };
    const std::vector<std::pair<WORD, bool>> twoGroups = {
        {VK_CONTROL, false}, {'A', false}, {'A', true}, {VK_CONTROL, true},
        {VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}};
    EXPECT_EQ(keysOf("^(a)^(c)"), twoGroups);
    const std::vector<std::pair<WORD, bool>> oneGroup = {
        {VK_CONTROL, false}, {'A', false}, {'A', true}, {'C', false}, {'C', true},
        {VK_CONTROL, true}};
    EXPECT_EQ(keysOf("^(ac)"), oneGroup);

    const auto astral = win32::KeyInputs(ParseKeyText("\U0001F600").value(), layout, false);
    ASSERT_EQ(astral.size(), 4u);
    EXPECT_TRUE(astral[0].ki.dwFlags & KEYEVENTF_UNICODE);
    EXPECT_EQ(astral[0].ki.wScan, 0xD83D);
    EXPECT_EQ(astral[2].ki.wScan, 0xDE00);
}

// ---- a hung target ----------------------------------------------------------------------

TEST_F(DesktopTest, AHungWindowNeverHoldsUsUp) {
    Target t = Start(L"hang", UniqueName(L"Hung "));
    ASSERT_TRUE(t.window);
    HWND w = t.window;
    // Make sure its thread has really stopped answering.
    ASSERT_TRUE(WaitFor([&] {
        DWORD_PTR r = 0;
        return !SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &r);
    }));

    // Whether it is in front (the keys then wait on it) or behind (activating it would).
    TestWindow other(UniqueName(L"In front "));
    EXPECT_TRUE(WithoutHanging(t.process.Process(), [&] {
        for (const char* action : {"minimize", "maximize", "restore", "hide", "close"})
            SetWindowState(desk, H(w), action);
        desk.Show(H(w), SW_SHOWNORMAL);
        EXPECT_EQ(desk.Caption(H(w), 256), Narrow(t.caption));
        WindowCaption(desk, H(w));
        RunKeystrokeStep(desk, Narrow(t.caption), "abc{ENTER}", 0, H(w));
        SetForegroundWindow(other.Handle());
        RunKeystrokeStep(desk, Narrow(t.caption), "x", 1, H(w));
    }));
}

// A window that will not come to the front gets no keys, and neither does the window of its
// program that keeps the focus meanwhile.
TEST_F(DesktopTest, KeysForAWindowThatWillNotComeToTheFrontGoNowhere) {
    const std::wstring tag = UniqueName(L"");
    ChildProcess process;
    ASSERT_TRUE(process.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"edit:Focused " + tag +
                              L"\" \"bounce:Refuser " + tag + L"\""));
    HWND focused = wintest::AwaitShownWindow(L"Focused " + tag, process.Id(), 10000);
    HWND refuser = wintest::AwaitShownWindow(L"Refuser " + tag, process.Id(), 10000);
    ASSERT_TRUE(focused && refuser);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == focused; }));

    EXPECT_FALSE(RunKeystrokeStep(desk, Narrow(L"Refuser " + tag), "abc", 0, H(refuser)));
    // Keys typed into the focused window now return once it has taken them: any sent before
    // would have reached it first.
    ASSERT_TRUE(RunKeystrokeStep(desk, Narrow(L"Focused " + tag), "z", 0, H(focused)));
    EXPECT_EQ(EditText(focused), L"z");
}

// An ordinary window of another program runs with no higher rights than ours, and its
// program is read by the limited query alone.
TEST_F(DesktopTest, AnOrdinaryProgramsWindowIsNotOfHigherRights) {
    Target t = Start(L"open", UniqueName(L"Ordinary "));
    ASSERT_TRUE(t.window);
    const std::optional<std::uint32_t> theirs = desk.IntegrityLevel(H(t.window));
    const std::optional<std::uint32_t> ours = desk.IntegrityLevel(0);
    ASSERT_TRUE(theirs && ours) << "a level that cannot be read compares as not higher";
    EXPECT_EQ(*theirs, *ours);
    EXPECT_FALSE(RunsWithHigherRights(theirs, ours));
    EXPECT_TRUE(desk.ProgramPath(H(t.window)).ends_with("\\kvl_target.exe"))
        << desk.ProgramPath(H(t.window));
    t.process.Kill();
    EXPECT_EQ(desk.ProgramPath(H(t.window)), "");
}

// ---- windows that vanish ----------------------------------------------------------------

TEST_F(DesktopTest, AWindowGoneBeforeTheActionLeavesNothingToDo) {
    Target t = Start(L"open", UniqueName(L"Gone "));
    ASSERT_TRUE(t.window);
    const HWND w = t.window;
    t.process.Kill();
    ASSERT_FALSE(IsWindow(w));
    for (const char* action : {"minimize", "maximize", "restore", "hide", "close"})
        EXPECT_FALSE(SetWindowState(desk, H(w), action)) << action;
    EXPECT_EQ(WindowCaption(desk, H(w)), "");
    EXPECT_EQ(RunKeys(desk, Narrow(t.caption), "x", 0, H(w)), ActionResult::KeysWindowGone);
}

TEST_F(DesktopTest, AWindowGoneDuringAPausedStepEndsTheStepQuietly) {
    Target t = Start(L"edit", UniqueName(L"Vanishing "));
    ASSERT_TRUE(t.window);
    const HWND w = t.window;
    // Ends the target once its first key has arrived, while the step is pausing.
    HANDLE process = t.process.Process();
    std::thread killer([w, process] {
        const ULONGLONG deadline = GetTickCount64() + 5000;
        while (GetTickCount64() < deadline && EditText(w).empty())
            WaitForSingleObject(process, 20);
        TerminateProcess(process, 99);
    });
    std::vector<std::uint32_t> pauses;
    const ActionResult result = RunKeys(desk, Narrow(t.caption), "abc", 1, H(w), &pauses);
    killer.join();
    // The run ends at the first look after the window went: no keys go after it, and the
    // pauses meant for them are not waited.
    EXPECT_EQ(result, ActionResult::KeysWindowGone);
    EXPECT_LT(pauses.size(), 4u);
    EXPECT_FALSE(IsWindow(w));
}

}  // namespace
}  // namespace kvl
