#pragma once
// What kind of character a caption unit is, for a pattern's \w, \d, \s, \b and [:name:]
// classes. On Windows, as Windows' own tables say (so \w knows every script's letters); on
// other systems, where only the tests run, as the C locale says: ASCII alone.

#include <cstdint>

namespace kvl {

using CharacterTypes = std::uint16_t;
inline constexpr CharacterTypes kAlpha = 1;
inline constexpr CharacterTypes kDigit = 2;
inline constexpr CharacterTypes kSpace = 4;
inline constexpr CharacterTypes kPunct = 8;
inline constexpr CharacterTypes kControl = 16;
inline constexpr CharacterTypes kBlank = 32;
inline constexpr CharacterTypes kHexDigit = 64;

// Whether the UTF-16 unit `unit` has any of `types`. A surrogate, half of a character past
// U+FFFF, has none.
bool HasCharacterType(char32_t unit, CharacterTypes types);

}  // namespace kvl
