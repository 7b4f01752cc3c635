#include "engine/dispatch.h"

#include <string>

#include "engine/keystroke_step.h"
#include "engine/window_actions.h"

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
        watcher.AddWatch(WatchOf(m));
    }
    watcher.MonitorStrength(monitoringDisabled ? 0 : SelectedStrengthLevel(settings.Strength));
}

Watch WatchOf(const Monitor& monitor) {
    Watch watch;
    watch.caption = monitor.Caption;
    watch.captionKind = monitor.CaptionPattern == 1 ? CaptionKind::Pattern
                        : monitor.ExactMatch == 1   ? CaptionKind::Exact
                                                    : CaptionKind::Partial;
    watch.program = monitor.Program;
    watch.windowClass = monitor.WindowClass;
    return watch;
}

void ApplyMonitor(const Monitor& monitor, WindowHandle window, Desktop& desktop) {
    if (!monitor.WindowState.empty()) SetWindowState(desktop, window, monitor.WindowState);
    for (std::size_t step = 0; step < 3; ++step) {
        if (monitor.SendKeys[step].empty()) continue;
        RunKeystrokeStep(desktop, monitor.Caption, monitor.SendKeys[step],
                         monitor.SendKeysPause[step], window);
    }
}

bool MonitorWindowOpen(const MonitorTable& table, TriggerRecord& record, int watchId,
                       WindowHandle window, const LocalTime& now, Desktop& desktop) {
    if (watchId < 0 || watchId >= kTableSlots) return false;
    // A copy: keystroke steps wait, and the table must not change under them.
    const Monitor monitor = table[static_cast<std::size_t>(watchId)];
    if (monitor.Disable == 1) return false;
    if (IsRepeat(record, window, now)) return false;
    RecordTrigger(record, window, now);
    ApplyMonitor(monitor, window, desktop);
    return true;
}

}  // namespace kvl
