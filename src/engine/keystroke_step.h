#pragma once
// Keystroke steps: a monitor's keystroke text typed into a window, at once or unit by unit
// with a pause after each unit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace kvl {

// `text` with the first occurrence of `token` (case-sensitive) replaced; unchanged when the
// token does not occur or is empty.
std::string ReplaceFirst(std::string_view text, std::string_view token,
                         std::string_view replacement);

// Every "{CNTL}", "{SHIFT}" and "{ALT}" (exactly so written) becomes "^", "+" and "%".
std::string TranslateTokens(std::string_view keys);

// What each pass of the unit walk types, in order. A unit is one character, a modifier
// prefix with the character after it, a brace group up to its "}" (the first character
// inside may be "}"), or a prefix with a whole brace group; a "{" that is never closed takes
// the rest of the text. A walk that ends on
// the last character makes one more pass with an empty unit.
std::vector<std::string> KeystrokeUnits(std::string_view keys);

// Blocks for seconds x 1000 milliseconds, rounded to the nearest millisecond; a negative
// time does not wait.
void PauseSeconds(Desktop& desktop, double seconds);

// One thing a keystroke step, or a monitor's whole action, does to its window, in order.
struct ActionStep {
    enum class Kind {
        SetState,  // the window-state action named by `text`
        Type,      // bring the window to the front, then type the key text `text`
        Pause,     // wait `ms` milliseconds before the next step
    };
    Kind kind;
    std::string text;
    std::uint32_t ms = 0;

    bool operator==(const ActionStep&) const = default;
};

// The steps of typing `keys`. With pauseSeconds <= 0 the whole text goes at once; otherwise
// unit by unit, each pass followed by a pause.
std::vector<ActionStep> KeystrokeSteps(std::string_view keys, int pauseSeconds);

// Carries out a step that is not a pause, on the window titled `caption`, preferring
// `target` when its caption contains that text. Failures are swallowed: keys that do not
// parse type nothing, and when activation fails the keys go to whichever window has the focus.
void RunStep(Desktop& desktop, const ActionStep& step, std::string_view caption,
             WindowHandle target);

// KeystrokeSteps carried out at once, the pauses blocking. For the one-shot mode, which
// types without pauses. `keys` is never changed.
void RunKeystrokeStep(Desktop& desktop, std::string_view caption, std::string_view keys,
                      int pauseSeconds, WindowHandle target);

}  // namespace kvl
