#pragma once
// The key-text language of the keystroke-injection service: characters type themselves,
// "+", "^" and "%" hold Shift, Ctrl and Alt for the next key or a parenthesised group,
// "~" is Enter, and names in braces stand for special keys ("{LEFT 3}" repeats).

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/key_sequence.h"

namespace kvl {

// The strokes a UTF-8 key text stands for, or nothing when it does not parse (an unknown
// brace name, unbalanced parentheses, a modifier with no key after it, malformed UTF-8, more
// than kMaxKeyStrokes strokes). An empty text is an empty sequence.
std::optional<KeySequence> ParseKeyText(std::string_view text);

// The virtual-key code of a brace name (letter case ignored), or 0 for no such name.
std::uint16_t KeyNameCode(std::string_view name);

}  // namespace kvl
