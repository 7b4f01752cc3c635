#pragma once
// Joins the window watcher to the monitor table: registration of the watches, and what
// happens when a watched window opens.

#include <cstdint>
#include <optional>

#include "engine/action_queue.h"
#include "engine/trigger_guard.h"
#include "monitors/settings.h"
#include "platform/window_watcher.h"

namespace kvl {

// What the watcher looks for on behalf of a monitor.
Watch WatchOf(const Monitor& monitor);

// Saves, then hands the watcher one watch per monitor in table order, so that a watch
// identifier is a table slot. While "Disable All Monitoring" is ticked the level stays 0.
void RegisterWatches(SettingsStore& store, const Settings& settings, WindowWatcher& watcher,
                     bool monitoringDisabled);

// The window-state action, then keystroke steps 0 to 2, typed into the window found by the
// monitor's own caption text, then the press of its button.
ActionRun MonitorRun(const Monitor& monitor, WindowHandle window);

// A window of a process with higher rights than ours ignores our input and messages without
// a word (the system drops them). A level that cannot be read is taken as not higher.
bool RunsWithHigherRights(std::optional<std::uint32_t> target, std::optional<std::uint32_t> own);

// A watched window opened while monitors are resident, and its turn has come. What to do to
// it, or nothing for a disabled monitor, a slot outside the table and a repeat report. A
// trigger is recorded (the caller then starts the tray animation). A window of a program
// with higher rights gets a run with nothing to do and says why.
std::optional<ActionRun> MonitorWindowOpen(const MonitorTable& table, TriggerRecord& record,
                                           int watchId, WindowHandle window, const LocalTime& now,
                                           Desktop& desktop);

}  // namespace kvl
