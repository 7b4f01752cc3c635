#pragma once
// Port to the window watcher: it holds watches and reports each top-level window that starts
// to match one.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/window_handle.h"

namespace kvl {

// How a watch's caption text is compared with a window's caption, letter case ignored.
enum class CaptionKind : std::uint8_t {
    Partial,  // anywhere in the caption
    Exact,    // the whole caption
    Pattern,  // a regular expression found anywhere in the caption
};

// Which windows a watch reports: every condition given must hold, and one left empty narrows
// nothing. An empty caption with a program or class matches any caption of those.
struct Watch {
    std::string caption;
    CaptionKind captionKind = CaptionKind::Partial;
    // The owning program's file name ("setup.exe"); with a backslash in it, its whole path.
    std::string program;
    std::string windowClass;  // the whole class name ("#32770")

    bool operator==(const Watch&) const = default;
};

class WindowWatcher {
public:
    // WatchID is the order of AddWatch since the last ClearWatches.
    using WindowOpenHandler = std::function<void(int watchId, WindowHandle window)>;

    virtual ~WindowWatcher() = default;
    virtual void ClearWatches() = 0;
    virtual void AddWatch(const Watch& watch) = 0;
    // 0 reports nothing; 1 strongest to 10 weakest (polling only).
    virtual void MonitorStrength(std::int16_t level) = 0;
    virtual void DebugLevel(std::int16_t level) = 0;
    virtual void OnWindowOpen(WindowOpenHandler handler) = 0;
    // A watch's caption pattern gave up on a window's caption, which then counts as not
    // matching; told once per watch slot and pattern in a run. A watcher without patterns
    // never calls it.
    using PatternTooLongHandler = std::function<void(int watchId, WindowHandle window)>;
    virtual void OnPatternTooLong(PatternTooLongHandler) {}
};

}  // namespace kvl
