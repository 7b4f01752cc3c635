#pragma once
// What becomes of the windows the watcher reports, in both modes: their turn in the queue, the
// repeat guard and the trigger, and the one Recent Activity entry each run ends in. The main
// window shows what this decides: it flashes the icon when told, and lists the entries.

#include <functional>
#include <optional>
#include <string>

#include "app/activity.h"
#include "engine/action_queue.h"
#include "engine/trigger_guard.h"
#include "monitors/monitor.h"
#include "platform/clock.h"

namespace kvl {

class Shell;

class ReportedWindows {
public:
    ReportedWindows(Desktop& desktop, Clock& clock, PauseTimer& timer);

    // Resident mode: watch `watchId` reported `window`. The report carries a copy of its
    // monitor, taken now: the table may change before its turn.
    void WindowOpen(const MonitorTable& table, int watchId, WindowHandle window);
    // One-shot mode: the awaited window came. Only the first one counts.
    void AwaitedWindowOpen(std::string commandLine, WindowHandle window, Shell& shell);

    // Monitoring stopped ("Disable All Monitoring", the editor): the run under way ends, for
    // `why`, and waiting reports are dropped.
    void MonitoringStopped(ActionResult why) { queue_.Cancel(why); }
    // A monitor was deleted: its run and reports go with it.
    void MonitorDeleted(int slot) { queue_.MonitorDeleted(slot); }
    // The program ends.
    void Stop() { queue_.Stop(); }
    void PauseEnded() { queue_.PauseEnded(); }

    const TriggerRecord& Triggers() const { return triggers_; }
    const ActionQueue& Queue() const { return queue_; }
    // Asked right before anything is acted on (ActionQueue::mayAct).
    void MayAct(std::function<bool()> ask) { queue_.mayAct = std::move(ask); }

    // A run ended: what Recent Activity says of it, and whether the icon flashes for it; the
    // monitor it ran for, the slot that monitor had when its window was reported, and the window.
    std::function<void(const ActivityEvent&, int reportedSlot, const Monitor&, WindowHandle)>
        onFinished;
    // One-shot mode: the awaited window is being dealt with (nothing else will be), and then
    // how the program ends.
    std::function<void()> onAwaitedWindow;
    std::function<void(int exitCode)> onAwaitedEnd;

private:
    Desktop& desktop_;
    Clock& clock_;
    ActionQueue queue_;
    TriggerRecord triggers_;
    bool awaitedHandled_ = false;
};

}  // namespace kvl
