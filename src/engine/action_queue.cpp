#include "engine/action_queue.h"

#include <utility>

namespace kvl {

void ActionQueue::Add(Report report) {
    if (stopped_) return;
    waiting_.push_back(std::move(report));
    Pump();
}

void ActionQueue::Release() {
    if (holds_ > 0) --holds_;
}

void ActionQueue::PauseEnded() {
    if (!pausing_) return;
    pausing_ = false;
    Pump();
}

void ActionQueue::Stop() {
    stopped_ = true;
    timer_.Stop();
    pausing_ = false;
    waiting_.clear();
    current_.reset();
}

void ActionQueue::Pump() {
    if (pumping_) return;
    pumping_ = true;
    while (!stopped_ && !pausing_ && holds_ == 0) {
        if (!current_) {
            if (waiting_.empty()) break;
            Report report = std::move(waiting_.front());
            waiting_.pop_front();
            current_ = report();
            next_ = 0;
            continue;
        }
        if (next_ == current_->steps.size()) {
            const ActionRun finished = std::move(*current_);
            current_.reset();
            if (onFinished) onFinished(finished);
            continue;
        }
        // Copies: a Stop while the keys go in (the session ends) drops the run under us.
        const ActionStep step = current_->steps[next_++];
        if (step.kind == ActionStep::Kind::Pause) {
            if (step.ms == 0) continue;
            pausing_ = true;
            timer_.Start(step.ms);
        } else {
            const std::string caption = current_->caption;
            if (!RunStep(desktop_, step, caption, current_->window) && current_) {
                // Nothing more of this keystroke step: its keys would go elsewhere.
                current_->result = step.kind == ActionStep::Kind::PressButton
                                       ? ActionResult::ButtonNotFound
                                       : ActionResult::KeysNotTyped;
                while (next_ < current_->steps.size() && current_->steps[next_].group == step.group)
                    ++next_;
            }
        }
    }
    pumping_ = false;
}

}  // namespace kvl
