#pragma once
// frmKVL, the main window: start-up, the ways the program ends, the menus and the tray icon.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "monitors/settings.h"
#include "platform/win32/handles.h"
#include "platform/win32/timer.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window.h"

namespace kvl {

class WindowWatcher;

class frmKVL final : public win32::Window {
public:
    struct Services {
        SettingsStore& store;
        WindowWatcher& watcher;
        std::wstring commandLine;           // the arguments after the program's name
        std::function<void()> endProgram;  // ends the process at once
    };

    explicit frmKVL(Services services);
    ~frmKVL() override;

    // Creates the window and runs the whole start-up.
    void Form_Load();

    // Hides or shows nothing itself; false when a close request was refused (window kept).
    bool Form_QueryUnload();

    Settings& CurrentSettings() { return settings_; }
    win32::TrayIcon* Tray1() { return tray1_.get(); }
    const std::wstring& HelpCommand() const { return helpCommand_; }
    HMENU PopUpMenu() const { return mnuPopUp_; }
    HMENU StatsMenu() const { return mnuStats_; }
    bool MonitoringDisabled() const { return monitoringDisabled_; }

    static constexpr UINT kTrayMessage = WM_APP + 10;

    // Menu command identifiers.
    enum Command : UINT {
        mnuExit = 100,
        mnuNew,
        mnuEdit,
        mnuDelete,
        mnuHelp,
        mnuCommnadHelp,
        mnuLast,
        mnuEditMon,
        mnuDisable,
        mnuClose,
    };

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    void InitApp();
    void RegisterWatches();
    void EndProgram();
    void BuildMenus();

    void mnuExit_Click();
    void mnuClose_Click();
    void Timer1_Timer();
    void Tray1_MouseDown(int button);
    void ShowPopupAtPointer(HMENU menu);

    Services services_;
    Settings settings_;
    std::wstring helpCommand_;
    bool monitoringDisabled_ = false;

    win32::UniqueIcon image1_;  // flash frame
    win32::UniqueIcon image2_;  // resting icon
    win32::UniqueIcon smallImage1_, smallImage2_;
    std::unique_ptr<win32::TrayIcon> tray1_;
    win32::WindowTimer timer1_{1, 100};

    HMENU menuBar_ = nullptr;   // owned by the window once attached
    win32::UniqueMenu hiddenMenus_;  // holds "Stats" and "PopUp"
    HMENU mnuStats_ = nullptr;
    HMENU mnuPopUp_ = nullptr;
};

}  // namespace kvl
