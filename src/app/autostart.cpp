#include "app/autostart.h"

#include "engine/caption_match.h"
#include "platform/blanks.h"

namespace kvl {

std::string AutostartCommand(std::string_view programPath) {
    return "\"" + std::string(programPath) + "\"";
}

bool StartsThisProgram(const std::optional<std::string>& runValue, std::string_view programPath) {
    if (!runValue) return false;
    std::string_view command = TrimBlanks(*runValue);
    std::string_view program;
    if (command.starts_with('"')) {
        command.remove_prefix(1);
        program = command.substr(0, command.find('"'));
    } else {
        // Unquoted, the first blank ends the program, as it does for the shell.
        program = command.substr(0, command.find(' '));
    }
    return !program.empty() && FoldCase(program) == FoldCase(programPath);
}

}  // namespace kvl
