#pragma once
// The parts of a Windows path, in any character type: both separators count.

#include <string_view>

namespace kvl {

template <class Char>
constexpr std::basic_string_view<Char> FileName(std::basic_string_view<Char> path) {
    constexpr Char kSeparators[] = {Char('\\'), Char('/'), Char(0)};
    const auto at = path.find_last_of(kSeparators);
    return at == std::basic_string_view<Char>::npos ? path : path.substr(at + 1);
}

// The folder that holds the file, without its last separator; empty for a bare name.
template <class Char>
constexpr std::basic_string_view<Char> FolderOf(std::basic_string_view<Char> path) {
    constexpr Char kSeparators[] = {Char('\\'), Char('/'), Char(0)};
    const auto at = path.find_last_of(kSeparators);
    return at == std::basic_string_view<Char>::npos ? std::basic_string_view<Char>()
                                                    : path.substr(0, at);
}

}  // namespace kvl
