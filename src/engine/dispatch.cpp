#include "engine/dispatch.h"

namespace kvl {

void RegisterWatches(SettingsStore& store, const Settings& settings, WindowWatcher& watcher,
                     bool monitoringDisabled) {
    SaveSettings(store, settings);
    watcher.ClearWatches();
    // Disabled and not-yet-dropped deleted monitors are registered too: identifiers must
    // stay equal to slots, and the dispatch skips disabled ones itself.
    const int count = MonitorCount(settings.Monitors);
    for (int slot = 0; slot < count; ++slot) {
        const Monitor& m = settings.Monitors[static_cast<std::size_t>(slot)];
        watcher.AddWatch(m.Caption, m.ExactMatch == 1);
    }
    watcher.MonitorStrength(monitoringDisabled ? 0 : SelectedStrengthLevel(settings.Strength));
}

}  // namespace kvl
