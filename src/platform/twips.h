#pragma once
// Form measures are in twips, 1440 to the inch; windows take pixels, of which a display has
// `dpi` to the inch: 96 at the standard scale (15 twips a pixel), 144 at 150 %.

#include <cmath>

namespace kvl {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;

// Rounds to the nearest pixel, a half to the even neighbour. At 96 dots per inch this is
// twips / 15 exactly: twips * 96 / 1440 and twips / 15 are the same real number, and either
// division rounds it correctly.
inline int TwipsToPixels(double twips, int dpi) {
    const double pixels = twips * dpi / kTwipsPerInch;
    const double down = std::floor(pixels);
    const double fraction = pixels - down;
    if (fraction > 0.5) return static_cast<int>(down) + 1;
    if (fraction < 0.5) return static_cast<int>(down);
    return static_cast<int>(std::fmod(down, 2.0) == 0 ? down : down + 1);
}

// Whole twips, the nearest: exact wherever 1440 / dpi is whole (96, 120, 144, 160, ...).
inline int PixelsToTwips(double pixels, int dpi) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

struct TwipsRect {
    int left, top, width, height;
};

}  // namespace kvl
