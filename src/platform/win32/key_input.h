#pragma once
// Typing with SendInput into the window in front, as the user's own keyboard would.

#include <windows.h>

#include <vector>

#include "platform/desktop.h"
#include "platform/key_sequence.h"

namespace kvl::win32 {

// Types the strokes into whichever window has the keyboard focus, a few at a time, each batch
// only while `into` (unless null) is in front, and returns once that window has taken them
// (or stopped answering for about a second).
Desktop::Typing TypeKeys(const KeySequence& keys, HWND into);

// The input events that type `keys` on `layout`: modifiers go down before the keys that need
// them and up after, and stay down only across the keys of one group. `capsLock` says
// whether Caps Lock is on, which turns the case of letters typed with their own keys.
std::vector<INPUT> KeyInputs(const KeySequence& keys, HKL layout, bool capsLock);

}  // namespace kvl::win32
