#include "app/main_window_policy.h"

#include "cmdline/command_line.h"
#include "engine/dispatch.h"
#include "platform/shell.h"
#include "platform/window_watcher.h"
#include "monitors/strength.h"

namespace kvl {

MainWindowPolicy::MainWindowPolicy(SettingsStore& store, WindowWatcher& watcher,
                                   bool commandLineMode)
    : store_(store), watcher_(watcher), commandLineMode_(commandLineMode) {}

void MainWindowPolicy::Start() {
    LoadSettings(store_, settings_);
    // The debug level is read once, at start-up, as the watcher takes it.
    watcher_.DebugLevel(settings_.DebugMode);
    if (!commandLineMode_) RegisterWatches();
}

void MainWindowPolicy::SetMonitoringDisabled(bool disabled) {
    monitoringDisabled_ = disabled;
    ApplyLevel();
    if (disabled) StopActing(ActionResult::StoppedMonitoringOff);
}

void MainWindowPolicy::Accept() { RegisterAtLevel(monitoringDisabled_ || editorOpen_); }

void MainWindowPolicy::DeleteMonitor(int slot) {
    const bool inTable = slot >= 0 && slot < kTableSlots;
    if (inTable) settings_.Monitors[static_cast<std::size_t>(slot)].Deleted = -1;
    RefreshMe();
    // Told once the table has closed up, so that what runs next finds its monitor in its slot.
    if (inTable && onMonitorDeleted) onMonitorDeleted(slot);
    // Watch identifiers are table slots: the watcher must number its watches anew at once.
    Accept();
}

int MainWindowPolicy::Exit() {
    if (commandLineMode_) return kExitTimedOut;
    SaveSettings(store_, settings_);
    return kExitActed;
}

void MainWindowPolicy::ShowHelp(Shell& shell, std::string_view helpCommand,
                                std::string_view ourFolder) {
    const auto blank = helpCommand.find(' ');
    if (blank == std::string_view::npos) return;
    shell.LaunchSystemProgram(helpCommand.substr(0, blank),
                              "\"" + std::string(ourFolder) + "\\" +
                                  std::string(helpCommand.substr(blank + 1)) + "\"");
}

void MainWindowPolicy::RefreshMe() {
    SaveSettings(store_, settings_);
    ClearTable(settings_.Monitors);
    LoadSettings(store_, settings_);
    if (onTableChanged) onTableChanged();
}

// The editor's Apply and OK. Monitoring comes back with the editor's closing, not before: a
// monitor half-way through its editing must not fire.
void MainWindowPolicy::RegisterWatches() { RegisterAtLevel(monitoringDisabled_ || editorOpen_); }

void MainWindowPolicy::PauseWatching() {
    editorOpen_ = true;
    watcher_.MonitorStrength(0);
    StopActing(ActionResult::StoppedEditing);
}

void MainWindowPolicy::StopActing(ActionResult why) {
    if (onMonitoringStopped) onMonitoringStopped(why);
}

// The editor's closing.
void MainWindowPolicy::ResumeWatching() {
    editorOpen_ = false;
    ApplyLevel();
}

void MainWindowPolicy::RegisterAtLevel(bool paused) {
    kvl::RegisterWatches(store_, settings_, watcher_, paused);
}

void MainWindowPolicy::ApplyLevel() {
    watcher_.MonitorStrength(monitoringDisabled_ || editorOpen_
                                 ? 0
                                 : SelectedStrengthLevel(settings_.Strength));
}

}  // namespace kvl
