#pragma once
// Rectangles and points on the virtual screen, in the displays' own pixels, and what the
// desktop tells of each display: the values the placement of windows works with.

#include <string>

namespace kvl {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(ScreenPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const ScreenRect&) const = default;
};

// One display as Windows lists it: `number` is n of its name \\.\DISPLAYn.
struct DisplayInfo {
    int number = 0;
    ScreenRect bounds;
    ScreenRect work;  // less the taskbar and docked bars
    int dpi = 96;
    bool primary = false;
};

// Where a top-level window stands, as placing it needs to know.
struct WindowPlaceFacts {
    ScreenRect restored;  // its rectangle when neither minimized nor maximized
    int display = 0;      // the number of the display it is on
    bool resizable = true;  // it has a sizing border
    int titleBar = 0;     // the height of what lies above its client area
    enum class State { Normal, Minimized, Maximized } state = State::Normal;
};

}  // namespace kvl
