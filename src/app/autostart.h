#pragma once
// "Start with Windows": the per-user Run value that starts this copy of the program when the
// user logs on, and Task Manager's switch for it (the StartupApproved value of the same name).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl {

// The value's name under the Run key, and under Task Manager's StartupApproved\Run key.
inline constexpr std::string_view kAutostartValueName = "KVL";

// What the Run value holds: the program's full path, quoted, with no arguments (a start
// with arguments would be a one-shot run).
std::string AutostartCommand(std::string_view programPath);

// Whether a Run value starts this very copy, as Windows reads the command line: quoted, the
// program is what the quotes hold; unquoted, Windows tries the text up to each blank in turn,
// shortest first (".exe" added where the name has no extension), and starts the first file
// that exists. Letter case is ignored as Windows ignores it in paths. A value that starts
// another copy does not count: ticking the item again repoints it here.
bool StartsThisProgram(const std::optional<std::string>& runValue, std::string_view programPath,
                       const std::function<bool(const std::string&)>& fileExists);

// Task Manager keeps its "Disabled" beside the Run value, as binary data whose first byte is
// even while the start is allowed (2, or 6) and odd once the user disabled it (3). No value,
// or an empty one, leaves the start allowed.
bool ApprovedToStart(const std::optional<std::vector<std::uint8_t>>& approval);

// What Task Manager itself writes when the user enables the start again.
std::vector<std::uint8_t> ApprovedValue();

inline constexpr std::string_view kAutostartNotWrittenMessage =
    "I could not change whether I start with Windows: Windows did not let me write my entry "
    "in your Run key (HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run).";
inline constexpr std::string_view kAutostartReapprovedMessage =
    "Task Manager had my start with Windows disabled. As you asked, I turned it on again; "
    "Task Manager's Startup list shows it enabled now.";
inline constexpr std::string_view kAutostartStillDisabledMessage =
    "I set myself to start with Windows, but Task Manager has that start disabled and did not "
    "let me change it. To have me start, enable KVL in the Startup list of Task Manager.";

}  // namespace kvl
