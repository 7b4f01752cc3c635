// Arbitrary bytes as a caption pattern (up to the first line break) and a caption (the rest).
// Nothing crashes or runs on past the budget, and:
// - the editor's check and the watcher's compiled form agree on whether it can be used;
// - a search gives the same answer every time, and a search of the caption folded again;
// - the pattern in a group of its own, or beside a choice that never matches, finds what it
//   found alone (the parser reads a pattern the same wherever it stands).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvl;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string_view pattern = input.substr(0, cut);
    const std::string_view caption =
        cut == std::string_view::npos ? std::string_view{} : input.substr(cut + 1);

    const CaptionRegex regex(pattern);
    FUZZ_CHECK(regex.Valid() == !CaptionPatternProblem(pattern).has_value(), input);
    if (!regex.Valid()) return 0;
    const std::wstring text = PatternText(FoldCase(caption));
    const PatternSearch found = regex.Search(text);
    FUZZ_CHECK(regex.Search(text) == found, input);
    if (found == PatternSearch::TooLong) return 0;

    const std::string grouped = "(?:" + std::string(pattern) + ")";
    const std::string withChoice = grouped + "|[]";
    for (const std::string& other : {grouped, withChoice}) {
        const CaptionRegex same(other);
        // Written out, a pattern near the size limit may pass it inside a group: refused then.
        if (!same.Valid()) continue;
        const PatternSearch again = same.Search(text);
        FUZZ_CHECK(again == found || again == PatternSearch::TooLong, input);
    }
    return 0;
}
