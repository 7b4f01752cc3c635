#pragma once
// Reported windows are acted on one after another, in the order they came: a monitor's
// keys, pauses and window-state action reach the windows exactly as if each action ran to its
// end before the next report was looked at, yet no pause holds up the program's thread.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/keystroke_step.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/timer.h"

namespace kvl {

// How a run on a window ended.
enum class ActionResult {
    Done,
    KeysNotTyped,  // the window was not in front: the rest of a keystroke step went untyped
    ButtonNotFound,  // the window had no such button to press
    HigherRights,  // not touched: its program runs with higher rights than ours
    WindowGone,    // the window was gone when its turn came
};

// What to do to one window: the steps, and the caption its keys are typed into; and what
// the program tells of it afterwards.
struct ActionRun {
    WindowHandle window = 0;
    std::string caption;
    std::vector<ActionStep> steps;
    ActionResult result = ActionResult::Done;

    LocalTime at;               // when its turn came
    std::string description;    // the monitor's
    std::string windowCaption;  // as the window had it when its turn came
    std::string program;        // the path of the window's program; empty when unknown
};

class ActionQueue {
public:
    // A report waiting its turn. It decides what to do only when its turn comes, so that the
    // state it reads (the monitor, the repeat guard) is the one that follows the runs before
    // it; nothing means there is nothing to do.
    using Report = std::function<std::optional<ActionRun>()>;

    ActionQueue(Desktop& desktop, PauseTimer& timer) : desktop_(desktop), timer_(timer) {}

    // Runs at once when nothing is running or held, else when its turn comes.
    void Add(Report report);

    // While one of the program's own modal loops runs (a menu, a message box), nothing is
    // typed or acted on: the keys would land in that loop. Holds nest; Release does not start
    // anything by itself (the loop has not quite ended yet), Continue does.
    void Hold() { ++holds_; }
    void Release();
    bool Held() const { return holds_ > 0; }
    void Continue() { Pump(); }

    // The pause timer rang.
    void PauseEnded();

    // The program ends: nothing more runs, whatever is waiting or paused.
    void Stop();

    bool Idle() const { return !current_ && waiting_.empty(); }

    // Told of each run as it ends, with its result.
    std::function<void(const ActionRun&)> onFinished;
    std::size_t Waiting() const { return waiting_.size(); }

private:
    void Pump();

    Desktop& desktop_;
    PauseTimer& timer_;
    std::deque<Report> waiting_;
    std::optional<ActionRun> current_;
    std::size_t next_ = 0;  // the current run's next step
    int holds_ = 0;
    bool pausing_ = false;
    bool pumping_ = false;  // typing may let our own messages in; they must not start a run
    bool stopped_ = false;
};

}  // namespace kvl
