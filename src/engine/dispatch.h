#pragma once
// Joins the window watcher to the monitor table: registration of the watches, and what
// happens when a watched window opens.

#include <cstdint>
#include <optional>

#include "engine/action_plan.h"
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

// The window-state action, then keystroke steps 0 to 2 typed into the window, then the press
// of its button; the window must still be one the monitor is meant for when its keys go in.
ActionPlan MonitorRun(const Monitor& monitor, WindowHandle window);

// A window of a process with higher rights than ours ignores our input and messages without
// a word (the system drops them). A level that cannot be read is taken as not higher.
bool RunsWithHigherRights(std::optional<std::uint32_t> target, std::optional<std::uint32_t> own);
// Such a window is left alone: the plan keeps no step and says why.
void RefuseHigherRights(Desktop& desktop, ActionPlan& plan);

// The monitor a watch stands for when the watcher reports it, copied: the table may change
// while the report waits its turn. Nothing for a slot outside the table or a disabled monitor.
std::optional<Monitor> ReportedMonitor(const MonitorTable& table, int watchId);

// A watched window opened while monitors are resident, and its turn has come. What to do to
// it, or nothing for a repeat report. A window gone, or one that no longer matches the
// monitor, gets a plan with nothing to do that says why, and is no trigger. Otherwise the
// trigger is recorded, also for a window of higher rights, which gets a plan with nothing to
// do that says why: the monitor fired, though Windows would not let it act.
std::optional<ActionPlan> MonitorWindowOpen(const Monitor& monitor, TriggerRecord& record,
                                            WindowHandle window, const LocalTime& now,
                                            Desktop& desktop);

}  // namespace kvl
