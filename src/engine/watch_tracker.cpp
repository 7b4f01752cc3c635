#include "engine/watch_tracker.h"

#include <algorithm>
#include <iterator>

namespace kvl {

WatchSchedule ScheduleForLevel(std::int16_t level) {
    switch (level) {
        case 1: return {50, true};
        case 2: return {100, true};
        case 3: return {250, true};
        case 4: return {500, true};
        default: return level <= 0 ? WatchSchedule{0, false} : WatchSchedule{2000, false};
    }
}

void WatchTracker::ClearWatches() {
    watches_.clear();
    watchTexts_.clear();
    seen_.clear();
    needsClass_ = needsProgram_ = false;
    matching_.clear();
    needsBaseline_ = true;
}

int WatchTracker::AddWatch(const Watch& watch) {
    watches_.emplace_back(watch);
    watchTexts_.push_back(watch);
    seen_.clear();
    needsClass_ = needsClass_ || watches_.back().NeedsClass();
    needsProgram_ = needsProgram_ || watches_.back().NeedsProgram();
    needsBaseline_ = true;
    return static_cast<int>(watches_.size()) - 1;
}

std::vector<bool> WatchTracker::Match(const WindowView& view) {
    auto it = seen_.find(view.window);
    if (it != seen_.end() && it->second.eligible == view.eligible &&
        it->second.caption == view.caption && it->second.windowClass == view.windowClass &&
        it->second.program == view.program)
        return it->second.bits;
    std::vector<bool> bits = MatchAfresh(view);
    Seen seen{view.eligible, std::string(view.caption), std::string(view.windowClass),
              std::string(view.program), bits};
    if (it != seen_.end())
        it->second = std::move(seen);
    else
        seen_.emplace(view.window, std::move(seen));
    return bits;
}

std::vector<bool> WatchTracker::MatchAfresh(const WindowView& view) {
    std::vector<bool> bits;
    if (!view.eligible || watches_.empty()) return bits;
    // Each text is folded once per window, and only once a watch asks for it.
    FoldedWindow folded(view);
    for (std::size_t k = 0; k < watches_.size(); ++k) {
        const PatternSearch result = watches_[k].Check(folded);
        if (result == PatternSearch::TooLong &&
            toldTooLong_.emplace(static_cast<int>(k), watchTexts_[k].caption).second && onTooLong_)
            onTooLong_(static_cast<int>(k), view.window);
        if (result != PatternSearch::Match) continue;
        // Most windows match nothing; the bits are made only for one that matches.
        if (bits.empty()) bits.resize(watches_.size());
        bits[k] = true;
    }
    return bits;
}

void WatchTracker::Baseline(const std::vector<WindowView>& windows) {
    matching_.clear();
    for (const WindowView& view : windows) {
        auto bits = Match(view);
        if (!bits.empty()) matching_[view.window] = std::move(bits);
    }
    needsBaseline_ = false;
}

std::vector<int> WatchTracker::Observe(const WindowView& view) {
    std::vector<int> opened;
    if (needsBaseline_) return opened;
    auto bits = Match(view);
    auto it = matching_.find(view.window);
    for (std::size_t k = 0; k < bits.size(); ++k) {
        const bool before = it != matching_.end() && it->second[k];
        if (bits[k] && !before) opened.push_back(static_cast<int>(k));
    }
    if (bits.empty()) {
        if (it != matching_.end()) matching_.erase(it);
    } else if (it != matching_.end()) {
        it->second = std::move(bits);
    } else {
        matching_.emplace(view.window, std::move(bits));
    }
    return opened;
}

void WatchTracker::KeepOnly(const std::unordered_set<WindowHandle>& alive) {
    std::erase_if(matching_, [&](const auto& entry) { return !alive.contains(entry.first); });
    std::erase_if(seen_, [&](const auto& entry) { return !alive.contains(entry.first); });
}

}  // namespace kvl
