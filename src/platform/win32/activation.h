#pragma once
// Bringing another program's window to the front, though Windows lets only the program in
// front hand the foreground on.

#include <windows.h>

namespace kvl::win32 {

// Brings `target` to the front, or the window of its own it was last busy with (a dialog it
// waits on: the target itself is then disabled and takes no keys). A target still busy with
// what it was last told (a maximize, say) is given half a second to answer; all of it takes
// about a second at most. Whether the target, or a window it owns, is in front.
bool BringToFront(HWND target);

}  // namespace kvl::win32
