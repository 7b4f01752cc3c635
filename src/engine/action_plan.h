#pragma once
// What to do to one reported window, step by step. The engine decides which window is meant;
// the desktop only acts on the window it is given.

#include <cstdint>
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
    KeysNotTyped,      // the window was not in front: the run typed no more
    KeysRefused,       // the system took the keys only in part (a window of higher rights, a locked screen)
    NoLongerMatches,   // renamed, hidden, or no longer of its program or class: the run ended
    HiddenByItsMonitor,  // the monitor's own Hide came first: its keys had nowhere to go
    KeysWindowGone,    // the window closed before its keys
    ButtonNotFound,    // the window a click could reach had no such button
    ButtonNotPressed,  // the button, or the window holding it, went away as it was pressed
    StateNotChanged,   // Windows would not take the window-state action
    HigherRights,      // not touched: its program runs with higher rights than ours
    WindowGone,        // the window was gone when its turn came
    // A run stopped half-way, and why.
    StoppedMonitoringOff,  // "Disable All Monitoring" was ticked
    StoppedEditing,        // the editor opened
    StoppedDeleted,        // its monitor was deleted
    StoppedExit,           // KVL ended
};

// One thing a monitor's action does to its window, in order.
struct ActionStep {
    enum class Kind {
        SetState,     // the window-state action named by `text`
        Type,         // type the key text `text` into the window
        Pause,        // wait `ms` milliseconds before the next step
        PressButton,  // press the push button captioned `text` where a click could reach
        Place,        // put the window where `place` says, then on top, then its opacity
    };
    Kind kind;
    std::string text;
    std::uint32_t ms = 0;
    PlaceRequest place;  // Place

    bool operator==(const ActionStep&) const = default;
};

// The window a plan acts on, and what makes it the one meant: the monitor's (or the command
// line's) conditions, which it must still meet whenever the run touches it.
struct ActionTarget {
    WindowHandle window = 0;
    Watch condition;
};

struct ActionPlan {
    ActionTarget target;
    std::vector<ActionStep> steps;
    // Not Done when the window is left alone from the start: it then has no steps.
    ActionResult refusal = ActionResult::Done;
};

// Longest caption a condition is compared with, in UTF-16 units: the watcher reads no more.
inline constexpr std::size_t kComparedCaptionUnits = 4096;

// Whether the window is still one the target is meant for, as the watcher would judge it now:
// Done, WindowGone, or NoLongerMatches (hidden, renamed, or its program or class not the one).
ActionResult StillMeant(Desktop& desktop, const ActionTarget& target);

// Strokes typed between two looks at the window: few, so that keys stop soon after the window
// stops being the one meant, and so that the program answers between them.
inline constexpr std::size_t kStrokesPerBatch = 8;

// Whether a button's caption names `wanted` as the user reads it on screen: the "&" that marks
// its access key left out (a "&&" shows as a plain "&"), letter case ignored, blanks around and
// a trailing "..." (or "…") ignored on either side.
bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted);

}  // namespace kvl
