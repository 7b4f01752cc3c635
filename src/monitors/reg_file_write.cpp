#include "monitors/reg_file.h"

#include <algorithm>

#include "platform/utf8.h"

namespace kvl {

namespace {

// UTF-16LE bytes of UTF-8 text; a malformed byte becomes U+FFFD, as the store's own
// conversion makes it.
std::string Utf16(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c;
        if (!utf8::Next(text, pos, c)) c = 0xFFFD;
        utf8::AppendUtf16LE(out, c);
    }
    return out;
}

// A value with a line break goes in hex; a name has no such form, and one read from a file
// that wrote its line break as \n is written back the same way.
std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// The editor's hex layout: bytes in lower case, a line broken after the byte that takes it
// past 76 columns, continued on the next line after two spaces.
void WriteHex(std::string& text, std::string line, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const auto b = static_cast<unsigned char>(bytes[k]);
        line.push_back(kDigits[b >> 4]);
        line.push_back(kDigits[b & 0xF]);
        if (k + 1 == bytes.size()) break;
        line.push_back(',');
        if (line.size() > 76) {
            text += line + "\\\r\n";
            line = "  ";
        }
    }
    text += line + "\r\n";
}

void WriteKey(std::string& text, const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& values) {
    text += "[" + path + "]\r\n";
    for (const auto& [name, value] : values) {
        const std::string lead = name.empty() ? "@=" : Quoted(name) + "=";
        if (value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos)
            text += lead + Quoted(value) + "\r\n";
        else
            WriteHex(text, lead + "hex(1):", Utf16(value) + std::string(2, '\0'));
    }
    text += "\r\n";
}
}  // namespace

std::string WriteRegFile(std::string_view rootKey, const RegKeys& keys,
                         const std::function<bool(std::string_view name)>& replaced) {
    std::string text(kRegEditVersion5);
    text += "\r\n\r\n";
    const std::string root(rootKey);
    const auto own =
        std::find_if(keys.begin(), keys.end(), [](const RegKey& k) { return k.name.empty(); });
    WriteKey(text, root, own == keys.end() ? decltype(own->values){} : own->values);
    for (const RegKey& key : keys) {
        if (key.name.empty()) continue;
        const std::string path = root + "\\" + key.name;
        if (replaced && replaced(key.name)) text += "[-" + path + "]\r\n\r\n";
        WriteKey(text, path, key.values);
    }
    return "\xFF\xFE" + Utf16(text);
}

}  // namespace kvl
