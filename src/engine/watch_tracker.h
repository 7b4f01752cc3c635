#pragma once
// The window watcher's bookkeeping, free of any platform: which watches each window matches,
// so that a window is reported once when it goes from not matching a watch to matching it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "platform/window_watcher.h"

namespace kvl {

// How the watcher looks for windows at a strength level.
struct WatchSchedule {
    int pollMs;      // 0: no polling
    bool eventHook;  // follow window events between polls
};
WatchSchedule ScheduleForLevel(std::int16_t level);

// A window as the watches see it. The class and the program need only be given while a watch
// asks for them (NeedsClass, NeedsProgram); a program that could not be read is empty.
struct WindowView {
    WindowHandle window;
    bool eligible;  // a visible top-level window (owned pop-ups count)
    std::string_view caption;
    std::string_view windowClass = {};
    std::string_view program = {};  // the full path of the program that owns the window
};

class WatchTracker {
public:
    void ClearWatches();
    int AddWatch(const Watch& watch);
    std::size_t WatchCount() const { return watches_.size(); }
    bool NeedsClass() const { return needsClass_; }
    bool NeedsProgram() const { return needsProgram_; }

    // Set when the watches changed or reporting resumes; until Baseline runs, nothing is
    // reported, because windows that already match then are not news.
    bool NeedsBaseline() const { return needsBaseline_; }
    void RequireBaseline() { needsBaseline_ = true; }
    void Baseline(const std::vector<WindowView>& windows);

    // One window as it is now; returns the watches it newly matches, in watch order.
    std::vector<int> Observe(const WindowView& view);
    void Forget(WindowHandle window) { matching_.erase(window); }
    // After a full enumeration: windows not seen are gone.
    void KeepOnly(const std::unordered_set<WindowHandle>& alive);

    std::size_t TrackedWindows() const { return matching_.size(); }

private:
    // A watch as it is compared: everything folded, and its pattern compiled, once.
    struct Compiled {
        CaptionText text;
        std::optional<CaptionRegex> pattern;
        bool anyCaption;  // an empty caption beside a program or class
        std::u32string program;
        bool programIsPath;
        std::u32string windowClass;
    };

    std::vector<bool> Match(const WindowView& view) const;

    std::vector<Compiled> watches_;
    bool needsClass_ = false;
    bool needsProgram_ = false;
    // Only windows that match at least one watch; absent means matching none.
    std::unordered_map<WindowHandle, std::vector<bool>> matching_;
    bool needsBaseline_ = true;
};

}  // namespace kvl
