#include "engine/caption_regex.h"

#include <algorithm>
#include <cstdint>
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

// How the regex sees characters. Captions and patterns reach it folded already, so letting
// case go is a matter of ASCII, and the library's own way, through the locale for every
// character, was half of all matching time. Classes (\w, \d, \s, [[:alpha:]]) and with
// them \b know ASCII only, as the C locale does on Linux; on Windows the C runtime would
// know more, and a pattern is to find the same windows wherever it is tried.
struct CaptionRegexTraits : std::regex_traits<wchar_t> {
    wchar_t translate_nocase(wchar_t c) const {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    bool isctype(wchar_t c, char_class_type f) const {
        return c < 0x80 && std::regex_traits<wchar_t>::isctype(c, f);
    }
};
using PatternRegex = std::basic_regex<wchar_t, CaptionRegexTraits>;

namespace {

namespace rc = std::regex_constants;

constexpr auto kFlags = rc::ECMAScript | rc::icase | rc::nosubs | rc::optimize | rc::__polynomial;

constexpr std::size_t kPatternTextUnits = 256;

// What a pattern may cost (see Weigh) for each character of a caption. bench/match_bench.cpp
// measures the dearest shapes at this limit on the longest caption.
constexpr std::size_t kLargestPattern = 48;
// What a class costs beyond its items: the regex tries each class in several ways, whatever
// it holds.
constexpr std::size_t kClassCost = 4;
// What a choice costs, "|" or a repetition: every way it offers is followed at every
// character.
constexpr std::size_t kBranchCost = 3;

constexpr std::size_t kBeyondAnyLimit = 1'000'000;

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::wstring& out, char32_t c) {
    utf8::ForEachUtf16Unit(c, [&out](char16_t unit) { out.push_back(static_cast<wchar_t>(unit)); });
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
std::optional<std::size_t> CountAt(std::wstring_view p, std::size_t& at, std::size_t& least) {
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
    least = *low;
    if (k < p.size() && p[k] == L',') {
        ++k;
        // "{2,}" writes out its two copies and a loop.
        most = number().value_or(*low + 1);
    }
    if (k >= p.size() || p[k] != L'}') return std::nullopt;
    at = k;
    return std::max<std::size_t>(most, 1);
}

std::optional<char32_t> HexAt(std::wstring_view p, std::size_t at, std::size_t digits) {
    if (at + digits > p.size()) return std::nullopt;
    char32_t c = 0;
    for (std::size_t k = at; k < at + digits; ++k) {
        const wchar_t d = p[k];
        int v;
        if (d >= L'0' && d <= L'9')
            v = d - L'0';
        else if (d >= L'a' && d <= L'f')
            v = d - L'a' + 10;
        else if (d >= L'A' && d <= L'F')
            v = d - L'A' + 10;
        else
            return std::nullopt;
        c = c * 16 + static_cast<char32_t>(v);
    }
    return c;
}

// The escape at `at` (its backslash), moved past: a problem when it names a capital letter
// beyond ASCII, which no folded caption holds ("\u00C9" for É), or refers back to a group.
std::optional<std::string> EscapeProblem(std::wstring_view p, std::size_t& at, bool inClass) {
    if (at + 1 >= p.size()) return std::nullopt;  // the regex says what is wrong
    const wchar_t e = p[++at];
    if (!inClass && e >= L'1' && e <= L'9')
        return "it refers back to a group (like \\1), which I cannot match quickly";
    if (e != L'u' && e != L'x') return std::nullopt;
    const std::size_t digits = e == L'u' ? 4 : 2;
    const auto c = HexAt(p, at + 1, digits);
    if (!c) return std::nullopt;
    const std::wstring_view written = p.substr(at - 1, digits + 2);
    at += digits;
    // ASCII letters are the regex's to match in either case; every other capital is folded
    // away in the caption before the pattern sees it.
    if (*c < 0x80 || FoldCase(*c) == *c) return std::nullopt;
    std::string escape(written.begin(), written.end());  // ASCII: a backslash and hex digits
    std::string small;
    utf8::Append(small, FoldCase(*c));
    return escape + " in it is a capital letter, and I compare captions in small letters: write " +
           small + " instead";
}

struct Weighed {
    std::optional<std::string> problem;
    std::size_t cost = 0;
};

// What matching the pattern costs for each character of a caption, in steps of the matcher:
// every character, class, group, alternative and repetition, with counted repetitions written
// out, as the regex holds them ("(a{100}){100}" is ten thousand however short it looks).
// What no such count can bound is refused by name: a lookahead starts the matcher afresh at
// every character, so nested ones multiply the caption's length by itself. A pattern that does
// not compile may be misjudged; it is refused anyway.
Weighed Weigh(std::wstring_view p) {
    struct Group {
        std::size_t size = 0;  // so far
        std::size_t last = 0;  // of the atom a quantifier would repeat
    };
    std::vector<Group> groups(1);
    // Held well short of overflowing, on 32 bits too: anything past the limit is refused.
    auto add = [](std::size_t a, std::size_t b) { return std::min(a + b, kBeyondAnyLimit); };
    auto times = [](std::size_t a, std::size_t b) {
        return static_cast<std::size_t>(
            std::min<std::uint64_t>(std::uint64_t{a} * b, kBeyondAnyLimit));
    };
    auto atom = [&](std::size_t size) {
        groups.back().size = add(groups.back().size, size);
        groups.back().last = size;
    };
    for (std::size_t k = 0; k < p.size(); ++k) {
        switch (p[k]) {
            case L'\\': {
                const std::size_t from = k;
                if (auto problem = EscapeProblem(p, k, false)) return {std::move(problem)};
                const wchar_t e = from + 1 < p.size() ? p[from + 1] : L'\\';
                // \D, \S and \W are tried as "none of" the class, which costs more.
                const bool isClass = e == L'd' || e == L'w' || e == L's';
                const bool isNoneOf = e == L'D' || e == L'W' || e == L'S';
                atom(isNoneOf ? kClassCost + 2 : isClass ? kClassCost : 1);
                break;
            }
            case L'[': {
                // A class is tried item by item for every character it meets.
                std::size_t items = 0;
                for (++k; k < p.size() && p[k] != L']'; ++k) {
                    ++items;
                    if (p[k] == L'\\') {
                        if (auto problem = EscapeProblem(p, k, true)) return {std::move(problem)};
                    } else if (p[k] == L'[' && k + 1 < p.size() &&
                               (p[k + 1] == L':' || p[k + 1] == L'.' || p[k + 1] == L'=')) {
                        // "[:alpha:]" and its kind end at their own "]", and each is
                        // looked up as a class of its own.
                        const wchar_t kind = p[k + 1];
                        items += kClassCost;
                        for (k += 2; k + 1 < p.size() && !(p[k] == kind && p[k + 1] == L']'); ++k) {
                        }
                        ++k;
                    }
                }
                atom(add(kClassCost, items));
                break;
            }
            case L'(':
                groups.emplace_back();
                if (k + 1 < p.size() && p[k + 1] == L'?') {
                    const wchar_t kind = k + 2 < p.size() ? p[k + 2] : L'\0';
                    const wchar_t then = k + 3 < p.size() ? p[k + 3] : L'\0';
                    if (kind == L'=' || kind == L'!')
                        return {"it looks ahead with (?= or (?!, which would slow everything down"};
                    if (kind == L'<' && (then == L'=' || then == L'!'))
                        return {"it looks behind with (?<= or (?<!, which I cannot do"};
                    if (kind != L':')
                        return {
                            "a group in it starts with (? but not (?:, the only such group I know"};
                    k += 2;
                }
                break;
            case L')':
                if (groups.size() > 1) {
                    const std::size_t inner = add(groups.back().size, 1);
                    groups.pop_back();
                    atom(inner);
                }
                break;
            case L'|':
                groups.back().size = add(groups.back().size, kBranchCost);
                groups.back().last = 0;
                break;
            case L'*':
            case L'+':
            case L'?':
                atom(kBranchCost);
                break;
            case L'{':
                if (std::size_t least = 0; const auto copies = CountAt(p, k, least)) {
                    // The atom written out `copies` times, each copy past the least a choice.
                    Group& g = groups.back();
                    const std::size_t choices =
                        times(*copies - std::min(least, *copies), kBranchCost);
                    const std::size_t whole = add(times(g.last, *copies), choices);
                    g.size = add(g.size, whole - std::min(g.last, whole));
                    g.last = whole;
                } else {
                    atom(1);
                }
                break;
            case L'.':
                // It is tried against each of the four ends of a line.
                atom(2);
                break;
            default:
                atom(1);
                break;
        }
    }
    std::size_t total = 0;
    for (const Group& g : groups) total = add(total, g.size);
    return {{}, total};
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
    std::optional<PatternRegex> found;  // the pattern, ready to be found anywhere
};

Checked Check(std::string_view pattern) {
    const std::wstring source = PatternSource(pattern);
    Weighed weighed = Weigh(source);
    if (weighed.problem) return {std::move(weighed.problem), {}};
    if (weighed.cost > kLargestPattern)
        return {
            "it is so large (counted repetitions written out) that matching it would slow "
            "everything down",
            {}};
    try {
        // Compiled alone first: wrapped, a pattern such as "a)|(b" would pass for whole.
        const PatternRegex alone(source, kFlags);
        (void)alone;
        // A lazy run of anything in front, matched from the caption's start only, finds the
        // pattern anywhere in one pass; left to regex_search, each start would be a pass of
        // its own. "^" still holds at the start only, as nothing has been passed over there.
        return {{}, PatternRegex(L"[\\s\\S]*?(?:" + source + L")", kFlags)};
    } catch (const std::regex_error& e) {
        return {Reason(e.code()), {}};
    } catch (const std::exception&) {
        return {Reason(rc::error_type{}), {}};
    }
}

}  // namespace

struct CaptionRegex::Compiled {
    PatternRegex regex;
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
