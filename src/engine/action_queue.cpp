#include "engine/action_queue.h"

#include <utility>

namespace kvl {

void ActionQueue::Add(Report report) {
    if (stopped_) return;
    waiting_.push_back(std::move(report));
    Pump();
}

void ActionQueue::PauseEnded() {
    if (!pausing_) return;
    pausing_ = false;
    Pump();
}

void ActionQueue::Cancel() {
    timer_.Stop();
    pausing_ = false;
    waiting_.clear();
    current_.reset();
}

void ActionQueue::Stop() {
    stopped_ = true;
    Cancel();
}

bool ActionQueue::Held() {
    if (!mayAct || mayAct()) return false;
    // No event says when a menu of ours closes (it may be any window's), so look again soon.
    pausing_ = true;
    timer_.Start(kHeldRetryMs);
    return true;
}

void ActionQueue::Pump() {
    if (pumping_) return;
    pumping_ = true;
    while (!stopped_ && !pausing_) {
        if (!current_) {
            if (waiting_.empty() || Held()) break;
            Report report = std::move(waiting_.front());
            waiting_.pop_front();
            current_ = report();
            if (current_) result_ = current_->plan.refusal;
            next_ = 0;
            continue;
        }
        if (next_ == current_->plan.steps.size()) {
            Job finished = std::move(*current_);
            current_.reset();
            if (finished.finished) finished.finished(result_);
            continue;
        }
        const ActionStep& upcoming = current_->plan.steps[next_];
        if (upcoming.kind == ActionStep::Kind::Pause) {
            ++next_;
            if (upcoming.ms == 0) continue;
            pausing_ = true;
            timer_.Start(upcoming.ms);
            continue;
        }
        if (Held()) break;
        // Copies: a Cancel or Stop while the keys go in (a message of ours, the session's
        // end) drops the run under us.
        const ActionStep step = upcoming;
        const ActionTarget target = current_->plan.target;
        ++next_;
        const ActionResult outcome = RunStep(desktop_, step, target);
        if (outcome != ActionResult::Done && current_) {
            // Nothing more of this keystroke step: its keys would go elsewhere.
            result_ = outcome;
            while (next_ < current_->plan.steps.size() &&
                   current_->plan.steps[next_].group == step.group)
                ++next_;
        }
    }
    pumping_ = false;
}

}  // namespace kvl
