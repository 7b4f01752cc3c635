#pragma once
// Caption comparison that ignores letter case in every script.

#include <string>
#include <string_view>

namespace kvl {

// UTF-8 text to code points with simple lower-case folding; a malformed byte becomes U+FFFD.
std::u32string FoldCase(std::string_view utf8);
char32_t FoldCase(char32_t c);

// A watch as the watcher compares it: its caption folded once, when the watch is added.
class CaptionPattern {
public:
    CaptionPattern(std::string_view caption, bool exact) : folded_(FoldCase(caption)), exact_(exact) {}

    // `caption` must already be folded.
    bool Matches(std::u32string_view caption) const {
        return exact_ ? caption == folded_ : caption.find(folded_) != std::u32string_view::npos;
    }

private:
    std::u32string folded_;
    bool exact_;
};

}  // namespace kvl
