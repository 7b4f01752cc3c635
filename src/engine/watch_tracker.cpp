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
    needsClass_ = needsProgram_ = false;
    matching_.clear();
    needsBaseline_ = true;
}

namespace {

// The part of a path after its last separator.
std::u32string_view FileName(std::u32string_view path) {
    const auto at = path.find_last_of(U"\\/");
    return at == std::u32string_view::npos ? path : path.substr(at + 1);
}

}  // namespace

int WatchTracker::AddWatch(const Watch& watch) {
    Compiled c{CaptionText(watch.caption, watch.captionKind == CaptionKind::Exact),
               std::nullopt,
               false,
               FoldCase(watch.program),
               watch.program.find('\\') != std::string::npos,
               FoldCase(watch.windowClass)};
    if (watch.captionKind == CaptionKind::Pattern) c.pattern.emplace(watch.caption);
    c.anyCaption = watch.caption.empty() && !(c.program.empty() && c.windowClass.empty());
    needsClass_ = needsClass_ || !c.windowClass.empty();
    needsProgram_ = needsProgram_ || !c.program.empty();
    watches_.push_back(std::move(c));
    needsBaseline_ = true;
    return static_cast<int>(watches_.size()) - 1;
}

std::vector<bool> WatchTracker::Match(const WindowView& view) const {
    std::vector<bool> bits;
    if (!view.eligible || watches_.empty()) return bits;
    const std::u32string folded = FoldCase(view.caption);
    const std::uint64_t buckets = CharacterBuckets(folded);
    // Each worked out once per window, and only once a watch asks for it.
    std::optional<std::u32string> windowClass, program;
    std::optional<std::wstring> patternText;
    for (std::size_t k = 0; k < watches_.size(); ++k) {
        const Compiled& w = watches_[k];
        // The cheapest comparisons first: a class or a program rules most windows out before
        // a pattern has to run.
        if (!w.windowClass.empty()) {
            if (!windowClass) windowClass = FoldCase(view.windowClass);
            if (*windowClass != w.windowClass) continue;
        }
        if (!w.program.empty()) {
            if (!program) program = FoldCase(view.program);
            if (w.programIsPath ? *program != w.program : FileName(*program) != w.program)
                continue;
        }
        if (w.anyCaption) {
            // any caption of that program or class
        } else if (w.pattern) {
            if (!patternText) patternText = PatternText(folded);
            if (!w.pattern->Matches(*patternText)) continue;
        } else if (!w.text.Matches(folded, buckets)) {
            continue;
        }
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
}

}  // namespace kvl
