#include "engine/caption_match.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/utf8.h"

namespace kvl {

namespace {

struct FoldRun {
    std::uint32_t first, last, stride;
    std::int32_t offset;
};

constexpr FoldRun kFoldRuns[] = {
#include "engine/case_fold_table.inc"
};

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

char32_t FoldCase(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                       [](char32_t v, const FoldRun& r) { return v < r.first; });
    if (run == std::begin(kFoldRuns)) return c;
    --run;
    if (c > run->last || (c - run->first) % run->stride != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->offset);
}

std::u32string FoldCase(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        char32_t c = 0;
        // A malformed byte stands for nothing a watch could mean; it never matches a letter.
        out.push_back(utf8::Next(s, pos, c) ? FoldCase(c) : kReplacement);
    }
    return out;
}

}  // namespace kvl
