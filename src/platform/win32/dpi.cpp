#include "platform/win32/dpi.h"

#include "platform/twips.h"
#include "platform/win32/system_library.h"

namespace kvl::win32 {

namespace {

constexpr wchar_t kDpiProperty[] = L"KVL.Dpi";

template <class Function>
Function User32(const char* name) {
    return SystemFunction<Function>(L"user32.dll", name);
}

}  // namespace

int SystemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32<GetDpiForSystemFn>("GetDpiForSystem");
    if (getDpiForSystem) return static_cast<int>(getDpiForSystem());
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kStandardDpi;
}

int WindowDpi(HWND window) {
    const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!root) return SystemDpi();
    if (const auto laidOut = reinterpret_cast<INT_PTR>(GetPropW(root, kDpiProperty)); laidOut > 0)
        return static_cast<int>(laidOut);
    return SystemWindowDpi(root);
}

int SystemWindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
    const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (root && getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(root); dpi > 0) return static_cast<int>(dpi);
    return SystemDpi();
}

void SetLaidOutDpi(HWND topLevel, int dpi) {
    if (dpi > 0)
        SetPropW(topLevel, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
    else
        RemovePropW(topLevel, kDpiProperty);
}

int MonitorDpi(const RECT& screen) {
    // MDT_EFFECTIVE_DPI is 0.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto forMonitor =
        SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (forMonitor &&
        SUCCEEDED(forMonitor(MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) &&
        y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

int SystemMetric(int index, int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return GetSystemMetrics(index);  // an older system has the one scale
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                        bool hasMenu, int dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&r, style, hasMenu, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&r, style, hasMenu, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace kvl::win32
