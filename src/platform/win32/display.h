#pragma once
// Display services shared by the forms.

#include <windows.h>

namespace kvl::win32 {

// At least 64000 colours on the display.
bool IsRichColourDisplay();

// Puts a window into the topmost layer (or out of it) at its own place and size, and shows
// it without activating it. Its measures go through twips, as the forms keep them.
void SetTopmost(HWND window, bool topmost);

}  // namespace kvl::win32
