#pragma once
// Vertical colour gradients, for the styled controls.

#include <windows.h>

namespace kvl::win32 {

COLORREF Mix(COLORREF a, COLORREF b, double t);
// Fills `r` from `top` to `bottom`; in one colour where the system cannot draw gradients.
void FillVertical(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);

}  // namespace kvl::win32
