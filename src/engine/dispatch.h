#pragma once
// Joins the window watcher to the monitor table.

#include "engine/window_watcher.h"
#include "monitors/settings.h"

namespace kvl {

// Saves, then hands the watcher one watch per monitor in table order, so that a watch
// identifier is a table slot. While "Disable All Monitoring" is ticked the level stays 0.
void RegisterWatches(SettingsStore& store, const Settings& settings, WindowWatcher& watcher,
                     bool monitoringDisabled);

}  // namespace kvl
