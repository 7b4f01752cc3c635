#pragma once
// Keystroke steps: a monitor's keystroke text typed into a window, at once or unit by unit
// with a pause after each unit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/action_plan.h"
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

// The steps of typing `keys`. With pauseSeconds <= 0 the whole text goes at once; otherwise
// unit by unit, each pass followed by a pause.
std::vector<ActionStep> KeystrokeSteps(std::string_view keys, int pauseSeconds);

}  // namespace kvl
