// KVL.exe started for real under Wine, against its own registry store.

#include <gtest/gtest.h>

#include "platform/win32/resources/resource.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

constexpr wchar_t kMainCaption[] = L"Korvel 3.0";

class KvlRun : public ::testing::Test {
protected:
    win32::RegistryStore& Store() { return store; }

    void Start(const std::wstring& arguments = L"") {
        ASSERT_TRUE(kvl.Start(L"\"" + copy.Path() + L"\"" + (arguments.empty() ? L"" : L" " + arguments)));
    }
    HWND AwaitMainWindow() { return wintest::AwaitShownWindow(kMainCaption, kvl.Id(), 15000); }

    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
    ChildProcess kvl;
};

TEST_F(KvlRun, ResidentStartSavesTheLoadedTableAndShowsTheMainWindowAboveTheTray) {
    ASSERT_TRUE(store.Write("Monitor0", "Description", "first"));
    ASSERT_TRUE(store.Write("Monitor0", "Caption", "Some Caption"));
    ASSERT_TRUE(store.Write("Monitor2", "Description", "beyond the gap"));
    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);

    EXPECT_EQ(store.Read("General", "Strength"), "3");
    EXPECT_EQ(store.Read("Monitor0", "Description"), "first");
    EXPECT_EQ(store.Read("Monitor0", "WindowState"), "Restore");  // rewritten with defaults
    EXPECT_EQ(store.Read("Monitor0", "SendKeys2"), "");
    EXPECT_EQ(store.Read("Monitor1", "Description"), std::nullopt);
    EXPECT_EQ(store.Read("Monitor2", "Description"), "beyond the gap");
    EXPECT_EQ(store.Read("Monitor2", "WindowState"), std::nullopt);  // untouched

    // 400 twips from the screen's right edge and 900 from its bottom, 15 twips a pixel.
    RECT r{};
    GetWindowRect(main, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const double left = (GetSystemMetrics(SM_CXSCREEN) * 15.0 - width * 15.0 - 400) / 15;
    const double top = (GetSystemMetrics(SM_CYSCREEN) * 15.0 - height * 15.0 - 900) / 15;
    EXPECT_NEAR(r.left, left, 1.0);
    EXPECT_NEAR(r.top, top, 1.0);
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 354);   // 5310 twips
    EXPECT_EQ(client.bottom, 259);  // 3885 twips
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
}

TEST_F(KvlRun, CloseHidesTheShownWindowAndEndsTheHiddenOneWithoutSaving) {
    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
    EXPECT_TRUE(kvl.Running());

    // Anything saved from here on would overwrite this.
    ASSERT_TRUE(store.Write("General", "Strength", "5"));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(kvl.Wait(10000).has_value());
    EXPECT_EQ(store.Read("General", "Strength"), "5");
}

TEST_F(KvlRun, ExitCommandsSaveAndTakeTheTrayIconAlong) {
    for (WPARAM command : {IDM_EXIT, IDM_TRAY_EXIT}) {
        Start();
        HWND main = AwaitMainWindow();
        ASSERT_TRUE(main);
        EXPECT_TRUE(wintest::ShellHasIcon(main));
        ASSERT_TRUE(store.Write("General", "Strength", "5"));
        PostMessageW(main, WM_COMMAND, command, 0);
        ASSERT_EQ(kvl.Wait(10000), std::optional<DWORD>(0)) << command;
        EXPECT_EQ(store.Read("General", "Strength"), "3") << command;
        EXPECT_FALSE(wintest::ShellHasIcon(main)) << command;
        kvl.Kill();
    }
}

TEST_F(KvlRun, ARestartedShellGetsTheTrayIconBack) {
    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(WaitFor([&] { return wintest::ShellHasIcon(main); }));
    // A new shell knows no icons until it announces itself.
    ASSERT_TRUE(wintest::RemoveShellIcon(main));
    ASSERT_FALSE(wintest::ShellHasIcon(main));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return wintest::ShellHasIcon(main); }));
    // Hidden in the tray, it still hears the shell.
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
    ASSERT_TRUE(wintest::RemoveShellIcon(main));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return wintest::ShellHasIcon(main); }));
}

TEST_F(KvlRun, StoreThatCannotBeReadStartsWithDefaults) {
    ASSERT_TRUE(store.Write("General", "Strength", "banana"));
    ASSERT_TRUE(store.Write("Monitor0", "Description", "m"));
    ASSERT_TRUE(store.Write("Monitor0", "Disable", "99999999"));
    Start();
    ASSERT_TRUE(AwaitMainWindow());
    EXPECT_EQ(store.Read("General", "Strength"), "3");
    EXPECT_EQ(store.Read("Monitor0", "Disable"), "0");
}

}  // namespace
}  // namespace kvl
