// The main window driven in-process, as the user would drive it.

#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "app/win32/frm_kvl.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_watcher.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/display.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::Click;
using wintest::PressAltKey;
using wintest::PressKey;
using wintest::WaitFor;

// Runs `act` from inside the next modal loop of this thread (a menu or a message box), which
// the test cannot wait in itself: a thread timer fires there as anywhere.
std::function<bool()> g_inLoop;
void CALLBACK RunInLoop(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_inLoop || g_inLoop()) {
        KillTimer(nullptr, id);
        g_inLoop = nullptr;
    }
}
void WhenInLoop(std::function<bool()> act) {
    g_inLoop = std::move(act);
    SetTimer(nullptr, 0, 20, RunInLoop);
}
bool InMenu() {
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.flags & GUI_INMENUMODE;
}
// Menus that should not open are closed again, so that the test goes on to fail; until the
// next WhenInLoop takes over.
void CloseAnyMenu() {
    WhenInLoop([] {
        if (InMenu()) PressKey(VK_ESCAPE);
        return false;
    });
}
// Refuses, on this thread, to make any window of one class, as a system out of resources
// would: CreateWindowEx then fails.
class RefuseWindowsOf {
public:
    explicit RefuseWindowsOf(const wchar_t* windowClass)
        : hook_(SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId())) {
        refused_ = windowClass;
    }
    ~RefuseWindowsOf() { UnhookWindowsHookEx(hook_); }
    RefuseWindowsOf(const RefuseWindowsOf&) = delete;
    RefuseWindowsOf& operator=(const RefuseWindowsOf&) = delete;

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wp, LPARAM lp) {
        wchar_t cls[64] = L"";
        if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wp), cls, 64) &&
            _wcsicmp(cls, refused_) == 0)
            return 1;
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline const wchar_t* refused_ = nullptr;
    HHOOK hook_;
};

// Named, with CALLBACK: a lambda has the wrong calling convention on i686.
BOOL CALLBACK FindMessageBox(HWND h, LPARAM found) {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) *reinterpret_cast<HWND*>(found) = h;
    return TRUE;
}
HWND OpenMessageBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

class MainWindow : public ::testing::Test {
protected:
    void Load(std::wstring commandLine = L"") {
        form = std::make_unique<frmKVL>(frmKVL::Services{scoped.Store(), watcher, shell, desktop,
                                                         clock, files, commandLine, [this](int) { ++ended; }});
        ASSERT_TRUE(form->Form_Load());
        SetWindowSubclass(form->Handle(), Listen, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    // What the window hears: the tray icon's events and the starts of menu loops.
    static LRESULT CALLBACK Listen(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
        auto* t = reinterpret_cast<MainWindow*>(self);
        if (msg == frmKVL::kTrayMessage) t->trayEvents.push_back(LOWORD(lp));
        if (msg == WM_ENTERMENULOOP) ++t->menuLoops;
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, Listen, 1);
        return DefSubclassProc(h, msg, wp, lp);
    }
    POINT TrayIcon() {
        const auto at = wintest::FindTrayIcon([&] {
            return std::find(trayEvents.begin(), trayEvents.end(), WM_MOUSEMOVE) != trayEvents.end();
        });
        EXPECT_TRUE(at.has_value()) << "the icon is not on the taskbar";
        return at.value_or(POINT{});
    }
    void DoubleClickAt(POINT at) {
        wintest::ClickAt(at);
        wintest::ClickAt(at);
    }
    bool Focused(int id) const { return GetFocus() == Item(id); }
    void TearDown() override {
        if (form && form->Handle()) DestroyWindow(form->Handle());
        form.reset();
        // Swallow the quit the window's end posts, so the next test starts clean.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    void AddMonitor(int slot, const std::string& description, int disable = 0) {
        const std::string section = "Monitor" + std::to_string(slot);
        scoped.Store().Write(section, "Description", description);
        scoped.Store().Write(section, "Caption", "caption of " + description);
        scoped.Store().Write(section, "Disable", std::to_string(disable));
    }
    void AddKeysMonitor(int slot, const std::wstring& caption, const std::string& keys, int pause) {
        const std::string section = "Monitor" + std::to_string(slot);
        scoped.Store().Write(section, "Description", "keys " + std::to_string(slot));
        scoped.Store().Write(section, "Caption", win32::Narrow(caption));
        scoped.Store().Write(section, "SendKeys0", keys);
        scoped.Store().Write(section, "SendKeysPause0", std::to_string(pause));
    }
    // Edit windows of the window factory, another process, as KVL's targets are.
    std::vector<HWND> StartEditors(wintest::ChildProcess& target, const std::vector<std::wstring>& captions) {
        std::wstring line = L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\"";
        for (const auto& caption : captions) line += L" \"edit:" + caption + L"\"";
        std::vector<HWND> windows;
        if (!target.Start(line)) return windows;
        for (const auto& caption : captions)
            windows.push_back(wintest::AwaitShownWindow(caption, target.Id(), 10000));
        // Each takes the foreground as it opens, and under Wine the last one's change may land
        // late, after KVL has already brought another to the front.
        if (!windows.empty()) WaitFor([&] { return GetForegroundWindow() == windows.back(); });
        return windows;
    }
    HWND Item(int id) const { return GetDlgItem(form->Handle(), id); }
    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        HWND list = Item(frmKVL::idLstItems);
        const auto n = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            wchar_t text[512] = L"";
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            lines.emplace_back(text);
        }
        return lines;
    }
    void Command(UINT id) { SendMessageW(form->Handle(), WM_COMMAND, id, 0); }
    bool MenuChecked(UINT id) const {
        return GetMenuState(form->PopUpMenu(), id, MF_BYCOMMAND) & MF_CHECKED;
    }
    bool BoxTicked() const {
        return SendMessageW(Item(frmKVL::idChkDisable), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    wintest::ScopedStore scoped{wintest::UniqueName(L"KVLMain")};
    fakes::FakeWatcher watcher;
    fakes::FakeShell shell;
    win32::Win32Desktop desktop;
    win32::Win32Clock clock;
    win32::Win32Files files;
    std::unique_ptr<frmKVL> form;
    int ended = 0;
    std::vector<UINT> trayEvents;
    int menuLoops = 0;
};

TEST_F(MainWindow, ListsEveryMonitorWithItsDisabledMarkUpToTheFirstEmptyDescription) {
    AddMonitor(0, "Alpha");
    AddMonitor(1, "Beta", 1);
    AddMonitor(2, " Gamma");
    AddMonitor(4, "after the gap");
    Load();
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"Alpha", L"**Beta", L" Gamma"}));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindow, FiftyMonitorsMakeFiftyLines) {
    for (int i = 0; i <= 50; ++i) AddMonitor(i, "m" + std::to_string(i));
    Load();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.back(), L"m49");
}

// A line clicked, then "&Delete Monitor" from the list's own menu (the right button).
TEST_F(MainWindow, DeletingTheMiddleOfThreeClosesUpListStoreAndWatches) {
    AddMonitor(0, "A");
    AddMonitor(1, "B");
    AddMonitor(2, "C");
    Load();
    const HWND list = Item(frmKVL::idLstItems);
    RECT line{};
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    POINT at{(line.left + line.right) / 2, (line.top + line.bottom) / 2};
    ClientToScreen(list, &at);
    wintest::ClickAt(at, false, list);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == 1; }));
    WhenInLoop([] {
        if (!InMenu()) return false;
        PressKey('D');
        return true;
    });
    wintest::ClickAt(at, true, list);
    ASSERT_TRUE(WaitFor([&] { return Lines().size() == 2; }, 3000));
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"A", L"C"}));
    EXPECT_EQ(scoped.Store().Read("Monitor1", "Description"), "C");
    EXPECT_FALSE(scoped.SectionExists("Monitor2"));
    ASSERT_EQ(watcher.watches.size(), 2u);
    EXPECT_EQ(watcher.watches[1].caption, "caption of C");

    // Nothing selected: only saved and reloaded.
    SendMessageW(Item(frmKVL::idLstItems), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Command(frmKVL::mnuDelete);
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"A", L"C"}));
}

TEST_F(MainWindow, TheSwitchAndTheTrayEntryMoveTheWatcherLevelTogether) {
    Load();
    EXPECT_EQ(watcher.level, 4);  // "Weaker", the default
    SendMessageW(Item(frmKVL::idChkDisable), BM_CLICK, 0, 0);
    EXPECT_TRUE(BoxTicked());
    EXPECT_TRUE(MenuChecked(frmKVL::mnuDisable));
    EXPECT_EQ(watcher.level, 0);

    // OK and the close box keep monitoring off while the box stays ticked.
    Command(frmKVL::idCmdOK);
    EXPECT_EQ(watcher.level, 0);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));

    Command(frmKVL::mnuDisable);
    EXPECT_FALSE(BoxTicked());
    EXPECT_FALSE(MenuChecked(frmKVL::mnuDisable));
    EXPECT_EQ(watcher.level, 4);
    Command(frmKVL::mnuDisable);
    EXPECT_TRUE(BoxTicked());
    EXPECT_EQ(watcher.level, 0);
}

TEST_F(MainWindow, DisabledStrengthGivesLevelZeroEvenWithTheSwitchOff) {
    scoped.Store().Write("General", "Strength", "5");
    Load();
    EXPECT_EQ(watcher.level, 0);
    SendMessageW(Item(frmKVL::idChkDisable), BM_CLICK, 0, 0);
    SendMessageW(Item(frmKVL::idChkDisable), BM_CLICK, 0, 0);
    EXPECT_EQ(watcher.level, 0);
}

TEST_F(MainWindow, OkAndTheCloseBoxSaveReRegisterAndHide) {
    AddMonitor(0, "A");
    Load();
    for (UINT how : {0u, 1u}) {
        ShowWindow(form->Handle(), SW_SHOW);
        scoped.Store().Write("General", "Strength", "0");
        const int clears = watcher.clears;
        if (how == 0) Command(frmKVL::idCmdOK);
        else SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
        EXPECT_EQ(scoped.Store().Read("General", "Strength"), "3");
        EXPECT_EQ(watcher.clears, clears + 1);
        EXPECT_TRUE(IsWindow(form->Handle()));
    }
    EXPECT_EQ(ended, 0);
}

TEST_F(MainWindow, NewEditAndDoubleClickOpenTheEditorWhichFollowsDeletions) {
    AddMonitor(0, "A");
    AddMonitor(1, "B");
    AddMonitor(2, "C");
    Load();
    Command(frmKVL::mnuEdit);  // nothing selected: nothing opens
    EXPECT_EQ(form->Editor(), nullptr);

    Command(frmKVL::mnuNew);
    ASSERT_TRUE(form->Editor());
    EXPECT_TRUE(IsWindowVisible(form->Editor()->Handle()));
    EXPECT_EQ(watcher.level, 0);  // nothing fires while the user edits
    SendMessageW(form->Editor()->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return form->Editor() == nullptr; }));
    EXPECT_EQ(watcher.level, 4);

    SendMessageW(Item(frmKVL::idLstItems), LB_SETCURSEL, 2, 0);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(frmKVL::idLstItems, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(Item(frmKVL::idLstItems)));
    ASSERT_TRUE(form->Editor());
    EXPECT_EQ(form->Editor()->RecIndex(), 2);

    // Deleting "A" renumbers "C" to slot 1, and the editor goes with it.
    SendMessageW(Item(frmKVL::idLstItems), LB_SETCURSEL, 0, 0);
    Command(frmKVL::mnuDelete);
    EXPECT_EQ(form->Editor()->RecIndex(), 1);
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"B", L"C"}));
}

TEST_F(MainWindow, TrayDoubleClickTogglesTheWindowTopmostWithAFreshList) {
    AddMonitor(0, "A");
    Load();
    form->Tray1_MouseDblClick();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    AddMonitor(1, "B");
    form->Policy().CurrentSettings().Monitors[1].Description = "B";
    form->Tray1_MouseDblClick();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"A", L"B"}));
}

TEST_F(MainWindow, IconFlashesElevenFramesThenRests) {
    Load();
    ASSERT_TRUE(form->Tray1());
    EXPECT_EQ(form->Tray1()->Icon(), form->Image2());
    for (int tick = 0; tick < 11; ++tick) {
        form->tmrIconChange_Timer();
        EXPECT_EQ(form->Tray1()->Icon(), tick % 2 == 0 ? form->Image1() : form->Image2()) << tick;
    }
    form->tmrIconChange_Timer();
    EXPECT_EQ(form->Tray1()->Icon(), form->Image2());
    EXPECT_FALSE(form->IconAnimating());
}

TEST_F(MainWindow, StartsInTheLayoutTheDisplayCallsFor) {
    Load();
    const bool rich = win32::IsRichColourDisplay();
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(rich, GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 16);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(IsWindowVisible(Item(frmKVL::idCandyScreen1)) != FALSE, rich);
    EXPECT_EQ(IsWindowVisible(Item(frmKVL::idCmdOK)) != FALSE, rich);
    EXPECT_EQ(IsWindowVisible(Item(frmKVL::idCmdOK256)) != FALSE, !rich);
    if (!rich) {
        // The smaller window keeps the top-left corner placed for the full-colour size.
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(r.right - r.left, wintest::Scaled(316, win32::WindowDpi(form->Handle())));
        EXPECT_EQ(r.bottom - r.top, wintest::Scaled(279, win32::WindowDpi(form->Handle())));
    }
}

// At any display scale: the size it has at 96 dots per inch times the scale, every text
// whole, in the order the user reads it; and moved to a monitor of another scale, laid out
// again there.
TEST_F(MainWindow, FollowsTheDisplayScale) {
    Load();
    const HWND w = form->Handle();
    // A prefix set to another scale that did not take would pass everything below at 96.
    if (const char* asked = std::getenv("KVL_WINE_DPI")) {
        EXPECT_EQ(win32::WindowDpi(w), std::atoi(asked));
    }
    const double scale = win32::WindowDpi(w) / 96.0;
    RECT client{};
    GetClientRect(w, &client);
    const bool rich = win32::IsRichColourDisplay();  // else the smaller, plain layout
    EXPECT_NEAR(client.right, (rich ? 354 : 310) * scale, 2);
    EXPECT_NEAR(client.bottom, (rich ? 259 : 235) * scale, 2);
    wintest::ExpectReadableLayout(w);
    auto rect = [&](int id) {
        RECT r{};
        GetWindowRect(Item(id), &r);
        return r;
    };
    EXPECT_LT(rect(frmKVL::idLabel2).bottom, rect(frmKVL::idLstItems).top);
    EXPECT_LT(rect(frmKVL::idLstItems).bottom, rect(frmKVL::idChkDisable).top);
    const int ok = rich ? frmKVL::idCmdOK : frmKVL::idCmdOK256;
    EXPECT_LT(rect(frmKVL::idChkDisable).right, rect(ok).left);
    wintest::ExpectLaidOutAgainOnAnotherScale(w);
}

TEST_F(MainWindow, LowColourLayoutUsesPlainControls) {
    Load();
    form->LowColorMode();
    EXPECT_FALSE(IsWindowVisible(Item(frmKVL::idCandyScreen1)));
    EXPECT_FALSE(IsWindowVisible(Item(frmKVL::idCmdOK)));
    EXPECT_TRUE(IsWindowVisible(Item(frmKVL::idCmdOK256)));
    const int dpi = win32::WindowDpi(form->Handle());
    const RECT list = wintest::RectInParent(Item(frmKVL::idLstItems));
    EXPECT_EQ(list.left, TwipsToPixels(100, dpi));  // 6.67 pixels at 96 dots per inch: 7
    EXPECT_EQ(list.top, TwipsToPixels(400, dpi));
    EXPECT_EQ(wintest::RectInParent(Item(frmKVL::idChkDisable)).top,
              wintest::RectInParent(Item(frmKVL::idCmdOK256)).top);
    wintest::ExpectReadableLayout(form->Handle());
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.right - r.left, wintest::Scaled(316, dpi));  // 4735 twips
    EXPECT_EQ(r.bottom - r.top, wintest::Scaled(279, dpi));  // 4180 twips
    Command(frmKVL::idCmdOK256);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

// The icon, clicked as the user clicks it: a double-click toggles the window and opens no
// menu; a single click shows "Stats" once no second click came.
TEST_F(MainWindow, TrayDoubleClickTogglesTheWindowAndAClickShowsStatsAfterward) {
    Load();
    const POINT icon = TrayIcon();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
    CloseAnyMenu();
    DoubleClickAt(icon);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(form->Handle()); }, 3000));
    DoubleClickAt(icon);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(form->Handle()) != FALSE; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));
    ASSERT_EQ(menuLoops, 0);

    std::wstring seen;
    WhenInLoop([&] {
        if (!InMenu()) return false;
        wchar_t text[128] = L"";
        GetMenuStringW(form->StatsMenu(), frmKVL::mnuLast, text, 128, MF_BYCOMMAND);
        seen = text;
        PressKey(VK_ESCAPE);
        return true;
    });
    wintest::ClickAt(icon);
    EXPECT_TRUE(WaitFor([&] { return !seen.empty(); }, 3000));
    EXPECT_EQ(seen, L"Last triggered: ");
    EXPECT_EQ(menuLoops, 1);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// The one-shot run never shows the window and never saves; its awaited window is handled
// once, however many reports follow.
TEST_F(MainWindow, CommandLineModeKeepsTheWindowHiddenTheStoreUntouchedAndActsOnce) {
    Load(L"/caption[kvl awaited]");
    ASSERT_EQ(watcher.watches.size(), 1u);
    const POINT icon = TrayIcon();
    CloseAnyMenu();
    DoubleClickAt(icon);
    bool greyed = false, hidden = false, offersAutostart = true;
    WhenInLoop([&] {
        if (!InMenu()) return false;
        hidden = !IsWindowVisible(form->Handle());
        greyed = (GetMenuState(form->PopUpMenu(), frmKVL::mnuEditMon, MF_BYCOMMAND) & MF_GRAYED) &&
                 (GetMenuState(form->PopUpMenu(), frmKVL::mnuDisable, MF_BYCOMMAND) & MF_GRAYED);
        offersAutostart = GetMenuState(form->PopUpMenu(), frmKVL::mnuStartWithWindows,
                                       MF_BYCOMMAND) != static_cast<UINT>(-1);
        PressKey('X');  // "E&xit"
        return true;
    });
    wintest::ClickAt(icon, true);
    ASSERT_TRUE(WaitFor([&] { return ended == 1; }, 3000));
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(greyed);
    EXPECT_FALSE(offersAutostart);
    EXPECT_EQ(GetMenuState(form->StatsMenu(), frmKVL::mnuActivity, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_FALSE(scoped.SectionExists("General"));

    // Once ended, it acts on nothing: a fresh run for the reports.
    Load(L"/caption[kvl awaited]");
    wintest::ForeignWindow first(L"kvl awaited 1"), second(L"kvl awaited 2");
    watcher.Open(0, reinterpret_cast<WindowHandle>(first.Handle()));
    watcher.Open(0, reinterpret_cast<WindowHandle>(second.Handle()));
    EXPECT_EQ(shell.boxes.size(), 1u);  // "nothing meaningful", once
    EXPECT_EQ(watcher.level, 0);
}

// A report that comes while one of our menus or message boxes is open waits for its end.
TEST_F(MainWindow, ReportsWaitForTheMenuAndTheMessageBoxToClose) {
    AddMonitor(0, "Hider");
    scoped.Store().Write("Monitor0", "WindowState", "hide");
    Load();
    // Windows of another program, opened first: opening, they take the front.
    wintest::ForeignWindow inMenu(L"caption of Hider 1"), inBox(L"caption of Hider 2"),
        inOther(L"caption of Hider 3");
    auto shown = [](const wintest::ForeignWindow& w) { return IsWindowVisible(w.Handle()) != FALSE; };

    bool shownInLoop = false;
    WhenInLoop([&] {
        if (!InMenu()) return false;
        watcher.Open(0, reinterpret_cast<WindowHandle>(inMenu.Handle()));
        shownInLoop = shown(inMenu);
        PressKey(VK_ESCAPE);
        return true;
    });
    Click(Item(frmKVL::idLstItems), true);
    ASSERT_TRUE(WaitFor([&] { return menuLoops == 1; }, 3000));
    EXPECT_TRUE(shownInLoop);
    EXPECT_TRUE(WaitFor([&] { return !shown(inMenu); }));

    // The command-line reference, from the keyboard, above the main window that owns it.
    bool owned = false;
    shownInLoop = false;
    WhenInLoop([&] {
        const HWND box = OpenMessageBox();
        if (!box) return false;
        owned = GetWindow(box, GW_OWNER) == form->Handle();
        watcher.Open(0, reinterpret_cast<WindowHandle>(inBox.Handle()));
        shownInLoop = shown(inBox);
        PressKey(VK_RETURN);
        return true;
    });
    SetForegroundWindow(form->Handle());
    PressAltKey('H');
    PressKey('C');
    EXPECT_TRUE(WaitFor([&] { return !shown(inBox); }, 5000));
    EXPECT_TRUE(owned);
    EXPECT_TRUE(shownInLoop);
    EXPECT_EQ(OpenMessageBox(), nullptr);

    // The menus of our other windows too: Recent Activity's system menu.
    frmActivity& activity = form->Activity();
    ASSERT_TRUE(activity.Show());
    shownInLoop = false;
    bool opened = false;
    WhenInLoop([&] {
        if (!InMenu()) return opened;
        if (!opened) {
            opened = true;
            watcher.Open(0, reinterpret_cast<WindowHandle>(inOther.Handle()));
            shownInLoop = shown(inOther);
        }
        PressKey(VK_ESCAPE);
        return false;
    });
    SetForegroundWindow(activity.Handle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == activity.Handle(); }));
    PressAltKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return !shown(inOther); }, 5000));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(shownInLoop);
}

// The window works like a dialog: Tab, Space, Enter and Escape; the list first. The switch's
// caption is drawn in the colour the form gives it, on its teal.
TEST_F(MainWindow, WorksFromTheKeyboardLikeADialog) {
    AddMonitor(0, "A");
    Load();
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idChkDisable); }));
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return BoxTicked(); }));
    EXPECT_EQ(watcher.level, 0);
    const int ok = win32::IsRichColourDisplay() ? frmKVL::idCmdOK : frmKVL::idCmdOK256;
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return Focused(ok); }));
    PressKey(VK_TAB, true);
    EXPECT_TRUE(WaitFor([&] { return Focused(frmKVL::idChkDisable); }));
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return !BoxTicked(); }));

    // White letters on teal: a themed box would draw them dark.
    RECT box{};
    GetWindowRect(Item(frmKVL::idChkDisable), &box);
    auto whiteInCaption = [&] {
        HDC screen = GetDC(nullptr);
        int white = 0;
        for (LONG x = box.left + 16; x < box.right; ++x)
            for (LONG y = box.top; y < box.bottom; ++y) {
                const COLORREF c = GetPixel(screen, x, y);
                if (GetRValue(c) > 220 && GetGValue(c) > 220 && GetBValue(c) > 220) ++white;
            }
        ReleaseDC(nullptr, screen);
        return white > 20;
    };
    EXPECT_TRUE(WaitFor(whiteInCaption));

    const int clears = watcher.clears;
    PressKey(VK_RETURN);  // OK
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(form->Handle()); }));
    EXPECT_EQ(watcher.clears, clears + 1);
    form->Tray1_MouseDblClick();
    EXPECT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));
    PressKey(VK_ESCAPE);  // the close box
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(form->Handle()); }));
    EXPECT_EQ(watcher.clears, clears + 2);
    EXPECT_EQ(ended, 0);
}

// Nothing the main window does while the editor is open turns monitoring back on.
TEST_F(MainWindow, WhileTheEditorIsOpenTheLevelStaysZero) {
    AddMonitor(0, "A");
    AddMonitor(1, "B");
    Load();
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));
    PressAltKey('M');
    PressKey('N');
    ASSERT_TRUE(WaitFor([&] { return form->Editor() != nullptr; }));
    EXPECT_EQ(watcher.level, 0);

    // The editor, wider than the main window's half of the screen, is moved down out of the
    // way of the list, as a user would drag it.
    SetWindowPos(form->Editor()->Handle(), nullptr, 0, GetSystemMetrics(SM_CYSCREEN) - 60, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(wintest::ClickUntil([&] { Click(Item(frmKVL::idLstItems)); },
                                    [&] { return Focused(frmKVL::idLstItems); }));
    SendMessageW(Item(frmKVL::idLstItems), LB_SETCURSEL, 1, 0);
    PressAltKey('M');
    PressKey('D');
    ASSERT_TRUE(WaitFor([&] { return Lines().size() == 1; }));
    EXPECT_EQ(watcher.level, 0);
    PressKey(VK_RETURN);  // OK
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(form->Handle()); }));
    EXPECT_EQ(watcher.level, 0);

    SetForegroundWindow(form->Editor()->Handle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == form->Editor()->Handle(); }));
    PressKey(VK_ESCAPE);  // the editor's Cancel
    ASSERT_TRUE(WaitFor([&] { return form->Editor() == nullptr; }));
    EXPECT_EQ(watcher.level, 4);
}

// Without its window or one of its controls, the start-up fails and leaves nothing behind:
// nothing shown, no tray icon, no monitoring begun, the program not told to go on.
TEST_F(MainWindow, AWindowTheSystemWillNotMakeEndsTheStartUpLeavingNothing) {
    AddMonitor(0, "A");
    for (const char* refused : {"KVL.frmKVL", "ListBox", "Button"}) {
        SCOPED_TRACE(refused);
        const std::wstring refusedClass(refused, refused + std::strlen(refused));
        RefuseWindowsOf refuse(refusedClass.c_str());
        frmKVL failed(
            {scoped.Store(), watcher, shell, desktop, clock, files, L"", [this](int) { ++ended; }});
        EXPECT_FALSE(failed.Form_Load());
        EXPECT_FALSE(failed.IsVisible());
        if (failed.Handle()) {
            EXPECT_FALSE(wintest::ShellHasIcon(failed.Handle()));
        }
        EXPECT_EQ(failed.Tray1(), nullptr);
    }
    EXPECT_EQ(watcher.clears, 0);
    EXPECT_EQ(watcher.level, -1);
    EXPECT_EQ(watcher.handler, nullptr);
    EXPECT_EQ(ended, 0);
}

// A visible top-level window of this thread with this caption: our dialogs and message boxes.
struct OwnWindowSearch {
    const wchar_t* caption;
    HWND found;
};
BOOL CALLBACK FindOwnWindow(HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(lp);
    if (IsWindowVisible(h) && wintest::CaptionOf(h) == search->caption) search->found = h;
    return TRUE;
}
HWND OwnWindow(const wchar_t* caption) {
    OwnWindowSearch search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// "Start with Windows" shows and sets the Run value of this very copy, from the File menu
// and the tray's menu alike; a value that starts another copy shows unticked, and so does
// one that Task Manager disabled, which ticking enables again, saying so.
TEST_F(MainWindow, StartWithWindowsFollowsAndSetsTheRunValue) {
    const std::wstring runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring approvedKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    const std::optional<std::string> before = win32::ReadUserText(runKey, "KVL");
    const std::optional<std::vector<std::uint8_t>> approvedBefore =
        win32::ReadUserBinary(approvedKey, "KVL");
    struct Restore {
        const std::wstring& key;
        const std::optional<std::string>& value;
        const std::wstring& approvedKey;
        const std::optional<std::vector<std::uint8_t>>& approved;
        ~Restore() {
            if (value) win32::WriteUserText(key, "KVL", *value);
            else win32::DeleteUserValue(key, "KVL");
            if (approved) win32::WriteUserBinary(approvedKey, "KVL", *approved);
            else win32::DeleteUserValue(approvedKey, "KVL");
        }
    } restore{runKey, before, approvedKey, approvedBefore};
    win32::DeleteUserValue(runKey, "KVL");
    win32::DeleteUserValue(approvedKey, "KVL");
    const std::string ours = "\"" + win32::Narrow(win32::ThisProgramPath()) + "\"";
    auto runValue = [&] { return win32::ReadUserText(runKey, "KVL"); };

    Load();
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));
    const HMENU fileMenu = GetSubMenu(GetMenu(form->Handle()), 0);
    // Reads the tick while the menu is open, then presses `key` there.
    auto tickedThenPress = [&](HMENU menu, WORD key, const std::function<void()>& open) {
        std::optional<bool> ticked;
        WhenInLoop([&] {
            if (!InMenu()) return false;
            ticked = (GetMenuState(menu, frmKVL::mnuStartWithWindows, MF_BYCOMMAND) & MF_CHECKED) != 0;
            PressKey(key);
            return true;
        });
        open();
        EXPECT_TRUE(WaitFor([&] { return ticked.has_value() && !InMenu(); }));
        return ticked.value_or(false);
    };
    auto fromFileMenu = [&] { PressAltKey('F'); };

    EXPECT_FALSE(tickedThenPress(fileMenu, 'W', fromFileMenu));
    EXPECT_TRUE(WaitFor([&] { return runValue() == ours; }));
    EXPECT_TRUE(tickedThenPress(fileMenu, 'W', fromFileMenu));
    EXPECT_TRUE(WaitFor([&] { return !runValue(); }));

    win32::WriteUserText(runKey, "KVL", "\"C:\\Elsewhere\\KVL.exe\"");
    EXPECT_FALSE(tickedThenPress(fileMenu, 'W', fromFileMenu));
    EXPECT_TRUE(WaitFor([&] { return runValue() == ours; }));

    const POINT icon = TrayIcon();
    EXPECT_TRUE(tickedThenPress(form->PopUpMenu(), VK_ESCAPE,
                                [&] { wintest::ClickAt(icon, true); }));
    EXPECT_EQ(runValue(), ours);

    // Disabled in Task Manager, as it writes it: unticked; ticked, enabled there again.
    const std::vector<std::uint8_t> disabled{0x03, 0, 0, 0, 0x5E, 0x21, 0x9C, 0x47, 0x11, 0xD2, 0xDA, 0x01};
    ASSERT_TRUE(win32::WriteUserBinary(approvedKey, "KVL", disabled));
    std::optional<bool> ticked;
    std::wstring message;
    WhenInLoop([&] {
        if (!ticked) {
            if (!InMenu()) return false;
            ticked = (GetMenuState(fileMenu, frmKVL::mnuStartWithWindows, MF_BYCOMMAND) & MF_CHECKED) != 0;
            PressKey('W');
            return false;  // the message follows
        }
        HWND box = OwnWindow(L"KVL");
        if (!box) return false;
        message = wintest::CaptionOf(GetDlgItem(box, 0xFFFF));
        PressKey(VK_RETURN);
        return true;
    });
    PressAltKey('F');
    ASSERT_TRUE(WaitFor([&] { return !message.empty() && !OwnWindow(L"KVL"); }));
    EXPECT_EQ(ticked, false);
    EXPECT_NE(message.find(L"Task Manager"), std::wstring::npos) << win32::Narrow(message);
    const auto approved = win32::ReadUserBinary(approvedKey, "KVL");
    ASSERT_TRUE(approved && !approved->empty());
    EXPECT_EQ((*approved)[0], 0x02);
    EXPECT_EQ(runValue(), ours);
    EXPECT_TRUE(tickedThenPress(form->PopUpMenu(), VK_ESCAPE,
                                [&] { wintest::ClickAt(icon, true); }));
    EXPECT_EQ(ended, 0);
}

// The window draws with its icons at any time: those it has, and its class's, stay icons
// through a change of scale and after an earlier main window went.
TEST_F(MainWindow, ItsIconsStayIconsThroughAScaleChangeAndAfterAnEarlierWindow) {
    Load();
    DestroyWindow(form->Handle());
    form.reset();
    Load();
    const HWND w = form->Handle();
    auto isIcon = [](LONG_PTR handle) {
        ICONINFO info{};
        if (!handle || !GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return false;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        return true;
    };
    auto expectIcons = [&] {
        EXPECT_TRUE(isIcon(GetClassLongPtrW(w, GCLP_HICON)));
        EXPECT_TRUE(isIcon(SendMessageW(w, WM_GETICON, ICON_BIG, 0)));
        EXPECT_TRUE(isIcon(SendMessageW(w, WM_GETICON, ICON_SMALL, 0)));
    };
    expectIcons();
    const int home = win32::WindowDpi(w), other = home == 96 ? 144 : 96;
    for (int dpi : {other, home}) {
        RECT r{};
        GetWindowRect(w, &r);
        SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        SCOPED_TRACE(dpi);
        expectIcons();
    }
}

// A keystroke pause holds nothing up: the tray's menu opens during it, and its Exit ends the
// program within a second, the rest of the step with it.
TEST_F(MainWindow, DuringAPauseTheTrayAnswersAndExitEndsTheStep) {
    const std::wstring caption = wintest::UniqueName(L"Paused");
    AddKeysMonitor(0, caption, "ab", 30);
    Load();
    wintest::ChildProcess target;
    const std::vector<HWND> editor = StartEditors(target, {caption});
    ASSERT_TRUE(editor.size() == 1 && editor[0]);
    watcher.Open(0, reinterpret_cast<WindowHandle>(editor[0]));
    ASSERT_TRUE(WaitFor([&] { return wintest::EditText(editor[0]) == L"a"; }, 10000));

    const POINT icon = TrayIcon();
    WhenInLoop([&] {
        if (!InMenu()) return false;
        PressKey('X');  // "E&xit"
        return true;
    });
    wintest::ClickAt(icon, true);
    // Well within the 30-second pause: the program ends, and the step with it.
    ASSERT_TRUE(WaitFor([&] { return ended == 1; }, 5000));
    EXPECT_TRUE(form->Actions().Idle());
    EXPECT_EQ(wintest::EditText(editor[0]), L"a");
}

std::optional<std::wstring> whenTaken;
HWND typedInto = nullptr;
LRESULT CALLBACK NotingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) whenTaken = wintest::EditText(typedInto);
    return DefWindowProcW(h, msg, wp, lp);
}

// A long keystroke text goes in a few keys at a time from the message loop: a message posted
// to the program's thread while it types is taken before the text ends (a posted message,
// unlike a sent one, waits for the loop), and the text arrives whole.
TEST_F(MainWindow, AnswersBetweenTheBatchesOfALongText) {
    const std::wstring caption = wintest::UniqueName(L"Long");
    AddKeysMonitor(0, caption, "{x 1600}y", 0);
    Load();
    wintest::ChildProcess target;
    const std::vector<HWND> editor = StartEditors(target, {caption});
    ASSERT_TRUE(editor.size() == 1 && editor[0]);

    // A window of the program's thread that notes what the target held when its message came.
    whenTaken.reset();
    typedInto = editor[0];
    static const bool registered = [] {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = NotingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KVL.TestListener";
        return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    const HWND listener = CreateWindowExW(0, L"KVL.TestListener", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(listener);
    std::thread poster([&] {
        // Once the keys have begun to arrive, and not before: then the text is under way.
        if (WaitFor([&] { return !wintest::EditText(editor[0]).empty(); }, 30000))
            PostMessageW(listener, WM_APP, 0, 0);
    });
    watcher.Open(0, reinterpret_cast<WindowHandle>(editor[0]));
    const std::wstring whole = std::wstring(1600, L'x') + L"y";
    EXPECT_TRUE(WaitFor([&] { return wintest::EditText(editor[0]) == whole && whenTaken; }, 60000));
    poster.join();
    DestroyWindow(listener);
    ASSERT_TRUE(whenTaken.has_value()) << "the posted message was never taken";
    EXPECT_FALSE(whenTaken->ends_with(L"y")) << "taken only after the whole text";
    typedInto = nullptr;
}

// Two windows reported during one step's pauses get their keys one after the other.
TEST_F(MainWindow, WindowsReportedDuringAPausedStepGetTheirKeysInTurn) {
    const std::wstring tag = wintest::UniqueName(L"InTurn");
    AddKeysMonitor(0, tag, "xy", 1);
    Load();
    wintest::ChildProcess target;
    const std::vector<HWND> w = StartEditors(target, {tag + L" A", tag + L" B"});
    ASSERT_TRUE(w.size() == 2 && w[0] && w[1]);
    watcher.Open(0, reinterpret_cast<WindowHandle>(w[0]));
    watcher.Open(0, reinterpret_cast<WindowHandle>(w[1]));
    bool mixed = false;
    EXPECT_TRUE(WaitFor([&] {
        const std::wstring a = wintest::EditText(w[0]), b = wintest::EditText(w[1]);
        if (!b.empty() && a != L"xy") mixed = true;
        return a == L"xy" && b == L"xy";
    }, 15000)) << win32::Narrow(wintest::EditText(w[0])) << " / " << win32::Narrow(wintest::EditText(w[1]));
    EXPECT_FALSE(mixed);
}

// Export through the Save dialog, import through the Open dialog, both typed into as a user
// would: the file holds what regedit writes, and its monitors come back after ours.
TEST_F(MainWindow, MonitorsExportAndImportThroughTheFileDialogs) {
    AddMonitor(0, "First");
    AddMonitor(1, "Second");
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = folder + wintest::UniqueName(L"monitors") + L".reg";
    struct Remove {
        const std::wstring& path;
        ~Remove() { DeleteFileW(path.c_str()); }
    } remove{path};
    Load();
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));

    // Types the path into the dialog once it has the focus, then Enter; and for the import,
    // reads and closes the message that follows.
    auto answer = [&](const wchar_t* dialogTitle, std::wstring* message) {
        int stage = 0;
        WhenInLoop([&, dialogTitle, message] {
            if (stage == 0) {
                HWND dialog = OwnWindow(dialogTitle);
                if (!dialog || !IsChild(dialog, GetFocus())) return false;
                wintest::TypeText(path);
                PressKey(VK_RETURN);
                stage = 1;
                return message == nullptr;
            }
            HWND box = OwnWindow(L"KVL");
            if (!box) return false;
            *message = wintest::CaptionOf(GetDlgItem(box, 0xFFFF));  // the box's text
            PressKey(VK_RETURN);
            stage = 2;
            return true;
        });
        return WaitFor([&] { return stage == (message ? 2 : 1) && !OwnWindow(dialogTitle); }, 15000);
    };

    PressAltKey('F');
    PressKey('P');  // "Ex&port Monitors..."
    ASSERT_TRUE(answer(L"Export Monitors", nullptr));
    ASSERT_TRUE(WaitFor([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    const std::string bytes = files.ReadFileStart(win32::Narrow(path), 1 << 20).value_or("");
    const std::wstring header = L"\uFEFFWindows Registry Editor Version 5.00\r\n";
    ASSERT_GE(bytes.size(), header.size() * 2);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), header.size()), header);

    std::wstring message;
    PressAltKey('F');
    PressKey('I');  // "&Import Monitors..."
    ASSERT_TRUE(answer(L"Import Monitors", &message));
    EXPECT_EQ(message, L"I added 2 monitors.");
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"First", L"Second", L"First", L"Second"}));
    EXPECT_EQ(scoped.Store().Read("Monitor3", "Caption"), "caption of Second");
    EXPECT_EQ(watcher.watches.size(), 4u);
}

// The recent activity, from the Monitors menu and from the tray's left-click menu, lists
// what was done; Ctrl+C gives its rows as a spreadsheet takes them.
TEST_F(MainWindow, RecentActivityListsWhatWasDoneAndCopiesItsRows) {
    AddMonitor(0, "Hider");
    scoped.Store().Write("Monitor0", "WindowState", "hide");
    Load();
    wintest::ForeignWindow hidden(L"caption of Hider");
    watcher.Open(0, reinterpret_cast<WindowHandle>(hidden.Handle()));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(hidden.Handle()); }));
    ASSERT_TRUE(WaitFor([&] { return Focused(frmKVL::idLstItems); }));

    PressAltKey('M');
    PressKey('A');  // "Recent &Activity"
    frmActivity& activity = form->Activity();
    ASSERT_TRUE(WaitFor([&] { return activity.IsVisible() && GetFocus() == activity.lvwEvents.Handle(); }));
    ASSERT_EQ(activity.lvwEvents.RowCount(), 1);
    EXPECT_EQ(activity.lvwEvents.Cell(0, 1), L"Hider");
    EXPECT_EQ(activity.lvwEvents.Cell(0, 2), L"caption of Hider");
    EXPECT_EQ(activity.lvwEvents.Cell(0, 4), L"done");

    PressKey(VK_HOME);  // selects the first row
    ASSERT_TRUE(WaitFor([&] { return activity.lvwEvents.SelectedRows().size() == 1; }));
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    wintest::SendKey(VK_CONTROL, false);
    PressKey('C');
    wintest::SendKey(VK_CONTROL, true);
    std::wstring copied;
    EXPECT_TRUE(WaitFor([&] {
        if (!OpenClipboard(nullptr)) return false;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            copied = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return !copied.empty();
    }));
    const std::wstring time = activity.lvwEvents.Cell(0, 0);
    EXPECT_EQ(copied, time + L"\tHider\tcaption of Hider\t" + activity.lvwEvents.Cell(0, 3) +
                          L"\tdone\r\n");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !activity.Loaded(); }));

    const POINT icon = TrayIcon();
    WhenInLoop([&] {
        if (!InMenu()) return false;
        PressKey('A');
        return true;
    });
    wintest::ClickAt(icon);
    EXPECT_TRUE(WaitFor([&] { return activity.IsVisible(); }, 5000));
    EXPECT_EQ(activity.lvwEvents.RowCount(), 1);
}

// Not a test: scripts/screenshot.sh runs it to hold the recent activity on the screen while
// it takes its picture ("ready-1" in KVL_SCREENSHOT_DIR holds the rectangle, "taken-1"
// answers).
TEST_F(MainWindow, DISABLED_HoldsTheRecentActivityForItsPicture) {
    const char* dirText = std::getenv("KVL_SCREENSHOT_DIR");
    ASSERT_NE(dirText, nullptr);
    const std::wstring dir = win32::Widen(dirText);
    Load();
    struct Shown {
        int minute;
        const char* monitor;
        const char* caption;
        const char* program;
        ActionResult result;
    };
    static constexpr Shown kRuns[] = {
        {2, "Close the Tip of the Day", "Tip of the Day", "C:\\Program Files\\Paint\\paint.exe", ActionResult::Done},
        {5, "Accept the licence", "License Agreement", "C:\\Users\\me\\Downloads\\setup.exe", ActionResult::HigherRights},
        {9, "Save the draft", "Untitled - Notepad", "C:\\Windows\\notepad.exe", ActionResult::KeysNotTyped},
        {9, "Save the draft", "Untitled - Notepad", "C:\\Windows\\notepad.exe", ActionResult::Done},
        {12, "Hide the update nag", "Update available", "C:\\Program Files\\Updater\\update.exe", ActionResult::WindowGone},
    };
    for (const Shown& shown : kRuns) {
        form->Action_Finished({{2026, 12, 8, 9, shown.minute, 30}, shown.monitor,
                               shown.caption, shown.program, shown.result});
    }
    frmActivity& activity = form->Activity();
    ASSERT_TRUE(activity.Show());
    activity.Refresh();
    SetWindowPos(activity.Handle(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    SetCursorPos(0, 0);
    RedrawWindow(activity.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    RECT r{};
    GetWindowRect(activity.Handle(), &r);
    const std::wstring ready = dir + L"\\ready-1";
    FILE* f = _wfopen((ready + L".tmp").c_str(), L"w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    std::fclose(f);
    MoveFileW((ready + L".tmp").c_str(), ready.c_str());
    const std::wstring taken = dir + L"\\taken-1";
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(taken.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000));
}

}  // namespace
}  // namespace kvl
