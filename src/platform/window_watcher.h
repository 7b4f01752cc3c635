#pragma once
// Port to the window watcher: it holds watches (caption text + exact flag) and reports each
// top-level window that starts to match one.

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/window_handle.h"

namespace kvl {

class WindowWatcher {
public:
    // WatchID is the order of AddWatch since the last ClearWatches.
    using WindowOpenHandler = std::function<void(int watchId, WindowHandle window)>;

    virtual ~WindowWatcher() = default;
    virtual void ClearWatches() = 0;
    virtual void AddWatch(std::string_view caption, bool exact) = 0;
    // 0 reports nothing; 1 strongest to 10 weakest (polling only).
    virtual void MonitorStrength(std::int16_t level) = 0;
    virtual void DebugLevel(std::int16_t level) = 0;
    virtual void OnWindowOpen(WindowOpenHandler handler) = 0;
};

}  // namespace kvl
