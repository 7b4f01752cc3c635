#pragma once
// Files in memory, and dialogs that answer what the test has set.

#include <map>
#include <optional>
#include <string>

#include "platform/files.h"

namespace kvl::fakes {

class FakeFiles final : public Files {
public:
    std::optional<std::string> ChooseFileToSave(std::string_view, std::string_view) override {
        return chosen;
    }
    std::optional<std::string> ChooseFileToOpen(std::string_view) override { return chosen; }
    bool WriteWholeFile(std::string_view path, std::string_view bytes) override {
        if (!writable) return false;
        files[std::string(path)] = std::string(bytes);
        return true;
    }
    std::optional<std::string> ReadFileStart(std::string_view path, std::size_t maxBytes) override {
        auto f = files.find(std::string(path));
        if (f == files.end()) return std::nullopt;
        return f->second.substr(0, maxBytes);
    }
    std::optional<std::string> AnsiToUtf8(std::string_view) override { return std::nullopt; }

    std::optional<std::string> chosen;  // what the user picks in either dialog
    bool writable = true;
    std::map<std::string, std::string> files;
};

}  // namespace kvl::fakes
