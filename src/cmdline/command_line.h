#pragma once
// The one-shot command-line mode: switch grammar, values and the reference text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/action_plan.h"
#include "platform/window_handle.h"

namespace kvl {

class Desktop;
class Shell;
class WindowWatcher;
class MinuteTimer;

// The process command line without the program's own name: what follows the name (quoted
// or not) and the blanks after it.
std::string ArgumentsOf(std::string_view commandLine);

// The switch summary shown for help, after the error message and from the Help menu.
std::string CommandLineReference();

// The text between the first "[" at or after the first `switchText` and the next "]".
// Nothing is trimmed and nothing escapes, so a value cannot hold "]". Nothing when the
// switch, its "[" or its "]" is missing.
std::optional<std::string> BracketValue(std::string_view text, std::string_view switchText);

// A "/wait" value as whole minutes: a decimal number with optional sign, fraction and
// exponent, blanks allowed around it; a half rounds to the even neighbour. Nothing for
// anything else, for "", and for results outside the 16-bit range.
std::optional<std::int16_t> WaitMinutes(std::string_view text);

// `lowered` is the already lower-cased command line.
bool IsHelpRequest(std::string_view lowered);

// How the one-shot mode ends, for the batch file or script that started it.
enum ExitCode : int {
    kExitActed = 0,         // the window was acted on, or the help was shown
    kExitTimedOut = 1,      // the wait ran out
    kExitError = 2,         // the command line was wrong or the program could not be started
    kExitNothingAsked = 3,  // the window came, but nothing was asked to be done with it
    kExitNotDone = 4,       // the window came, but what was asked could not be done
};

enum class CommandLineOutcome {
    Help,     // the reference was shown; the caller ends the program
    Error,    // the problem message was shown; the caller ends the program
    Waiting,  // the watch is registered (if asked for) and the timer runs
};

// Launches, registers the one watch and starts the wait timer as the command line asks.
// What was done before a failure stays done: a launched program keeps running.
CommandLineOutcome RunCommandLine(std::string_view commandLine, Shell& shell,
                                  WindowWatcher& watcher, MinuteTimer& timer);

// The one-shot mode's plan for the window it waited for: the first window-state switch of the
// command line, then "/sendkeys". A window of higher rights gets a plan with nothing to do
// that says why. Nothing when nothing meaningful was asked, after the message that says so:
// the caller then ends the program with kExitNothingAsked.
std::optional<ActionPlan> CommandLinePlan(std::string_view commandLine, WindowHandle window,
                                          Desktop& desktop, Shell& shell);

// What the one-shot mode's run tells the script that started it: kExitActed when everything
// asked was done; kExitNotDone when something could not be (the window would not take the
// action, was hidden by "/hide" before its keys, would not come to the front, lost it, refused
// the keys, runs with higher rights, or no longer had its caption); kExitTimedOut when the run
// was ended from the tray first.
int CommandLineExitCode(ActionResult result);

}  // namespace kvl
