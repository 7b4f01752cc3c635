#include "engine/keystroke_step.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/caption_match.h"
#include "engine/key_text.h"
#include "engine/window_actions.h"
#include "platform/blanks.h"
#include "platform/utf8.h"

namespace kvl {

namespace {

bool IsModifierPrefix(std::string_view unit) {
    return unit == "+" || unit == "^" || unit == "%";
}

// Byte length of the character at `pos`; a malformed byte counts as a character of its own.
std::size_t CharLength(std::string_view s, std::size_t pos) {
    std::size_t next = pos;
    char32_t c;
    utf8::Next(s, next, c);
    return next - pos;
}


}  // namespace

std::string ReplaceFirst(std::string_view text, std::string_view token,
                         std::string_view replacement) {
    std::string out(text);
    if (token.empty()) return out;
    const std::size_t at = out.find(token);
    if (at != std::string::npos) out.replace(at, token.size(), replacement);
    return out;
}

std::string TranslateTokens(std::string_view keys) {
    struct Token {
        std::string_view token;
        char replacement;
    };
    static constexpr Token kTokens[] = {{"{CNTL}", '^'}, {"{SHIFT}", '+'}, {"{ALT}", '%'}};
    std::string out;
    out.reserve(keys.size());
    std::size_t i = 0;
    while (i < keys.size()) {
        bool replaced = false;
        if (keys[i] == '{') {
            for (const Token& t : kTokens) {
                if (keys.substr(i, t.token.size()) == t.token) {
                    out.push_back(t.replacement);
                    i += t.token.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(keys[i++]);
    }
    return out;
}

std::vector<std::string> KeystrokeUnits(std::string_view keys) {
    std::vector<std::string> passes;
    // `next` is where the next pass starts reading. A pass that starts exactly at the end of
    // the text is the final empty pass; one whose unit ran past the end (a trailing prefix)
    // leaves nothing for another pass.
    std::size_t next = 0;
    bool ranPastEnd = false;
    while (!ranPastEnd && next <= keys.size()) {
        if (next == keys.size()) {
            passes.emplace_back();
            break;
        }
        std::size_t end = next + CharLength(keys, next);
        std::string_view unit = keys.substr(next, end - next);
        if (IsModifierPrefix(unit)) {
            if (end == keys.size()) {
                ranPastEnd = true;
            } else {
                end += CharLength(keys, end);
                unit = keys.substr(next, end - next);
            }
        }
        if (unit.back() == '{') {
            // The group's first character may itself be "}" ("{}}" types a brace), so the
            // closing brace is looked for only after it.
            const std::size_t from = end < keys.size() ? end + CharLength(keys, end) : end;
            const std::size_t close = keys.find('}', from);
            end = close == std::string_view::npos ? keys.size() : close + 1;
            unit = keys.substr(next, end - next);
        }
        passes.emplace_back(unit);
        next = end;
    }
    return passes;
}

void PauseSeconds(Desktop& desktop, double seconds) {
    if (!(seconds > 0)) return;
    const double ms = std::round(seconds * 1000.0);
    constexpr double kLongest = std::numeric_limits<std::uint32_t>::max();
    desktop.Sleep(static_cast<std::uint32_t>(ms > kLongest ? kLongest : ms));
}

std::vector<ActionStep> KeystrokeSteps(std::string_view keys, int pauseSeconds, int group) {
    using Kind = ActionStep::Kind;
    const std::string translated = TranslateTokens(keys);
    if (pauseSeconds <= 0) return {{Kind::Type, translated, 0, group}};
    const auto ms = static_cast<std::uint32_t>(pauseSeconds) * 1000u;
    std::vector<ActionStep> steps;
    for (std::string& unit : KeystrokeUnits(translated)) {
        if (!unit.empty()) steps.push_back({Kind::Type, std::move(unit), 0, group});
        steps.push_back({Kind::Pause, {}, ms, group});
    }
    return steps;
}

bool RunStep(Desktop& desktop, const ActionStep& step, std::string_view caption,
             WindowHandle target) {
    switch (step.kind) {
        case ActionStep::Kind::SetState:
            SetWindowState(desktop, target, step.text);
            return true;
        case ActionStep::Kind::Type: {
            const WindowHandle front = desktop.Activate(caption, target);
            const std::optional<KeySequence> strokes = ParseKeyText(step.text);
            if (!strokes || strokes->empty()) return true;
            // Typed anyway, the keys would go to whatever has the focus: another program's
            // document, say.
            if (!front) return false;
            return desktop.Inject(*strokes, front) != Desktop::Typing::NotInFront;
        }
        case ActionStep::Kind::Pause:
            return true;
        case ActionStep::Kind::PressButton:
            for (const Desktop::Button& button : desktop.PushButtons(target)) {
                if (!ButtonCaptionMatches(button.caption, step.text)) continue;
                desktop.PressButton(button.handle);
                return true;
            }
            return false;
    }
    return true;
}

namespace {

// A caption as a user reads it on the button, folded for comparing.
std::u32string ButtonText(std::string_view caption) {
    std::string text;
    for (std::size_t k = 0; k < caption.size(); ++k) {
        if (caption[k] == '&') {
            if (k + 1 < caption.size() && caption[k + 1] == '&') text += caption[++k];
            continue;
        }
        text += caption[k];
    }
    std::string_view shown = TrimBlanks(text);
    for (std::string_view ellipsis : {std::string_view("..."), std::string_view("\u2026")})
        if (shown.ends_with(ellipsis)) shown.remove_suffix(ellipsis.size());
    return FoldCase(TrimBlanks(shown));
}

}  // namespace

bool ButtonCaptionMatches(std::string_view caption, std::string_view wanted) {
    const std::u32string want = ButtonText(wanted);
    return !want.empty() && ButtonText(caption) == want;
}

bool RunKeystrokeStep(Desktop& desktop, std::string_view caption, std::string_view keys,
                      int pauseSeconds, WindowHandle target) {
    for (const ActionStep& step : KeystrokeSteps(keys, pauseSeconds)) {
        if (step.kind == ActionStep::Kind::Pause) desktop.Sleep(step.ms);
        else if (!RunStep(desktop, step, caption, target)) return false;
    }
    return true;
}

}  // namespace kvl
