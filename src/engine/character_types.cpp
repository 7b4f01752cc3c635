#include "engine/character_types.h"

#include <array>

#ifdef _WIN32
// The one call this needs, declared here as the system's headers declare it: the core stays
// free of <windows.h>, and the program already imports it from kernel32.
extern "C" __declspec(dllimport) int __stdcall GetStringTypeW(unsigned long infoType,
                                                              const wchar_t* text, int length,
                                                              unsigned short* types);
#endif

namespace kvl {

namespace {

using Table = std::array<std::uint8_t, 0x10000>;

constexpr CharacterTypes AsciiTypes(char32_t c) {
    CharacterTypes t = 0;
    if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z')) t |= kAlpha;
    if (c >= U'0' && c <= U'9') t |= kDigit;
    if (c == U' ' || (c >= U'\t' && c <= U'\r')) t |= kSpace;
    if (c < 0x20 || c == 0x7F) t |= kControl;
    if (c == U' ' || c == U'\t') t |= kBlank;
    if ((c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F'))
        t |= kHexDigit;
    if (c > 0x20 && c < 0x7F && !(t & (kAlpha | kDigit))) t |= kPunct;
    return t;
}

Table MakeTable() {
    Table table{};
#ifdef _WIN32
    // CT_CTYPE1's bits, read for the whole of the first plane in one call.
    constexpr unsigned long kCType1 = 1;
    constexpr unsigned short kC1Digit = 0x4, kC1Space = 0x8, kC1Punct = 0x10, kC1Control = 0x20,
                             kC1Blank = 0x40, kC1HexDigit = 0x80, kC1Alpha = 0x100;
    static wchar_t units[0x10000];
    static unsigned short types[0x10000];
    for (std::size_t k = 0; k < 0x10000; ++k) units[k] = static_cast<wchar_t>(k);
    if (GetStringTypeW(kCType1, units, 0x10000, types)) {
        for (std::size_t k = 0; k < 0x10000; ++k) {
            const unsigned short w = types[k];
            table[k] = static_cast<std::uint8_t>(
                (w & kC1Alpha ? kAlpha : 0) | (w & kC1Digit ? kDigit : 0) |
                (w & kC1Space ? kSpace : 0) | (w & kC1Punct ? kPunct : 0) |
                (w & kC1Control ? kControl : 0) | (w & kC1Blank ? kBlank : 0) |
                (w & kC1HexDigit ? kHexDigit : 0));
        }
        for (std::size_t k = 0xD800; k < 0xE000; ++k) table[k] = 0;
        return table;
    }
#endif
    for (char32_t c = 0; c < 0x80; ++c) table[c] = static_cast<std::uint8_t>(AsciiTypes(c));
    return table;
}

}  // namespace

bool HasCharacterType(char32_t unit, CharacterTypes types) {
    static const Table table = MakeTable();
    return unit < 0x10000 && (table[unit] & types) != 0;
}

}  // namespace kvl
