#pragma once
// Caption comparison that ignores letter case in every script.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvl {

// UTF-8 text to code points with simple lower-case folding; a malformed byte becomes U+FFFD.
std::u32string FoldCase(std::string_view utf8);
char32_t FoldCase(char32_t c);

// Which characters a folded text holds, in 64 buckets by their low bits. A text that holds
// another holds every bucket of it, so one missing bucket rules a watch out without a search:
// most windows match no watch, and this is what makes trying all fifty cheap.
constexpr std::uint64_t CharacterBuckets(std::u32string_view folded) {
    std::uint64_t buckets = 0;
    for (char32_t c : folded) buckets |= std::uint64_t{1} << (c & 63);
    return buckets;
}

// A watch's caption text, whole or a part, as the watcher compares it: folded once, when the
// watch is added.
class CaptionText {
public:
    CaptionText(std::string_view caption, bool exact)
        : folded_(FoldCase(caption)), buckets_(CharacterBuckets(folded_)), exact_(exact) {}

    // `caption` must already be folded.
    bool Matches(std::u32string_view caption) const {
        return Matches(caption, CharacterBuckets(caption));
    }
    // The same, with the caption's buckets worked out once for all watches.
    bool Matches(std::u32string_view caption, std::uint64_t captionBuckets) const {
        if ((buckets_ & ~captionBuckets) != 0) return false;
        return exact_ ? caption == folded_ : caption.find(folded_) != std::u32string_view::npos;
    }
    bool Empty() const { return folded_.empty(); }

private:
    std::u32string folded_;
    std::uint64_t buckets_;
    bool exact_;
};

}  // namespace kvl
