#pragma once
// The files port on Win32: the common dialogs (comdlg32, taken at run time from the system
// folder only) and whole files.

#include "platform/files.h"

namespace kvl::win32 {

class Win32Files final : public Files {
public:
    std::optional<std::string> ChooseFileToSave(std::string_view title,
                                                std::string_view suggestedName) override;
    std::optional<std::string> ChooseFileToOpen(std::string_view title) override;
    FileWrite WriteWholeFile(std::string_view path, std::string_view bytes) override;
    std::optional<std::string> ReadFileStart(std::string_view path, std::size_t maxBytes) override;
    std::optional<std::string> AnsiToUtf8(std::string_view text) override;
};

}  // namespace kvl::win32
