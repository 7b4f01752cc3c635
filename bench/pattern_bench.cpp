// The caption patterns' part of kvl_match_bench: the dearest pattern, fifty watches of it, and
// the engine against std::regex, as earlier releases ran patterns.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "engine/watch_tracker.h"
#include "platform/utf8.h"

namespace {

using Clock = std::chrono::steady_clock;

// A caption of 256 UTF-16 units made of `unit` over and over.
std::string Repeated(std::string_view unit, std::size_t units = 256) {
    std::string out;
    std::size_t n = 0;
    while (n < units) {
        for (std::size_t pos = 0; pos < unit.size() && n < units;) {
            char32_t c = 0;
            kvl::utf8::Next(unit, pos, c);
            kvl::utf8::Append(out, c);
            n += kvl::utf8::Utf16Units(c);
        }
    }
    return out;
}

struct Shape {
    std::string what;
    std::string pattern;
    std::string caption;
};

std::string Times(std::string_view part, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += part;
    return out;
}

std::vector<Shape> Shapes() {
    const std::string as = Repeated("a"), dashes = Repeated("-"), words = Repeated("word "),
                      spaced = Repeated("a "), setup = Repeated("setup"),
                      unicode = Repeated("größe über "), mixed = Repeated("a-");
    std::string longSet = "[";
    for (char c = 'b'; longSet.size() < 990; c = c == 'p' ? 'b' : static_cast<char>(c + 1))
        longSet += std::string{c, '-', c};
    longSet += "]*q";
    std::string manyWords = "(?:";
    for (int k = 0; manyWords.size() < 980; ++k) manyWords += "a" + std::to_string(k % 10) + "|a|";
    manyWords += "a)*q";
    return {
        {"\\B run", Times("\\B", 47) + "q", dashes},
        {"\\B run, long", Times("\\B", 495) + "q", dashes},
        {"\\b run", Times("\\b", 47) + "q", mixed},
        {"\\b and \\B in a loop", "(?:\\b|\\B)+q", spaced},
        {"nested quantifiers", "(a+)+q", as},
        {"nested quantifiers", "(a*)*q", as},
        {"nested quantifiers", "((a+)+)+q", as},
        {"overlapping loop", "(a|aa)+q", as},
        {"overlapping loop", "(.*a){12}q", as},
        {"optional run", "(?:a?){30}a{30}q", as},
        {"optional run, long", "(?:a?){200}a{200}q", as},
        {"any-character runs", "(.*){10}q", as},
        {"overlapping words", "(?:setup|set|up|setu|etup|s|e|t|u|p)+q", setup},
        {"overlapping words", "(?:set|setu|up|tup|s|etu|p)*(?:x|q)", setup},
        {"many alternatives (1000 characters)", manyWords, as},
        {"lookahead nest", "(?=.*(?=.*(?=.*q)))", as},
        {"lookahead in a loop", "(?:(?!q).)*q", as},
        {"lookahead of a loop", "(?:(?=(a+)+q)a)*q", as},
        {"lookbehind in a loop", "(?:(?<=a)a)+q", as},
        {"lookbehind in a loop", "(?:(?<![^a])(?:a|a))+q", as},
        {"large counts", "(a{1000}){1000}", as},
        {"large counts", "a{0,1000}q", as},
        {"large counts", "(?:a{1,100}){1,100}q", as},
        {"large counts", "(?:a|a){0,255}q", as},
        {"classes", "(?:\\w+\\s?)+q", words},
        {"classes", "(?:\\w|\\d)+q", as},
        {"classes", "[[:alpha:]]{1,256}q", as},
        {"classes beyond ASCII", "(?:\\w+\\W?)+q", unicode},
        {"classes beyond ASCII", "(?:[^\\s]+\\s)+q", unicode},
        {"long class (1000 characters)", longSet, as},
        {"long class (1000 characters)", longSet, Repeated("p")},
        {"long literal", Times("a", 255) + "q", as},
        {"literal choices", "(?:" + Times("a", 120) + "q|" + Times("a", 120) + "r)", as},
        {"back-references", "(a+)\\1+q", as},
        {"back-references", "(.*)\\1\\1q", as},
        {"back-references", "(a*)*\\1q", as},
    };
}

// Microseconds per search: the median of five batches of at least 20 ms each.
double MicrosPerSearch(const kvl::CaptionRegex& regex, const std::wstring& caption, int batches = 5,
                       std::chrono::microseconds batchTime = std::chrono::milliseconds(20)) {
    std::vector<double> means;
    for (int b = 0; b < batches; ++b) {
        long n = 0;
        const auto start = Clock::now();
        auto now = start;
        do {
            volatile auto result = regex.Search(caption);
            (void)result;
            ++n;
            now = Clock::now();
        } while (now - start < batchTime);
        means.push_back(std::chrono::duration<double, std::micro>(now - start).count() /
                        static_cast<double>(n));
    }
    std::sort(means.begin(), means.end());
    return means[means.size() / 2];
}

const char* ResultName(kvl::PatternSearch result) {
    switch (result) {
        case kvl::PatternSearch::Match:
            return "match";
        case kvl::PatternSearch::NoMatch:
            return "no match";
        case kvl::PatternSearch::TooLong:
            return "stopped by the budget";
    }
    return "";
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '|')
            out += "\\|";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Shown(std::string_view text, std::size_t most = 60) {
    if (text.size() <= most) return Escaped(text);
    return Escaped(text.substr(0, most)) + "… (" + std::to_string(text.size()) + " bytes)";
}

// Random patterns of the atoms that cost most, on the captions that hurt them.
std::string RandomPattern(std::mt19937& random, int depth) {
    static const char* const atoms[] = {"a",     "\\b",      "\\B", ".",  "\\w",
                                        "[^q]",  "(?:a|aa)", "\\W", "-",  "(?=a)",
                                        "(?!q)", "(?<=a)",   "a?",  "\\s"};
    static const char* const repeats[] = {"", "", "*", "+", "?", "{2,9}", "{0,30}", "*?", "{3}"};
    std::string out;
    const int parts = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < parts; ++k) {
        std::string atom = depth > 0 && random() % 3 == 0
                               ? "(?:" + RandomPattern(random, depth - 1) + ")"
                               : atoms[random() % std::size(atoms)];
        if (atom[0] != '(' || atom[2] == ':') atom += repeats[random() % std::size(repeats)];
        out += atom;
        if (random() % 6 == 0) out += "|";
    }
    return out + "q";
}

}  // namespace

int Dearest() {
    std::printf("Budget: %td steps per search.\n\n", kvl::kPatternSearchBudget);
    std::printf("| Shape | Pattern | Caption (256 units) | Result | Time per search (us) |\n");
    std::printf("|---|---|---|---|---|\n");
    struct Found {
        double us;
        std::string pattern, caption;
    };
    Found dearest{0, "", ""};
    for (const Shape& shape : Shapes()) {
        const kvl::CaptionRegex regex(shape.pattern);
        if (!regex.Valid()) {
            std::printf("| %s | `%s` | | refused: %s | |\n", shape.what.c_str(),
                        Shown(shape.pattern).c_str(),
                        kvl::CaptionPatternProblem(shape.pattern).value_or("").c_str());
            continue;
        }
        const std::wstring caption = kvl::PatternText(kvl::FoldCase(shape.caption));
        const double us = MicrosPerSearch(regex, caption);
        std::printf("| %s | `%s` | `%s` | %s | %.0f |\n", shape.what.c_str(),
                    Shown(shape.pattern).c_str(), Shown(shape.caption, 16).c_str(),
                    ResultName(regex.Search(caption)), us);
        if (us > dearest.us) dearest = {us, shape.pattern, shape.caption};
    }

    // A random search among further shapes: each timed briefly, the dearest few again in full.
    std::mt19937 random(29);
    const std::string captions[] = {Repeated("a"), Repeated("-"), Repeated("a-"), Repeated("a ")};
    std::vector<Found> tried;
    const int kTried = 400;
    for (int k = 0; k < kTried; ++k) {
        const std::string pattern = RandomPattern(random, 2);
        const kvl::CaptionRegex regex(pattern);
        if (!regex.Valid()) continue;
        for (const std::string& caption : captions) {
            const double us = MicrosPerSearch(regex, kvl::PatternText(kvl::FoldCase(caption)), 1,
                                              std::chrono::milliseconds(2));
            tried.push_back({us, pattern, caption});
        }
    }
    std::sort(tried.begin(), tried.end(),
              [](const Found& a, const Found& b) { return a.us > b.us; });
    for (std::size_t k = 0; k < std::min<std::size_t>(3, tried.size()); ++k) {
        const kvl::CaptionRegex regex(tried[k].pattern);
        const std::wstring caption = kvl::PatternText(kvl::FoldCase(tried[k].caption));
        const double us = MicrosPerSearch(regex, caption);
        std::printf("| random search, %d patterns on 4 captions | `%s` | `%s` | %s | %.0f |\n",
                    kTried, Shown(tried[k].pattern).c_str(), Shown(tried[k].caption, 16).c_str(),
                    ResultName(regex.Search(caption)), us);
        if (us > dearest.us) dearest = {us, tried[k].pattern, tried[k].caption};
    }
    std::printf("\nThe dearest: %.0f us per search, `%s` on `%s`.\n\n", dearest.us,
                Shown(dearest.pattern).c_str(), Shown(dearest.caption, 16).c_str());

    // Fifty watches of the dearest pattern. Each window is new to the watcher, so each is
    // matched in full; a window seen again with the same caption is not matched again.
    kvl::WatchTracker tracker;
    for (int k = 0; k < 50; ++k) tracker.AddWatch({dearest.pattern, kvl::CaptionKind::Pattern});
    tracker.Baseline({});
    int tooLong = 0;
    tracker.OnPatternTooLong([&tooLong](int, kvl::WindowHandle) { ++tooLong; });
    kvl::WindowHandle next = 0x10000;
    std::vector<double> single;
    for (int k = 0; k < 20; ++k) {
        const auto start = Clock::now();
        tracker.Observe({next++, true, dearest.caption});
        single.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(single.begin(), single.end());
    const auto burstStart = Clock::now();
    for (int k = 0; k < 500; ++k) tracker.Observe({next++, true, dearest.caption});
    const double burstMs =
        std::chrono::duration<double, std::milli>(Clock::now() - burstStart).count();
    const kvl::WindowHandle polled = next - 1;
    const auto pollStart = Clock::now();
    for (int k = 0; k < 1000; ++k) tracker.Observe({polled, true, dearest.caption});
    const double pollUs =
        std::chrono::duration<double, std::micro>(Clock::now() - pollStart).count() / 1000;
    std::printf("| 50 watches of the dearest pattern | Time |\n|---|---|\n");
    std::printf("| one window event (a new window), median of 20 | %.1f ms |\n",
                single[single.size() / 2]);
    std::printf("| a burst of 500 new windows | %.0f ms in all, %.1f ms per window |\n", burstMs,
                burstMs / 500);
    std::printf("| the same window seen again, caption unchanged (a poll) | %.1f us |\n", pollUs);
    std::printf("\nSearches stopped by the budget told to the handler: %d (once per watch).\n",
                tooLong);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The engine against std::regex as the earlier releases ran it: ECMAScript, the caption
// folded, ASCII folded by the regex, classes in ASCII.

namespace {

struct OldTraits : std::regex_traits<wchar_t> {
    wchar_t translate_nocase(wchar_t c) const {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    bool isctype(wchar_t c, char_class_type f) const {
        return c < 0x80 && std::regex_traits<wchar_t>::isctype(c, f);
    }
};

std::wstring OldSource(std::string_view utf8) {
    std::wstring out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (!kvl::utf8::Next(utf8, pos, c)) c = 0xFFFD;
        kvl::utf8::ForEachUtf16Unit(c < 0x80 ? c : kvl::FoldCase(c),
                                    [&out](char16_t u) { out.push_back(static_cast<wchar_t>(u)); });
    }
    return out;
}

// 1: match, 0: no match, -1: refused.
int OldResult(const std::string& pattern, const std::wstring& caption) {
    namespace rc = std::regex_constants;
    try {
        const std::basic_regex<wchar_t, OldTraits> regex(
            OldSource(pattern), rc::ECMAScript | rc::icase | rc::nosubs | rc::__polynomial);
        return std::regex_search(caption, regex) ? 1 : 0;
    } catch (const std::exception&) {
        return -1;
    }
}

std::string RandomEcmaPattern(std::mt19937& random, int depth) {
    static const char* const atoms[] = {
        "a",     "b",       "-",       " ",           "é",   "É",    ".",     "\\w",   "\\W",
        "\\d",   "\\s",     "\\S",     "\\b",         "\\B", "[ab]", "[^a]",  "[a-c]", "[A-C]",
        "\\x41", "\\u00e9", "\\u00C9", "^",           "$",   "\\.",  "[\\b]", "\\v",   "\\0",
        "\\cj",  "\\e",     "\\A",     "\\z",         "\\Z", "\\Q",  "\\h",   "\\l",   "\\u",
        "[]",    "[^]",     "\\t",     "[[:alpha:]]", "\\n", "}",    "]",     "\\1"};
    static const char* const repeats[] = {"", "", "", "*", "+", "?", "{2}", "{0,2}", "*?", "{1,}"};
    std::string out;
    const int parts = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < parts; ++k) {
        const int kind = depth > 0 ? static_cast<int>(random() % 6) : 5;
        if (kind == 0)
            out += "(" + RandomEcmaPattern(random, depth - 1) + ")";
        else if (kind == 1)
            out += "(?:" + RandomEcmaPattern(random, depth - 1) + ")";
        else if (kind == 2)
            out += "(?=" + RandomEcmaPattern(random, depth - 1) + ")";
        else if (kind == 3)
            out += "(?!" + RandomEcmaPattern(random, depth - 1) + ")";
        else
            out += atoms[random() % std::size(atoms)];
        if (kind == 1 || kind == 5) out += repeats[random() % std::size(repeats)];
        if (random() % 7 == 0) out += "|";
    }
    return out;
}

std::string RandomCaption(std::mt19937& random) {
    static const char* const units[] = {"a",  "b",  "A",  "B",  "-",  " ", "é", "É",      "1",
                                        "\n", "\r", "\t", "\v", "\b", "e", "z", "\u2028", "."};
    std::string out;
    const int n = static_cast<int>(random() % 8);
    for (int k = 0; k < n; ++k) out += units[random() % std::size(units)];
    return out;
}

// Whether the pattern writes a capital past ASCII as an escape ("\u00C9"): earlier releases
// compared it with captions in small letters and so never found it; it now finds its small
// letter, as the capital typed as itself always did.
bool WritesCapitalEscape(std::string_view pattern) {
    for (std::size_t k = 0; k + 3 < pattern.size(); ++k) {
        if (pattern[k] != '\\' || (pattern[k + 1] != 'u' && pattern[k + 1] != 'x')) continue;
        const std::size_t digits = pattern[k + 1] == 'u' ? 4 : 2;
        if (k + 2 + digits > pattern.size()) continue;
        const auto value =
            std::strtoul(std::string(pattern.substr(k + 2, digits)).c_str(), nullptr, 16);
        if (value >= 0x80 && kvl::FoldCase(static_cast<char32_t>(value)) != value) return true;
    }
    return false;
}

// Whether the pattern holds "^", "\b" or "\B" and a lookahead: std::regex runs a lookahead
// as a search of its own that starts where it stands, so there "^" held and "\b" saw no
// character before it; they now mean the caption's start and its real neighbours.
bool AssertsInLookahead(std::string_view pattern) {
    const bool look = pattern.find("(?=") != std::string_view::npos ||
                      pattern.find("(?!") != std::string_view::npos;
    return look && (pattern.find('^') != std::string_view::npos ||
                    pattern.find("\\b") != std::string_view::npos ||
                    pattern.find("\\B") != std::string_view::npos);
}

}  // namespace

int Differential() {
    // Patterns of the kinds users keep (and earlier releases took), and the review's cases.
    const std::vector<std::string> kept = {
        "Setup|Install|Update|Licen[cs]e|Warning|Error",
        "^(Save|Discard) changes to .* before closing\\?$",
        "^Windows Security Alert - Allow access for program\\.exe$",
        "^Save (changes|work)\\?$",
        "save (changes|work)\\?",
        "^ärger \\d+$",
        "caf\\u00e9$",
        "^CAF\\w [A-Z]",
        "a$",
        "(a+)+b",
        "\\bsetup\\b",
        "^[A-Z][a-z]+ - Notepad$",
        "untitled.*(notepad|wordpad)",
        "\\d{1,3}% complete",
        "^(?:error|warning)\\s*:",
        "\\.(exe|msi)$",
        "^$",
        "",
        "a{47}q",
        "[\\s\\S]{7}q",
        "\\w{11}q",
        ".{23}q",
        "(?:a+){9}q",
        "(a|a|a|a|a|a|a|a|a|a)q",
        "a{1,12}q",
        "\\D{7}q",
        "[^q]{7}q",
        "[[=a=]]{5}q",
        "(?=.*setup)(?=.*x64)",
        "setup(?!x)",
        Times("\\B", 47) + "q",
        "^[^-]+ - [^-]+$",
        "\\(\\d+\\)$",
        "[.]txt",
        "\\u00C9t\\u00E9",
        "[\\u00C0-\\u00DE]",
        "\\xC9"};
    const std::vector<std::string> captions = {
        "Setup",
        "Install Wizard",
        "Save changes to Report.docx before closing?",
        "Windows Security Alert - Allow access for program.exe",
        "Ärger 42",
        "Welcome to CAFÉ",
        "cafe menu",
        "Untitled - Notepad",
        "Error: disk full",
        "Copying 42% complete",
        "installer.MSI",
        "",
        "a",
        std::string(256, 'a') + "b",
        Repeated("-"),
        "été",
        "ÉTÉ",
        "A-B - C",
        "Report (3)",
        "file.txt",
        "setup x64",
        "setupx",
        "line one\nline two",
        "ends in a newline\n",
        "tab\there",
        "x\u2028y"};
    std::mt19937 random(29);
    struct Pair {
        std::string pattern, caption;
        int old;
        kvl::PatternSearch now;
    };
    std::vector<Pair> parted;
    long compared = 0, refusedBefore = 0, refusedNow = 0, tooLong = 0;
    auto compare = [&](const std::string& pattern, const std::string& caption) {
        const std::wstring text = kvl::PatternText(kvl::FoldCase(caption));
        const int old = OldResult(pattern, text);
        const kvl::CaptionRegex regex(pattern);
        if (old < 0) {
            ++refusedBefore;
            return;
        }
        if (!regex.Valid()) {
            ++refusedNow;
            parted.push_back({pattern, caption, old, kvl::PatternSearch::NoMatch});
            return;
        }
        ++compared;
        const kvl::PatternSearch now = regex.Search(text);
        if (now == kvl::PatternSearch::TooLong) ++tooLong;
        if ((now == kvl::PatternSearch::Match) != (old == 1))
            parted.push_back({pattern, caption, old, now});
    };
    for (const std::string& pattern : kept)
        for (const std::string& caption : captions) compare(pattern, caption);
    const int kGenerated = 20000;
    for (int k = 0; k < kGenerated; ++k) {
        const std::string pattern = RandomEcmaPattern(random, 2);
        for (int c = 0; c < 4; ++c) compare(pattern, RandomCaption(random));
    }
    std::printf(
        "%zu kept patterns on %zu captions, and %d generated patterns on 4 random "
        "captions each.\n\n",
        kept.size(), captions.size(), kGenerated);
    std::printf("| Pairs | Count |\n|---|---|\n");
    std::printf("| compared (both engines take the pattern) | %ld |\n", compared);
    std::printf("| refused by std::regex, not compared | %ld |\n", refusedBefore);
    std::printf("| taken by std::regex, refused now | %ld |\n", refusedNow);
    std::printf("| stopped by the budget | %ld |\n", tooLong);
    const auto escapes = std::count_if(
        parted.begin(), parted.end(), [](const Pair& p) { return WritesCapitalEscape(p.pattern); });
    const auto lookaheads = std::count_if(parted.begin(), parted.end(), [](const Pair& p) {
        return !WritesCapitalEscape(p.pattern) && AssertsInLookahead(p.pattern);
    });
    std::printf("| results that differ | %zu |\n", parted.size());
    std::printf("| of them, a capital past ASCII written as an escape, now found | %td |\n",
                escapes);
    std::printf("| of them, `^`, `\\b` or `\\B` with a lookahead | %td |\n", lookaheads);
    std::printf("| of them, anything else | %td |\n\n",
                static_cast<std::ptrdiff_t>(parted.size()) - escapes - lookaheads);
    // The unexplained first, then those of lookaheads.
    std::stable_partition(parted.begin(), parted.end(),
                          [](const Pair& p) { return !WritesCapitalEscape(p.pattern); });
    std::stable_partition(parted.begin(), parted.end(), [](const Pair& p) {
        return !WritesCapitalEscape(p.pattern) && !AssertsInLookahead(p.pattern);
    });
    if (!parted.empty()) {
        std::printf("| Pattern | Caption | std::regex | now |\n|---|---|---|---|\n");
        for (std::size_t k = 0; k < std::min<std::size_t>(parted.size(), 12); ++k) {
            const Pair& p = parted[k];
            const kvl::CaptionRegex regex(p.pattern);
            std::printf(
                "| `%s` | `%s` | %s | %s |\n", Shown(p.pattern).c_str(), Shown(p.caption).c_str(),
                p.old == 1 ? "match" : "no match",
                regex.Valid()
                    ? ResultName(p.now)
                    : ("refused: " + kvl::CaptionPatternProblem(p.pattern).value_or("")).c_str());
        }
    }
    return 0;
}

// How many steps patterns of the usual kinds need to decide on captions up to 256 units long:
// the budget's margin. Each search is tried at ever larger budgets until it decides.
int StepsNeeded() {
    const std::vector<std::string> patterns = {
        "Setup|Install|Update|Licen[cs]e|Warning|Error",
        "^(Save|Discard) changes to .* before closing\\?$",
        "^Windows Security Alert - Allow access for program\\.exe$",
        "^Save (changes|work)\\?$",
        "\\bsetup\\b",
        "^[A-Z][a-z]+ - Notepad$",
        "untitled.*(notepad|wordpad)",
        "\\d{1,3}% complete",
        "^(?:error|warning)\\s*:",
        "\\.(exe|msi)$",
        "(?=.*setup)(?=.*x64)",
        "^[^-]+ - [^-]+$",
        "\\(\\d+\\)$",
        ".*error.*",
        "^.*(setup|install).*$",
        "(\\w+\\s)+wizard",
        "\\b(a|an|the)\\b.*\\b(setup|install)\\b"};
    const std::vector<std::string> units = {"Setup ",
                                            "Save changes to file ",
                                            "a - b ",
                                            "error ",
                                            "the setup wizard ",
                                            "x64 ",
                                            "untitled ",
                                            "word ",
                                            "Ärger über ",
                                            "-",
                                            " ",
                                            "1"};
    std::printf("| Pattern | Most steps needed on captions to 256 units |\n|---|---|\n");
    std::ptrdiff_t most = 0;
    for (const std::string& pattern : patterns) {
        const kvl::CaptionRegex regex(pattern);
        std::ptrdiff_t needed = 0;
        for (const std::string& unit : units) {
            for (std::size_t length : {32, 64, 128, 256}) {
                const std::wstring caption =
                    kvl::PatternText(kvl::FoldCase(Repeated(unit, length)));
                std::ptrdiff_t budget = 16;
                for (;; budget *= 2) {
                    kvl::SetPatternSearchBudget(budget);
                    if (regex.Search(caption) != kvl::PatternSearch::TooLong) break;
                }
                needed = std::max(needed, budget);
            }
        }
        std::printf("| `%s` | %td |\n", Shown(pattern).c_str(), needed);
        most = std::max(most, needed);
    }
    kvl::SetPatternSearchBudget(kvl::kPatternSearchBudget);
    std::printf("\nThe most (to a power of two): %td steps; the budget is %td.\n", most,
                kvl::kPatternSearchBudget);
    return 0;
}
