#include "app/reported_windows.h"

#include <utility>

#include "cmdline/command_line.h"
#include "engine/dispatch.h"
#include "engine/window_actions.h"

namespace kvl {

ReportedWindows::ReportedWindows(Desktop& desktop, Clock& clock, PauseTimer& timer)
    : desktop_(desktop), clock_(clock), queue_(desktop, timer) {}

// KVL's own windows (the main window, the editor, Recent Activity, its message boxes) are
// never acted on, whatever their captions: a monitor could otherwise close the very window
// that edits it.
void ReportedWindows::WindowOpen(const MonitorTable& table, int watchId, WindowHandle window) {
    if (desktop_.IsOwnWindow(window)) return;
    std::optional<Monitor> monitor = ReportedMonitor(table, watchId);
    if (!monitor) return;
    queue_.Add(watchId, [this, monitor = std::move(*monitor), window, watchId]()
                            -> std::optional<ActionQueue::Job> {
        const LocalTime now = clock_.Now();
        std::optional<ActionPlan> plan = MonitorWindowOpen(monitor, triggers_, window, now, desktop_);
        if (!plan) return std::nullopt;
        // A window gone or changed by its turn is no trigger; one of higher rights is (the
        // monitor fired; Windows kept it from acting).
        ActivityEvent event{now, monitor.Description, WindowCaption(desktop_, window),
                            desktop_.ProgramPath(window)};
        event.triggered = plan->refusal != ActionResult::WindowGone &&
                          plan->refusal != ActionResult::NoLongerMatches;
        return ActionQueue::Job{
            std::move(*plan), [this, event, watchId, monitor, window](
                                  ActionResult result, const std::string& detail) mutable {
                event.result = result;
                event.detail = detail;
                if (onFinished) onFinished(event, watchId, monitor, window);
            }};
    });
}

void ReportedWindows::AwaitedWindowOpen(std::string commandLine, WindowHandle window,
                                        Shell& shell) {
    if (desktop_.IsOwnWindow(window)) return;
    queue_.Add(ActionQueue::kNoSlot, [this, commandLine = std::move(commandLine), window,
                                      &shell]() -> std::optional<ActionQueue::Job> {
        if (awaitedHandled_) return std::nullopt;
        awaitedHandled_ = true;
        if (onAwaitedWindow) onAwaitedWindow();
        std::optional<ActionPlan> plan = CommandLinePlan(commandLine, window, desktop_, shell);
        if (!plan) {
            if (onAwaitedEnd) onAwaitedEnd(kExitNothingAsked);
            return std::nullopt;
        }
        return ActionQueue::Job{std::move(*plan), [this](ActionResult result, const std::string&) {
                                    if (onAwaitedEnd) onAwaitedEnd(CommandLineExitCode(result));
                                }};
    });
}

}  // namespace kvl
