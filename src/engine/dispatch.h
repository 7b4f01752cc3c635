#pragma once
// Joins the window watcher to the monitor table: registration of the watches, and what
// happens when a watched window opens.

#include "engine/trigger_guard.h"
#include "monitors/settings.h"
#include "platform/window_watcher.h"

namespace kvl {

class Desktop;

// What the watcher looks for on behalf of a monitor.
Watch WatchOf(const Monitor& monitor);

// Saves, then hands the watcher one watch per monitor in table order, so that a watch
// identifier is a table slot. While "Disable All Monitoring" is ticked the level stays 0.
void RegisterWatches(SettingsStore& store, const Settings& settings, WindowWatcher& watcher,
                     bool monitoringDisabled);

// The window-state action, then keystroke steps 0 to 2, typed into the window found by the
// monitor's own caption text. The monitor itself is never changed.
void ApplyMonitor(const Monitor& monitor, WindowHandle window, Desktop& desktop);

// A watched window opened while monitors are resident. True when the monitor was triggered
// (the caller then starts the tray animation); a disabled monitor, a slot outside the
// table and a repeat report are ignored.
bool MonitorWindowOpen(const MonitorTable& table, TriggerRecord& record, int watchId,
                       WindowHandle window, const LocalTime& now, Desktop& desktop);

}  // namespace kvl
