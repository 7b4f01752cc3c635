#pragma once
// The registry tells key and value names apart without regard to the case of ASCII letters
// (and of no others): whatever compares or files names as it does uses these.

#include <algorithm>
#include <cstddef>
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

constexpr bool RegistryNameStartsWith(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() && SameRegistryName(name.substr(0, prefix.size()), prefix);
}

// The order of an export: the registry lists the keys below one key by their names in
// capitals, and an export walks them depth first, a parent before its children, which come
// before its next sibling. On folded paths that is the plain order with '\' below every
// other character.
struct RegistryKeyOrder {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t k = 0; k < n; ++k) {
            if (a[k] == b[k]) continue;
            if (a[k] == '\\') return true;
            if (b[k] == '\\') return false;
            return static_cast<unsigned char>(a[k]) < static_cast<unsigned char>(b[k]);
        }
        return a.size() < b.size();
    }
};

}  // namespace kvl
