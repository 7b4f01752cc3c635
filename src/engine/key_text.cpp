#include "engine/key_text.h"

#include <string>
#include <utility>

#include "platform/utf8.h"

namespace kvl {

namespace {

// A typo such as "{a 99999999}" must not tie up the target for hours.
constexpr int kMaxRepeat = 32767;
constexpr int kMaxDepth = 64;

struct NamedKey {
    std::string_view name;
    std::uint16_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"BACKSPACE", vk::kBack},    {"BS", vk::kBack},           {"BKSP", vk::kBack},
    {"BREAK", vk::kCancel},      {"CAPSLOCK", vk::kCapital},  {"DELETE", vk::kDelete},
    {"DEL", vk::kDelete},        {"DOWN", vk::kDown},         {"END", vk::kEnd},
    {"ENTER", vk::kReturn},      {"ESC", vk::kEscape},        {"HELP", vk::kHelp},
    {"HOME", vk::kHome},         {"INSERT", vk::kInsert},     {"INS", vk::kInsert},
    {"LEFT", vk::kLeft},         {"NUMLOCK", vk::kNumLock},   {"PGDN", vk::kNext},
    {"PGUP", vk::kPrior},        {"PRTSC", vk::kSnapshot},    {"RIGHT", vk::kRight},
    {"SCROLLLOCK", vk::kScroll}, {"TAB", vk::kTab},           {"UP", vk::kUp},
    {"ADD", vk::kAdd},           {"SUBTRACT", vk::kSubtract}, {"MULTIPLY", vk::kMultiply},
    {"DIVIDE", vk::kDivide},
};

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<KeySequence> Run() {
        if (!Sequence(0, false)) return std::nullopt;
        // A group that ends in an empty one ("^(a())") leaves nothing after its last key.
        if (!out_.empty()) out_.back().keepHeld = 0;
        return std::move(out_);
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }

    // Items up to the end of the text, or up to the ")" that closes the current group.
    // `mods` are those the enclosing group holds: they stay down from one item to the next.
    bool Sequence(std::uint8_t mods, bool inGroup) {
        while (!AtEnd()) {
            if (text_[pos_] == ')') return inGroup;
            const std::size_t before = out_.size();
            if (!Item(mods)) return false;
            // An empty group types nothing: the stroke before it may belong to an outer
            // group, whose modifiers are not this one's.
            if (out_.size() == before) continue;
            if (!AtEnd() && text_[pos_] != ')') out_.back().keepHeld = mods;
        }
        return !inGroup;
    }

    bool Item(std::uint8_t mods) {
        char32_t c;
        if (!utf8::Next(text_, pos_, c)) return false;
        while (c == '+' || c == '^' || c == '%') {
            mods |= c == '+' ? kShift : c == '^' ? kCtrl : kAlt;
            if (AtEnd() || text_[pos_] == ')') return false;
            if (!utf8::Next(text_, pos_, c)) return false;
        }
        switch (c) {
            case '(': {
                // Stored texts come from anywhere; a pathological nesting must not exhaust
                // the stack.
                if (++depth_ > kMaxDepth) return false;
                const bool ok = Sequence(mods, true);
                --depth_;
                if (!ok) return false;
                ++pos_;  // the ")" that Sequence stopped at
                return true;
            }
            case ')':
            case '}':
                return false;
            case '~':
                return Emit({vk::kReturn, 0, mods}, 1);
            case '{':
                return Brace(mods);
            case 0:
                return false;  // no key types a NUL
            default:
                return Emit({0, c, mods}, 1);
        }
    }

    // After "{": a single character, which may itself be "{" or "}", or a key name, either
    // optionally followed by a blank and a repeat count, then "}".
    bool Brace(std::uint8_t mods) {
        const std::size_t start = pos_;
        char32_t first;
        if (AtEnd() || !utf8::Next(text_, pos_, first)) return false;
        const std::size_t close = text_.find('}', pos_);
        if (close == std::string_view::npos) return false;
        std::string_view content = text_.substr(start, close - start);
        pos_ = close + 1;

        int count = 1;
        const std::size_t blank = content.rfind(' ');
        if (blank != std::string_view::npos && blank > 0 && AllDigits(content.substr(blank + 1))) {
            const std::string_view digits = content.substr(blank + 1);
            count = 0;
            for (char d : digits) {
                count = count * 10 + (d - '0');
                if (count > kMaxRepeat) return false;
            }
            content = content.substr(0, blank);
        }

        std::size_t at = 0;
        char32_t single;
        if (utf8::Next(content, at, single) && at == content.size()) {
            if (single == 0) return false;  // no key types a NUL
            return Emit({0, single, mods}, count);
        }
        const std::uint16_t code = KeyNameCode(content);
        if (code == 0) return false;
        return Emit({code, 0, mods}, count);
    }

    // A repeated key keeps its modifiers down through its repeats. False past the limit:
    // checked before anything is stored, so no text can make the sequence grow beyond it.
    bool Emit(KeyStroke stroke, int count) {
        if (count == 0) return true;
        if (static_cast<std::size_t>(count) > kMaxKeyStrokes - out_.size()) return false;
        stroke.keepHeld = stroke.modifiers;
        out_.insert(out_.end(), static_cast<std::size_t>(count), stroke);
        out_.back().keepHeld = 0;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    KeySequence out_;
};

}  // namespace

std::uint16_t KeyNameCode(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    for (const NamedKey& k : kNamedKeys)
        if (k.name == upper) return k.code;
    // F1 to F16, written without leading zeros.
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F' && upper[1] != '0' &&
        AllDigits(std::string_view(upper).substr(1))) {
        const int n = std::stoi(upper.substr(1));
        if (n >= 1 && n <= 16) return static_cast<std::uint16_t>(vk::kF1 + n - 1);
    }
    return 0;
}

std::optional<KeySequence> ParseKeyText(std::string_view text) {
    return Parser(text).Run();
}

}  // namespace kvl
