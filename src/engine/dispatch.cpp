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

ActionRun MonitorRun(const Monitor& monitor, WindowHandle window) {
    ActionRun run{window, monitor.Caption, {}};
    if (!monitor.WindowState.empty())
        run.steps.push_back({ActionStep::Kind::SetState, monitor.WindowState});
    for (std::size_t step = 0; step < 3; ++step) {
        if (monitor.SendKeys[step].empty()) continue;
        for (ActionStep& s : KeystrokeSteps(monitor.SendKeys[step], monitor.SendKeysPause[step],
                                            static_cast<int>(step)))
            run.steps.push_back(std::move(s));
    }
    // Last: a button that closes the window would leave nothing for the keys.
    if (!monitor.PressButton.empty())
        run.steps.push_back({ActionStep::Kind::PressButton, monitor.PressButton, 0, 3});
    return run;
}

bool RunsWithHigherRights(std::optional<std::uint32_t> target, std::optional<std::uint32_t> own) {
    return target && own && *target > *own;
}

std::optional<ActionRun> MonitorWindowOpen(const MonitorTable& table, TriggerRecord& record,
                                           int watchId, WindowHandle window, const LocalTime& now,
                                           Desktop& desktop) {
    if (watchId < 0 || watchId >= kTableSlots) return std::nullopt;
    const Monitor& monitor = table[static_cast<std::size_t>(watchId)];
    if (monitor.Disable == 1) return std::nullopt;
    if (IsRepeat(record, window, now)) return std::nullopt;
    RecordTrigger(record, window, now);
    // The run holds copies: the table may change while its pauses go by.
    ActionRun run = MonitorRun(monitor, window);
    run.at = now;
    run.description = monitor.Description;
    run.windowCaption = WindowCaption(desktop, window);
    run.program = desktop.ProgramPath(window);
    if (!desktop.Exists(window)) {
        run.steps.clear();
        run.result = ActionResult::WindowGone;
    } else if (RunsWithHigherRights(desktop.IntegrityLevel(window), desktop.IntegrityLevel(0))) {
        run.steps.clear();
        run.result = ActionResult::HigherRights;
    }
    return run;
}

}  // namespace kvl
