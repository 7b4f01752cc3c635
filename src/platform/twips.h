#pragma once
// Form measures are in twips; windows take pixels, at a fixed 15 twips a pixel.

#include <cmath>

namespace kvl {

inline constexpr int kTwipsPerPixel = 15;

// Divides as a real number and rounds to the nearest pixel, a half to the even neighbour.
inline int TwipsToPixels(double twips) {
    const double pixels = twips / kTwipsPerPixel;
    const double down = std::floor(pixels);
    const double fraction = pixels - down;
    if (fraction > 0.5) return static_cast<int>(down) + 1;
    if (fraction < 0.5) return static_cast<int>(down);
    return static_cast<int>(std::fmod(down, 2.0) == 0 ? down : down + 1);
}

struct TwipsRect {
    int left, top, width, height;
};

}  // namespace kvl
