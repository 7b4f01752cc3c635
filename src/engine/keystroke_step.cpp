#include "engine/keystroke_step.h"

#include <cstdint>
#include <utility>

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

std::vector<ActionStep> KeystrokeSteps(std::string_view keys, int pauseSeconds) {
    using Kind = ActionStep::Kind;
    const std::string translated = TranslateTokens(keys);
    if (pauseSeconds <= 0) return {{Kind::Type, translated}};
    const auto ms = static_cast<std::uint32_t>(pauseSeconds) * 1000u;
    std::vector<ActionStep> steps;
    for (std::string& unit : KeystrokeUnits(translated)) {
        if (!unit.empty()) steps.push_back({Kind::Type, std::move(unit)});
        steps.push_back({Kind::Pause, {}, ms});
    }
    return steps;
}

}  // namespace kvl
