#pragma once
// The one-shot command-line mode: switch grammar, values and the reference text.

#include <string>
#include <string_view>

namespace kvl {

// The process command line without the program's own name: what follows the name (quoted
// or not) and the blanks after it.
std::string ArgumentsOf(std::string_view commandLine);

}  // namespace kvl
