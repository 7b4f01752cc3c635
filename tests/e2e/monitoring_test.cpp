// KVL.exe resident with monitors in its store, acting on windows another program opens.

#include <gtest/gtest.h>

#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

class Resident : public ::testing::Test {
protected:
    struct MonitorSetup {
        std::wstring caption;
        std::string state;
        std::string keys0 = "";
        int pause0 = 0;
        std::string keys1 = "";
        int disable = 0;
        int exact = 0;
        std::string program = "";
        std::string windowClass = "";
    };

    void Store(const std::vector<MonitorSetup>& monitors) {
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            const std::string section = "Monitor" + std::to_string(i);
            const MonitorSetup& m = monitors[i];
            store.Write(section, "Description", "monitor " + std::to_string(i));
            store.Write(section, "Caption", win32::Narrow(m.caption));
            store.Write(section, "WindowState", m.state);
            store.Write(section, "SendKeys0", m.keys0);
            store.Write(section, "SendKeysPause0", std::to_string(m.pause0));
            store.Write(section, "SendKeys1", m.keys1);
            store.Write(section, "Disable", std::to_string(m.disable));
            store.Write(section, "ExactMatch", std::to_string(m.exact));
            if (!m.program.empty()) store.Write(section, "Program", m.program);
            if (!m.windowClass.empty()) store.Write(section, "WindowClass", m.windowClass);
        }
        store.Write("General", "Strength", "0");  // Ultra
    }
    void StartKvl() {
        ASSERT_TRUE(kvl.Start(L"\"" + copy.Path() + L"\""));
        ASSERT_TRUE(WaitFor([&] {
            HWND main = wintest::FindWindowByCaption(L"Korvel 3.0", kvl.Id());
            return main && IsWindowVisible(main);
        }, 15000));
    }
    HWND Window(const std::wstring& caption) {
        HWND w = nullptr;
        WaitFor([&] { return (w = wintest::FindWindowByCaption(caption, target.Id())) != nullptr; },
                10000);
        return w;
    }
    // The target's own word that a window was hidden: a window that is merely not shown yet
    // must not pass for one KVL has hidden.
    std::wstring Log() const { return wintest::ReadFileText(log); }
    bool Logged(const std::wstring& line) const {
        return Log().find(line) != std::wstring::npos;
    }
    std::wstring Target(const std::wstring& instructions) const {
        return L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"log:" + log + L"\" " + instructions;
    }
    void TearDown() override { DeleteFileW(log.c_str()); }

    const std::wstring tag = wintest::UniqueName(L"E2E");
    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
    ChildProcess kvl;
    ChildProcess target;
    const std::wstring log = copy.Path() + L".log";
};

TEST_F(Resident, EachWindowStateActionHappensToTheWindowThatOpens) {
    Store({{L"hide " + tag, "Hide"},
           {L"max " + tag, "maximize"},
           {L"min " + tag, "MINIMIZE"},
           {L"close " + tag, "close"},
           {L"restore " + tag, "Restore"},
           {L"left alone " + tag, "hide", "", 0, "", 1},
           {L"control " + tag, "hide"}});
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"open:hide " + tag + L"\" \"open:max " + tag +
                                    L"\" \"open:min " + tag + L"\" \"open:close " + tag +
                                    L"\" \"min:restore " + tag + L"\" \"open:left alone " + tag +
                                    L"\"")));
    HWND hidden = Window(L"hide " + tag), maxed = Window(L"max " + tag),
         mined = Window(L"min " + tag), restored = Window(L"restore " + tag),
         alone = Window(L"left alone " + tag);
    ASSERT_TRUE(hidden && maxed && mined && restored && alone);
    EXPECT_TRUE(WaitFor([&] { return Logged(L"hidden hide " + tag) && !IsWindowVisible(hidden); }));
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(maxed) != FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return IsIconic(mined) != FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(restored) && IsWindowVisible(restored); }));
    EXPECT_TRUE(WaitFor([&] { return Logged(L"close close " + tag); }));
    // The disabled monitor's window is still there once a later window has been dealt with.
    ChildProcess control;
    ASSERT_TRUE(control.Start(Target(L"\"open:control " + tag + L"\"")));
    ASSERT_TRUE(WaitFor([&] { return Logged(L"hidden control " + tag); }));
    EXPECT_TRUE(IsWindowVisible(alone));
}

TEST_F(Resident, KeystrokeStepsAreTypedIntoTheWindowInTurn) {
    Store({{L"Keys " + tag, "", "Hello{ENTER}", 0, "+(world){LEFT 5}{DEL}w"}});
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"edit:Keys " + tag + L" - editor\"")));
    HWND w = Window(L"Keys " + tag + L" - editor");
    ASSERT_TRUE(w);
    EXPECT_TRUE(WaitFor([&] { return wintest::EditText(w) == L"Hello\r\nwORLD"; }, 10000))
        << win32::Narrow(wintest::EditText(w));
    // The stored text is what the user wrote, whatever ran.
    EXPECT_EQ(store.Read("Monitor1", "SendKeys0"), std::nullopt);
    EXPECT_EQ(store.Read("Monitor0", "SendKeys1"), "+(world){LEFT 5}{DEL}w");
}

TEST_F(Resident, AWindowShownAgainWithinAMinuteIsNotActedOnTwice) {
    Store({{L"once " + tag, "hide"}, {L"control " + tag, "hide"}});
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"open:once " + tag + L"\"")));
    HWND w = Window(L"once " + tag);
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitFor([&] { return Logged(L"hidden once " + tag) && !IsWindowVisible(w); }));
    ShowWindowAsync(w, SW_SHOWNORMAL);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(w) != FALSE; }));
    // A window KVL must act on after the re-shown one has been seen again.
    ChildProcess control;
    ASSERT_TRUE(control.Start(Target(L"\"open:control " + tag + L"\"")));
    ASSERT_TRUE(WaitFor([&] { return Logged(L"hidden control " + tag); }));
    // Reported again, but within the guard: still shown, and hidden only once.
    EXPECT_TRUE(IsWindowVisible(w));
    const std::wstring text = Log();
    EXPECT_EQ(text.find(L"hidden once " + tag), text.rfind(L"hidden once " + tag));
}

TEST_F(Resident, AProgramConditionActsOnTheWindowOfThatProgramOnly) {
    // A second program: the factory under another name.
    const std::wstring other = wintest::ExeDir() + L"\\" + tag + L"_other.exe";
    ASSERT_TRUE(CopyFileW((wintest::ExeDir() + L"\\kvl_target.exe").c_str(), other.c_str(), FALSE));
    struct Remove {
        std::wstring path;
        ~Remove() {
            WaitFor([&] { return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; }, 5000);
        }
    } removeOther{other};
    Store({{L"Save changes? " + tag, "minimize", "", 0, "", 0, 1, "KVL_Target.exe"},
           {L"control " + tag, "hide"}});
    StartKvl();
    ChildProcess second;
    ASSERT_TRUE(second.Start(L"\"" + other + L"\" \"open:Save changes? " + tag + L"\""));
    HWND theirs = wintest::AwaitShownWindow(L"Save changes? " + tag, second.Id(), 10000);
    ASSERT_TRUE(target.Start(Target(L"\"open:Save changes? " + tag + L"\"")));
    HWND ours = Window(L"Save changes? " + tag);
    ASSERT_TRUE(theirs && ours);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(ours) != FALSE; }));
    // The second program's window is dealt with once a later one of it has been.
    ChildProcess control;
    ASSERT_TRUE(control.Start(L"\"" + other + L"\" \"log:" + log + L"\" \"open:control " + tag + L"\""));
    ASSERT_TRUE(WaitFor([&] { return Logged(L"hidden control " + tag); }));
    EXPECT_FALSE(IsIconic(theirs));
}

TEST_F(Resident, AClassConditionWithNoCaptionActsOnAMessageBox) {
    Store({{L"", "close", "", 0, "", 0, 0, "", "#32770"}, {L"control " + tag, "hide"}});
    StartKvl();
    // A plain window first: with no caption to narrow it, the class alone must.
    ASSERT_TRUE(target.Start(Target(L"\"open:plain " + tag + L"\" \"box:Really? " + tag + L"\"")));
    HWND plain = Window(L"plain " + tag);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(WaitFor([&] { return Logged(L"box closed Really? " + tag); }, 10000));
    ChildProcess control;
    ASSERT_TRUE(control.Start(Target(L"\"open:control " + tag + L"\"")));
    ASSERT_TRUE(WaitFor([&] { return Logged(L"hidden control " + tag); }));
    EXPECT_FALSE(Logged(L"close plain " + tag));
    EXPECT_TRUE(IsWindowVisible(plain));
}

TEST_F(Resident, TwoMonitorsMatchingOneWindowActOnce) {
    Store({{L"Twice " + tag, "minimize", "", 0, "", 0, 1}, {L"twice", "maximize"}});
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"open:Twice " + tag + L"\"")));
    HWND w = Window(L"Twice " + tag);
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(w) != FALSE; }));
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_FALSE(IsZoomed(w));
}

// A dialog behind another window has its button pressed, which needs no focus; nothing is
// typed anywhere.
TEST_F(Resident, TheNamedButtonOfADialogBehindAnotherWindowIsPressed) {
    Store({{L"Save changes " + tag, ""}});
    ASSERT_TRUE(store.Write("Monitor0", "PressButton", "&No"));
    StartKvl();
    ASSERT_TRUE(target.Start(Target(L"\"asklate:Save changes " + tag + L"\" \"edit:In front " + tag + L"\"")));
    HWND front = Window(L"In front " + tag);
    ASSERT_TRUE(front);
    EXPECT_TRUE(WaitFor([&] { return Logged(L"answered No Save changes " + tag); }, 10000)) << win32::Narrow(Log());
    EXPECT_EQ(wintest::EditText(front), L"");
    EXPECT_EQ(store.Read("Monitor0", "PressButton"), "&No");
}

}  // namespace
}  // namespace kvl
