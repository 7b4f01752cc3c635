#pragma once
// frmKVL, the main window: start-up and every way of ending, the monitor list and the
// monitoring switch, the menus, the tray icon and its animation.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/activity.h"
#include "app/icon_animation.h"
#include "app/main_window_policy.h"
#include "app/win32/frm_activity.h"
#include "app/win32/tray_clicks.h"
#include "editor/win32/frm_action.h"
#include "app/reported_windows.h"
#include "engine/placement.h"
#include "monitors/settings.h"
#include "platform/win32/controls.h"
#include "platform/win32/handles.h"
#include "platform/win32/minute_timer.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/timer.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window.h"

namespace kvl {

class WindowWatcher;
class Shell;
class Desktop;
class Clock;
class Files;

class frmKVL final : public win32::Window {
public:
    struct Services {
        SettingsStore& store;
        WindowWatcher& watcher;
        Shell& shell;
        Desktop& desktop;
        Clock& clock;
        Files& files;
        std::wstring commandLine;          // the arguments after the program's name
        std::function<void(int)> endProgram;  // ends the message loop, with this exit code
    };

    explicit frmKVL(Services services);
    ~frmKVL() override;

    // Creates the window and runs the whole start-up. False when the window, one of its
    // controls, its menus or the tray icon could not be made; nothing is then left running.
    bool Form_Load();
    // False when a close request was turned into hiding the window.
    bool Form_QueryUnload();

    MainWindowPolicy& Policy() { return policy_; }
    frmAction* Editor() { return editor_.get(); }
    void FillList();
    void LowColorMode();

    win32::TrayIcon* Tray1() { return tray1_.get(); }
    const std::wstring& HelpCommand() const { return helpCommand_; }
    HMENU PopUpMenu() const { return mnuPopUp_; }
    HMENU StatsMenu() const { return mnuStats_; }
    HMENU MonitorsMenu() const { return mnuEditTop_; }
    HICON Image1() const { return trayImage1_.get(); }
    HICON Image2() const { return trayImage2_.get(); }
    const TriggerRecord& Triggers() const { return reports_.Triggers(); }
    bool IconAnimating() const { return tmrIconChange_.Enabled(); }
    const ActionQueue& Actions() const { return reports_.Queue(); }
    std::wstring LastTriggerText() const;

    static constexpr UINT kTrayMessage = WM_APP + 10;

    // Menu command identifiers, as the resource script gives them.
    enum Command : UINT {
        mnuExit = IDM_EXIT,
        mnuNew = IDM_NEW,
        mnuEdit = IDM_EDIT,
        mnuDelete = IDM_DELETE,
        mnuHelp = IDM_HELP,
        mnuCommnadHelp = IDM_COMMAND_HELP,
        mnuLast = IDM_LAST,
        mnuEditMon = IDM_EDIT_MONITORS,
        mnuDisable = IDM_DISABLE,
        mnuClose = IDM_TRAY_EXIT,
        mnuStartWithWindows = IDM_START_WITH_WINDOWS,
        mnuImport = IDM_IMPORT,
        mnuExport = IDM_EXPORT,
        mnuActivity = IDM_ACTIVITY,
        mnuArrange = IDM_ARRANGE,
    };
    // Control identifiers.
    enum Control : int {
        idCandyScreen1 = 10,
        idLabel2,
        idLabel1,
        idLstItems,
        idChkDisable,
        idCmdOK,
        idCmdOK256,
    };
    // idTrayClick: a single click on the icon waits to see whether a second one follows.
    enum TimerId : UINT_PTR { idTimer1 = 1, idTimer2, idTmrIconChange, idTrayClick, idPause, idPlaces };

    // Handlers, public so that the tray and the tests can drive them as the user would.
    void cmdOK_Click();
    void chkDisable_Click();
    void mnuDisable_Click();
    void mnuNew_Click();
    void mnuEdit_Click();
    void lstItems_DblClick() { mnuEdit_Click(); }
    void mnuDelete_Click();
    void mnuHelp_Click();
    void mnuExit_Click();
    void mnuClose_Click();
    void mnuCommnadHelp_Click();
    void mnuStartWithWindows_Click();
    void mnuImport_Click();
    void mnuExport_Click();
    void mnuActivity_Click();
    void mnuArrange_Click();
    frmActivity& Activity() { return activity_; }
    void Tray1_MouseDown(int button);
    void Tray1_MouseDblClick();
    void tmrIconChange_Timer();
    void PaneWatcher1_WindowOpen(int watchId, WindowHandle window);
    void Action_Finished(const ActivityEvent& event);
    // Whether windows placed for "remember where I leave it" are being looked at.
    bool FollowingPlaces() const { return tmrPlaces_.Enabled(); }

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDpiChanged(int oldDpi) override;
    void LoadIcons(int dpi);

    bool InitApp();
    void EndProgram(int exitCode = 0);
    bool LoadMenus();
    bool CreateControls();
    void BindEvents();
    void OnMenuCommand(UINT id);
    void SetMonitoringSwitch(bool ticked);
    void Timer1_Timer();
    void Timer2_Timer();
    void tmrPlaces_Timer();
    void FollowPlace(int slot, const Monitor& monitor, WindowHandle window);
    void ShowPopupAt(HMENU menu, POINT at);
    bool CommandLineMode() const { return policy_.CommandLineMode(); }
    void ShowOwnedMessage(const std::wstring& text);
    void lstItems_MouseDown(win32::MouseButton button);
    void ShowAutostartState(HMENU menu);
    // Whether the Run value starts this very copy, as it stands now.
    bool RunValueStartsThisProgram() const;
    // And Task Manager lets it.
    bool StartsWithWindows() const;

    Services services_;
    MainWindowPolicy policy_;
    std::unique_ptr<frmAction> editor_;  // loaded on demand, gone when closed
    RecentActivity recent_;
    frmActivity activity_{recent_.Log()};
    IconAnimation animation_;
    std::wstring helpCommand_;
    bool ending_ = false;  // the program is ending: nothing more is acted on

    POINT trayPoint_{};  // where the icon's last click happened
    TrayClicks trayClicks_{idTrayClick};

    // At the window's scale: the icon, large and the caption's. The class has a shared one
    // of its own, which outlives every window of it.
    win32::UniqueIcon bigIcon_, smallIcon_;
    win32::UniqueIcon trayImage1_, trayImage2_;  // the same pictures at tray size
    std::unique_ptr<win32::TrayIcon> tray1_;
    win32::WindowTimer timer1_{idTimer1, 100};
    win32::WindowTimer tmrIconChange_{idTmrIconChange, 400};
    win32::Win32MinuteTimer timer2_{idTimer2, 3};  // the command line's wait
    // Reports, and the pauses of their keystroke steps, in the order they came.
    win32::WindowPauseTimer pauseTimer_{idPause};
    ReportedWindows reports_{services_.desktop, services_.clock, pauseTimer_};
    // Where the windows of "remember where I leave it" monitors are left: looked at once a
    // second, only while there are such windows (Wine tells of no move of another program's).
    PlaceFollower places_;
    win32::WindowTimer tmrPlaces_{idPlaces, 1000};

    win32::CandyScreen CandyScreen1;
    win32::Label Label2, Label1;
    win32::ListBox lstItems;
    win32::CheckBox chkDisable;
    win32::StyledButton cmdOK;
    win32::Button cmdOK256;

    win32::UniqueMenu menuBar_;    // until the window owns it
    HMENU mnuEditTop_ = nullptr;   // "&Monitors", also the list's pop-up
    win32::UniqueMenu trayMenus_;  // "Stats" and "PopUp"
    HMENU mnuStats_ = nullptr;
    HMENU mnuPopUp_ = nullptr;
};

}  // namespace kvl
