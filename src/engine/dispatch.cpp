#include "engine/dispatch.h"

#include <string>

#include "engine/keystroke_step.h"

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

ActionPlan MonitorRun(const Monitor& monitor, WindowHandle window) {
    ActionPlan plan;
    plan.target = {window, WatchOf(monitor)};
    // First, so that a maximized or minimized window does so on the display it was put on.
    // The move, the top layer and the opacity are steps of their own: the window is looked at
    // again before each.
    const PlaceRequest place = PlaceRequestOf(monitor);
    if (place.MovesWindow()) {
        PlaceRequest move = place;
        move.onTop = false;
        move.opacity = 0;
        plan.steps.push_back({.kind = ActionStep::Kind::Place, .place = move});
    }
    if (place.onTop) plan.steps.push_back({.kind = ActionStep::Kind::Place, .place = {.onTop = true}});
    if (place.opacity != 0)
        plan.steps.push_back({.kind = ActionStep::Kind::Place, .place = {.opacity = place.opacity}});
    if (!monitor.WindowState.empty())
        plan.steps.push_back({ActionStep::Kind::SetState, monitor.WindowState});
    for (std::size_t step = 0; step < 3; ++step) {
        if (monitor.SendKeys[step].empty()) continue;
        for (ActionStep& s : KeystrokeSteps(monitor.SendKeys[step], monitor.SendKeysPause[step]))
            plan.steps.push_back(std::move(s));
    }
    // Last: a button that closes the window would leave nothing for the keys.
    if (!monitor.PressButton.empty())
        plan.steps.push_back({ActionStep::Kind::PressButton, monitor.PressButton});
    return plan;
}

bool RunsWithHigherRights(std::optional<std::uint32_t> target, std::optional<std::uint32_t> own) {
    return target && own && *target > *own;
}

void RefuseHigherRights(Desktop& desktop, ActionPlan& plan) {
    if (!RunsWithHigherRights(desktop.IntegrityLevel(plan.target.window), desktop.IntegrityLevel(0)))
        return;
    plan.steps.clear();
    plan.refusal = ActionResult::HigherRights;
}

std::optional<Monitor> ReportedMonitor(const MonitorTable& table, int watchId) {
    if (watchId < 0 || watchId >= kTableSlots) return std::nullopt;
    const Monitor& monitor = table[static_cast<std::size_t>(watchId)];
    if (monitor.Disable == 1) return std::nullopt;
    return monitor;
}

std::optional<ActionPlan> MonitorWindowOpen(const Monitor& monitor, TriggerRecord& record,
                                            WindowHandle window, const LocalTime& now,
                                            Desktop& desktop) {
    if (IsRepeat(record, window, now)) return std::nullopt;
    ActionPlan plan = MonitorRun(monitor, window);
    // Reported a while ago, the window may have changed since: it is acted on only if it is
    // still what the monitor is meant for, and a window that is not is no trigger.
    const ActionResult meant = StillMeant(desktop, {window, plan.target.condition});
    if (meant != ActionResult::Done) {
        plan.steps.clear();
        plan.refusal = meant;
        return plan;
    }
    RecordTrigger(record, window, now);
    RefuseHigherRights(desktop, plan);
    return plan;
}

}  // namespace kvl
