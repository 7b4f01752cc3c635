#include "engine/watch_condition.h"

#include "platform/path_name.h"

namespace kvl {

const std::u32string& FoldedWindow::Caption() {
    if (!caption_) caption_ = FoldCase(view_.caption);
    return *caption_;
}

std::uint64_t FoldedWindow::CaptionBuckets() {
    if (!buckets_) buckets_ = CharacterBuckets(Caption());
    return *buckets_;
}

const std::wstring& FoldedWindow::PatternCaption() {
    if (!patternCaption_) patternCaption_ = PatternText(Caption());
    return *patternCaption_;
}

const std::u32string& FoldedWindow::WindowClass() {
    if (!windowClass_) windowClass_ = FoldCase(view_.windowClass);
    return *windowClass_;
}

const std::u32string& FoldedWindow::Program() {
    if (!program_) program_ = FoldCase(view_.program);
    return *program_;
}

WatchCondition::WatchCondition(const Watch& watch)
    : text_(watch.caption, watch.captionKind == CaptionKind::Exact),
      program_(FoldCase(watch.program)),
      programIsPath_(watch.program.find('\\') != std::string::npos),
      windowClass_(FoldCase(watch.windowClass)) {
    if (watch.captionKind == CaptionKind::Pattern) pattern_.emplace(watch.caption);
    anyCaption_ = watch.caption.empty() && !(program_.empty() && windowClass_.empty());
}

PatternSearch WatchCondition::Check(FoldedWindow& window) const {
    constexpr auto no = PatternSearch::NoMatch, yes = PatternSearch::Match;
    // The cheapest comparisons first: a class or a program rules most windows out before a
    // pattern has to run.
    if (!windowClass_.empty() && window.WindowClass() != windowClass_) return no;
    if (!program_.empty()) {
        const std::u32string& program = window.Program();
        if (programIsPath_ ? program != program_ : FileName(std::u32string_view(program)) != program_)
            return no;
    }
    if (anyCaption_) return yes;  // any caption of that program or class
    if (pattern_) return pattern_->Search(window.PatternCaption());
    return text_.Matches(window.Caption(), window.CaptionBuckets()) ? yes : no;
}

bool StillMatches(const Watch& watch, const WindowView& view) {
    if (!view.eligible) return false;
    FoldedWindow folded(view);
    return WatchCondition(watch).Matches(folded);
}

}  // namespace kvl
