#pragma once
// The window watcher's bookkeeping, free of any platform: which watches each window matches,
// so that a window is reported once when it goes from not matching a watch to matching it.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
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
    // A watch's caption pattern gave up on a window's caption (it counts as no match): told
    // once per watch slot and pattern in a run, however often the window is seen again.
    using PatternTooLongHandler = WindowWatcher::PatternTooLongHandler;
    void OnPatternTooLong(PatternTooLongHandler handler) { onTooLong_ = std::move(handler); }

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
    void Forget(WindowHandle window) {
        matching_.erase(window);
        seen_.erase(window);
    }
    // After a full enumeration: windows not seen are gone.
    void KeepOnly(const std::unordered_set<WindowHandle>& alive);

    std::size_t TrackedWindows() const { return matching_.size(); }

private:
    // What a window was when last matched, and what it matched: the watches run again only
    // when one of its texts changed, not at every poll.
    struct Seen {
        bool eligible;
        std::string caption, windowClass, program;
        std::vector<bool> bits;
    };

    std::vector<bool> Match(const WindowView& view);
    std::vector<bool> MatchAfresh(const WindowView& view);

    PatternTooLongHandler onTooLong_;
    // Watch slots and patterns already told of, across re-registrations.
    std::set<std::pair<int, std::string>> toldTooLong_;
    std::vector<Watch> watchTexts_;
    std::unordered_map<WindowHandle, Seen> seen_;

    std::vector<WatchCondition> watches_;
    bool needsClass_ = false;
    bool needsProgram_ = false;
    // Only windows that match at least one watch; absent means matching none.
    std::unordered_map<WindowHandle, std::vector<bool>> matching_;
    bool needsBaseline_ = true;
};

}  // namespace kvl
