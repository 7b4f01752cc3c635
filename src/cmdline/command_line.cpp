#include "cmdline/command_line.h"

namespace kvl {

std::string ArgumentsOf(std::string_view commandLine) {
    std::size_t i = 0;
    // The program name ends at the closing quote when it is quoted, else at the first blank;
    // the system's own parser reads the name the same way.
    if (i < commandLine.size() && commandLine[i] == '"') {
        const auto close = commandLine.find('"', 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return std::string(commandLine.substr(i));
}

}  // namespace kvl
