#include "cmdline/command_line.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "engine/caption_match.h"
#include "engine/dispatch.h"
#include "engine/keystroke_step.h"
#include "engine/window_actions.h"
#include "platform/blanks.h"
#include "platform/shell.h"
#include "platform/timer.h"
#include "platform/utf8.h"
#include "platform/window_watcher.h"

namespace kvl {

namespace {

constexpr std::string_view kTitle = kMessageTitle;
constexpr std::string_view kProblem =
    "I had a problem understanding your command line. Make sure it's in the correct format. "
    "Also, if you're launching the application, make sure the path is correct. ";
constexpr int kDefaultWaitMinutes = 3;
// "Ultra", the strongest entry of the strength selector: the run waits for one window only
// and should catch it as soon as it shows.
constexpr std::int16_t kCommandLineStrength = 1;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Lower case in every script, with the very table the watcher folds captions with, so a
// caption given in capitals of any alphabet still finds its window. Bytes that are not
// UTF-8 pass through untouched rather than being replaced. Overlong forms, surrogates and
// values past U+10FFFF count as not UTF-8: re-encoded, an overlong "/" or "]" would become a
// real one and change which switches and values the line holds.
std::string LowerCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        char32_t c = 0;
        if (utf8::Next(text, pos, c)) utf8::Append(out, FoldCase(c));
        else out.push_back(text[start]);
    }
    return out;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

std::string ArgumentsOf(std::string_view commandLine) {
    std::size_t i = 0;
    // The program name ends at the closing quote when it is quoted, else at the first blank;
    // the system's own parser reads the name the same way.
    if (i < commandLine.size() && commandLine[i] == '"') {
        const auto close = commandLine.find('"', 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return std::string(commandLine.substr(i));
}

std::string CommandLineReference() {
    struct Line {
        std::string_view left;
        int blanks;
        std::string_view right;
    };
    // The blank counts are part of the text users and scripts know; keep them as they are.
    static constexpr std::array<Line, 12> kLines{{
        {"Command line reference:", 0, ""},
        {"", 0, ""},
        {"/caption[..window caption...]", 3, "= Full or partial caption of the window to look for"},
        {"/run[..path of application...]", 5, "= If you want to launch the application first"},
        {"/wait[..number of minutes...]", 3,
         "= Number of minutes to wait for the window. Default is 3"},
        {"/sendkeys[..keystrokes...]", 8,
         "= sends keystrokes to the window. See help file for details"},
        {"", 0, ""},
        {"/min", 30, "= Minimize the window"},
        {"/max", 29, "= Maximize the window"},
        {"/restore", 24, "= Restore the window"},
        {"/close", 27, "= Close the window"},
        {"/hide", 29, "= Hide the window"},
    }};
    std::string text;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        // Line feed first, then carriage return: the order the reference has always had.
        if (i > 0) text += "\n\r";
        text += kLines[i].left;
        text.append(static_cast<std::size_t>(kLines[i].blanks), ' ');
        text += kLines[i].right;
    }
    return text;
}

std::optional<std::string> BracketValue(std::string_view text, std::string_view switchText) {
    const auto s = text.find(switchText);
    if (s == std::string_view::npos) return std::nullopt;
    const auto b = text.find('[', s);
    if (b == std::string_view::npos) return std::nullopt;
    const auto e = text.find(']', b + 1);
    if (e == std::string_view::npos) return std::nullopt;
    return std::string(text.substr(b + 1, e - b - 1));
}

std::optional<std::int16_t> WaitMinutes(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The number is `digits` x 10^exponent, with the leading zeros of `digits` dropped.
    std::string digits;
    long long exponent = 0;
    bool anyDigit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            anyDigit = true;
            if (!digits.empty() || c != '0') digits.push_back(c);
            if (point) --exponent;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
        // Far past any 16-bit number either way; saturating keeps the sum below from overflowing.
        constexpr long long kExponentCap = 1'000'000;
        long long e = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i)
            e = std::min(kExponentCap, e * 10 + (text[i] - '0'));
        exponent += negativeExponent ? -e : e;
    }
    if (i != text.size()) return std::nullopt;
    if (digits.empty()) return std::int16_t{0};

    const long long wholeDigits = static_cast<long long>(digits.size()) + exponent;
    if (wholeDigits > 5) return std::nullopt;  // 100000 or more
    long long whole = 0;
    for (long long k = 0; k < wholeDigits; ++k)
        whole = whole * 10 + (k < static_cast<long long>(digits.size())
                                  ? digits[static_cast<std::size_t>(k)] - '0'
                                  : 0);

    // Below 0.1 there is nothing to round up; otherwise the first fraction digit decides and a
    // bare 5 goes to the even neighbour.
    if (wholeDigits >= 0 && wholeDigits < static_cast<long long>(digits.size())) {
        const std::string_view fraction =
            std::string_view(digits).substr(static_cast<std::size_t>(wholeDigits));
        const bool beyondHalf = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (fraction[0] > '5' || (fraction[0] == '5' && (beyondHalf || whole % 2 == 1))) ++whole;
    }
    const long long value = negative ? -whole : whole;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

bool IsHelpRequest(std::string_view lowered) {
    if (Contains(lowered, "/?") || Contains(lowered, "/help")) return true;
    const std::string_view bare = TrimBlanks(lowered);
    return bare == "?" || bare == "help";
}

CommandLineOutcome RunCommandLine(std::string_view commandLine, Shell& shell,
                                  WindowWatcher& watcher, MinuteTimer& timer) {
    // Every search and every value below works on this one copy, so the launched program, the
    // caption and the wait all come out lower case.
    const std::string lowered = LowerCase(commandLine);

    if (IsHelpRequest(lowered)) {
        shell.MessageBox(CommandLineReference(), kTitle);
        return CommandLineOutcome::Help;
    }
    const auto problem = [&] {
        shell.MessageBox(std::string(kProblem) + CommandLineReference(), kTitle);
        return CommandLineOutcome::Error;
    };

    // The whole line is read and found right before anything is done: an error message must
    // never have a live watch behind it.
    std::optional<std::string> program, caption;
    if (Contains(lowered, "/run")) {
        program = BracketValue(lowered, "/run");
        if (!program) return problem();
    }
    if (Contains(lowered, "/caption")) {
        caption = BracketValue(lowered, "/caption");
        if (!caption) return problem();
    }
    int minutes = kDefaultWaitMinutes;
    if (Contains(lowered, "/wait")) {
        const auto value = BracketValue(lowered, "/wait");
        const auto parsed = value ? WaitMinutes(*value) : std::nullopt;
        if (!parsed) return problem();
        minutes = *parsed;
    }
    if (program && !shell.Launch(*program)) return problem();
    if (caption) {
        watcher.AddWatch({.caption = *caption});
        watcher.MonitorStrength(kCommandLineStrength);
    }
    // Set even for the default: the port promises no starting interval.
    timer.SetInterval(minutes);
    timer.Enable(true);
    return CommandLineOutcome::Waiting;
}

std::optional<ActionPlan> CommandLinePlan(std::string_view commandLine, WindowHandle window,
                                          Desktop& desktop, Shell& shell) {
    // The window was found by the caption the command line gave: it is acted on only while it
    // still has such a caption.
    ActionPlan plan;
    plan.target.window = window;
    plan.target.condition.caption = BracketValue(LowerCase(commandLine), "/caption").value_or("");

    // Switches are matched as written, in small letters; the first present in this order wins.
    static constexpr std::pair<std::string_view, std::string_view> kActions[] = {
        {"/close", "close"}, {"/hide", "hide"}, {"/min", "minimize"},
        {"/max", "maximize"}, {"/restore", "restore"}};
    const auto* action = std::find_if(std::begin(kActions), std::end(kActions), [&](const auto& a) {
        return commandLine.find(a.first) != std::string_view::npos;
    });
    if (action != std::end(kActions))
        plan.steps.push_back({ActionStep::Kind::SetState, std::string(action->second)});

    const auto at = commandLine.find("/sendkeys");
    if (at != std::string_view::npos) {
        // Only a text in brackets is typed: without "[" or "]" there is nothing to cut, and
        // typing a piece of the command line itself into the window would be wrong.
        std::string keys;
        const auto open = commandLine.find('[', at);
        if (open != std::string_view::npos) {
            const auto close = commandLine.find(']', open + 1);
            if (close != std::string_view::npos)
                keys = std::string(commandLine.substr(open + 1, close - open - 1));
        }
        for (ActionStep& step : KeystrokeSteps(keys, 0)) plan.steps.push_back(std::move(step));
    }

    if (plan.steps.empty()) {
        shell.MessageBox(
            "I found your window but you didn't instruct me to do anything meaningful once I "
            "found it. " + CommandLineReference(),
            kTitle);
        return std::nullopt;
    }
    RefuseHigherRights(desktop, plan);
    return plan;
}

int CommandLineExitCode(ActionResult result) {
    switch (result) {
        case ActionResult::Done: return kExitActed;
        case ActionResult::StoppedExit: return kExitTimedOut;
        default: return kExitNotDone;
    }
}

}  // namespace kvl
