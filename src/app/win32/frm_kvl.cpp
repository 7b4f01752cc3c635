#include "app/win32/frm_kvl.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>

#include "app/autostart.h"
#include "app/monitor_files.h"
#include "app/pattern_notices.h"
#include "app/startup.h"
#include "cmdline/command_line.h"
#include "editor/editor_fields.h"
#include "engine/dispatch.h"
#include "engine/window_actions.h"
#include "platform/clock.h"
#include "platform/path_name.h"
#include "platform/shell.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/display.h"
#include "platform/win32/dpi.h"
#include "platform/win32/own_modal.h"
#include "platform/win32/registry_store.h"
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
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Task Manager's "Enabled" and "Disabled" of each Run value.
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

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

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ThisProgramsFolder() {
    return std::wstring(FolderOf(std::wstring_view(win32::ThisProgramPath())));
}

}  // namespace

frmKVL::frmKVL(Services services)
    : services_(std::move(services)),
      policy_(services_.store, services_.watcher, !services_.commandLine.empty()) {
    policy_.onTableChanged = [this] { FillList(); };
    policy_.onEditorClosed = [this] { editor_.reset(); };
    policy_.onMonitoringStopped = [this] { actions_.Cancel(); };
    // Acting while a menu or message box of ours is open would type into its loop.
    actions_.mayAct = [] { return !win32::InModalLoop(); };
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
    trayClicks_.onClick = [this](POINT at) {
        trayPoint_ = at;
        Tray1_MouseDown(1);
    };
    trayClicks_.onDoubleClick = [this] { Tray1_MouseDblClick(); };
    trayClicks_.onContextMenu = [this](POINT at) {
        trayPoint_ = at;
        Tray1_MouseDown(2);
    };
    pauseTimer_.onRing = [this] { actions_.PauseEnded(); };
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
    for (win32::WindowTimer* timer : {&timer1_, &tmrIconChange_, &timer2_.Timer()})
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
    actions_.Stop();
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

void frmKVL::mnuHelp_Click() {
    policy_.ShowHelp(services_.shell, win32::Narrow(helpCommand_), win32::Narrow(ThisProgramsFolder()));
}

void frmKVL::mnuExit_Click() { EndProgram(policy_.Exit()); }

void frmKVL::mnuClose_Click() { timer1_.Enable(true); }

// Owned by the main window, which may be topmost: the box must open above it.
void frmKVL::mnuCommnadHelp_Click() { ShowOwnedMessage(win32::Widen(CommandLineReference())); }

// The tick follows the Run value, which the user or another copy of KVL may have changed
// since the menu last opened, and Task Manager's switch for it: it shows whether this copy
// starts, and a click sets it so. Where Task Manager has the start disabled, ticking enables
// it there again, since the user asked for the start, and says so.
void frmKVL::mnuStartWithWindows_Click() {
    if (CommandLineMode()) return;
    if (StartsWithWindows()) {
        if (!win32::DeleteUserValue(kRunKey, kAutostartValueName))
            ShowOwnedMessage(win32::Widen(kAutostartNotWrittenMessage));
        return;
    }
    if (!RunValueStartsThisProgram() &&
        !win32::WriteUserText(kRunKey, kAutostartValueName,
                              AutostartCommand(win32::Narrow(win32::ThisProgramPath())))) {
        ShowOwnedMessage(win32::Widen(kAutostartNotWrittenMessage));
        return;
    }
    if (ApprovedToStart(win32::ReadUserBinary(kApprovedKey, kAutostartValueName))) return;
    ShowOwnedMessage(win32::Widen(
        win32::WriteUserBinary(kApprovedKey, kAutostartValueName, ApprovedValue())
            ? kAutostartReapprovedMessage
            : kAutostartStillDisabledMessage));
}

bool frmKVL::RunValueStartsThisProgram() const {
    return StartsThisProgram(win32::ReadUserText(kRunKey, kAutostartValueName),
                             win32::Narrow(win32::ThisProgramPath()), IsFile);
}

bool frmKVL::StartsWithWindows() const {
    return RunValueStartsThisProgram() &&
           ApprovedToStart(win32::ReadUserBinary(kApprovedKey, kAutostartValueName));
}

void frmKVL::ShowAutostartState(HMENU menu) {
    if (GetMenuState(menu, mnuStartWithWindows, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
    CheckMenuItem(menu, mnuStartWithWindows,
                  MF_BYCOMMAND | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
}

void frmKVL::mnuActivity_Click() {
    if (!CommandLineMode()) activity_.Show();
}

// The file dialogs and what they end in are our own modal loops: reports wait for them.
void frmKVL::mnuExport_Click() {
    std::string message;
    {
        const win32::OwnModalLoop dialog;
        message = ExportMonitors(services_.store, services_.files);
    }
    if (!message.empty()) ShowOwnedMessage(win32::Widen(message));
}

void frmKVL::mnuImport_Click() {
    std::string message;
    {
        const win32::OwnModalLoop dialog;
        message = ImportMonitors(policy_, services_.store, services_.files);
    }
    if (!message.empty()) ShowOwnedMessage(win32::Widen(message));
}

// The command line's wait ran out: end quietly, saving nothing; the exit code tells.
void frmKVL::Timer2_Timer() { EndProgram(kExitTimedOut); }

void frmKVL::Timer1_Timer() {
    timer1_.Enable(false);
    EndProgram(policy_.Exit());
}

std::wstring frmKVL::LastTriggerText() const {
    return triggers_.LastTriggerTime ? win32::FormatLocalTime(*triggers_.LastTriggerTime)
                                     : std::wstring();
}

void frmKVL::ShowPopupAt(HMENU menu, POINT at) {
    // The menu must belong to the foreground window, or it will not close when clicked away.
    SetForegroundWindow(Handle());
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, at.x, at.y, 0,
                   Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void frmKVL::Tray1_MouseDown(int button) {
    if (button == 1) {
        const std::wstring caption = win32::ResourceText(IDS_LAST_TRIGGERED) + LastTriggerText();
        ModifyMenuW(mnuStats_, mnuLast, MF_BYCOMMAND | MF_STRING, mnuLast, caption.c_str());
        ShowPopupAt(mnuStats_, trayPoint_);
    } else if (button == 2) {
        ShowPopupAt(mnuPopUp_, trayPoint_);
    }
}

void frmKVL::Tray1_MouseDblClick() {
    // The one-shot mode never shows the window: its OK would save and re-register.
    if (CommandLineMode()) return;
    FillList();
    SetVisible(!IsVisible());
    if (!IsVisible()) return;
    win32::SetTopmost(Handle(), true);
    // Reached from the keyboard too: the window takes the keys, the list first.
    SetForegroundWindow(Handle());
    FocusControl(lstItems.Handle());
}

void frmKVL::tmrIconChange_Timer() {
    const IconAnimation::Tick tick = animation_.Next();
    tray1_->SetIcon(tick.frame == IconAnimation::Frame::Alternate ? trayImage1_.get()
                                                                  : trayImage2_.get());
    if (!tick.keepRunning) tmrIconChange_.Enable(false);
}

// A report waits its turn behind the actions before it, and behind our own menus and message
// boxes, whose loops would take its keys. It carries a copy of its monitor: the table may
// change before its turn (a monitor deleted, the others moved up).
void frmKVL::PaneWatcher1_WindowOpen(int watchId, WindowHandle window) {
    if (window == reinterpret_cast<WindowHandle>(Handle()) || ending_) return;
    if (CommandLineMode()) {
        actions_.Add([this, window]() -> std::optional<ActionQueue::Job> {
            if (awaitedWindowHandled_) return std::nullopt;
            awaitedWindowHandled_ = true;
            services_.watcher.MonitorStrength(0);
            EndProgram(CommandLineWindowOpen(win32::Narrow(services_.commandLine), window,
                                             services_.desktop, services_.shell));
            return std::nullopt;
        });
        return;
    }
    std::optional<Monitor> monitor = ReportedMonitor(policy_.CurrentSettings().Monitors, watchId);
    if (!monitor) return;
    actions_.Add([this, monitor = std::move(*monitor), window]() -> std::optional<ActionQueue::Job> {
        const LocalTime now = services_.clock.Now();
        std::optional<ActionPlan> plan =
            MonitorWindowOpen(monitor, triggers_, window, now, services_.desktop);
        if (!plan) return std::nullopt;
        // The icon flashes for what KVL does, not for a window it left alone.
        if (plan->refusal == ActionResult::Done) tmrIconChange_.Enable(true);
        ActivityEvent event{now, monitor.Description, WindowCaption(services_.desktop, window),
                            services_.desktop.ProgramPath(window)};
        return ActionQueue::Job{std::move(*plan), [this, event](ActionResult result) mutable {
                                    event.result = result;
                                    Action_Finished(event);
                                }};
    });
}

void frmKVL::Action_Finished(const ActivityEvent& event) {
    const std::optional<std::string> notice = recent_.Record(event);
    activity_.Refresh();
    if (notice && tray1_) tray1_->ShowBalloon(win32::Widen(kMessageTitle), win32::Widen(*notice));
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
                actions_.Stop();
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
