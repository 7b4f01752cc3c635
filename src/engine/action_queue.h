#pragma once
// Reported windows are acted on one after another, in the order they came: a monitor's
// keys, pauses and window-state action reach the windows exactly as if each action ran to its
// end before the next report was looked at, yet no pause holds up the program's thread.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "engine/action_plan.h"
#include "platform/timer.h"

namespace kvl {

class ActionQueue {
public:
    // A plan to carry out, and who is told how it ended.
    struct Job {
        ActionPlan plan;
        std::function<void(ActionResult)> finished;
    };
    // A report waiting its turn. It decides only when its turn comes, so that the state it
    // reads (the repeat guard, whether its window still matches) is the one that follows the
    // runs before it; nothing means there is nothing to do.
    using Report = std::function<std::optional<Job>()>;

    ActionQueue(Desktop& desktop, PauseTimer& timer) : desktop_(desktop), timer_(timer) {}

    // Asked right before anything is acted on: false while acting would be wrong just now (one
    // of the program's own menus or message boxes is open, and its loop would take the keys).
    // The queue then looks again every kHeldRetryMs.
    std::function<bool()> mayAct;
    static constexpr std::uint32_t kHeldRetryMs = 50;

    // Runs at once when nothing is running or held, else when its turn comes.
    void Add(Report report);

    // The pause timer rang.
    void PauseEnded();

    // Monitoring is switched off, or the monitors are being edited: a run paused half-way ends
    // where it is, and reports waiting their turn are dropped. Later reports run as ever.
    void Cancel();
    // The program ends: nothing more runs, whatever is waiting or paused.
    void Stop();

    bool Idle() const { return !current_ && waiting_.empty(); }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    void Pump();
    bool Held();

    Desktop& desktop_;
    PauseTimer& timer_;
    std::deque<Report> waiting_;
    std::optional<Job> current_;
    ActionResult result_ = ActionResult::Done;  // the current run's, so far
    std::size_t next_ = 0;                      // the current run's next step
    bool pausing_ = false;                      // the timer runs: a step's pause, or a hold
    bool pumping_ = false;  // typing may let our own messages in; they must not start a run
    bool stopped_ = false;
};

}  // namespace kvl
