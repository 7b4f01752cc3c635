#include "engine/action_queue.h"

#include <algorithm>
#include <utility>

namespace kvl {

void ActionQueue::Add(int slot, Decide decide) {
    if (stopped_) return;
    waiting_.push_back({slot, std::move(decide)});
    Pump();
}

void ActionQueue::PauseEnded() {
    if (!pausing_) return;
    pausing_ = false;
    Pump();
}

void ActionQueue::Cancel(ActionResult why) {
    waiting_.clear();
    StopCurrent(why);
}

void ActionQueue::MonitorDeleted(int slot) {
    std::erase_if(waiting_, [slot](const Report& r) { return r.slot == slot; });
    for (Report& report : waiting_)
        if (report.slot > slot) --report.slot;
    if (!current_) return;
    if (current_->slot == slot) {
        StopCurrent(ActionResult::StoppedDeleted);
    } else if (current_->slot > slot) {
        --current_->slot;
    }
}

void ActionQueue::Stop() {
    stopped_ = true;
    Cancel(ActionResult::StoppedExit);
}

void ActionQueue::StopCurrent(ActionResult why) {
    if (!current_) return;
    if (pumping_) {
        // The run is in the middle of a piece of work (keys going in let our messages in):
        // it ends as soon as that returns.
        current_->run.Stop(why);
        stopFor_ = why;
        return;
    }
    timer_.Stop();
    pausing_ = false;
    current_->run.Stop(why);
    Finish();
    // The reports behind it go on: none of them waits for a timer now.
    Pump();
}

void ActionQueue::Finish() {
    ActiveRun finished = std::move(*current_);
    current_.reset();
    stopFor_.reset();
    if (finished.finished) finished.finished(finished.run.Result(), finished.run.Detail());
}

bool ActionQueue::Held() {
    if (!mayAct || mayAct()) return false;
    // No event says when a menu of ours closes (it may be any window's), so look again soon.
    Wait(kHeldRetryMs);
    return true;
}

void ActionQueue::Wait(std::uint32_t ms) {
    pausing_ = true;
    timer_.Start(ms);
}

void ActionQueue::Pump() {
    if (pumping_) return;
    pumping_ = true;
    while (!stopped_ && !pausing_) {
        if (!current_) {
            if (waiting_.empty() || Held()) break;
            Report report = std::move(waiting_.front());
            waiting_.pop_front();
            std::optional<Job> job = report.decide();
            if (!job) continue;
            current_.emplace(ActiveRun{report.slot, PlanRun(std::move(job->plan)),
                                     std::move(job->finished)});
            ++started_;
            continue;
        }
        if (stopFor_) {
            Finish();
            continue;
        }
        if (Held()) break;
        const PlanRun::Progress progress = current_->run.Advance(desktop_);
        if (stopFor_) continue;
        switch (progress.kind) {
            case PlanRun::Progress::Kind::Next: break;
            case PlanRun::Progress::Kind::Wait: Wait(progress.ms); break;
            case PlanRun::Progress::Kind::Finished: Finish(); break;
        }
    }
    pumping_ = false;
    // Stopped while the last piece of work was under way, with nothing to pump it on.
    if (stopped_ && current_) Finish();
}

}  // namespace kvl
