#pragma once
// The display scale a window is drawn at. KVL declares itself per-monitor aware: each
// top-level window has the dots per inch of the monitor it is on, and is told when that
// changes (WM_DPICHANGED). The functions that say so came with Windows 10; on older
// systems every window has the system's scale, fixed from logon.

#include <windows.h>

namespace kvl::win32 {

// The system's scale: the primary monitor's at logon.
int SystemDpi();

// The scale of the top-level window that `window` lies in. One of ours answers with the
// scale it was last laid out for (see SetLaidOutDpi), any other as the system says.
int WindowDpi(HWND window);

// The scale the system gives that top-level window, whatever it was laid out for.
int SystemWindowDpi(HWND window);

// Called by a top-level window of ours each time it lays itself out, before its controls;
// 0 forgets it, as the window goes.
void SetLaidOutDpi(HWND topLevel, int dpi);

// The scale of the monitor that holds most of `screen`, whoever's window lies there: what
// KVL draws over another program's window is drawn at it.
int MonitorDpi(const RECT& screen);

// GetSystemMetrics as it answers for a window at `dpi`.
int SystemMetric(int index, int dpi);

// Outer size of a window whose client area is clientWidth x clientHeight pixels, its
// frame, caption and menu bar as drawn at `dpi`.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                        bool hasMenu, int dpi);

}  // namespace kvl::win32
