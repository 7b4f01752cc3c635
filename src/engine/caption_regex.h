#pragma once
// A caption pattern: a regular expression (ECMAScript syntax, as earlier releases read it, with
// lookbehinds besides) found anywhere in a window's caption, letter case ignored. `^` and `$`
// anchor it to the caption's ends.
//
// Patterns run on UTF-16, as Windows holds captions: the caption folded as for every other
// comparison, then as UTF-16 code units, cut to the first 256 of them (a caption is at most
// 256 characters). The units are held in wchar_t, which is 16 bits on Windows; on the host,
// where it is 32, they are still UTF-16 units, so the tests see what Windows sees. A character
// past U+FFFF is therefore two for `.` and for counts, and no letter for `\w`. `\w`, `\d`,
// `\s` and `\b` know characters as engine/character_types.h says.
//
// The matcher never backtracks and counts the steps of every search: past a budget it gives
// up, so no pattern can hold the watcher up, whatever its shape. Such a search is no match,
// and says so.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvl {

// The longest pattern, in UTF-16 units as typed.
inline constexpr std::size_t kLongestCaptionPattern = 1000;

// Why a pattern cannot be used, in words the editor can show after "I can't read that caption
// pattern: "; nothing when it can.
std::optional<std::string> CaptionPatternProblem(std::string_view pattern);

// A folded caption as a pattern sees it.
std::wstring PatternText(std::u32string_view folded);

enum class PatternSearch {
    NoMatch,
    Match,
    // The search ran out of its budget (or of the memory it may take) before it could tell:
    // counted as no match.
    TooLong,
};

class CaptionRegex {
public:
    // Compiled once per pattern text, and shared by everyone who asks for the same one. A
    // pattern with a problem matches nothing.
    explicit CaptionRegex(std::string_view pattern);

    bool Valid() const { return compiled_ != nullptr; }
    // `caption` as PatternText gives it.
    PatternSearch Search(std::wstring_view caption) const;
    bool Matches(std::wstring_view caption) const {
        return Search(caption) == PatternSearch::Match;
    }

    struct Compiled;

private:
    std::shared_ptr<const Compiled> compiled_;
};

// How many steps one search may take: bench/pattern_bench.cpp measures the dearest shapes
// against it on the longest caption, and how many steps patterns of the usual kinds need.
inline constexpr std::ptrdiff_t kPatternSearchBudget = 20'000;
// For the bench alone, which turns the budget to find what searches need.
void SetPatternSearchBudget(std::ptrdiff_t steps);

}  // namespace kvl
