#pragma once
// Reported windows are acted on one after another, in the order they came: a monitor's
// keys, pauses and window-state action reach the windows exactly as if each run went to its
// end before the next report was looked at, yet no pause and no long text holds up the
// program's thread: the queue goes back to the message loop during every pause and between
// any two batches of keys.

#include <deque>
#include <functional>
#include <optional>

#include "engine/plan_run.h"
#include "platform/timer.h"

namespace kvl {

class ActionQueue {
public:
    // A plan to carry out, and who is told how it ended (and what it did beyond that: where
    // it placed the window). Every run that starts ends in exactly one call of `finished`,
    // also when it is stopped half-way.
    using Finished = std::function<void(ActionResult, const std::string& detail)>;
    struct Job {
        ActionPlan plan;
        Finished finished;
    };
    // Decides only when its turn comes, so that the state it reads (the repeat guard, whether
    // its window still matches) is the one that follows the runs before it; nothing means
    // there is nothing to do.
    using Decide = std::function<std::optional<Job>()>;
    // The monitor slot a report is for; the command line's window is for none.
    static constexpr int kNoSlot = -1;

    ActionQueue(Desktop& desktop, PauseTimer& timer) : desktop_(desktop), timer_(timer) {}

    // Asked right before anything is acted on: false while acting would be wrong just now (one
    // of the program's own menus or message boxes is open, and its loop would take the keys).
    // The queue then looks again every kHeldRetryMs.
    std::function<bool()> mayAct;
    static constexpr std::uint32_t kHeldRetryMs = 50;

    // Runs at once when nothing is running or held, else when its turn comes.
    void Add(int slot, Decide decide);

    // The pause timer rang.
    void PauseEnded();

    // Monitoring is switched off, or the monitors are being edited: a run paused half-way ends
    // where it is, for `why`, and reports waiting their turn are dropped. Later reports run
    // as ever.
    void Cancel(ActionResult why);
    // Monitor `slot` was deleted: its run ends and its reports are dropped; the reports of
    // the monitors after it follow them to their new slots.
    void MonitorDeleted(int slot);
    // The program ends: nothing more runs, whatever is waiting or paused.
    void Stop();

    bool Idle() const { return !current_ && waiting_.empty(); }
    std::size_t Waiting() const { return waiting_.size(); }
    // The run under way: its number (runs are numbered from 1 as they start), its monitor's
    // slot and its target.
    struct Current {
        std::uint64_t number;
        int slot;
        const ActionTarget& target;
    };
    std::optional<Current> Running() const {
        if (!current_) return std::nullopt;
        return Current{started_, current_->slot, current_->run.Target()};
    }
    std::uint64_t RunsStarted() const { return started_; }

private:
    struct Report {
        int slot;
        Decide decide;
    };
    struct ActiveRun {
        int slot;
        PlanRun run;
        Finished finished;
    };

    void Pump();
    bool Held();
    void Wait(std::uint32_t ms);
    // Ends the current run for `why` now, or as soon as the piece of work under way returns.
    void StopCurrent(ActionResult why);
    void Finish();

    Desktop& desktop_;
    PauseTimer& timer_;
    std::deque<Report> waiting_;
    std::optional<ActiveRun> current_;
    std::optional<ActionResult> stopFor_;  // asked while a piece of work was under way
    bool pausing_ = false;                 // the timer runs: a pause, a hold, or a breath
    bool pumping_ = false;  // typing may let our own messages in; they must not start a run
    bool stopped_ = false;
    std::uint64_t started_ = 0;
};

}  // namespace kvl
