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
        PressButton,  // press the window's push button captioned `text`
    };
    Kind kind;
    std::string text;
    std::uint32_t ms = 0;
    int group = -1;  // the keystroke step it belongs to; -1 for the window-state action

    bool operator==(const ActionStep&) const = default;
};

// The steps of typing `keys`, all of `group`. With pauseSeconds <= 0 the whole text goes at
// once; otherwise unit by unit, each pass followed by a pause.
std::vector<ActionStep> KeystrokeSteps(std::string_view keys, int pauseSeconds, int group = 0);

// Carries out a step that is not a pause, on the window titled `caption`, preferring
// `target` when its caption contains that text. Keys go only into the window brought to the
// front, and only while it stays there: false when it could not be brought there or lost
// the front half-way, and the rest of its keys were not typed. Keys that do not parse type
// nothing, and that is no failure. A button press fails when the window has no such button.
bool RunStep(Desktop& desktop, const ActionStep& step, std::string_view caption,
             WindowHandle target);

// Whether a button's caption names `wanted`: the "&" that marks its access key left out (a
// "&&" is a plain "&"), letter case ignored, blanks around and a trailing "..." (or "…")
// ignored on either side.
bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted);

// KeystrokeSteps carried out at once, the pauses blocking, up to the first step that could
// not type (false then). For the one-shot mode, which types without pauses. `keys` is never
// changed.
bool RunKeystrokeStep(Desktop& desktop, std::string_view caption, std::string_view keys,
                      int pauseSeconds, WindowHandle target);

}  // namespace kvl
