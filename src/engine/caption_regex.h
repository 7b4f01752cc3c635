#pragma once
// A caption pattern: a regular expression (ECMAScript syntax) found anywhere in a window's
// caption, letter case ignored. `^` and `$` anchor it to the caption's ends.
//
// std::regex knows no char32_t, so patterns run on UTF-16: the caption folded as for every
// other comparison, then as UTF-16 code units, cut to the first 256 of them (a caption is at
// most 256 characters). The units are held in wchar_t, which is 16 bits on Windows; on the
// host, where it is 32, they are still UTF-16 units, so the tests see what Windows sees.
// Hence what the user guide tells: a character past U+FFFF is two for `.` and for counts,
// `\w`, `\d`, `\s` and `\b` know ASCII only, and a capital letter never occurs (a `\u` or `\x`
// escape naming one is refused).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvl {

// Why a pattern cannot be used, in words the editor can show after "I can't read that caption
// pattern: "; nothing when it can. Refused too are lookarounds and back-references, whose cost
// grows with the caption beyond any size, and patterns whose size would make one caption of
// 256 characters cost more than about a millisecond (bench/match_bench.cpp measures it).
std::optional<std::string> CaptionPatternProblem(std::string_view pattern);

// A folded caption as a pattern sees it.
std::wstring PatternText(std::u32string_view folded);

class CaptionRegex {
public:
    // Compiled here, once. A pattern with a problem matches nothing.
    explicit CaptionRegex(std::string_view pattern);

    bool Valid() const { return compiled_ != nullptr; }
    // `caption` as PatternText gives it. The time taken is bounded by the caption's length
    // times the pattern's weighed size, whatever the pattern: no backtracking, no lookaround.
    bool Matches(std::wstring_view caption) const;

private:
    struct Compiled;
    std::shared_ptr<const Compiled> compiled_;
};

}  // namespace kvl
