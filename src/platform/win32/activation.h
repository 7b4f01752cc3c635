#pragma once
// Bringing another program's window to the front, though Windows lets only the program in
// front hand the foreground on.

#include <windows.h>

namespace kvl::win32 {

// Brings `target` to the front; a disabled one, the modal dialog it waits on, which is what
// takes its input. A target still busy with what it was last told (a maximize, say) is given
// half a second to answer; all of it takes about a second at most. Whether keys reach the
// target now (KeysReach).
bool BringToFront(HWND target);

}  // namespace kvl::win32
