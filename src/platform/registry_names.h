#pragma once
// The registry tells key and value names apart without regard to the case of ASCII letters
// (and of no others): whatever compares or files names as it does uses these.

#include <string>
#include <string_view>

namespace kvl {

constexpr char RegistryUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string RegistryFolded(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = RegistryUpper(c);
    return out;
}

constexpr bool SameRegistryName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (RegistryUpper(a[k]) != RegistryUpper(b[k])) return false;
    return true;
}

}  // namespace kvl
