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

#include "engine/watch_condition.h"
#include "platform/window_watcher.h"

namespace kvl {

// How the watcher looks for windows at a strength level.
struct WatchSchedule {
    int pollMs;      // 0: no polling
    bool eventHook;  // follow window events between polls
};
WatchSchedule ScheduleForLevel(std::int16_t level);

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
    std::vector<bool> Match(const WindowView& view) const;

    std::vector<WatchCondition> watches_;
    bool needsClass_ = false;
    bool needsProgram_ = false;
    // Only windows that match at least one watch; absent means matching none.
    std::unordered_map<WindowHandle, std::vector<bool>> matching_;
    bool needsBaseline_ = true;
};

}  // namespace kvl
