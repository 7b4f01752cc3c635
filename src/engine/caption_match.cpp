#include "engine/caption_match.h"

#include <algorithm>
#include <array>
#include <cstdint>

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
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (cont & 0x3F);
        }
        if (!ok) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(FoldCase(c));
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace kvl
