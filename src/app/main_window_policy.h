#pragma once
// What the main window decides, apart from its drawing: the monitor table and the store,
// the strength, the "Disable All Monitoring" switch, the pause while the editor is open, and
// what OK, the close box, a deletion, the editor's Apply and its closing, and the program's
// end do to the store and the watcher. The forms call this; it needs no platform.

#include <functional>
#include <optional>
#include <string>

#include "editor/editor_host.h"
#include "engine/action_plan.h"
#include "monitors/settings.h"
#include "platform/settings_store.h"

namespace kvl {

class Shell;
class WindowWatcher;

class MainWindowPolicy final : public EditorHost {
public:
    // A command-line run handles one awaited window: it never registers the stored monitors
    // and never writes the store.
    MainWindowPolicy(SettingsStore& store, WindowWatcher& watcher, bool commandLineMode);

    // Start-up: reads the store; a resident run hands the monitors to the watcher.
    void Start();

    bool CommandLineMode() const { return commandLineMode_; }
    bool MonitoringDisabled() const { return monitoringDisabled_; }
    bool EditorOpen() const { return editorOpen_; }
    const Settings& CurrentSettings() const { return settings_; }

    // "Disable All Monitoring", from the box or the tray: level 0 while on; while the editor
    // is open the level stays 0 either way.
    void SetMonitoringDisabled(bool disabled);
    // OK and the close box: save and register the watches again (paused while the editor
    // is open or the switch is on).
    void Accept();
    // Deletes table slot `slot` (out of range: nothing) and closes the table up in the store
    // and the watcher.
    void DeleteMonitor(int slot);
    // The program ends: the exit code, after saving when the run may write the store. A
    // command-line run ended by hand tells a script what a wait that ran out tells it.
    int Exit();

    // The guide: `helpCommand` names a program of the system's own and the guide's file,
    // which ships beside ours (`ourFolder`). Both go by full paths: the program's folder is
    // often Downloads. A failure is ignored.
    void ShowHelp(Shell& shell, std::string_view helpCommand, std::string_view ourFolder);


    // EditorHost
    Settings& CurrentSettings() override { return settings_; }
    void RefreshMe() override;
    void RegisterWatches() override;
    void PauseWatching() override;
    void ResumeWatching() override;
    void EditorClosed() override {
        if (onEditorClosed) onEditorClosed();
    }

    // Hooks of the window that shows all this.
    std::function<void()> onTableChanged;  // the table was read again: redraw the list
    std::function<void()> onEditorClosed;
    // Monitoring stops (the switch is ticked, the editor opens), for the reason given: what was
    // reported before and is still waiting, or paused half-way, must not go on.
    std::function<void(ActionResult why)> onMonitoringStopped;
    // Monitor `slot` was deleted, and the table closed up: nothing of it may act any more.
    std::function<void(int slot)> onMonitorDeleted;

private:
    void RegisterAtLevel(bool paused);
    void StopActing(ActionResult why);
    void ApplyLevel();

    SettingsStore& store_;
    WindowWatcher& watcher_;
    const bool commandLineMode_;
    Settings settings_;
    bool monitoringDisabled_ = false;
    bool editorOpen_ = false;
};

}  // namespace kvl
