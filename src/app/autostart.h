#pragma once
// "Start with Windows": the per-user Run value that starts this copy of the program when the
// user logs on.

#include <optional>
#include <string>
#include <string_view>

namespace kvl {

// The value's name under the Run key.
inline constexpr std::string_view kAutostartValueName = "KVL";

// What the Run value holds: the program's full path, quoted, with no arguments (a start
// with arguments would be a one-shot run).
std::string AutostartCommand(std::string_view programPath);

// Whether a Run value starts this very copy: its program (quoted or not, whatever follows
// it) is `programPath`, letter case ignored as Windows ignores it in paths. A value that
// starts another copy does not count: ticking the item again repoints it here.
bool StartsThisProgram(const std::optional<std::string>& runValue, std::string_view programPath);

}  // namespace kvl
