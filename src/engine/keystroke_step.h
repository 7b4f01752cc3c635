#pragma once
// Keystroke steps: a monitor's keystroke text typed into a window, at once or unit by unit
// with a pause after each unit.

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

// Types `keys` into the window titled `caption`, preferring `target` when its caption
// contains that text. With pauseSeconds <= 0 the whole text goes at once after one
// activation; otherwise unit by unit, activating before each unit and pausing after each
// pass. Failures are swallowed: keys that do not parse type nothing, and when activation
// fails the keys go to whichever window has the focus. `keys` is never changed.
void RunKeystrokeStep(Desktop& desktop, std::string_view caption, std::string_view keys,
                      int pauseSeconds, WindowHandle target);

}  // namespace kvl
