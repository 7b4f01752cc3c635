#include "engine/caption_regex.h"

#include <algorithm>
#include <regex>
#include <vector>

#include "engine/caption_match.h"
#include "platform/utf8.h"

// libstdc++'s polynomial mode runs every pattern without backtracking, in time proportional
// to the text times the pattern: "(a+)+b" costs what "ab" costs. No other library offers it.
#ifndef __GLIBCXX__
#error "caption patterns need libstdc++'s std::regex_constants::__polynomial"
#endif

namespace kvl {

namespace {

namespace rc = std::regex_constants;

constexpr auto kFlags = rc::ECMAScript | rc::icase | rc::nosubs | rc::optimize | rc::__polynomial;

constexpr std::size_t kPatternTextUnits = 256;

// How large a pattern may be once its counted repetitions are written out, which is how the
// regex holds them: matching costs this many steps per caption character at worst.
constexpr std::size_t kLargestPattern = 1000;

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::wstring& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<wchar_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
}

// The pattern as the regex compiles it. The regex's own blindness to case is the C locale's,
// which reaches ASCII only, so letters beyond ASCII are folded here as captions are; ASCII
// stays as written, where "\D" means something else than "\d".
std::wstring PatternSource(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (!utf8::Next(utf8, pos, c)) c = kReplacement;
        AppendUtf16(out, c < 0x80 ? c : FoldCase(c));
    }
    return out;
}

// A count in braces at `at` ("{3}", "{2,5}", "{2,}"): the most copies it writes out, and
// where it ends; nothing when the brace starts no count (it is then a plain character).
std::optional<std::size_t> CountAt(std::wstring_view p, std::size_t& at) {
    std::size_t k = at + 1;
    auto number = [&]() -> std::optional<std::size_t> {
        const std::size_t from = k;
        std::size_t n = 0;
        while (k < p.size() && p[k] >= L'0' && p[k] <= L'9') {
            n = std::min<std::size_t>(n * 10 + static_cast<std::size_t>(p[k] - L'0'), 1'000'000);
            ++k;
        }
        if (k == from) return std::nullopt;
        return n;
    };
    const auto low = number();
    if (!low) return std::nullopt;
    std::size_t most = *low;
    if (k < p.size() && p[k] == L',') {
        ++k;
        // "{2,}" writes out its two copies and a loop.
        most = number().value_or(*low + 1);
    }
    if (k >= p.size() || p[k] != L'}') return std::nullopt;
    at = k;
    return std::max<std::size_t>(most, 1);
}

// An upper bound on the pattern's size with its counts written out: "(a{100}){100}" is ten
// thousand characters however short it looks. A pattern that does not compile may be
// misjudged; it is refused anyway.
std::size_t ExpandedSize(std::wstring_view p) {
    struct Group {
        std::size_t size = 0;  // so far
        std::size_t last = 0;  // of the atom a quantifier would repeat
    };
    std::vector<Group> groups(1);
    auto atom = [&](std::size_t size) {
        groups.back().size = std::min<std::size_t>(groups.back().size + size, 1'000'000'000);
        groups.back().last = size;
    };
    for (std::size_t k = 0; k < p.size(); ++k) {
        switch (p[k]) {
            case L'\\':
                ++k;
                atom(1);
                break;
            case L'[':
                // One class, however many characters name it.
                for (++k; k < p.size() && p[k] != L']'; ++k)
                    if (p[k] == L'\\') ++k;
                atom(1);
                break;
            case L'(':
                groups.emplace_back();
                if (k + 1 < p.size() && p[k + 1] == L'?') k += 2;  // (?: (?= (?!
                break;
            case L')':
                if (groups.size() > 1) {
                    const std::size_t inner = groups.back().size + 1;
                    groups.pop_back();
                    atom(inner);
                }
                break;
            case L'|':
                groups.back().last = 0;
                break;
            case L'*':
            case L'+':
            case L'?':
                atom(1);
                break;
            case L'{':
                if (const auto copies = CountAt(p, k)) {
                    Group& g = groups.back();
                    const std::size_t added =
                        std::min<std::size_t>(g.last * (*copies - 1), 1'000'000'000);
                    g.size = std::min<std::size_t>(g.size + added, 1'000'000'000);
                    g.last = std::min<std::size_t>(g.last * *copies, 1'000'000'000);
                } else {
                    atom(1);
                }
                break;
            default:
                atom(1);
                break;
        }
    }
    std::size_t total = 0;
    for (const Group& g : groups) total += g.size;
    return total;
}

std::string Reason(rc::error_type code) {
    switch (code) {
        case rc::error_collate:
            return "it names a collating element I do not know";
        case rc::error_ctype:
            return "it names a character class I do not know";
        case rc::error_escape:
            return "a backslash in it escapes nothing";
        case rc::error_backref:
        case rc::error_complexity:
            return "it refers back to a group (like \\1), which I cannot match quickly";
        case rc::error_brack:
            return "a [ in it is never closed";
        case rc::error_paren:
            return "its parentheses do not pair up";
        case rc::error_brace:
            return "a { in it is never closed";
        case rc::error_badbrace:
            return "a count in braces in it is not one I understand";
        case rc::error_range:
            return "a range in brackets in it runs backwards";
        case rc::error_space:
            return "it is too large";
        case rc::error_badrepeat:
            return "a *, + or ? in it has nothing before it to repeat";
        default:
            return "it is no regular expression I know";
    }
}

struct Checked {
    std::optional<std::string> problem;
    std::optional<std::wregex> found;  // the pattern, ready to be found anywhere
};

Checked Check(std::string_view pattern) {
    const std::wstring source = PatternSource(pattern);
    if (ExpandedSize(source) > kLargestPattern)
        return {"it repeats so much that matching it would slow everything down", {}};
    try {
        // Compiled alone first: wrapped, a pattern such as "a)|(b" would pass for whole.
        const std::wregex alone(source, kFlags);
        (void)alone;
        // A lazy run of anything in front, matched from the caption's start only, finds the
        // pattern anywhere in one pass; left to regex_search, each start would be a pass of
        // its own. "^" still holds at the start only, as nothing has been passed over there.
        return {{}, std::wregex(L"[\\s\\S]*?(?:" + source + L")", kFlags)};
    } catch (const std::regex_error& e) {
        return {Reason(e.code()), {}};
    } catch (const std::exception&) {
        return {Reason(rc::error_type{}), {}};
    }
}

}  // namespace

struct CaptionRegex::Compiled {
    std::wregex regex;
};

std::optional<std::string> CaptionPatternProblem(std::string_view pattern) {
    return Check(pattern).problem;
}

std::wstring PatternText(std::u32string_view folded) {
    std::wstring out;
    out.reserve(std::min(folded.size(), kPatternTextUnits) + 1);
    for (char32_t c : folded) {
        if (out.size() + utf8::Utf16Units(c) > kPatternTextUnits) break;
        AppendUtf16(out, c);
    }
    return out;
}

CaptionRegex::CaptionRegex(std::string_view pattern) {
    Checked checked = Check(pattern);
    if (checked.found)
        compiled_ = std::make_shared<const Compiled>(Compiled{std::move(*checked.found)});
}

bool CaptionRegex::Matches(std::wstring_view caption) const {
    if (!compiled_) return false;
    try {
        return std::regex_search(caption.begin(), caption.end(), compiled_->regex,
                                 rc::match_continuous);
    } catch (const std::exception&) {
        return false;  // out of memory, at worst: no match, and the watcher goes on
    }
}

}  // namespace kvl
