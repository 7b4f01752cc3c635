#pragma once
// Whether a display shows enough colours for the styled look.

#include <cstdint>

namespace kvl {

// 2 to the power planes x bits, computed wide enough for 32-bit displays and beyond.
constexpr bool IsRichColourCount(int planes, int bitsPerPixel) {
    const long long exponent = static_cast<long long>(planes) * bitsPerPixel;
    if (exponent <= 0) return false;  // unreadable capabilities: one colour
    if (exponent >= 62) return true;
    return (1LL << exponent) >= 64000;
}

}  // namespace kvl
