// The monitor editor and the special-key picker, driven as a user would: real windows,
// keyboard and mouse input, the registry store, and the real window watcher.

#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/main_window_policy.h"
#include "editor/win32/frm_action.h"
#include "engine/dispatch.h"
#include "monitors/settings.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/display.h"
#include "platform/win32/unicode.h"
#include "platform/win32/window_watcher_win32.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::Click;
using wintest::ClickAt;
using wintest::ClickUntil;
using wintest::PressKey;
using wintest::TypeText;
using wintest::FindWindowByCaption;
using wintest::ScopedStore;
using wintest::TestWindow;
using wintest::UniqueName;
using wintest::WaitFor;

// The real watcher, counting how often the watches were handed over.
class CountingWatcher final : public WindowWatcher {
  public:
    void ClearWatches() override {
        ++registrations;
        real.ClearWatches();
    }
    void AddWatch(const Watch& watch) override { real.AddWatch(watch); }
    void MonitorStrength(std::int16_t level) override { real.MonitorStrength(level); }
    void DebugLevel(std::int16_t level) override { real.DebugLevel(level); }
    void OnWindowOpen(WindowOpenHandler handler) override { real.OnWindowOpen(std::move(handler)); }
    std::int16_t Level() const { return real.Level(); }

    win32::Win32WindowWatcher real;
    int registrations = 0;
};

// The main window's policy as the editor's host, over a real store and a real watcher.
struct TestHost {
    explicit TestHost(SettingsStore& store) : policy(store, watcher, false) {
        policy.CurrentSettings().Strength = 1;  // "Strong": watcher level 2
        watcher.OnWindowOpen([this](int id, WindowHandle w) {
            reports.push_back({id, reinterpret_cast<HWND>(w)});
        });
        policy.onTableChanged = [this] { ++refreshes; };
        policy.onEditorClosed = [this] {
            ++closed;
            if (onClosed) onClosed();
        };
    }
    // The main window's delete command.
    void Delete(int slot, frmAction* editor) {
        if (editor) editor->MonitorDeleted(slot);
        policy.DeleteMonitor(slot);
    }

    struct Report {
        int id;
        HWND window;
    };
    CountingWatcher watcher;
    MainWindowPolicy policy;
    std::vector<Report> reports;
    int refreshes = 0, closed = 0;
    std::function<void()> onClosed;
};

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A real click on a picker entry, scrolled into view first.
void ClickEntry(frmAddIn& picker, int index) {
    const HWND list = picker.List1.Handle();
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    ClickAt(at, false, list);
}

// The control that holds the keyboard focus, seen as the form's control: the edit field of a
// combo box counts as the box.
HWND FocusedControl() {
    HWND f = GetFocus();
    wchar_t cls[32] = L"";
    if (f && GetClassNameW(GetParent(f), cls, 32) && _wcsicmp(cls, L"ComboBox") == 0)
        return GetParent(f);
    return f;
}

// Answers the "KVL" message box this thread opens next: a hook sees the box become active,
// reads it and posts its OK, which the box's own message loop then takes.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer() {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxAnswerer() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }

    bool shown = false;
    std::wstring text;
    bool okOnly = false;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        const auto box = reinterpret_cast<HWND>(wp);
        wchar_t cls[16] = L"";
        if (code == HCBT_ACTIVATE && current_ && !current_->shown && GetClassNameW(box, cls, 16) &&
            wcscmp(cls, L"#32770") == 0 && wintest::CaptionOf(box) == L"KVL") {
            current_->shown = true;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                GetClassNameW(c, cls, 16);
                if (_wcsicmp(cls, L"Static") == 0 && !wintest::CaptionOf(c).empty())
                    current_->text = wintest::CaptionOf(c);
            }
            current_->okOnly = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) &&
                               !GetDlgItem(box, IDYES) && !GetDlgItem(box, IDNO);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }

    static inline MessageBoxAnswerer* current_ = nullptr;
    HHOOK hook_ = nullptr;
};

// ---- fixture ------------------------------------------------------------------------------

Monitor Make(std::string description, std::string caption) {
    Monitor m;
    m.Description = std::move(description);
    m.Caption = std::move(caption);
    m.WindowState = "Close";
    m.SendKeysPause = {1, 2, 3};
    m.SendKeys = {"one", "two{ENTER}", "three"};
    return m;
}

// The frame of which windows lies whole inside the form, below everything else.
// "Set Window State" has the width the form was drawn with, which holds it in the system's
// own dialog font; Wine's measures a tenth wider, and the label breaks it, its second line
// below what it shows. Widened, the form would no longer be the one users know.
std::vector<HWND> CutAsDesigned(frmAction& ed) { return {ed.lblWindowState.Handle()}; }

// KVL's own frames stand in a column to the right of the described ones, top to bottom, each
// whole inside the form.
void ExpectWhichWindowFrameShown(frmAction& ed) {
    RECT described{}, client{};
    GetWindowRect(ed.Frame1.Handle(), &described);
    GetClientRect(ed.Handle(), &client);
    MapWindowPoints(ed.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    LONG above = client.top;
    for (const win32::Frame* frame : {&ed.FrameWhich, &ed.FramePress, &ed.FramePlace}) {
        RECT r{};
        GetWindowRect(frame->Handle(), &r);
        EXPECT_GT(r.left, described.right);
        EXPECT_GT(r.top, above);
        EXPECT_LT(r.right, client.right);
        EXPECT_LT(r.bottom, client.bottom);
        EXPECT_TRUE(IsWindowVisible(frame->Handle()));
        above = r.bottom;
    }
    EXPECT_TRUE(IsWindowVisible(ed.txtPressButton.Handle()));
    EXPECT_TRUE(IsWindowVisible(ed.cmdTakePlace.Handle()));
}

class EditorTest : public ::testing::Test {
  protected:
    EditorTest() : scoped(UniqueName(L"KVLEditorTest")), host(scoped.Store()) {}

    void TearDown() override {
        editor.reset();
        // Nothing of ours may outlive the test.
        EXPECT_EQ(FindWindowByCaption(L"Monitor Editor", GetCurrentProcessId()), nullptr);
        EXPECT_EQ(FindWindowByCaption(L"My Add In", GetCurrentProcessId()), nullptr);
    }

    void StoreMonitors(const std::vector<Monitor>& monitors) {
        ClearTable(host.policy.CurrentSettings().Monitors);
        for (std::size_t i = 0; i < monitors.size(); ++i) host.policy.CurrentSettings().Monitors[i] = monitors[i];
        SaveSettings(scoped.Store(), host.policy.CurrentSettings());
    }

    frmAction& Open() {
        editor = std::make_unique<frmAction>(host.policy, desktop);
        editor->Load();
        EXPECT_TRUE(editor->Loaded());
        return *editor;
    }

    std::string Stored(int slot, std::string_view key) {
        return scoped.Store().Read(MonitorSection(slot), key).value_or("<missing>");
    }

    // The editor must be the foreground window before keys are typed into it.
    void BringForward() {
        SetForegroundWindow(editor->Handle());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == editor->Handle(); }));
    }

    void FocusByClick(HWND control) {
        ASSERT_TRUE(
            ClickUntil([&] { Click(control); }, [&] { return FocusedControl() == control; }))
            << "focus on " << GetFocus() << ", wanted on " << control;
    }

    bool EditorGone() {
        return WaitFor([&] { return editor->Handle() == nullptr; });
    }

    ScopedStore scoped;
    TestHost host;
    win32::Win32Desktop desktop;
    std::unique_ptr<frmAction> editor;
};

// ---- opening and layout -------------------------------------------------------------------

TEST_F(EditorTest, OpensOnANewMonitorAboveEverythingWithMonitoringPaused) {
    StoreMonitors({Make("first", "First")});
    host.policy.RegisterWatches();
    ASSERT_EQ(host.watcher.Level(), 2);

    frmAction& ed = Open();
    const HWND w = ed.Handle();
    EXPECT_EQ(host.watcher.Level(), 0);
    EXPECT_EQ(wintest::CaptionOf(w), L"Monitor Editor");
    EXPECT_TRUE(IsWindowVisible(w));
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE), ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    RECT client{}, outer{};
    GetClientRect(w, &client);
    GetWindowRect(w, &outer);
    const bool rich = win32::IsRichColourDisplay();
    const int dpi = win32::WindowDpi(w);
    // 6450 twips, grown by the column on the right; 7395 twips high.
    EXPECT_EQ(client.right, wintest::Scaled(788, dpi));
    EXPECT_EQ(client.bottom, wintest::Scaled(rich ? 493 : 473, dpi));
    ExpectWhichWindowFrameShown(ed);
    // Centred from its full-colour size.
    const int fullHeight = (outer.bottom - outer.top) + (rich ? 0 : wintest::Scaled(20, dpi));
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - fullHeight) / 2, 1);

    EXPECT_EQ(ed.RecIndex(), -1);
    EXPECT_EQ(ed.txtName.Text(), L"(New Monitor)");
    EXPECT_EQ(FocusedControl(), ed.txtName.Handle());
    DWORD from = 1, to = 0;
    SendMessageW(ed.txtName.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 13u);  // the whole name, ready to be typed over

    EXPECT_EQ(ed.cboWindowState.Text(), L"(None)");
    ASSERT_EQ(ed.cboWindowState.ListCount(), 6);
    const wchar_t* states[] = {L"(None)", L"Close", L"Hide", L"Maximize", L"Minimize", L"Restore"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ed.cboWindowState.List(i), states[i]);
    const wchar_t* pauses[] = {L"0", L"1", L"2", L"3", L"5", L"7", L"10", L"20", L"30", L"60"};
    for (auto& box : ed.cboSendKeysPause) {
        EXPECT_EQ(box.Text(), L"0");
        ASSERT_EQ(box.ListCount(), 10);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(box.List(i), pauses[i]);
    }
    EXPECT_EQ(ed.Picker(), nullptr);

    // Closing gives the watcher its level back.
    SendMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(host.watcher.Level(), 2);
    EXPECT_EQ(host.closed, 1);
}

TEST_F(EditorTest, EveryControlSitsInItsContainerWithItsTextAndTip) {
    frmAction& ed = Open();
    const HWND form = ed.Handle();
    struct Expected {
        win32::Control* control;
        HWND container;
        const wchar_t* text;  // nullptr: not checked (boxes)
        bool shown;           // its own visibility
    };
    const HWND f1 = ed.Frame1.Handle(), f2 = ed.Frame2.Handle(), f3 = ed.Frame3.Handle(),
               f4 = ed.Frame4.Handle(), candy = ed.CandyScreen1.Handle();
    const std::vector<Expected> layout = {
        {&ed.CandyScreen1, form, nullptr, true},
        {&ed.Frame1, form, L"Window Caption", true},
        {&ed.txtCaption, f1, nullptr, true},
        {&ed.chkExact, f1, L"Exact Match", true},
        {&ed.Frame2, form, L"Monitor Description", true},
        {&ed.txtName, f2, nullptr, true},
        {&ed.Frame3, form, L"Process the window", true},
        {&ed.cboWindowState, f3, nullptr, true},
        {&ed.lblWindowState, f3, L"Set Window State", true},
        {&ed.Frame4, form, L"Send Keystrokes To Application ", true},
        {&ed.lblKeystroke[0], f4, L"Keystroke 1", true},
        {&ed.cmdAddIn[0], form, L"Spec", true},
        {&ed.txtSendKeys[0], f4, nullptr, true},
        {&ed.lblPause[0], f4, L"Pause ", true},
        {&ed.cboSendKeysPause[0], f4, nullptr, true},
        {&ed.lblKeystroke[1], f4, L"Keystroke 2", false},
        {&ed.cmdAddIn[1], form, L"Spec", false},
        {&ed.txtSendKeys[1], f4, nullptr, false},
        {&ed.lblPause[1], f4, L"Pause ", false},
        {&ed.cboSendKeysPause[1], f4, nullptr, false},
        {&ed.lblKeystroke[2], f4, L"Keystroke 3", false},
        {&ed.cmdAddIn[2], form, L"Spec", false},
        {&ed.txtSendKeys[2], f4, nullptr, false},
        {&ed.lblPause[2], f4, L"Pause", false},
        {&ed.cboSendKeysPause[2], f4, nullptr, false},
        {&ed.chkDisable, form, L"Disable", true},
        {&ed.cmdOK[0], candy, L"OK", true},
        {&ed.cmdCancel[0], candy, L"Cancel", true},
        {&ed.cmdApply[0], candy, L"Apply", true},
        {&ed.cmdOK[1], form, L"OK", false},
        {&ed.cmdApply[1], form, L"Apply", false},
        {&ed.cmdCancel[1], form, L"Cancel", false},
        {&ed.Label3, form, L"Korvel", false},
    };
    const bool rich = !ed.InLowColorMode();
    for (const Expected& e : layout) {
        const HWND c = e.control->Handle();
        ASSERT_NE(c, nullptr);
        SCOPED_TRACE(testing::Message() << "control with text " << win32::Narrow(TextOf(c)));
        EXPECT_EQ(GetParent(c), e.container);
        if (e.text) {
            EXPECT_EQ(TextOf(c), e.text);
        }
        // The plain layout (on a low-colour display) turns the two button sets round.
        const bool swaps = c == ed.CandyScreen1.Handle() || c == ed.Label3.Handle() ||
                           c == ed.cmdOK[0].Handle() || c == ed.cmdCancel[0].Handle() ||
                           c == ed.cmdApply[0].Handle() || c == ed.cmdOK[1].Handle() ||
                           c == ed.cmdCancel[1].Handle() || c == ed.cmdApply[1].Handle();
        EXPECT_EQ(e.control->Visible(), rich || !swaps ? e.shown : !e.shown);
    }
    // As the user reads it: whole texts, nothing on top of anything, the frames from the top
    // down, each step's label over its field, the buttons from left to right.
    wintest::ExpectReadableLayout(form, CutAsDesigned(ed));
    auto rect = [](const win32::Control& c) {
        RECT r{};
        GetWindowRect(c.Handle(), &r);
        return r;
    };
    const win32::Control* frames[] = {&ed.Frame1, &ed.Frame2, &ed.Frame3, &ed.Frame4};
    for (std::size_t k = 1; k < std::size(frames); ++k)
        EXPECT_LT(rect(*frames[k - 1]).bottom, rect(*frames[k]).top) << "frame " << k;
    EXPECT_LE(rect(ed.lblKeystroke[0]).bottom, rect(ed.txtSendKeys[0]).top);
    EXPECT_LT(rect(ed.cmdAddIn[0]).right, rect(ed.txtSendKeys[0]).left);
    EXPECT_LT(rect(ed.txtSendKeys[0]).right, rect(ed.cboSendKeysPause[0]).left);
    EXPECT_LT(rect(ed.cmdOK[0]).right, rect(ed.cmdCancel[0]).left);
    EXPECT_LT(rect(ed.cmdCancel[0]).right, rect(ed.cmdApply[0]).left);
    EXPECT_LT(rect(ed.Frame4).bottom, rect(ed.cmdOK[0]).top);
    // The styled buttons draw themselves.
    for (auto* b : {&ed.cmdOK[0], &ed.cmdCancel[1], &ed.cmdApply[0], &ed.cmdAddIn[0]})
        EXPECT_EQ(GetWindowLongPtrW(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    // Colours, as the form hands them to its controls.
    HDC dc = CreateCompatibleDC(nullptr);
    auto colours = [&](UINT msg, HWND c) {
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(form, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c)));
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        return std::pair{lb.lbColor, GetTextColor(dc)};
    };
    const COLORREF teal = RGB(0, 128, 128);
    EXPECT_EQ(colours(WM_CTLCOLOREDIT, ed.txtCaption.EditHandle()),
              std::pair(teal, RGB(255, 255, 0)));
    EXPECT_EQ(colours(WM_CTLCOLOREDIT, ed.cboWindowState.EditHandle()),
              std::pair(teal, RGB(255, 255, 0)));
    EXPECT_EQ(colours(WM_CTLCOLOREDIT, ed.txtName.Handle()), std::pair(teal, RGB(192, 192, 0)));
    EXPECT_EQ(colours(WM_CTLCOLOREDIT, ed.txtSendKeys[0].Handle()),
              std::pair(teal, RGB(255, 255, 128)));
    EXPECT_EQ(colours(WM_CTLCOLOREDIT, ed.cboSendKeysPause[0].EditHandle()),
              std::pair(teal, RGB(255, 255, 128)));
    EXPECT_EQ(colours(WM_CTLCOLORLISTBOX, ed.txtCaption.ListHandle()).second, RGB(255, 255, 0));
    EXPECT_EQ(colours(WM_CTLCOLORSTATIC, ed.chkDisable.Handle()).first, teal);
    EXPECT_EQ(colours(WM_CTLCOLORSTATIC, ed.Frame4.Handle()).first, teal);
    DeleteDC(dc);
    // And on the screen: the inside of the name box is teal.
    RECT nameBox{};
    GetWindowRect(ed.txtName.Handle(), &nameBox);
    // On a display of few colours the nearest colour it has.
    auto close = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) <= 8 &&
               std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
               std::abs(GetBValue(a) - GetBValue(b)) <= 8;
    };
    HDC screen = GetDC(nullptr);
    const POINT probe{nameBox.right - 6, (nameBox.top + nameBox.bottom) / 2};
    EXPECT_TRUE(WaitFor([&] { return close(GetPixel(screen, probe.x, probe.y), teal); }))
        << std::hex << GetPixel(screen, probe.x, probe.y);
    ReleaseDC(nullptr, screen);

    // Tool tips, one per box, the combo boxes' edit fields included.
    const HWND tips = ed.ToolTips();
    ASSERT_NE(tips, nullptr);
    auto tipOf = [&](HWND tool) -> std::wstring {
        wchar_t text[512] = L"";
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
        return text;
    };
    EXPECT_EQ(tipOf(ed.txtCaption.EditHandle()),
              L"Either type in the window caption or select it from the dropdown list if the "
              L"window is open");
    EXPECT_EQ(tipOf(ed.txtName.Handle()), L"Enter a meaningful description of this item");
    EXPECT_EQ(tipOf(ed.cboWindowState.Handle()),
              L"What kind of action do you want performed on the window?");
    EXPECT_EQ(tipOf(ed.cboSendKeysPause[2].EditHandle()), L"Sets any pause between character");
    EXPECT_EQ(tipOf(ed.txtSendKeys[1].Handle()),
              L"Enter text that will be typed on the window. This will act like an automation. "
              L"Use the Spec button to insert special action charactors");
}

TEST_F(EditorTest, FollowsTheDisplayScale) {
    frmAction& ed = Open();
    RECT client{};
    GetClientRect(ed.Handle(), &client);
    const double scale = win32::WindowDpi(ed.Handle()) / 96.0;
    EXPECT_NEAR(client.right, 788 * scale, 2);
    EXPECT_NEAR(client.bottom, (ed.InLowColorMode() ? 473 : 493) * scale, 2);
    wintest::ExpectLaidOutAgainOnAnotherScale(ed.Handle(), CutAsDesigned(ed));
    // The tips wrap at a width that grows with the scale.
    const int home = win32::WindowDpi(ed.Handle()), other = home == 96 ? 144 : 96;
    const LRESULT homeWidth = SendMessageW(ed.ToolTips(), TTM_GETMAXTIPWIDTH, 0, 0);
    for (int dpi : {other, home}) {
        RECT r{};
        GetWindowRect(ed.Handle(), &r);
        SendMessageW(ed.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(SendMessageW(ed.ToolTips(), TTM_GETMAXTIPWIDTH, 0, 0), MulDiv(homeWidth, dpi, home));
    }
}

TEST_F(EditorTest, TabWalksTheVisibleControlsInTheFormsOrder) {
    frmAction& ed = Open();
    BringForward();
    FocusByClick(ed.txtCaption.Handle());
    const bool rich = !ed.InLowColorMode();
    const std::vector<HWND> order = {ed.chkExact.Handle(),
                                     ed.txtName.Handle(),
                                     ed.cboWindowState.Handle(),
                                     ed.txtSendKeys[0].Handle(),
                                     ed.cboSendKeysPause[0].Handle(),
                                     ed.chkDisable.Handle(),
                                     rich ? ed.cmdOK[0].Handle() : ed.cmdOK[1].Handle(),
                                     rich ? ed.cmdCancel[0].Handle() : ed.cmdApply[1].Handle(),
                                     rich ? ed.cmdApply[0].Handle() : ed.cmdCancel[1].Handle(),
                                     ed.cmdAddIn[0].Handle(),
                                     ed.txtProgram.Handle(),
                                     ed.txtWindowClass.Handle(),
                                     ed.chkPattern.Handle(),
                                     ed.txtPressButton.Handle(),
                                     ed.txtPositionX.Handle(),
                                     ed.txtPositionY.Handle(),
                                     ed.txtSizeW.Handle(),
                                     ed.txtSizeH.Handle(),
                                     ed.cboDisplay.Handle(),
                                     ed.chkOnTop.Handle(),
                                     ed.txtOpacity.Handle(),
                                     ed.chkRememberPlace.Handle(),
                                     ed.cmdTakePlace.Handle(),
                                     ed.txtCaption.Handle()};
    for (HWND next : order) {
        PressKey(VK_TAB);
        ASSERT_TRUE(WaitFor([&] { return FocusedControl() == next; }))
            << "expected " << win32::Narrow(TextOf(next)) << ", focus on "
            << win32::Narrow(TextOf(FocusedControl()));
    }
    PressKey(VK_TAB, true);
    EXPECT_TRUE(WaitFor([&] { return FocusedControl() == ed.cmdTakePlace.Handle(); }));
}

// ---- storing ------------------------------------------------------------------------------

TEST_F(EditorTest, EnterIsOkAndEscapeIsCancel) {
    Open();
    BringForward();
    TypeText(L"By Enter");  // the name has the focus, all of it selected
    ASSERT_TRUE(WaitFor([&] { return editor->txtName.Text() == L"By Enter"; }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(0, "Description"), "By Enter");

    Open();
    BringForward();
    TypeText(L"By Escape");
    ASSERT_TRUE(WaitFor([&] { return editor->txtName.Text() == L"By Escape"; }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(MonitorCount(host.policy.CurrentSettings().Monitors), 1);
}

TEST_F(EditorTest, CreatesAMonitorFromTypingAndListPicks) {
    StoreMonitors({Make("first", "First")});
    const std::wstring caption = UniqueName(L"Typed caption ");
    frmAction& ed = Open();
    BringForward();

    // The caption: typed; leaving it names the monitor after it.
    FocusByClick(ed.txtCaption.Handle());
    TypeText(caption);
    ASSERT_TRUE(WaitFor([&] { return ed.txtCaption.Text() == caption; }));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.chkExact.Handle(); }));
    EXPECT_EQ(ed.txtName.Text(), caption);
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return ed.chkExact.State() == 1; }));

    // The name: entering it selects it all, so typing replaces it.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.txtName.Handle(); }));
    TypeText(L"Save the draft");
    ASSERT_TRUE(WaitFor([&] { return ed.txtName.Text() == L"Save the draft"; }));

    // The window state: picked from its list with the arrow keys.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.cboWindowState.Handle(); }));
    for (int i = 0; i < 3; ++i) PressKey(VK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return ed.cboWindowState.Text() == L"Maximize"; }));

    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.txtSendKeys[0].Handle(); }));
    TypeText(L"{CNTL}s");
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.cboSendKeysPause[0].Handle(); }));
    for (int i = 0; i < 10; ++i) PressKey(VK_DOWN);  // to the last entry, and no further
    ASSERT_TRUE(WaitFor([&] { return ed.cboSendKeysPause[0].Text() == L"60"; }));

    // The button to press, in the frame below the rest.
    FocusByClick(ed.txtPressButton.Handle());
    TypeText(L"Don't Save");
    ASSERT_TRUE(WaitFor([&] { return ed.txtPressButton.Text() == L"Don't Save"; }));

    const HWND ok = ed.cmdOK[ed.InLowColorMode() ? 1 : 0].Handle();
    ASSERT_TRUE(ClickUntil([&] { Click(ok); }, [&] { return editor->Handle() == nullptr; }));

    EXPECT_EQ(Stored(1, "Description"), "Save the draft");
    EXPECT_EQ(Stored(1, "Caption"), win32::Narrow(caption));
    EXPECT_EQ(Stored(1, "ExactMatch"), "1");
    EXPECT_EQ(Stored(1, "Disable"), "0");
    EXPECT_EQ(Stored(1, "WindowState"), "Maximize");
    EXPECT_EQ(Stored(1, "SendKeys0"), "{CNTL}s");
    EXPECT_EQ(Stored(1, "SendKeysPause0"), "60");
    EXPECT_EQ(Stored(1, "SendKeys1"), "");
    EXPECT_EQ(Stored(1, "SendKeysPause2"), "0");
    EXPECT_EQ(Stored(1, "PressButton"), "Don't Save");
    EXPECT_EQ(Stored(0, "PressButton"), "<missing>");  // written only when set
    EXPECT_EQ(Stored(0, "Description"), "first");
    EXPECT_EQ(MonitorCount(host.policy.CurrentSettings().Monitors), 2);

    // OK hands the watcher the new caption at once, and its level comes back.
    EXPECT_EQ(host.watcher.registrations, 1);
    EXPECT_EQ(host.watcher.Level(), 2);
    TestWindow target(caption);
    EXPECT_TRUE(WaitFor([&] {
        for (auto& r : host.reports)
            if (r.window == target.Handle() && r.id == 1) return true;
        return false;
    }));
}

TEST_F(EditorTest, ANewMonitorLeftUnnamedIsNamedAfterItsSlot) {
    frmAction& ed = Open();
    ed.txtName.SetText(L"");
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(0, "Description"), "(Monitor0)");
    EXPECT_EQ(Stored(0, "WindowState"), "(None)");
}

TEST_F(EditorTest, EditRecShowsEveryFieldAndStoresHiddenStepsBackUnchanged) {
    Monitor a = Make("alpha", "Alpha");
    Monitor b = Make("", "Beta");
    b.ExactMatch = 1;
    b.Disable = 2;  // greyed, carried as it is
    b.WindowState = "minimize";
    Monitor c = Make("gamma", "Gamma");
    c.Disable = 7;  // no box takes 7: the box stays as it was
    StoreMonitors({a, b, c});

    frmAction& ed = Open();
    ed.EditRec(1);
    EXPECT_EQ(ed.RecIndex(), 1);
    EXPECT_EQ(ed.txtName.Text(), L"(Monitor1)");
    EXPECT_EQ(ed.txtCaption.Text(), L"Beta");
    EXPECT_EQ(ed.cboWindowState.Text(), L"minimize");
    EXPECT_EQ(ed.txtSendKeys[1].Text(), L"two{ENTER}");
    EXPECT_EQ(ed.cboSendKeysPause[2].Text(), L"3");
    EXPECT_EQ(ed.chkExact.State(), 1);
    EXPECT_EQ(ed.chkDisable.State(), 2);

    ed.EditRec(2);
    EXPECT_EQ(ed.chkDisable.State(), 2);
    EXPECT_EQ(ed.txtName.Text(), L"gamma");

    ed.EditRec(1);
    SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(Stored(1, "Description"), "(Monitor1)");  // now named
    EXPECT_EQ(Stored(1, "Disable"), "2");
    EXPECT_EQ(Stored(1, "WindowState"), "minimize");
    EXPECT_EQ(Stored(1, "SendKeys1"), "two{ENTER}");
    EXPECT_EQ(Stored(1, "SendKeys2"), "three");
    EXPECT_EQ(Stored(1, "SendKeysPause1"), "2");
    EXPECT_EQ(Stored(1, "SendKeysPause2"), "3");
    EXPECT_EQ(Stored(2, "Description"), "gamma");
}

TEST_F(EditorTest, ApplyStoresWatchesAtOnceAndStaysOpenOnTheSameSlot) {
    StoreMonitors({Make("alpha", "Alpha")});
    host.policy.RegisterWatches();
    host.watcher.registrations = 0;
    const std::wstring caption = UniqueName(L"Applied ");

    frmAction& ed = Open();
    ASSERT_EQ(host.watcher.Level(), 0);
    ed.txtCaption.SetText(caption);
    SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);

    EXPECT_TRUE(ed.Loaded());
    EXPECT_EQ(ed.RecIndex(), 1);
    EXPECT_EQ(Stored(1, "Caption"), win32::Narrow(caption));
    EXPECT_EQ(host.watcher.registrations, 1);
    // The monitor just applied must not fire half-way through its editing: monitoring waits
    // for the editor to close.
    EXPECT_EQ(host.watcher.Level(), 0);

    // Apply again, then OK: the same slot each time.
    ed.txtSendKeys[0].SetText(L"again");
    SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(MonitorCount(host.policy.CurrentSettings().Monitors), 2);
    EXPECT_EQ(Stored(1, "SendKeys0"), "again");
    EXPECT_EQ(Stored(2, "Description"), "<missing>");
    EXPECT_EQ(host.watcher.registrations, 3);
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(host.watcher.Level(), 2);  // the editor closed: monitoring is back

    // With "Disable All Monitoring" ticked the editor's closing leaves the watcher at 0.
    host.policy.SetMonitoringDisabled(true);
    Open();
    SendMessageW(editor->cmdCancel[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(host.watcher.Level(), 0);
}

TEST_F(EditorTest, CancelAndTheCloseBoxStoreNothing) {
    StoreMonitors({Make("alpha", "Alpha")});
    const std::string before = Stored(0, "Caption");

    frmAction& ed = Open();
    ed.EditRec(0);
    ed.txtCaption.SetText(L"changed");
    SendMessageW(ed.cmdCancel[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(host.watcher.Level(), 2);

    Open().EditRec(0);
    editor->txtCaption.SetText(L"changed");
    SendMessageW(editor->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    ASSERT_TRUE(EditorGone());

    EXPECT_EQ(Stored(0, "Caption"), before);
    EXPECT_EQ(host.policy.CurrentSettings().Monitors[0].Caption, "Alpha");
    EXPECT_EQ(host.refreshes, 0);
    EXPECT_EQ(host.watcher.registrations, 0);
    EXPECT_EQ(host.closed, 2);

    // The main window may drop the editor the moment it hears of the closing.
    host.onClosed = [&] { editor.reset(); };
    Open();
    SendMessageW(editor->cmdCancel[0].Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(editor, nullptr);
    EXPECT_EQ(host.closed, 3);
}

TEST_F(EditorTest, RefusesAPauseThatIsNotWholeSecondsAndStoresNothing) {
    frmAction& ed = Open();
    BringForward();
    for (const wchar_t* text : {L"2.5", L"x", L"", L"32768"}) {
        SCOPED_TRACE(win32::Narrow(text));
        ed.cboSendKeysPause[0].SetFocus();
        ASSERT_TRUE(WaitFor([&] { return FocusedControl() == ed.cboSendKeysPause[0].Handle(); }));
        SendMessageW(ed.cboSendKeysPause[0].EditHandle(), EM_SETSEL, 0, -1);
        PressKey(VK_DELETE);
        TypeText(text);
        ASSERT_TRUE(WaitFor([&] { return ed.cboSendKeysPause[0].Text() == text; }));
        ed.txtName.SetFocus();

        MessageBoxAnswerer answer;
        SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
        EXPECT_TRUE(answer.shown);
        EXPECT_EQ(answer.text, L"I need the pause as a whole number of seconds from 0 to 32767.");
        EXPECT_TRUE(answer.okOnly);
        ASSERT_TRUE(ed.Loaded());
        EXPECT_EQ(FocusedControl(), ed.cboSendKeysPause[0].Handle());
    }
    EXPECT_EQ(ed.RecIndex(), -1);
    EXPECT_EQ(host.refreshes, 0);
    EXPECT_FALSE(scoped.SectionExists("Monitor0"));
    EXPECT_EQ(host.watcher.Level(), 0);  // still editing: nothing fires

    // Mended, it stores.
    ed.cboSendKeysPause[0].SetText(L"7");
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(0, "SendKeysPause0"), "7");
}

// The place group as a user fills it: a wrong box is named and nothing is stored; "Take Its
// Place" reads the window the finder took last.
TEST_F(EditorTest, ThePlaceGroupRefusesWhatItCannotReadAndTakesAWindowsPlace) {
    frmAction& ed = Open();
    BringForward();
    struct Case {
        win32::TextBox* box;
        const wchar_t* text;
        const wchar_t* message;
    };
    const Case cases[] = {
        {&ed.txtPositionX, L"left", L"I need the position as X,Y: each a whole number of pixels, a percentage up to 100% or center."},
        {&ed.txtSizeW, L"0", L"I need the size as W,H: each a whole number of pixels from 1, or a percentage from 1% to 100%."},
        {&ed.txtOpacity, L"101", L"I need the opacity as a whole number from 20 to 100."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(win32::Narrow(c.text));
        FocusByClick(c.box->Handle());
        TypeText(c.text);
        ASSERT_TRUE(WaitFor([&] { return c.box->Text() == c.text; }));
        if (c.box == &ed.txtPositionX) ed.txtPositionY.SetText(L"10");
        if (c.box == &ed.txtSizeW) ed.txtSizeH.SetText(L"10");
        MessageBoxAnswerer answer;
        SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(answer.text, c.message);
        ASSERT_TRUE(ed.Loaded());
        EXPECT_EQ(FocusedControl(), c.box->Handle());
        for (win32::TextBox* box : {&ed.txtPositionX, &ed.txtPositionY, &ed.txtSizeW, &ed.txtSizeH})
            box->SetText(L"");
        c.box->SetText(L"");
    }
    EXPECT_FALSE(scoped.SectionExists("Monitor0"));

    TestWindow target(L"Place me " + UniqueName(L""));
    SetWindowPos(target.Handle(), nullptr, 30, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ed.txtCaption.SetText(wintest::CaptionOf(target.Handle()));
    ASSERT_TRUE(ClickUntil([&] { Click(ed.cmdTakePlace.Handle()); },
                           [&] { return ed.txtSizeW.Text() == L"300"; }));
    MONITORINFO info{sizeof info};
    GetMonitorInfoW(MonitorFromWindow(target.Handle(), MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_EQ(ed.txtPositionX.Text(), std::to_wstring(30 - info.rcWork.left));
    EXPECT_EQ(ed.txtPositionY.Text(), std::to_wstring(40 - info.rcWork.top));
    EXPECT_EQ(ed.txtSizeH.Text(), L"200");
    EXPECT_EQ(ed.cboDisplay.Text().substr(0, 2), L"1 ");
    FocusByClick(ed.chkOnTop.Handle());
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(0, "Size"), "300,200");
    EXPECT_EQ(Stored(0, "Display"), "1");
    EXPECT_EQ(Stored(0, "OnTop"), "1");
    EXPECT_EQ(Stored(0, "Opacity"), "<missing>");
}

TEST_F(EditorTest, RefusesAFiftyFirstMonitor) {
    std::vector<Monitor> fifty;
    for (int i = 0; i < 50; ++i)
        fifty.push_back(Make(std::string("m").append(std::to_string(i)), "c"));
    StoreMonitors(fifty);

    frmAction& ed = Open();
    ed.txtName.SetText(L"one too many");
    {
        MessageBoxAnswerer answer;
        SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);
        EXPECT_TRUE(answer.shown);
        EXPECT_EQ(answer.text,
                  L"I can keep at most 50 monitors. Delete one before you add another.");
        EXPECT_TRUE(answer.okOnly);
    }
    EXPECT_TRUE(ed.Loaded());
    EXPECT_EQ(ed.RecIndex(), -1);
    EXPECT_EQ(host.refreshes, 0);
    EXPECT_EQ(host.watcher.registrations, 0);
    EXPECT_EQ(host.policy.CurrentSettings().Monitors[50].Description, "");
    EXPECT_EQ(Stored(49, "Description"), "m49");

    // One deleted, the same dialog stores it.
    host.Delete(3, &ed);
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(49, "Description"), "one too many");
}

TEST_F(EditorTest, StaysWithItsMonitorWhenTheMainWindowDeletesOthers) {
    StoreMonitors({Make("m0", "c0"), Make("m1", "c1"), Make("m2", "c2"), Make("m3", "c3")});
    frmAction& ed = Open();
    ed.EditRec(2);
    ed.txtCaption.SetText(L"edited");

    host.Delete(0, &ed);  // m2 moves to slot 1
    EXPECT_EQ(ed.RecIndex(), 1);
    SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Stored(0, "Caption"), "c1");
    EXPECT_EQ(Stored(1, "Description"), "m2");
    EXPECT_EQ(Stored(1, "Caption"), "edited");
    EXPECT_EQ(Stored(2, "Caption"), "c3");

    host.Delete(2, &ed);  // a later one: no move
    EXPECT_EQ(ed.RecIndex(), 1);

    // Its own monitor deleted, the next store makes a new one.
    host.Delete(1, &ed);
    EXPECT_EQ(ed.RecIndex(), -1);
    ASSERT_EQ(MonitorCount(host.policy.CurrentSettings().Monitors), 1);
    SendMessageW(ed.cmdApply[0].Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ed.RecIndex(), 1);
    EXPECT_EQ(Stored(0, "Description"), "m1");
    EXPECT_EQ(Stored(1, "Description"), "m2");
    EXPECT_EQ(Stored(1, "Caption"), "edited");
    EXPECT_EQ(MonitorCount(host.policy.CurrentSettings().Monitors), 2);
}

TEST_F(EditorTest, NewWhileOpenKeepsTheWorkAndEditRecReplacesIt) {
    StoreMonitors({Make("alpha", "Alpha")});
    frmAction& ed = Open();
    const int listed = ed.txtCaption.ListCount();
    ed.txtCaption.SetText(L"half done");
    ed.Load();
    EXPECT_EQ(ed.txtCaption.Text(), L"half done");
    EXPECT_EQ(ed.RecIndex(), -1);
    EXPECT_EQ(host.watcher.Level(), 0);

    TestWindow later(UniqueName(L"Opened later "));
    ed.EditRec(0);
    EXPECT_EQ(ed.txtCaption.Text(), L"Alpha");
    EXPECT_EQ(ed.RecIndex(), 0);
    EXPECT_EQ(ed.txtCaption.ListCount(), listed);  // the list stays as it was built
}

TEST_F(EditorTest, LeavingTheCaptionRenamesTheMonitorButOnlyForAnotherControl) {
    frmAction& ed = Open();
    BringForward();
    ed.txtName.SetText(L"typed name");
    FocusByClick(ed.txtCaption.Handle());
    TypeText(L"Notes");
    ASSERT_TRUE(WaitFor([&] { return ed.txtCaption.Text() == L"Notes"; }));

    // Another window taking the focus is not leaving the field.
    TestWindow other(UniqueName(L"Elsewhere "));
    SetForegroundWindow(other.Handle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other.Handle(); }));
    EXPECT_EQ(ed.txtName.Text(), L"typed name");

    // Back in the editor the focus is where it was; leaving for a control renames.
    BringForward();
    EXPECT_TRUE(WaitFor([&] { return FocusedControl() == ed.txtCaption.Handle(); }));
    FocusByClick(ed.txtSendKeys[0].Handle());
    EXPECT_EQ(ed.txtName.Text(), L"Notes");

    // Even an empty caption is copied.
    ed.txtCaption.SetText(L"");
    FocusByClick(ed.txtCaption.Handle());
    FocusByClick(ed.txtSendKeys[0].Handle());
    EXPECT_EQ(ed.txtName.Text(), L"");
}

// ---- caption list -------------------------------------------------------------------------

TEST_F(EditorTest, CaptionListHoldsTheVisibleEnabledTitledWindowsAsOpenedBefore) {
    const std::wstring tag = UniqueName(L"Cap");
    TestWindow dup1(L"Twin " + tag), dup2(L"Twin " + tag);
    TestWindow hidden(L"Hidden " + tag, false);
    TestWindow disabled(L"Disabled " + tag);
    EnableWindow(disabled.Handle(), FALSE);
    TestWindow untitled(L"");
    TestWindow mainWindow(L"Korvel 3.0");
    TestWindow sameName(L"Monitor Editor");
    TestWindow lowerCase(L"monitor editor");
    std::wstring longCaption = L"Long " + tag + L" ";
    while (longCaption.size() < 300)
        longCaption += static_cast<wchar_t>(L'a' + longCaption.size() % 26);
    TestWindow longOne(longCaption);
    ChildProcess other;
    ASSERT_TRUE(
        other.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"open:Other " + tag + L"\""));
    ASSERT_TRUE(WaitFor([&] { return FindWindowByCaption(L"Other " + tag, other.Id()); }, 10000));

    frmAction& ed = Open();
    TestWindow after(L"After " + tag);
    std::vector<std::wstring> ours;
    int untitledEntries = 0;
    for (int i = 0; i < ed.txtCaption.ListCount(); ++i) {
        const std::wstring entry = ed.txtCaption.List(i);
        EXPECT_NE(entry, L"Korvel 3.0");
        EXPECT_NE(entry, L"Monitor Editor");
        untitledEntries += entry.empty();
        if (entry.find(tag) != std::wstring::npos) ours.push_back(entry);
    }
    EXPECT_EQ(untitledEntries, 0);
    std::sort(ours.begin(), ours.end());
    const std::vector<std::wstring> expected = {longCaption.substr(0, 256), L"Other " + tag,
                                                L"Twin " + tag, L"Twin " + tag};
    EXPECT_EQ(ours, expected);
    int lower = 0;
    for (int i = 0; i < ed.txtCaption.ListCount(); ++i)
        lower += ed.txtCaption.List(i) == L"monitor editor";
    EXPECT_EQ(lower, 1);

    // Unsorted: in the order the system reports the windows, newest on top.
    int first = -1, second = -1;
    for (int i = 0; i < ed.txtCaption.ListCount(); ++i) {
        if (ed.txtCaption.List(i) == L"Twin " + tag) (first < 0 ? first : second) = i;
    }
    EXPECT_LT(first, second);
    other.Kill();
}

// ---- special-key picker -------------------------------------------------------------------

TEST_F(EditorTest, SpecOpensThePickerBelowItsButtonAndAClickAppends) {
    frmAction& ed = Open();
    ed.txtSendKeys[0].SetText(L"abc");
    SendMessageW(ed.txtSendKeys[0].Handle(), EM_SETSEL, 0, 2);  // a selection is not replaced
    ASSERT_EQ(FocusedControl(), ed.txtName.Handle());
    SendMessageW(ed.cmdAddIn[0].Handle(), BM_CLICK, 0, 0);

    frmAddIn* picker = ed.Picker();
    ASSERT_NE(picker, nullptr);
    const HWND p = picker->Handle();
    EXPECT_EQ(wintest::CaptionOf(p), L"My Add In");
    EXPECT_TRUE(IsWindowVisible(p));
    EXPECT_FALSE(GetWindowLongPtrW(p, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongPtrW(p, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(p, GW_OWNER), ed.Handle());
    EXPECT_NE(GetActiveWindow(), p);  // shown without taking the focus
    EXPECT_EQ(picker->TargetField, 0);

    RECT editorRect{}, pr{};
    GetWindowRect(ed.Handle(), &editorRect);
    GetWindowRect(p, &pr);
    const int dpi = win32::WindowDpi(ed.Handle());
    EXPECT_EQ(pr.left, TwipsToPixels(120 + PixelsToTwips(editorRect.left, dpi) + 600, dpi));
    EXPECT_EQ(pr.top, TwipsToPixels(660 + PixelsToTwips(editorRect.top, dpi) + 4000, dpi));
    EXPECT_EQ(pr.right - pr.left, wintest::Scaled(96, dpi));
    EXPECT_EQ(pr.bottom - pr.top, wintest::Scaled(200, dpi));
    wintest::ExpectReadableLayout(p);

    ASSERT_EQ(picker->List1.ListCount(), 39);
    EXPECT_EQ(picker->List1.List(0), L"{BACKSPACE}");
    EXPECT_EQ(picker->List1.List(19), L"{UP}");
    EXPECT_EQ(picker->List1.List(20), L"{SHIFT}");
    EXPECT_EQ(picker->List1.List(22), L"{CNTL}");
    EXPECT_EQ(picker->List1.List(27), L"{F5}");
    EXPECT_EQ(picker->List1.List(38), L"{F16}");
    EXPECT_EQ(picker->List1.ListIndex(), -1);

    ASSERT_TRUE(ClickUntil([&] { ClickEntry(*picker, 27); },  // "{F5}"
                           [&] { return ed.Picker() == nullptr; }));
    EXPECT_EQ(ed.txtSendKeys[0].Text(), L"abc{F5}");
    EXPECT_EQ(FindWindowByCaption(L"My Add In", GetCurrentProcessId()), nullptr);
    EXPECT_EQ(ed.txtName.Text(), L"(New Monitor)");  // the focus did not decide the field

    // Opened again, it starts with nothing selected.
    SendMessageW(ed.cmdAddIn[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_NE(ed.Picker(), nullptr);
    EXPECT_EQ(ed.Picker()->List1.ListIndex(), -1);
    // The editor's closing takes it along.
    SendMessageW(ed.cmdCancel[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(FindWindowByCaption(L"My Add In", GetCurrentProcessId()), nullptr);
}

TEST_F(EditorTest, RightClickOpensThePickerAtThePointerOffsetAndAnArrowKeyPicks) {
    frmAction& ed = Open();
    BringForward();
    ed.txtSendKeys[0].SetText(L"x");

    // A left click only puts the caret there.
    FocusByClick(ed.txtSendKeys[0].Handle());
    EXPECT_EQ(ed.Picker(), nullptr);

    RECT field{};
    GetWindowRect(ed.txtSendKeys[0].Handle(), &field);
    POINT inside{30, 7};  // client pixels of the field
    POINT screen = inside;
    ClientToScreen(ed.txtSendKeys[0].Handle(), &screen);
    ASSERT_TRUE(ClickUntil([&] { ClickAt(screen, true, ed.txtSendKeys[0].Handle()); },
                           [&] { return ed.Picker() != nullptr; }));
    // The offset inside the field, taken as a place on the screen.
    RECT pr{};
    GetWindowRect(ed.Picker()->Handle(), &pr);
    EXPECT_EQ(pr.left, inside.x);
    EXPECT_EQ(pr.top, inside.y);
    // No edit menu on top of it.
    EXPECT_EQ(FindWindowW(L"#32768", nullptr), nullptr);

    // The arrow key moves the selection, which picks.
    const HWND list = ed.Picker()->List1.Handle();
    SetForegroundWindow(ed.Picker()->Handle());
    SetFocus(list);
    ASSERT_TRUE(WaitFor([&] { return GetFocus() == list; }));
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return ed.Picker() == nullptr; }));
    EXPECT_EQ(ed.txtSendKeys[0].Text(), L"x{BACKSPACE}");

    // A hidden step's button sends its pick to its own hidden field, which is stored.
    SendMessageW(ed.cmdAddIn[2].Handle(), BM_CLICK, 0, 0);
    ASSERT_NE(ed.Picker(), nullptr);
    EXPECT_EQ(ed.Picker()->TargetField, 2);
    ASSERT_TRUE(ClickUntil([&] { ClickEntry(*ed.Picker(), 20); },  // "{SHIFT}"
                           [&] { return ed.Picker() == nullptr; }));
    EXPECT_EQ(ed.txtSendKeys[2].Text(), L"{SHIFT}");
    EXPECT_EQ(ed.txtSendKeys[0].Text(), L"x{BACKSPACE}");
    SendMessageW(ed.cmdOK[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(EditorGone());
    EXPECT_EQ(Stored(0, "SendKeys0"), "x{BACKSPACE}");
    EXPECT_EQ(Stored(0, "SendKeys2"), "{SHIFT}");
}

// ---- low-colour layout --------------------------------------------------------------------

void ExpectPlainLayout(frmAction& ed) {
    EXPECT_TRUE(ed.InLowColorMode());
    EXPECT_FALSE(ed.CandyScreen1.Visible());
    EXPECT_FALSE(IsWindowVisible(ed.cmdOK[0].Handle()));
    for (auto* b : {&ed.cmdOK[0], &ed.cmdCancel[0], &ed.cmdApply[0]}) EXPECT_FALSE(b->Visible());
    for (auto* b : {&ed.cmdOK[1], &ed.cmdCancel[1], &ed.cmdApply[1]}) {
        EXPECT_TRUE(b->Visible());
        EXPECT_TRUE(IsWindowVisible(b->Handle()));
    }
    EXPECT_TRUE(IsWindowVisible(ed.Label3.Handle()));
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ed.Label3.Handle(), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_STREQ(lf.lfFaceName, L"Times New Roman");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    RECT client{};
    GetClientRect(ed.Handle(), &client);
    EXPECT_EQ(client.bottom, wintest::Scaled(493 - 20, win32::WindowDpi(ed.Handle())));  // 300 twips less
    wintest::ExpectReadableLayout(ed.Handle(), CutAsDesigned(ed));
    ExpectWhichWindowFrameShown(ed);
}

TEST_F(EditorTest, LowColorModeSwapsTheButtonSetsOnce) {
    frmAction& ed = Open();
    ed.LowColorMode();
    ed.LowColorMode();  // no second cut
    ExpectPlainLayout(ed);
    // In the place of the styled ones, which lie on the background at the form's corner.
    EXPECT_EQ(wintest::RectInParent(ed.cmdOK[1].Handle()).left,
              wintest::RectInParent(ed.cmdOK[0].Handle()).left);
    EXPECT_EQ(wintest::RectInParent(ed.cmdApply[1].Handle()).top,
              wintest::RectInParent(ed.cmdApply[0].Handle()).top);

    // The plain buttons do what the styled ones do.
    ed.txtName.SetText(L"plain");
    SendMessageW(ed.cmdApply[1].Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Stored(0, "Description"), "plain");
    const HWND cancel = ed.cmdCancel[1].Handle();
    ASSERT_TRUE(ClickUntil([&] { Click(cancel); }, [&] { return editor->Handle() == nullptr; }));
    EXPECT_EQ(host.closed, 1);
}

// Run once more on a display of 8 bits (256 colours) and of 16 bits: KVL_WINE_DEPTH names
// the depth of the display the test runs on.
TEST_F(EditorTest, LowColourDisplayDecidesTheLayoutAtEachOpening) {
    const char* depthText = std::getenv("KVL_WINE_DEPTH");
    const int depth = depthText ? std::atoi(depthText) : 24;
    HDC dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    DeleteDC(dc);
    std::printf("display depth %d bits, Xvfb depth %d\n", bits, depth);
    const bool expectRich = depth >= 16;
    EXPECT_EQ(win32::IsRichColourDisplay(), expectRich);

    frmAction& ed = Open();
    if (expectRich) {
        EXPECT_FALSE(ed.InLowColorMode());
        EXPECT_TRUE(IsWindowVisible(ed.CandyScreen1.Handle()));
        EXPECT_TRUE(IsWindowVisible(ed.cmdOK[0].Handle()));
        EXPECT_FALSE(IsWindowVisible(ed.cmdOK[1].Handle()));
        EXPECT_FALSE(IsWindowVisible(ed.Label3.Handle()));
    } else {
        ExpectPlainLayout(ed);
    }
    // Each opening decides afresh.
    SendMessageW(ed.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(EditorGone());
    editor->Load();
    EXPECT_EQ(editor->InLowColorMode(), !expectRich);
}

// ---- pictures for the documentation -------------------------------------------------------

// ---- the finder -----------------------------------------------------------------------------

TEST_F(EditorTest, TheFinderDraggedOntoAnotherProgramsWindowFillsItsCaptionProgramAndClass) {
    const std::wstring tag = UniqueName(L"Finder");
    // Neither window takes the focus: the only activation is the editor's own, whose focus
    // events X could otherwise still be delivering late, mid-drag, taking the mouse away.
    ChildProcess target;
    ASSERT_TRUE(target.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" \"quiet:" + tag +
                             L" target\""));
    const HWND theirs = wintest::AwaitShownWindow(tag + L" target", target.Id(), 10000);
    ASSERT_TRUE(theirs);
    TestWindow ours(tag + L" ours", false);  // a window of KVL's own process
    ShowWindow(ours.Handle(), SW_SHOWNOACTIVATE);
    frmAction& ed = Open();
    ed.txtCaption.SetText(L"as typed");
    ed.chkPattern.SetState(1);
    BringForward();

    // The finder's tip, shown at once to a pointer that has seen tips before, is pushed back
    // over the finder near the screen's right edge and takes Wine's press: the user drags
    // the finder out of its tip's way, so the editor is dragged left and down first, clear of
    // the windows the finder is let go over.
    SetWindowPos(ed.Handle(), nullptr, -300, GetSystemMetrics(SM_CYSCREEN) - 200, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT finder{}, theirRect{}, ourRect{};
    GetWindowRect(ed.picFinder.Handle(), &finder);
    GetWindowRect(theirs, &theirRect);
    GetWindowRect(ours.Handle(), &ourRect);
    const POINT grip{(finder.left + finder.right) / 2, (finder.top + finder.bottom) / 2};
    // Clear of each other and of the editor, which stays above everything.
    const POINT onTheirs{theirRect.left + 20, theirRect.bottom - 20};
    const POINT onOurs{ourRect.left + 10, ourRect.top + 10};
    ASSERT_TRUE(WaitFor([&] { return WindowFromPoint(onTheirs) == theirs; }));
    ASSERT_TRUE(WaitFor([&] { return WindowFromPoint(onOurs) == ours.Handle(); }));

    // Each step says how it failed: a drag that never starts is rare, and the step tells why.
    auto pickUp = [&]() -> testing::AssertionResult {
        if (!wintest::MovePointerAndWait(grip))
            return testing::AssertionFailure() << "the pointer never reached the finder";
        // A press on an inactive window is not always passed on under Wine, and X's late
        // word of an earlier focus change can still take the foreground away: the press
        // goes in only once the editor is in front.
        SetForegroundWindow(ed.Handle());
        if (!WaitFor([&] { return GetForegroundWindow() == ed.Handle(); }))
            return testing::AssertionFailure() << "the editor never came to the front";
        wintest::LeftButtonDown();
        if (!WaitFor([&] { return ed.Finding(); })) {
            POINT at{};
            GetCursorPos(&at);
            return testing::AssertionFailure()
                   << "the press did not start the drag: pointer at " << at.x << "," << at.y
                   << " over " << win32::Narrow(TextOf(WindowFromPoint(at))) << ", capture "
                   << GetCapture() << ", front " << GetForegroundWindow() << ", editor "
                   << ed.Handle();
        }
        if (!ed.picFinder.Empty()) return testing::AssertionFailure() << "the finder still shows its target";
        return testing::AssertionSuccess();
    };

    // Let go over one of KVL's own windows: nothing changes.
    ASSERT_TRUE(pickUp());
    ASSERT_TRUE(wintest::MovePointerAndWait(onOurs));
    EXPECT_EQ(ed.OutlinedWindow(), nullptr);
    ASSERT_TRUE(wintest::LeftButtonUp(onOurs));
    ASSERT_TRUE(WaitFor([&] { return !ed.Finding(); }));
    EXPECT_EQ(ed.txtCaption.Text(), L"as typed");

    // Escape puts the finder back, and the editor stays open.
    ASSERT_TRUE(pickUp());
    ASSERT_TRUE(wintest::MovePointerAndWait(onTheirs));
    ASSERT_TRUE(WaitFor([&] { return ed.OutlinedWindow() == theirs; }));
    ASSERT_TRUE(ed.Finding());  // or Escape would cancel the editor itself
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !ed.Finding(); }));
    // Let go back over the editor: a release over the other window would be that window's.
    ASSERT_TRUE(wintest::MovePointerAndWait(grip));
    ASSERT_TRUE(wintest::LeftButtonUp(grip));
    EXPECT_TRUE(ed.Loaded());
    EXPECT_EQ(ed.txtCaption.Text(), L"as typed");
    EXPECT_EQ(ed.OutlinedWindow(), nullptr);

    // Onto the other program's window: outlined on the screen while dragged, then taken.
    ASSERT_TRUE(pickUp());
    ASSERT_TRUE(
        wintest::MovePointerAndWait({(grip.x + onTheirs.x) / 2, (grip.y + onTheirs.y) / 2}));
    ASSERT_TRUE(wintest::MovePointerAndWait(onTheirs));
    ASSERT_TRUE(WaitFor([&] { return ed.OutlinedWindow() == theirs; }));
    HDC screen = GetDC(nullptr);
    // Three pixels thick at 96 dots per inch, thicker with the scale.
    const int innermost = MulDiv(3, win32::WindowDpi(ed.Handle()), 96) - 1;
    EXPECT_TRUE(WaitFor([&] {
        return GetPixel(screen, theirRect.left + innermost,
                        (theirRect.top + theirRect.bottom) / 2) == RGB(255, 0, 0);
    }));
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(wintest::LeftButtonUp(onTheirs));
    ASSERT_TRUE(WaitFor([&] { return ed.txtCaption.Text() == tag + L" target"; }));
    EXPECT_FALSE(ed.Finding());
    EXPECT_EQ(_wcsicmp(ed.txtProgram.Text().c_str(), L"kvl_target.exe"), 0)
        << win32::Narrow(ed.txtProgram.Text());
    EXPECT_EQ(ed.txtWindowClass.Text(), L"KVL.TestTarget");
    EXPECT_EQ(ed.chkPattern.State(), 0);
    EXPECT_FALSE(ed.picFinder.Empty());
}

// Not a test: scripts/screenshot.sh runs it to hold the editor, and then the picker, on the
// screen while it takes their pictures. It talks to the script through files in the folder
// KVL_SCREENSHOT_DIR names: "ready-N" holds the rectangle to take, "taken-N" answers.
TEST_F(EditorTest, DISABLED_HoldsTheEditorAndPickerForPictures) {
    const char* dirText = std::getenv("KVL_SCREENSHOT_DIR");
    ASSERT_NE(dirText, nullptr);
    const std::wstring dir = win32::Widen(dirText);

    Monitor m = Make("Save the draft every time", "Untitled - Notepad");
    m.WindowState = "Maximize";
    m.SendKeys[0] = "{CNTL}s";
    m.SendKeysPause[0] = 1;
    m.ExactMatch = 0;
    // The guide's example of which windows: Notepad's "Save changes?" only.
    Monitor example = Make("No to Notepad's Save changes?", "Save changes?");
    example.WindowState = "(None)";
    example.ExactMatch = 1;
    example.SendKeys = {"%n", "", ""};
    example.SendKeysPause = {0, 0, 0};
    example.Program = "notepad.exe";
    example.WindowClass = "#32770";
    StoreMonitors({m, example});
    TestWindow notepad(L"Untitled - Notepad");
    TestWindow mail(L"Inbox - Mail");
    frmAction& ed = Open();
    ed.EditRec(1);
    SetCursorPos(0, 0);  // no tip in the picture

    auto hold = [&](int n, HWND a, HWND b) {
        RECT r{}, rb{};
        GetWindowRect(a, &r);
        if (b) {
            GetWindowRect(b, &rb);
            UnionRect(&r, &r, &rb);
        }
        // Every control painted before the picture is taken.
        for (HWND w : {a, b})
            if (w)
                RedrawWindow(
                    w, nullptr, nullptr,
                    RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        const std::wstring ready = dir + L"\\ready-" + std::to_wstring(n);
        FILE* f = _wfopen((ready + L".tmp").c_str(), L"w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "%ldx%ld+%ld+%ld\n", r.right - r.left + 16, r.bottom - r.top + 16,
                     r.left - 8, r.top - 8);
        std::fclose(f);
        MoveFileW((ready + L".tmp").c_str(), ready.c_str());
        const std::wstring taken = dir + L"\\taken-" + std::to_wstring(n);
        EXPECT_TRUE(WaitFor(
            [&] { return GetFileAttributesW(taken.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000));
    };
    hold(1, ed.Handle(), nullptr);
    ed.EditRec(0);
    SendMessageW(ed.cmdAddIn[0].Handle(), BM_CLICK, 0, 0);
    ASSERT_NE(ed.Picker(), nullptr);
    SendMessageW(ed.Picker()->List1.Handle(), LB_SETCURSEL, 27, 0);  // as if the pointer were on it
    hold(2, ed.Handle(), ed.Picker()->Handle());
}

}  // namespace
}  // namespace kvl
