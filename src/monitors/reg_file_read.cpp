#include "monitors/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/blanks.h"
#include "platform/registry_names.h"
#include "platform/utf8.h"

namespace kvl {

namespace {

constexpr std::string_view kCantRead = "I can't read that file: ";
constexpr unsigned long kRegSz = 1;

// Strict: an odd byte or a lone surrogate means the file was cut off or mangled, and such a
// file is not guessed at.
std::optional<std::string> FromUtf16(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    auto unit = [bytes](std::size_t k) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[k]) |
                                     static_cast<unsigned char>(bytes[k + 1]) << 8);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t k = 0; k < bytes.size(); k += 2) {
        char32_t c = unit(k);
        if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (k + 2 >= bytes.size()) return std::nullopt;
            const char32_t low = unit(k + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            k += 2;
        }
        utf8::Append(out, c);
    }
    return out;
}

bool IsUtf8(std::string_view s) {
    char32_t c;
    for (std::size_t pos = 0; pos < s.size();)
        if (!utf8::Next(s, pos, c)) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One to eight hex digits, the most a 32-bit number takes.
std::optional<unsigned long> HexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    unsigned long value = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned long>(d);
    }
    return value;
}

class Reader {
public:
    Reader(std::string_view text, std::size_t pos, bool utf16Hex, std::string_view root,
           const RegReadLimits& limits, const AnsiToUtf8& ansi)
        : text_(text),
          pos_(pos),
          utf16Hex_(utf16Hex),
          root_(RegistryFolded(root)),
          limits_(limits),
          ansi_(ansi) {}

    // False with why() set when the file breaks a rule.
    bool Read() {
        while (pos_ < text_.size()) {
            const std::string_view line = TrimBlanks(NextLine());
            if (TooLong(line.size())) return Fail("is longer than I can take");
            if (line.empty() || line.front() == ';') continue;
            if (line.front() == '[') {
                if (!Key(line)) return false;
                if (TooLong(line.size())) return Fail("is longer than I can take");
            } else if (line.front() == '"' || line.front() == '@') {
                if (!Value(line)) return false;
            } else {
                return Fail("is neither a key, a value nor a comment");
            }
        }
        return true;
    }

    const std::string& why() const { return why_; }

    RegKeys Keys() const {
        RegKeys keys;
        for (const auto& [folded, held] : keys_) {
            if (held.values.empty()) continue;
            std::vector<const Held::Value*> order;
            for (const auto& [name, value] : held.values) order.push_back(&value);
            std::sort(order.begin(), order.end(),
                      [](const auto* a, const auto* b) { return a->order < b->order; });
            RegKey key{held.name, {}};
            for (const auto* value : order) key.values.emplace_back(value->name, value->text);
            keys.push_back(std::move(key));
        }
        return keys;
    }

private:
    struct Held {
        struct Value {
            std::string name;  // as first written: the registry keeps a name's first spelling
            std::string text;
            std::uint64_t order;
        };
        std::string name;
        std::map<std::string, Value> values;  // by folded name
    };

    std::string_view NextLine() {
        const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
        std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++lineNumber_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

    // Only what we would take is held to the line limit.
    bool TooLong(std::size_t bytes) const { return here_ && bytes > limits_.lineBytes; }

    bool Fail(std::string_view what) { return FailAt(lineNumber_, what); }
    bool FailAt(int line, std::string_view what) {
        why_ = "line " + std::to_string(line) + " " + std::string(what) + ".";
        return false;
    }

    bool Key(std::string_view line) {
        if (line.size() < 2 || line.back() != ']') return Fail("has a [ without its ]");
        std::string_view path = line.substr(1, line.size() - 2);
        const bool deletion = !path.empty() && path.front() == '-';
        if (deletion) path.remove_prefix(1);
        if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
            path.find("\\\\") != std::string_view::npos)
            return Fail("names a key with an empty part");
        seenKey_ = true;
        here_.reset();
        const std::string folded = RegistryFolded(path);
        const bool below = folded.size() > root_.size() &&
                           folded.compare(0, root_.size(), root_) == 0 &&
                           folded[root_.size()] == '\\';
        const std::string_view relative = below ? path.substr(root_.size() + 1) : "";
        if (!deletion) {
            if (below || folded == root_) here_ = std::string(relative);
        } else if (below) {
            const std::string gone = RegistryFolded(relative);
            for (auto k = keys_.lower_bound(gone); k != keys_.end();) {
                if (k->first != gone && k->first.rfind(gone + "\\", 0) != 0) break;
                held_ -= k->second.values.size();
                k = keys_.erase(k);
            }
        } else if (folded == root_ || root_.rfind(folded + "\\", 0) == 0) {
            keys_.clear();
            held_ = 0;
        }
        return true;
    }

    // At line[at] == '"': the text up to the closing quote; at moves past it.
    bool QuotedText(std::string_view line, std::size_t& at, std::string& out) {
        for (++at; at < line.size();) {
            const char c = line[at++];
            if (c == '"') return true;
            if (c == '\\') {
                if (at == line.size()) break;
                const char e = line[at++];
                if (e == 'n') {
                    out.push_back('\n');
                } else if (e == '\\' || e == '"') {
                    out.push_back(e);
                } else {
                    return Fail("has a \\ that is none of \\\\, \\\" and \\n");
                }
            } else {
                out.push_back(c);
            }
        }
        return Fail("has a quotation mark that is never closed");
    }

    bool Value(std::string_view line) {
        std::string name;
        std::size_t at = 0;
        if (line.front() == '@')
            at = 1;
        else if (!QuotedText(line, at, name))
            return false;
        std::string_view data = TrimBlanks(line.substr(at));
        if (data.empty() || data.front() != '=') return Fail("has a value name without its =");
        data = TrimBlanks(data.substr(1));
        if (!seenKey_) return Fail("gives a value before any [key] line");

        if (data == "-") return Forget(name);
        if (!data.empty() && data.front() == '"') {
            std::string text;
            std::size_t end = 0;
            if (!QuotedText(data, end, text)) return false;
            if (end != data.size())
                return Fail("has more after the value's closing quotation mark");
            return Keep(name, std::move(text));
        }
        if (RegistryNameStartsWith(data, "dword:")) {
            if (!HexNumber(data.substr(6)))
                return Fail("has a dword that is not 1 to 8 hex digits");
            return Forget(name);
        }
        if (RegistryNameStartsWith(data, "hex")) return Hex(name, data);
        return Fail("has a value of a kind I don't know");
    }

    bool Hex(const std::string& name, std::string_view data) {
        const int first = lineNumber_;
        std::string joined;
        if (data.back() == '\\') {
            joined.assign(data.substr(0, data.size() - 1));
            for (bool more = true; more;) {
                if (pos_ >= text_.size())
                    return FailAt(first, "begins a hex value that the file cuts off");
                std::string_view next = TrimBlanks(NextLine());
                more = !next.empty() && next.back() == '\\';
                if (more) next.remove_suffix(1);
                if (TooLong(joined.size() + next.size()))
                    return FailAt(first, "begins a hex value longer than I can take");
                joined += next;
            }
            data = joined;
        }

        unsigned long type = 3;  // plain hex: REG_BINARY
        std::size_t at = 3;
        if (at < data.size() && data[at] == '(') {
            const std::size_t close = data.find(')', at);
            const auto number = close == std::string_view::npos
                                    ? std::nullopt
                                    : HexNumber(data.substr(at + 1, close - at - 1));
            if (!number) return FailAt(first, "has a hex(type) I can't read");
            type = *number;
            at = close + 1;
        }
        if (at >= data.size() || data[at] != ':')
            return FailAt(first, "has a hex value without its :");

        std::string bytes;
        std::string_view list = data.substr(at + 1);
        if (!TrimBlanks(list).empty()) {
            for (;;) {
                const std::size_t comma = list.find(',');
                const std::string_view piece = TrimBlanks(list.substr(0, comma));
                const bool last = comma == std::string_view::npos;
                // A trailing comma is what a line's break leaves behind; anything else is lost.
                if (piece.empty() && last && !bytes.empty()) break;
                const auto byte = piece.size() <= 2 ? HexNumber(piece) : std::nullopt;
                if (!byte) return FailAt(first, "has hex bytes I can't read");
                bytes.push_back(static_cast<char>(*byte));
                if (last) break;
                list.remove_prefix(comma + 1);
            }
        }
        if (type != kRegSz) return Forget(name);

        std::optional<std::string> text;
        if (utf16Hex_) {
            text = FromUtf16(bytes);
        } else if (IsUtf8(bytes)) {
            text = bytes;
        } else if (ansi_) {
            text = ansi_(bytes);
            if (text && !IsUtf8(*text)) text.reset();
        }
        if (!text) return FailAt(first, "has text in hex that is cut off or garbled");
        // The store reads the text without its terminator, however many the data carries.
        while (!text->empty() && text->back() == '\0') text->pop_back();
        return Keep(name, std::move(*text));
    }

    bool Keep(const std::string& name, std::string text) {
        if (!here_) return true;
        Held& held = keys_[RegistryFolded(*here_)];
        if (held.name.empty()) held.name = *here_;
        auto [value, added] =
            held.values.try_emplace(RegistryFolded(name), Held::Value{name, {}, order_++});
        if (added && ++held_ > limits_.values)
            return Fail("gives more than " + std::to_string(limits_.values) +
                        " values under my key");
        value->second.text = std::move(text);
        return true;
    }

    // A value of another type replaces the string, and the store reads it as missing.
    bool Forget(const std::string& name) {
        if (!here_) return true;
        const auto key = keys_.find(RegistryFolded(*here_));
        if (key != keys_.end()) held_ -= key->second.values.erase(RegistryFolded(name));
        return true;
    }

    std::string_view text_;
    std::size_t pos_;
    const bool utf16Hex_;  // version 5 keeps hex text in UTF-16, REGEDIT4 in 8 bits
    const std::string root_;
    const RegReadLimits& limits_;
    const AnsiToUtf8& ansi_;

    int lineNumber_ = 1;  // the header's
    bool seenKey_ = false;
    std::optional<std::string> here_;             // the current key below the root; none: not ours
    std::map<std::string, Held, RegistryKeyOrder> keys_;  // by folded path below the root
    std::size_t held_ = 0;
    std::uint64_t order_ = 0;
    std::string why_;
};

}  // namespace

RegRead ReadRegFile(std::string_view bytes, std::string_view rootKey, const RegReadLimits& limits,
                    const AnsiToUtf8& ansi) {
    RegRead result;
    auto refuse = [&result](std::string_view why) {
        result.refusal = std::string(kCantRead) + std::string(why);
        return result;
    };
    if (bytes.size() > limits.fileBytes)
        return refuse("it is larger than any file of monitors could be.");

    std::string text;
    const bool unicode = bytes.substr(0, 2) == "\xFF\xFE";
    if (unicode) {
        auto decoded = FromUtf16(bytes.substr(2));
        if (!decoded) return refuse("its Unicode text is cut off or garbled.");
        text = std::move(*decoded);
    } else {
        text = bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    }

    const std::size_t eol = std::min(text.find('\n'), text.size());
    std::string_view header = std::string_view(text).substr(0, eol);
    if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
    header = TrimBlanks(header);
    if (header != kRegEditVersion5 && header != kRegEditVersion4)
        return refuse("it is not a file of the registry editor.");

    if (!unicode && !IsUtf8(text)) {
        auto decoded = ansi ? ansi(text) : std::nullopt;
        if (!decoded || !IsUtf8(*decoded))
            return refuse("its text is in a character set I don't know.");
        text = std::move(*decoded);
    }
    // No line of a registry file holds a NUL; one there is a file mangled or made to mislead.
    if (text.find('\0') != std::string::npos) return refuse("it holds a NUL character.");

    Reader reader(text, std::min(text.find('\n'), text.size()) + 1, header == kRegEditVersion5, rootKey,
                  limits, ansi);
    if (!reader.Read()) return refuse(reader.why());
    result.keys = reader.Keys();
    return result;
}

}  // namespace kvl
