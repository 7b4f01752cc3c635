#include "engine/caption_regex.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>

#ifdef _WIN32
// Windows' own tables for \w, \s, \d, \b and for case: the library leaves them out under gcc
// by default, for a reason that no longer holds (it declares the few calls it makes itself).
#include <boost/regex/v5/w32_regex_traits.hpp>
#endif
#include <boost/regex.hpp>

#include "engine/caption_match.h"
#include "platform/utf8.h"

namespace kvl {

#ifdef _WIN32
using CaptionTraitsBase = boost::regex_traits<wchar_t, boost::w32_regex_traits<wchar_t>>;
#else
using CaptionTraitsBase = boost::regex_traits<wchar_t>;
#endif
// A type of our own, so that the budget below is ours alone.
struct CaptionTraits : CaptionTraitsBase {};
using PatternRegex = boost::basic_regex<wchar_t, CaptionTraits>;
using PatternIterator = const wchar_t*;

namespace {
std::ptrdiff_t searchBudget = kPatternSearchBudget;
}  // namespace

void SetPatternSearchBudget(std::ptrdiff_t steps) { searchBudget = steps; }

}  // namespace kvl

// The library sets each search's budget from the caption's length and the pattern's size
// squared, which lets a large pattern run for many milliseconds; ours is one figure for every
// pattern. The search counts its steps and stops with error_complexity past it.
template <>
void boost::BOOST_REGEX_DETAIL_NS::perl_matcher<
    kvl::PatternIterator, boost::match_results<kvl::PatternIterator>::allocator_type,
    kvl::CaptionTraits>::estimate_max_state_count(std::random_access_iterator_tag*) {
    max_state_count = kvl::searchBudget;
}

namespace kvl {

namespace {

namespace rc = boost::regex_constants;

constexpr std::size_t kPatternTextUnits = 256;

constexpr char32_t kReplacement = 0xFFFD;

const std::string kBadEscape = "a backslash in it escapes nothing";

void AppendUtf16(std::wstring& out, char32_t c) {
    utf8::ForEachUtf16Unit(c, [&out](char16_t unit) { out.push_back(static_cast<wchar_t>(unit)); });
}

// Letters beyond ASCII are folded here as captions are, so that a pattern finds the same
// windows on every system; ASCII stays as written, where "\D" means something else than
// "\d", and the regex's blindness to case covers it.
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

void AppendHex(std::wstring& out, char32_t c) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    out += L"\\x{";
    std::wstring digits;
    do {
        digits.insert(digits.begin(), kDigits[c & 15]);
        c >>= 4;
    } while (c != 0);
    out += digits;
    out += L'}';
}

// One character meant as itself, in a form the library cannot take for anything else.
void AppendLiteral(std::wstring& out, char32_t c) {
    const bool alnum = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
    if (alnum)
        out += static_cast<wchar_t>(c);
    else if (c > 0x20 && c < 0x7F)
        out += {L'\\', static_cast<wchar_t>(c)};
    else
        AppendHex(out, c);
}

// Earlier releases read patterns as ECMAScript; the library reads Perl's syntax. The two
// agree on most of it; where they part, the pattern is rewritten so that it reads as before:
// - "." stops at line ends (\n, \r, U+2028, U+2029), not only at \n;
// - "^" and "$" hold at the caption's ends only, never beside a line break inside it;
// - "\v" is the vertical tab, "\0" the null character, "\b" in brackets the backspace, and
//   "\cX" stood for the letter X itself;
// - "\uXXXX" is a character (for the library it is any capital, then "XXXX"), and an escaped
//   capital past ASCII finds its small letter, as a capital typed as itself always did;
// - any other escaped letter is that letter ("\e", "\h", "\Q", "\A", "\z", "\p" ...), as it
//   was, where the library gives many of them a meaning;
// - "[]" matches nothing and "[^]" any character, where the library would read on to the next
//   "]".
// Groups other than (?:, lookaheads and lookbehinds are refused: earlier releases refused them,
// and the library's further kinds (recursion, conditions, options) are no caption's business.
std::optional<std::string> Translate(std::wstring_view p, std::wstring& out) {
    bool inClass = false;
    for (std::size_t k = 0; k < p.size(); ++k) {
        const wchar_t c = p[k];
        if (c == L'\\') {
            if (k + 1 >= p.size()) return kBadEscape;
            const wchar_t e = p[++k];
            switch (e) {
                case L'f':
                case L'n':
                case L'r':
                case L't':
                case L'd':
                case L'D':
                case L's':
                case L'S':
                case L'w':
                case L'W':
                case L'B':
                    out += {L'\\', e};
                    break;
                case L'b':
                    if (inClass)
                        AppendHex(out, 8);
                    else
                        out += L"\\b";
                    break;
                case L'v':
                    AppendHex(out, 0x0B);
                    break;
                case L'0':
                    AppendHex(out, 0);
                    break;
                case L'c':
                    if (k + 1 >= p.size()) return kBadEscape;
                    AppendLiteral(out, p[++k]);
                    break;
                case L'x':
                case L'u': {
                    const std::size_t digits = e == L'x' ? 2 : 4;
                    const auto value = HexAt(p, k + 1, digits);
                    if (!value) return kBadEscape;
                    k += digits;
                    AppendLiteral(out, *value < 0x80 ? *value : FoldCase(*value));
                    break;
                }
                default:
                    if (e >= L'1' && e <= L'9') {
                        out += {L'\\', e};  // a back-reference, as both read it
                        while (k + 1 < p.size() && p[k + 1] >= L'0' && p[k + 1] <= L'9')
                            out += p[++k];
                    } else {
                        AppendLiteral(out, e);
                    }
                    break;
            }
            continue;
        }
        if (inClass) {
            if (c == L']') {
                inClass = false;
                out += c;
            } else if (c == L'[' && k + 1 < p.size() &&
                       (p[k + 1] == L':' || p[k + 1] == L'.' || p[k + 1] == L'=')) {
                // "[:alpha:]" and its kind, to their own closing "x]".
                const wchar_t kind = p[k + 1];
                const std::size_t end = p.find(std::wstring{kind, L']'}, k + 2);
                if (end == std::wstring_view::npos) return "a [ in it is never closed";
                out += p.substr(k, end + 2 - k);
                k = end + 1;
            } else if (c == L'[') {
                out += L"\\[";
            } else {
                out += c;
            }
            continue;
        }
        switch (c) {
            case L'.':
                out += L"[^\\n\\r\\x{2028}\\x{2029}]";
                break;
            case L'^':
                out += L"\\A";
                break;
            case L'$':
                out += L"\\z";
                break;
            case L'[': {
                const bool noneOf = k + 1 < p.size() && p[k + 1] == L'^';
                const std::size_t close = k + (noneOf ? 2 : 1);
                if (close < p.size() && p[close] == L']') {
                    out += noneOf ? L"[\\s\\S]" : L"[^\\s\\S]";
                    k = close;
                } else {
                    out += noneOf ? L"[^" : L"[";
                    k = close - 1;
                    inClass = true;
                }
                break;
            }
            case L'(':
                out += c;
                if (k + 1 < p.size() && p[k + 1] == L'?') {
                    const std::wstring_view kind = p.substr(k + 2, 2);
                    const bool known = kind.starts_with(L':') || kind.starts_with(L'=') ||
                                       kind.starts_with(L'!') || kind == L"<=" || kind == L"<!";
                    if (!known)
                        return "a group in it starts with (? but not with (?:, (?=, (?!, (?<= or "
                               "(?<!, the only such groups I know";
                }
                break;
            default:
                out += c;
                break;
        }
    }
    return std::nullopt;
}

std::string Reason(rc::error_type code) {
    switch (code) {
        case rc::error_collate:
            return "it names a collating element I do not know";
        case rc::error_ctype:
            return "it names a character class I do not know";
        case rc::error_escape:
            return kBadEscape;
        case rc::error_backref:
            return "it refers back to a group (like \\1) that it does not have";
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
        case rc::error_size:
        case rc::error_complexity:
        case rc::error_stack:
            return "it is too large or nested too deeply";
        case rc::error_badrepeat:
            return "a *, + or ? in it has nothing before it to repeat";
        case rc::error_bad_pattern:
            return "it looks behind (with (?<= or (?<!) for a length that is not fixed";
        default:
            return "it is no regular expression I know";
    }
}

}  // namespace

struct CaptionRegex::Compiled {
    std::optional<std::string> problem;
    std::optional<PatternRegex> regex;  // when there is no problem
};

namespace {

std::shared_ptr<const CaptionRegex::Compiled> Compile(std::string_view pattern) {
    auto compiled = std::make_shared<CaptionRegex::Compiled>();
    const std::wstring source = PatternSource(pattern);
    if (source.size() > kLongestCaptionPattern) {
        compiled->problem = "it is longer than " + std::to_string(kLongestCaptionPattern) +
                            " characters";
        return compiled;
    }
    std::wstring translated;
    if ((compiled->problem = Translate(source, translated))) return compiled;
    try {
        compiled->regex.emplace(translated, rc::perl | rc::icase);
    } catch (const boost::regex_error& e) {
        compiled->problem = Reason(e.code());
    } catch (const std::exception&) {
        compiled->problem = Reason(rc::error_unknown);
    }
    return compiled;
}

// The store, an import, the editor and every watch of the same pattern share one compiled
// form: what one of them accepts, the others run.
std::shared_ptr<const CaptionRegex::Compiled> SharedCompiled(std::string_view pattern) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<const CaptionRegex::Compiled>, std::less<>> known;
    const std::lock_guard lock(mutex);
    if (auto it = known.find(pattern); it != known.end()) {
        if (auto alive = it->second.lock()) return alive;
    }
    // Forgotten patterns go as new ones come, so that the map holds no more than is in use.
    std::erase_if(known, [](const auto& entry) { return entry.second.expired(); });
    auto compiled = Compile(pattern);
    known[std::string(pattern)] = compiled;
    return compiled;
}

}  // namespace

std::optional<std::string> CaptionPatternProblem(std::string_view pattern) {
    return SharedCompiled(pattern)->problem;
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
    auto compiled = SharedCompiled(pattern);
    if (compiled->regex) compiled_ = std::move(compiled);
}

PatternSearch CaptionRegex::Search(std::wstring_view caption) const {
    if (!compiled_) return PatternSearch::NoMatch;
    try {
        const PatternIterator begin = caption.data();
        return boost::regex_search(begin, begin + caption.size(), *compiled_->regex)
                   ? PatternSearch::Match
                   : PatternSearch::NoMatch;
    } catch (const std::runtime_error&) {
        // Past the budget (error_complexity), or past the memory a search may take
        // (error_stack): the library gives up rather than hold the watcher.
        return PatternSearch::TooLong;
    } catch (const std::exception&) {
        return PatternSearch::NoMatch;  // out of memory, at worst: the watcher goes on
    }
}

}  // namespace kvl
