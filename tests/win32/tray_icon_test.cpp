#include <gtest/gtest.h>

#include "platform/win32/tray_icon.h"
#include <shellapi.h>

#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ShellHasIcon;

TEST(TrayIcon, IsAddedRemovedAndBroughtBackWhenTheShellRestarts) {
    wintest::TestWindow owner(wintest::UniqueName(L"TrayOwner"), false);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    {
        win32::TrayIcon tray(owner.Handle(), WM_APP + 1);
        tray.SetIcon(icon);
        tray.SetTip(L"Korvel! By Brannick");
        ASSERT_TRUE(tray.Added());
        EXPECT_TRUE(ShellHasIcon(owner.Handle()));
        EXPECT_STREQ(tray.Tip(), L"Korvel! By Brannick");

        // A restarted shell has forgotten every icon; its broadcast brings ours back.
        ASSERT_TRUE(wintest::RemoveShellIcon(owner.Handle()));
        EXPECT_FALSE(ShellHasIcon(owner.Handle()));
        EXPECT_FALSE(tray.HandleShellRestart(WM_APP + 7));
        EXPECT_TRUE(tray.HandleShellRestart(RegisterWindowMessageW(L"TaskbarCreated")));
        EXPECT_TRUE(ShellHasIcon(owner.Handle()));
        EXPECT_EQ(tray.Icon(), icon);
    }
    EXPECT_FALSE(ShellHasIcon(owner.Handle()));
}

}  // namespace
}  // namespace kvl
