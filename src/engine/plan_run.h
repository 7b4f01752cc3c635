#pragma once
// One run of a plan on its window, a piece at a time: a step, or one batch of a keystroke
// text. Before every piece that touches the window the run looks at it again, since another
// program or the user may have renamed, hidden, closed or replaced it meanwhile:
// - a window gone, or no longer one its monitor is meant for, ends the run whole;
// - keys go in only while they reach the run's window, and the run brings the window forward
//   at most once: a user who took the front away keeps it, and the run types no more;
// - a button is pressed only where a click could reach: the window itself, or the modal
//   dialog a disabled window waits on.
// Both modes drive it through the action queue, from the program's message loop.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/action_plan.h"
#include "platform/key_sequence.h"

namespace kvl {

class WatchCondition;

class PlanRun {
public:
    explicit PlanRun(ActionPlan plan);
    ~PlanRun();
    PlanRun(PlanRun&&) noexcept;
    PlanRun& operator=(PlanRun&&) noexcept;

    struct Progress {
        enum class Kind {
            Next,      // go on at once
            Wait,      // go on after `ms`; 0: as soon as the program has answered what waits
            Finished,  // Result() tells how it went
        };
        Kind kind;
        std::uint32_t ms = 0;
    };

    // Does the next piece of work.
    Progress Advance(Desktop& desktop);

    // The run is stopped from outside, for `why`, which becomes its result.
    void Stop(ActionResult why);

    ActionResult Result() const { return result_; }
    // What it did beyond its result, for the recent activity: where it placed the window.
    const std::string& Detail() const { return detail_; }
    const ActionTarget& Target() const { return plan_.target; }

private:
    enum class Look { Meant, Gone, NoLongerMatches, HiddenByUs };
    Look LookAgain(Desktop& desktop);
    const std::string& ProgramOf(Desktop& desktop);

    Progress SetState(Desktop& desktop, const ActionStep& step);
    // Keys go on only into the window meant, as it stands now; else what the run does instead.
    std::optional<Progress> LookBeforeKeys(Desktop& desktop);
    Progress StartTyping(Desktop& desktop, const ActionStep& step);
    Progress TypeBatch(Desktop& desktop);
    Progress Press(Desktop& desktop, const ActionStep& step);
    Progress Place(Desktop& desktop, const ActionStep& step);
    Progress End(ActionResult why);
    void StopKeys(ActionResult why);

    ActionPlan plan_;
    std::unique_ptr<WatchCondition> condition_;  // compiled once for every look
    std::size_t next_ = 0;                       // the next step
    ActionResult result_;
    bool ended_ = false;
    // The text being typed, and how far.
    std::optional<KeySequence> keys_;
    std::size_t typed_ = 0;
    bool broughtForward_ = false;  // the run's one bringing forward is spent
    bool keysStopped_ = false;     // the front was lost or the keys refused: no more keys
    bool hiddenByUs_ = false;      // the run's own Hide went out
    // The window's process when the run first looked at it: the same window stays in it, and
    // its program is read once.
    std::uint32_t pid_ = 0;
    std::optional<std::string> program_;
    std::string detail_;
};

// The window a click on the target could reach: the target while it takes input, else the
// modal dialog it waits on (or the one that dialog waits on). None when nothing takes input.
WindowHandle ClickableWindow(Desktop& desktop, WindowHandle target);

}  // namespace kvl
