#pragma once
// Port to the desktop shell: starting another program and showing the program's message boxes.

#include <string_view>

// <windows.h> turns MessageBox into MessageBoxW; the port keeps the plain name. A file that
// includes <windows.h> after this header gets a compile error at the call, never a wrong call.
#ifdef MessageBox
#undef MessageBox
#endif

namespace kvl {

// The title of every message box and balloon of the program's.
inline constexpr std::string_view kMessageTitle = "KVL";

class Shell {
public:
    virtual ~Shell() = default;
    // Starts a program command line (path, then its arguments) in a normal window that gets
    // the focus, found on the search path like a typed command. Never waits for it; false
    // when it cannot be started.
    virtual bool Launch(std::string_view commandLine) = 0;
    // Starts a program of the system's own, found in the system folder or else the Windows
    // folder (never beside KVL or in the current folder, where anyone could have put one),
    // in its own folder, with `arguments`. Never waits for it; false when it cannot be started.
    virtual bool LaunchSystemProgram(std::string_view program, std::string_view arguments) = 0;
    // An OK-only box without icon; returns when the user has closed it.
    virtual void MessageBox(std::string_view text, std::string_view title) = 0;
};

}  // namespace kvl
