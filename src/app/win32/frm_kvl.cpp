#include "app/win32/frm_kvl.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>

#include "app/pattern_notices.h"
#include "app/startup.h"
#include "cmdline/command_line.h"
#include "editor/editor_fields.h"
#include "engine/dispatch.h"
#include "engine/placement.h"
#include "engine/window_actions.h"
#include "platform/clock.h"
#include "platform/shell.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/display.h"
#include "platform/win32/dpi.h"
#include "platform/win32/own_modal.h"
#include "platform/win32/resource_text.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"
#include "platform/window_watcher.h"

namespace kvl {

namespace {

constexpr wchar_t kClassName[] = L"KVL.frmKVL";
const std::wstring kCaption = win32::Widen(kMainWindowCaption);
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidthTwips = 5310;
constexpr int kClientHeightTwips = 3885;

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The system keeps a shared icon for the program's life: the class may hold it however many
// windows of it come and go.
HICON ClassIcon() {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KVL),
                                         IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

}  // namespace

frmKVL::frmKVL(Services services)
    : services_(std::move(services)),
      policy_(services_.store, services_.watcher, !services_.commandLine.empty()) {
    policy_.onTableChanged = [this] { FillList(); };
    policy_.onEditorClosed = [this] { editor_.reset(); };
    policy_.onMonitoringStopped = [this](ActionResult why) { reports_.MonitoringStopped(why); };
    policy_.onMonitorDeleted = [this](int slot) { reports_.MonitorDeleted(slot); };
    // Acting while a menu or message box of ours is open would type into its loop.
    reports_.MayAct([] { return !win32::InModalLoop(); });
    reports_.onFinished = [this](const ActivityEvent& event, int slot, const Monitor& monitor,
                                 WindowHandle window) {
        Action_Finished(event);
        if (event.result == ActionResult::Done) FollowPlace(slot, monitor, window);
    };
    reports_.onAwaitedWindow = [this] { services_.watcher.MonitorStrength(0); };
    reports_.onAwaitedEnd = [this](int exitCode) { EndProgram(exitCode); };
}

frmKVL::~frmKVL() { tray1_.reset(); }

bool frmKVL::LoadMenus() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    menuBar_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU)));
    trayMenus_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAY_MENUS)));
    if (!menuBar_ || !trayMenus_) return false;
    mnuEditTop_ = GetSubMenu(menuBar_.get(), 1);
    mnuStats_ = GetSubMenu(trayMenus_.get(), 0);
    mnuPopUp_ = GetSubMenu(trayMenus_.get(), 1);
    return mnuEditTop_ && mnuStats_ && mnuPopUp_;
}

void frmKVL::BindEvents() {
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdOK256.onClick = [this] { cmdOK_Click(); };
    chkDisable.onClick = [this] { chkDisable_Click(); };
    lstItems.onDblClick = [this] { lstItems_DblClick(); };
    lstItems.onMouseDown = [this](win32::MouseButton button, POINT) { lstItems_MouseDown(button); };
    timer1_.onTimer = [this] { Timer1_Timer(); };
    timer2_.Timer().onTimer = [this] { Timer2_Timer(); };
    tmrIconChange_.onTimer = [this] { tmrIconChange_Timer(); };
    tmrPlaces_.onTimer = [this] { tmrPlaces_Timer(); };
    trayClicks_.onClick = [this](POINT at) {
        trayPoint_ = at;
        Tray1_MouseDown(1);
    };
    trayClicks_.onDoubleClick = [this] { Tray1_MouseDblClick(); };
    trayClicks_.onContextMenu = [this](POINT at) {
        trayPoint_ = at;
        Tray1_MouseDown(2);
    };
    pauseTimer_.onRing = [this] { reports_.PauseEnded(); };
}

void frmKVL::OnMenuCommand(UINT id) {
    static constexpr std::pair<UINT, void (frmKVL::*)()> kHandlers[] = {
        {mnuExit, &frmKVL::mnuExit_Click},
        {mnuNew, &frmKVL::mnuNew_Click},
        {mnuEdit, &frmKVL::mnuEdit_Click},
        {mnuDelete, &frmKVL::mnuDelete_Click},
        {mnuHelp, &frmKVL::mnuHelp_Click},
        {mnuCommnadHelp, &frmKVL::mnuCommnadHelp_Click},
        {mnuEditMon, &frmKVL::Tray1_MouseDblClick},
        {mnuDisable, &frmKVL::mnuDisable_Click},
        {mnuClose, &frmKVL::mnuClose_Click},
        {mnuStartWithWindows, &frmKVL::mnuStartWithWindows_Click},
        {mnuImport, &frmKVL::mnuImport_Click},
        {mnuExport, &frmKVL::mnuExport_Click},
        {mnuActivity, &frmKVL::mnuActivity_Click},
        {mnuArrange, &frmKVL::mnuArrange_Click},
    };
    for (const auto& [command, handler] : kHandlers)
        if (command == id) return (this->*handler)();
}

bool frmKVL::CreateControls() {
    using win32::ResourceText;
    const HWND form = Handle();
    // Every control is tried, in order (a braced list is evaluated left to right).
    // clang-format off
    const bool made[] = {
        CandyScreen1.Create({.parent = form, .id = idCandyScreen1, .at = {0, 0, 5325, 3855}}),
        Label2.Create({.parent = form, .id = idLabel2, .text = ResourceText(IDS_MONITORED_LABEL),
                       .at = {150, 90, 2205, 225}}),
        Label1.Create({.parent = form, .id = idLabel1, .text = ResourceText(IDS_DISABLED_LEGEND),
                       .at = {2730, 120, 1005, 195}, .wrap = false}),
        lstItems.Create({.parent = form, .id = idLstItems, .at = {390, 510, 4485, 2400}}),
        chkDisable.Create({.parent = form, .id = idChkDisable,
                           .text = ResourceText(IDS_DISABLE_ALL), .at = {390, 3150, 1815, 255}}),
        cmdOK.Create({.parent = form, .id = idCmdOK, .text = ResourceText(IDS_OK),
                      .at = {2250, 3060, 2625, 480}}),
        cmdOK256.Create({.parent = form, .id = idCmdOK256, .text = ResourceText(IDS_OK),
                         .at = {2940, 2880, 1245, 525}}),
    };
    // clang-format on
    if (!std::ranges::all_of(made, std::identity{})) return false;
    BindEvents();
    cmdOK256.SetVisible(false);

    constexpr COLORREF kWhite = RGB(255, 255, 255);
    lstItems.SetColours({.text = RGB(255, 255, 0), .back = GetSysColor(COLOR_DESKTOP)});
    // A themed check box draws its caption in the theme's colour, whatever it is given.
    win32::UseClassicLook(chkDisable.Handle());
    chkDisable.SetColours({.text = kWhite, .back = RGB(0, 128, 128)});
    for (win32::Label* label : {&Label1, &Label2})
        label->SetColours({.text = kWhite, .backdrop = &CandyScreen1});
    cmdOK.SetColours({.backdrop = &CandyScreen1});

    // The background goes under everything the form holds.
    SetWindowPos(CandyScreen1.Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

// The window goes on drawing with the icons it has until the new ones replace them: only
// then may the old ones go.
void frmKVL::LoadIcons(int dpi) {
    win32::UniqueIcon big(LoadIconSized(IDI_KVL, win32::SystemMetric(SM_CXICON, dpi)));
    win32::UniqueIcon small(LoadIconSized(IDI_KVL, win32::SystemMetric(SM_CXSMICON, dpi)));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

bool frmKVL::Form_Load() {
    // The window opens at the system's scale. The notification area stays at it, whichever
    // monitor the window moves to: the tray's pictures are not made again.
    const int dpi = win32::SystemDpi();
    const int trayIconSize = win32::SystemMetric(SM_CXSMICON, dpi);
    trayImage1_.reset(LoadIconSized(IDI_KVL_ALT, trayIconSize));
    trayImage2_.reset(LoadIconSized(IDI_KVL, trayIconSize));
    if (!LoadMenus()) return false;

    const SIZE outer = win32::OuterSizeForClient(TwipsToPixels(kClientWidthTwips, dpi),
                                                 TwipsToPixels(kClientHeightTwips, dpi), kStyle,
                                                 kExStyle, true, dpi);
    const TwipsPoint at = MainWindowPosition(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi),
                                             PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi),
                                             PixelsToTwips(outer.cx, dpi),
                                             PixelsToTwips(outer.cy, dpi));
    if (!Create({kClassName, ClassIcon(), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), 0, true},
                {kCaption.c_str(), kStyle, kExStyle,
                 {TwipsToPixels(at.left, dpi), TwipsToPixels(at.top, dpi), outer.cx, outer.cy},
                 nullptr, menuBar_.get(), dpi}))
        return false;
    (void)menuBar_.release();  // the window's now: it goes with it
    LoadIcons(dpi);
    for (win32::WindowTimer* timer : {&timer1_, &tmrIconChange_, &timer2_.Timer(), &tmrPlaces_})
        timer->Attach(Handle());
    trayClicks_.Attach(Handle());
    pauseTimer_.Attach(Handle());
    if (!CreateControls()) return false;
    FitMonitorScale();
    SetDefaultButton(idCmdOK);
    services_.watcher.OnWindowOpen(
        [this](int watchId, WindowHandle window) { PaneWatcher1_WindowOpen(watchId, window); });
    services_.watcher.OnPatternTooLong([this](int watchId, WindowHandle window) {
        if (CommandLineMode()) return;
        const auto monitor = ReportedMonitor(policy_.CurrentSettings().Monitors, watchId);
        if (!monitor) return;
        recent_.Record(PatternTooLongEvent(*monitor, WindowCaption(services_.desktop, window),
                                           services_.desktop.ProgramPath(window),
                                           services_.clock.Now()));
        activity_.Refresh();
    });

    if (!win32::IsRichColourDisplay()) LowColorMode();
    helpCommand_ = L"write.exe kvlhelp.doc";
    if (!InitApp()) return false;

    if (!CommandLineMode()) {
        ShowWindow(Handle(), SW_SHOW);
        UpdateWindow(Handle());
        FocusControl(lstItems.Handle());
    }
    return true;
}

bool frmKVL::InitApp() {
    tray1_ = std::make_unique<win32::TrayIcon>(Handle(), kTrayMessage);
    tray1_->SetIcon(trayImage2_.get());
    tray1_->SetTip(win32::ResourceText(IDS_TRAY_TIP));
    // Without its icon the program would run on where no one can reach it.
    if (!tray1_->Added()) return false;
    policy_.Start();
    if (CommandLineMode()) {
        // The one-shot run neither shows the window nor changes the monitoring.
        EnableMenuItem(mnuPopUp_, mnuEditMon, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(mnuPopUp_, mnuDisable, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(mnuPopUp_, mnuArrange, MF_BYCOMMAND | MF_GRAYED);
        // Started with Windows, a copy would run resident, not this one-shot command.
        DeleteMenu(mnuPopUp_, mnuStartWithWindows, MF_BYCOMMAND);
        DeleteMenu(mnuStats_, mnuActivity, MF_BYCOMMAND);
        const CommandLineOutcome outcome = RunCommandLine(
            win32::Narrow(services_.commandLine), services_.shell, services_.watcher, timer2_);
        if (outcome != CommandLineOutcome::Waiting)
            EndProgram(outcome == CommandLineOutcome::Help ? kExitActed : kExitError);
        return true;
    }
    FillList();
    for (const ActivityEvent& event :
         UnusablePatternEvents(policy_.CurrentSettings().Monitors, services_.clock.Now()))
        recent_.Record(event);
    return true;
}

void frmKVL::LowColorMode() {
    CandyScreen1.SetVisible(false);
    for (win32::Label* label : {&Label1, &Label2}) label->SetColours({});
    cmdOK.SetVisible(false);
    cmdOK256.SetVisible(true);
    SetDefaultButton(idCmdOK256);
    lstItems.Move({100, 400, 4485, 2400});
    const TwipsRect box = chkDisable.Position();
    chkDisable.Move({100, 2880, box.width, box.height});
    SetWindowPos(Handle(), nullptr, 0, 0, TwipsToPixels(4485 + 250, Dpi()),
                 TwipsToPixels(2880 + 1300, Dpi()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmKVL::OnDpiChanged(int) { LoadIcons(Dpi()); }

void frmKVL::FillList() {
    lstItems.Clear();
    const MonitorTable& table = policy_.CurrentSettings().Monitors;
    const int count = MonitorCount(table);
    for (int slot = 0; slot < count; ++slot) {
        const Monitor& m = table[static_cast<std::size_t>(slot)];
        lstItems.AddItem(win32::Widen(MonitorListLine(m)));
    }
}

void frmKVL::ShowOwnedMessage(const std::wstring& text) {
    const win32::OwnModalLoop modal;
    MessageBoxW(Handle(), text.c_str(), win32::Widen(kMessageTitle).c_str(), MB_OK);
}

void frmKVL::EndProgram(int exitCode) {
    // A step paused half-way, and the reports behind it, end here: nothing is typed later.
    ending_ = true;
    reports_.Stop();
    services_.watcher.MonitorStrength(0);
    if (tray1_) tray1_->Remove();
    services_.endProgram(exitCode);
}

bool frmKVL::Form_QueryUnload() {
    if (IsVisible()) {
        policy_.Accept();
        SetVisible(false);
        return false;
    }
    return true;
}

void frmKVL::cmdOK_Click() {
    policy_.Accept();
    SetVisible(false);
}

void frmKVL::chkDisable_Click() {
    policy_.SetMonitoringDisabled(chkDisable.Value());
    CheckMenuItem(mnuPopUp_, mnuDisable, policy_.MonitoringDisabled() ? MF_CHECKED : MF_UNCHECKED);
}

void frmKVL::SetMonitoringSwitch(bool ticked) {
    // Like a check box changed by code: the click handler runs only when the value changes.
    if (chkDisable.Value() == ticked) return;
    chkDisable.SetValue(ticked);
    chkDisable_Click();
}

void frmKVL::mnuDisable_Click() {
    if (CommandLineMode()) return;
    const bool checked = (GetMenuState(mnuPopUp_, mnuDisable, MF_BYCOMMAND) & MF_CHECKED) == 0;
    CheckMenuItem(mnuPopUp_, mnuDisable, checked ? MF_CHECKED : MF_UNCHECKED);
    SetMonitoringSwitch(checked);
}

void frmKVL::mnuNew_Click() {
    if (!editor_) editor_ = std::make_unique<frmAction>(policy_, services_.desktop);
    editor_->Load();
}

void frmKVL::mnuEdit_Click() {
    const int selected = lstItems.ListIndex();
    if (selected < 0) return;
    if (!editor_) editor_ = std::make_unique<frmAction>(policy_, services_.desktop);
    editor_->EditRec(selected);
}

void frmKVL::mnuDelete_Click() {
    const int selected = lstItems.ListIndex();
    // An open editor keeps to its own monitor while the numbers below it close up.
    if (editor_ && selected >= 0 && selected < kTableSlots) editor_->MonitorDeleted(selected);
    policy_.DeleteMonitor(selected);
}

void frmKVL::mnuExit_Click() { EndProgram(policy_.Exit()); }

void frmKVL::mnuClose_Click() { timer1_.Enable(true); }

// Owned by the main window, which may be topmost: the box must open above it.
void frmKVL::mnuCommnadHelp_Click() { ShowOwnedMessage(win32::Widen(CommandLineReference())); }

void frmKVL::mnuActivity_Click() {
    if (!CommandLineMode()) activity_.Show();
}

// The command line's wait ran out: end quietly, saving nothing; the exit code tells.
void frmKVL::Timer2_Timer() { EndProgram(kExitTimedOut); }

void frmKVL::Timer1_Timer() {
    timer1_.Enable(false);
    EndProgram(policy_.Exit());
}

void frmKVL::lstItems_MouseDown(win32::MouseButton button) {
    if (button != win32::MouseButton::Right) return;
    POINT p{};
    GetCursorPos(&p);
    ShowPopupAt(mnuEditTop_, p);
}

LRESULT frmKVL::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (tray1_ && tray1_->HandleShellRestart(msg)) return 0;
    switch (msg) {
        case WM_CLOSE:
            if (Form_QueryUnload()) DestroyWindow(Handle());
            return 0;
        case WM_QUERYENDSESSION:
            // Save as a close would, but never stand in the way of the session's end.
            Form_QueryUnload();
            return TRUE;
        case WM_DESTROY:
            if (tray1_) tray1_->Remove();
            PostQuitMessage(0);
            return 0;
        case WM_INITMENUPOPUP:
            ShowAutostartState(reinterpret_cast<HMENU>(wp));
            return 0;
        case WM_ENDSESSION:
            // The session ends now: a step half-way through its pauses goes no further.
            if (wp) {
                ending_ = true;
                reports_.Stop();
            }
            return 0;
        case kTrayMessage:
            trayClicks_.Event(LOWORD(lp), {GET_X_LPARAM(wp), GET_Y_LPARAM(wp)});
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL) {  // Escape, as the dialog manager hands it on
                SendMessageW(Handle(), WM_CLOSE, 0, 0);
                return 0;
            }
            if (lp == 0) OnMenuCommand(LOWORD(wp));
            return 0;
        default:
            return Default(msg, wp, lp);
    }
}

}  // namespace kvl
