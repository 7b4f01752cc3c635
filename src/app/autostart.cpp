#include "app/autostart.h"

#include "engine/caption_match.h"
#include "platform/blanks.h"

namespace kvl {

namespace {

bool SamePath(std::string_view a, std::string_view b) {
    return !a.empty() && FoldCase(a) == FoldCase(b);
}

// A file name without an extension is started as the ".exe" of that name.
std::string WithExtension(std::string_view path) {
    const std::size_t name = path.find_last_of("\\/") + 1;  // npos + 1 is 0: the whole text
    if (path.find('.', name) != std::string_view::npos) return std::string(path);
    return std::string(path) + ".exe";
}

}  // namespace

std::string AutostartCommand(std::string_view programPath) {
    return "\"" + std::string(programPath) + "\"";
}

bool StartsThisProgram(const std::optional<std::string>& runValue, std::string_view programPath,
                       const std::function<bool(const std::string&)>& fileExists) {
    if (!runValue) return false;
    std::string_view command = TrimBlanks(*runValue);
    if (command.starts_with('"')) {
        command.remove_prefix(1);
        return SamePath(WithExtension(command.substr(0, command.find('"'))), programPath);
    }
    // "C:\Program Files\KVL\KVL.exe" unquoted is "C:\Program.exe" if that exists, then
    // "C:\Program Files\KVL\KVL.exe": the first candidate that is a file is what starts.
    for (std::size_t end = command.find(' ');; end = command.find(' ', end + 1)) {
        const std::string candidate = WithExtension(command.substr(0, end));
        if (SamePath(candidate, programPath)) return true;
        if (end == std::string_view::npos || fileExists(candidate)) return false;
    }
}

bool ApprovedToStart(const std::optional<std::vector<std::uint8_t>>& approval) {
    return !approval || approval->empty() || ((*approval)[0] & 1) == 0;
}

std::vector<std::uint8_t> ApprovedValue() {
    std::vector<std::uint8_t> value(12, 0);
    value[0] = 0x02;
    return value;
}

}  // namespace kvl
