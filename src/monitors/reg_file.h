#pragma once
// The registry editor's own file format, so that users can back up and pass around what we
// keep with a tool every Windows user already has.
//
// Writing gives what the registry editor writes when it exports a key: UTF-16LE with a
// byte-order mark, CRLF line ends, "Windows Registry Editor Version 5.00", a [key] line for
// the key itself and for each key below it, and a blank line after each key. A value holding
// a line break or a NUL would not survive the editor's import as a quoted string; it is
// written as hex(1), the same REG_SZ in its hex form. A key may be preceded by its own [-key]
// line, so that the editor's import replaces it whole instead of merging into it.
//
// Reading takes a file in either format the editor imports: "Windows Registry Editor
// Version 5.00" or "REGEDIT4", in UTF-16LE with its byte-order mark or in 8-bit text (UTF-8,
// or else the caller's ANSI code page). It follows the editor's rules: ; comment lines,
// blank lines, [key] and [-key], "name"="text" with \\ and \" as its escapes (and \n for a
// line break, as other editors write it), @= for the default value, "name"=- to delete,
// dword: and hex: / hex(n): with continuation lines. What it gives back is what our settings
// store would read had the editor imported the file into an empty key: the REG_SZ values
// (quoted, or hex(1)) of the keys below the root key, by key. Every other type is read and
// checked but not taken, exactly as the store reads such a value as missing: hex(2), the
// expandable string, is left out rather than taken as a string, since its text means
// something else once expanded. Keys elsewhere (other hives, other programs, a key that
// merely starts with the root's name) are read past and never taken. Deletions act on what
// the file has put under the root key before them.
//
// A file that breaks any rule is refused whole, with the reason in the program's own words:
// not a registry file, not well-formed UTF-16, a bad escape, a stray line, a value before
// any key, a hex value cut off, or beyond the limits below. Names are matched as the
// registry matches them, without regard to case (ASCII letters only).

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvl {

// The first line of each format the registry editor writes.
inline constexpr std::string_view kRegEditVersion5 = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kRegEditVersion4 = "REGEDIT4";

// One key's string values, in the order they were written; names and text in UTF-8.
struct RegKey {
    std::string name;  // the path below the root key, parts joined by '\'; "" is the root
    std::vector<std::pair<std::string, std::string>> values;

    bool operator==(const RegKey&) const = default;
};
using RegKeys = std::vector<RegKey>;

// The file's bytes. rootKey is the full path with its hive, e.g. SettingsKeyPath("KVL").
// Text that is not UTF-8 is written as the store would write it, with U+FFFD in its place.
// The keys below the root for which `replaced` holds come after a [-key] line.
std::string WriteRegFile(std::string_view rootKey, const RegKeys& keys,
                         const std::function<bool(std::string_view name)>& replaced = {});

// A hostile file must cost little: what exceeds these is refused, never cut short. The line
// limit holds below the root key only: a long line elsewhere is read past with its key, which
// is not taken anyway, and the file's limit bounds it.
struct RegReadLimits {
    std::size_t fileBytes = std::size_t{8} << 20;
    std::size_t lineBytes = std::size_t{1} << 20;  // a line with its continuations, in UTF-8
    std::size_t values = 4096;  // values kept at one time; a full export holds under 800
};

// Turns 8-bit text that is not UTF-8 into UTF-8 by the system's ANSI code page; nothing
// when it cannot. Without one, such a file is refused.
using AnsiToUtf8 = std::function<std::optional<std::string>(std::string_view)>;

struct RegRead {
    RegKeys keys;         // only keys below the root that hold values, in the registry's order
    std::string refusal;  // empty when the file was read; else why it was not, in full
};

RegRead ReadRegFile(std::string_view bytes, std::string_view rootKey,
                    const RegReadLimits& limits = {}, const AnsiToUtf8& ansi = {});

}  // namespace kvl
