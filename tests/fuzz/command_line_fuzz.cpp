// Arbitrary text as KVL's command line: whatever it holds, the run ends in the help, the
// problem message or a clean wait, and the values it takes obey the switch grammar.

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "cmdline/command_line.h"
#include "engine/caption_match.h"
#include "fakes/fake_minute_timer.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_watcher.h"

namespace {

using namespace kvl;

#define CHECK(cond, input) FUZZ_CHECK(cond, input)

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

bool HasAsciiCapital(std::string_view s) {
    for (char c : s)
        if (c >= 'A' && c <= 'Z') return true;
    return false;
}

// Well-formed UTF-8 code points of `s`; anything else is skipped a byte at a time.
template <typename F>
void ForEachCodePoint(std::string_view s, F f) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : (b & 0xF0) == 0xE0 ? 2
                        : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            ok = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : extra == 3 ? 0x10000 : 0;
        if (!ok || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            ++i;
            continue;
        }
        f(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
}

// A value the program took from the command line: cut at the first "]", and lower case in
// every script so that a second folding, when the watch is added, changes nothing.
void CheckTakenValue(std::string_view value, std::string_view input) {
    CHECK(!Contains(value, "]"), input);
    CHECK(!HasAsciiCapital(value), input);
    ForEachCodePoint(value, [&](char32_t c) { CHECK(FoldCase(c) == c, input); });
}

// A plain decimal: sign, digits with an optional point (at least one digit), and an
// optional exponent with its own sign. The wait takes exactly these, blanks around allowed.
bool IsPlainDecimal(std::string_view s) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i - from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

void CheckWaitMinutes(std::string_view text) {
    const std::optional<std::int16_t> minutes = WaitMinutes(text);
    const std::string_view bare = TrimBlanks(text);
    if (!IsPlainDecimal(bare)) {
        CHECK(!minutes, text);
        return;
    }
    // The C library reads the same number, correctly rounded to a double; rounding that to
    // the nearest whole number, halves to even, must agree wherever the double is not too
    // near a half for its own rounding to matter.
    const std::string copy(bare);
    const double value = std::strtod(copy.c_str(), nullptr);
    const double nearest = std::nearbyint(value);  // the default mode rounds halves to even
    const double off = std::fabs(std::fabs(value - std::trunc(value)) - 0.5);
    const bool clear = bare.size() <= 15 && off > 1e-6;
    if (clear || value == std::trunc(value)) {
        if (nearest >= -32768 && nearest <= 32767)
            CHECK(minutes && *minutes == static_cast<int>(nearest), text);
        else
            CHECK(!minutes, text);
    }
    // A sign in front mirrors the result; only -32768 has no positive twin.
    if (bare.front() != '+' && bare.front() != '-') {
        const std::optional<std::int16_t> negated = WaitMinutes("-" + copy);
        if (minutes) CHECK(negated && *negated == -*minutes, text);
        if (negated && *negated != -32768) CHECK(minutes && *minutes == -*negated, text);
        CHECK(WaitMinutes(" \t" + copy + "\t ") == minutes, text);
    }
}

void CheckBracketValue(std::string_view text, std::string_view switchText) {
    const std::optional<std::string> value = BracketValue(text, switchText);
    if (!value) return;
    CHECK(!Contains(*value, "]"), text);
    // It sits right after the first "[" at or after the switch, and a "]" closes it.
    const std::size_t s = text.find(switchText);
    CHECK(s != std::string_view::npos, text);
    const std::size_t b = text.find('[', s);
    CHECK(b != std::string_view::npos, text);
    CHECK(text.substr(b + 1, value->size()) == *value, text);
    CHECK(text.substr(b + 1 + value->size(), 1) == "]", text);
}

void CheckRun(std::string_view line, bool launchWorks) {
    fakes::FakeShell shell;
    shell.launchSucceeds = launchWorks;
    fakes::FakeWatcher watcher;
    fakes::FakeMinuteTimer timer;
    const CommandLineOutcome outcome = RunCommandLine(line, shell, watcher, timer);

    // Outside ASCII only the Kelvin sign lower-cases into ASCII (to "k"), so the help, "/run",
    // "/caption" and "/wait" can be looked for in an ASCII-only lower-casing.
    const std::string lower = AsciiLower(line);
    const std::string_view bare = TrimBlanks(lower);
    const bool help = Contains(lower, "/?") || Contains(lower, "/help") || bare == "?" ||
                      bare == "help";
    CHECK((outcome == CommandLineOutcome::Help) == help, line);

    CHECK(watcher.clears == 0, line);
    CHECK(watcher.watches.size() <= 1, line);
    CHECK(shell.launches.size() <= 1, line);
    for (const auto& w : watcher.watches) {
        CHECK(w.captionKind == CaptionKind::Partial, line);
        CHECK(w.program.empty() && w.windowClass.empty(), line);
        CheckTakenValue(w.caption, line);
        CHECK(watcher.level == 1, line);
    }
    for (const auto& l : shell.launches) CheckTakenValue(l, line);

    switch (outcome) {
        case CommandLineOutcome::Help:
            CHECK(shell.boxes.size() == 1, line);
            CHECK(shell.boxes[0].title == "KVL", line);
            CHECK(shell.boxes[0].text == CommandLineReference(), line);
            CHECK(shell.launches.empty() && watcher.watches.empty(), line);
            CHECK(timer.intervals.empty() && !timer.enabled, line);
            break;
        case CommandLineOutcome::Error:
            CHECK(shell.boxes.size() == 1, line);
            CHECK(shell.boxes[0].title == "KVL", line);
            CHECK(shell.boxes[0].text.size() > CommandLineReference().size(), line);
            CHECK(shell.boxes[0].text.rfind("I had a problem understanding your command line.",
                                            0) == 0, line);
            CHECK(shell.boxes[0].text.ends_with(CommandLineReference()), line);
            CHECK(timer.intervals.empty() && !timer.enabled, line);
            break;
        case CommandLineOutcome::Waiting:
            CHECK(shell.boxes.empty(), line);
            CHECK(timer.enabled && timer.intervals.size() == 1, line);
            CHECK(launchWorks || shell.launches.empty(), line);
            CHECK(shell.launches.size() == (Contains(lower, "/run") ? 1u : 0u), line);
            CHECK(watcher.watches.size() == (Contains(lower, "/caption") ? 1u : 0u), line);
            if (!Contains(lower, "/wait")) CHECK(timer.intervals[0] == 3, line);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    CheckRun(text, true);
    CheckRun(text, false);

    for (std::string_view sw : {"/caption", "/run", "/wait", "/sendkeys", ""})
        CheckBracketValue(text, sw);
    CheckWaitMinutes(text);
    if (const auto wait = BracketValue(AsciiLower(text), "/wait")) CheckWaitMinutes(*wait);
    return 0;
}
