#pragma once
// The special-key picker's entries, spelled as keystroke texts write them, so that nobody
// has to remember the spelling. "{SHIFT}", "{ALT}" and "{CNTL}" are KVL's own modifier
// tokens; the rest go to the key injection as they are.

#include <array>
#include <string_view>

namespace kvl {

inline constexpr std::array<std::string_view, 39> kSpecialKeyEntries{
    "{BACKSPACE}", "{BREAK}", "{CAPSLOCK}", "{DELETE}",     "{DOWN}", "{END}",     "{ENTER}",
    "{ESC}",       "{HELP}",  "{HOME}",     "{INSERT}",     "{LEFT}", "{NUMLOCK}", "{PGDN}",
    "{PGUP}",      "{PRTSC}", "{RIGHT}",    "{SCROLLLOCK}", "{TAB}",  "{UP}",      "{SHIFT}",
    "{ALT}",       "{CNTL}",  "{F1}",       "{F2}",         "{F3}",   "{F4}",      "{F5}",
    "{F6}",        "{F7}",    "{F8}",       "{F9}",         "{F10}",  "{F11}",     "{F12}",
    "{F13}",       "{F14}",   "{F15}",      "{F16}"};

}  // namespace kvl
