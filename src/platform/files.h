#pragma once
// Port to the user's files: the common Open and Save dialogs, and whole files read and
// written, for the monitors users export and import.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvl {

enum class FileWrite { Written, ReadOnly, Failed };

class Files {
public:
    virtual ~Files() = default;

    // The common dialogs, over the window in front, for registry files. The chosen path, or
    // nothing when the user cancels.
    virtual std::optional<std::string> ChooseFileToSave(std::string_view title,
                                                        std::string_view suggestedName) = 0;
    virtual std::optional<std::string> ChooseFileToOpen(std::string_view title) = 0;

    // Writes the whole file: a file of that name either keeps what it held or holds all of
    // `bytes`, never a part. A read-only file is left as it is.
    virtual FileWrite WriteWholeFile(std::string_view path, std::string_view bytes) = 0;
    // At most the file's first `maxBytes` bytes; nothing when it cannot be read.
    virtual std::optional<std::string> ReadFileStart(std::string_view path,
                                                     std::size_t maxBytes) = 0;
    // 8-bit text in the system's ANSI code page, as UTF-8; nothing when it is not such text.
    virtual std::optional<std::string> AnsiToUtf8(std::string_view text) = 0;
};

}  // namespace kvl
