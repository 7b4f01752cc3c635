#pragma once
// Whether a window is one a watch is meant for: its caption, program and class, compared as
// the watch says. The watcher asks it of every window it sees; a run asks it again of its own
// window right before the keys go in, since a window may be renamed or hidden meanwhile.

#include <optional>
#include <string>
#include <string_view>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "platform/window_watcher.h"

namespace kvl {

// A window as the watches see it. The class and the program need only be given while a watch
// asks for them (NeedsClass, NeedsProgram); a program that could not be read is empty.
struct WindowView {
    WindowHandle window;
    bool eligible;  // a visible top-level window (owned pop-ups count)
    std::string_view caption;
    std::string_view windowClass = {};
    std::string_view program = {};  // the full path of the program that owns the window
};

// A window's texts as the conditions compare them: each folded once, and only when a
// condition first asks for it, however many conditions look at the window.
class FoldedWindow {
public:
    explicit FoldedWindow(const WindowView& view) : view_(view) {}

    const WindowView& View() const { return view_; }
    const std::u32string& Caption();
    std::uint64_t CaptionBuckets();
    const std::wstring& PatternCaption();
    const std::u32string& WindowClass();
    const std::u32string& Program();

private:
    const WindowView& view_;
    std::optional<std::u32string> caption_, windowClass_, program_;
    std::optional<std::uint64_t> buckets_;
    std::optional<std::wstring> patternCaption_;
};

// A watch as it is compared: everything folded, and its pattern compiled, once.
class WatchCondition {
public:
    explicit WatchCondition(const Watch& watch);

    bool NeedsClass() const { return !windowClass_.empty(); }
    bool NeedsProgram() const { return !program_.empty(); }
    // Eligibility is the caller's to check; this compares the texts. TooLong when the
    // caption pattern gave up on this caption: it does not match.
    PatternSearch Check(FoldedWindow& window) const;
    bool Matches(FoldedWindow& window) const { return Check(window) == PatternSearch::Match; }

private:
    CaptionText text_;
    std::optional<CaptionRegex> pattern_;
    bool anyCaption_;  // an empty caption beside a program or class
    std::u32string program_;
    bool programIsPath_;
    std::u32string windowClass_;
};

// The whole question for one window, eligibility included.
bool StillMatches(const Watch& watch, const WindowView& view);

}  // namespace kvl
