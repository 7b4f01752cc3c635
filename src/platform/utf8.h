#pragma once
// Strict UTF-8 reading: a sequence that is not well-formed UTF-8 (overlong forms and
// surrogates included) is refused rather than guessed at, so a malformed byte never turns
// into a stray key, switch or letter.

#include <cstddef>
#include <string_view>

namespace kvl::utf8 {

// Reads the code point at `pos` and moves `pos` past it. On a malformed sequence returns
// false and moves `pos` past the first byte only.
inline bool Next(std::string_view s, std::size_t& pos, char32_t& out) {
    const auto b = static_cast<unsigned char>(s[pos++]);
    if (b < 0x80) {
        out = b;
        return true;
    }
    int extra;
    char32_t c;
    char32_t least;
    if ((b & 0xE0) == 0xC0) {
        extra = 1, c = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2, c = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3, c = b & 0x07, least = 0x10000;
    } else {
        return false;
    }
    if (pos + static_cast<std::size_t>(extra) > s.size()) return false;
    for (int k = 0; k < extra; ++k) {
        const auto cont = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(k)]);
        if ((cont & 0xC0) != 0x80) return false;
        c = (c << 6) | (cont & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    pos += static_cast<std::size_t>(extra);
    out = c;
    return true;
}

// Number of UTF-16 code units the code point takes.
inline std::size_t Utf16Units(char32_t c) {
    return c >= 0x10000 ? 2 : 1;
}

}  // namespace kvl::utf8
