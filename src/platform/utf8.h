#pragma once
// Strict UTF-8 reading: a sequence that is not well-formed UTF-8 (overlong forms and
// surrogates included) is refused rather than guessed at, so a malformed byte never turns
// into a stray key, switch or letter.

#include <cstddef>
#include <string>
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

// Appends a code point (a valid one: no surrogate, nothing past U+10FFFF) in UTF-8.
inline void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Hands `unit` the UTF-16 code units of a code point, one or a surrogate pair, in order.
template <class Unit>
inline void ForEachUtf16Unit(char32_t c, Unit unit) {
    if (c >= 0x10000) {
        unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        unit(static_cast<char16_t>(c));
    }
}

// Appends a code point as UTF-16 in little-endian bytes, the form of Windows' Unicode files.
inline void AppendUtf16LE(std::string& out, char32_t c) {
    ForEachUtf16Unit(c, [&out](char16_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    });
}

// Number of UTF-16 code units the code point takes.
inline std::size_t Utf16Units(char32_t c) {
    return c >= 0x10000 ? 2 : 1;
}

}  // namespace kvl::utf8
