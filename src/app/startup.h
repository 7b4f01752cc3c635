#pragma once
// Start-up decisions of the main window that need no platform.

#include "platform/twips.h"

namespace kvl {

struct TwipsPoint {
    int left;
    int top;
};

// The main window's place near the notification area: 400 twips from the right edge of the
// screen and 900 from the bottom.
constexpr TwipsPoint MainWindowPosition(int screenWidth, int screenHeight, int windowWidth,
                                        int windowHeight) {
    return {screenWidth - windowWidth - 400, screenHeight - windowHeight - 900};
}

}  // namespace kvl
