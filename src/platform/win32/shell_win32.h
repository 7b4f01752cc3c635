#pragma once
// The shell port on Win32: CreateProcessW for launches, MessageBoxW for messages.

#include <windows.h>

#include "platform/shell.h"

namespace kvl::win32 {

class Win32Shell final : public Shell {
public:
    bool Launch(std::string_view commandLine) override;
    bool LaunchSystemProgram(std::string_view program, std::string_view arguments) override;
    void MessageBox(std::string_view text, std::string_view title) override;
};

}  // namespace kvl::win32
