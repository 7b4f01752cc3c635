#include "app/main_window_policy.h"

#include "cmdline/command_line.h"
#include "engine/dispatch.h"
#include "monitors/reg_file.h"
#include "platform/files.h"
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
    if (disabled) StopActing();
}

void MainWindowPolicy::Accept() { RegisterAtLevel(monitoringDisabled_ || editorOpen_); }

void MainWindowPolicy::DeleteMonitor(int slot) {
    if (slot >= 0 && slot < kTableSlots)
        settings_.Monitors[static_cast<std::size_t>(slot)].Deleted = -1;
    RefreshMe();
    // Watch identifiers are table slots: the watcher must number its watches anew at once.
    Accept();
}

int MainWindowPolicy::Exit() {
    if (commandLineMode_) return kExitTimedOut;
    SaveSettings(store_, settings_);
    return kExitActed;
}

std::string MainWindowPolicy::ExportMonitors(Files& files) {
    const std::optional<std::string> path = files.ChooseFileToSave("Export Monitors", "KVL.reg");
    if (!path) return {};
    if (files.WriteWholeFile(*path, WriteRegFile(store_.KeyPath(), StoreKeys(store_)))) return {};
    return "I couldn't write your monitors to " + *path + ".";
}

std::string MainWindowPolicy::ImportMonitors(Files& files) {
    const std::optional<std::string> path = files.ChooseFileToOpen("Import Monitors");
    if (!path) return {};
    // One byte past the limit, so that a file too large is refused as such, not cut short.
    const RegReadLimits limits;
    const std::optional<std::string> bytes = files.ReadFileStart(*path, limits.fileBytes + 1);
    if (!bytes) return "I can't open " + *path + ".";
    const RegRead read = ReadRegFile(*bytes, store_.KeyPath(), limits,
                                     [&files](std::string_view text) { return files.AnsiToUtf8(text); });
    if (!read.refusal.empty()) return read.refusal;

    const MonitorImport import = kvl::ImportMonitors(read.keys, settings_.Monitors);
    if (import.found == 0) return "I found no monitors of mine in that file.";
    if (import.added > 0) {
        // Saved in the store's safe order, then watched like any monitor the editor adds.
        Accept();
        if (onTableChanged) onTableChanged();
    }
    std::string message = "I added " + std::to_string(import.added) +
                          (import.added == 1 ? " monitor." : " monitors.");
    if (import.leftOut > 0)
        message += " " + std::to_string(import.leftOut) + " did not fit: I keep at most 50 monitors.";
    return message;
}

void MainWindowPolicy::ShowHelp(Shell& shell, std::string_view helpCommand,
                                std::string_view ourFolder) {
    const auto blank = helpCommand.find(' ');
    if (blank == std::string_view::npos) return;
    shell.LaunchSystemProgram(helpCommand.substr(0, blank),
                              "\"" + std::string(ourFolder) + "\\" +
                                  std::string(helpCommand.substr(blank + 1)) + "\"");
}

std::optional<std::string> MainWindowPolicy::RecordRun(const ActivityEvent& event) {
    activity_.Add(event);
    if (event.result == ActionResult::HigherRights && notices_.FirstFor(event.program))
        return HigherRightsNotice(event.windowCaption, event.program);
    return std::nullopt;
}

void MainWindowPolicy::RefreshMe() {
    SaveSettings(store_, settings_);
    ClearTable(settings_.Monitors);
    LoadSettings(store_, settings_);
    if (onTableChanged) onTableChanged();
}

// The editor's Apply and OK: monitoring comes back unless the switch holds it off.
void MainWindowPolicy::RegisterWatches() { RegisterAtLevel(monitoringDisabled_); }

void MainWindowPolicy::PauseWatching() {
    editorOpen_ = true;
    watcher_.MonitorStrength(0);
    StopActing();
}

void MainWindowPolicy::StopActing() {
    if (onMonitoringStopped) onMonitoringStopped();
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
