#pragma once
// What to do to one reported window, step by step, and how each step is carried out. The
// engine decides which window is meant; the desktop only acts on the window it is given.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/placement.h"
#include "platform/desktop.h"
#include "platform/window_watcher.h"

namespace kvl {

// How a run on a window ended.
enum class ActionResult {
    Done,
    KeysNotTyped,     // the window was not in front: the rest of a keystroke step went untyped
    KeysRefused,      // the system took the keys only in part (a window of higher rights, a locked screen)
    NoLongerMatches,  // the window was hidden or renamed before its keys: they went untyped
    KeysWindowGone,   // the window closed before its keys
    ButtonNotFound,   // the window had no such button to press
    ButtonNotPressed, // the button, or the window holding it, went away as it was pressed
    HigherRights,     // not touched: its program runs with higher rights than ours
    WindowGone,       // the window was gone when its turn came
};

// One thing a keystroke step, or a monitor's whole action, does to its window, in order.
struct ActionStep {
    enum class Kind {
        SetState,     // the window-state action named by `text`
        Type,         // type the key text `text`, the window in front
        Pause,        // wait `ms` milliseconds before the next step
        PressButton,  // press the window's push button captioned `text`
        Place,        // put the window where `place` says, then on top, then its opacity
    };
    Kind kind;
    std::string text;
    std::uint32_t ms = 0;
    int group = -1;  // the keystroke step it belongs to; -1 for the window-state action
    // Type: bring the window to the front first. A keystroke step does so once, before its
    // first keys; after a pause the window must still be in front, for a user who has
    // switched to another window meanwhile must not have it taken away from him.
    bool bringToFront = true;
    PlaceRequest place;  // Place

    bool operator==(const ActionStep&) const = default;
};

// The window a plan acts on, and what makes it the one meant: the monitor's (or the command
// line's) conditions, which it must still meet when its keys go in.
struct ActionTarget {
    WindowHandle window = 0;
    Watch condition;
    // The plan hides the window before its keys: they can only go untyped, though the window
    // may take a moment to go (a show command to another program is asynchronous).
    bool hiddenByPlan = false;
    // What the run did beyond its result (where it placed the window), for the recent
    // activity; shared by every copy of the target.
    std::shared_ptr<std::string> said = std::make_shared<std::string>();
};

struct ActionPlan {
    ActionTarget target;
    std::vector<ActionStep> steps;
    // Not Done when the window is left alone from the start: it then has no steps.
    ActionResult refusal = ActionResult::Done;
};

// Carries out a step that is not a pause. Keys go only into the target's window, and only while
// it is still a window its condition is meant for and is in front; a step that types nothing
// of what it should says why. Keys that do not parse type nothing, and that is no failure. A
// button press fails when the window has no such button.
ActionResult RunStep(Desktop& desktop, const ActionStep& step, const ActionTarget& target);

// Whether the window is still one the target is meant for, as the watcher would judge it now:
// Done, WindowGone, or NoLongerMatches (hidden, renamed, or its program or class not the one).
ActionResult StillMeant(Desktop& desktop, const ActionTarget& target);

// The whole plan at once, its pauses blocking; a keystroke step that fails ends its own keys
// only. For the one-shot mode. The last failure, or Done.
ActionResult RunAtOnce(Desktop& desktop, const ActionPlan& plan);

// Whether a button's caption names `wanted` as the user reads it on screen: the "&" that marks
// its access key left out (a "&&" shows as a plain "&"), letter case ignored, blanks around and
// a trailing "..." (or "…") ignored on either side.
bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted);

}  // namespace kvl
