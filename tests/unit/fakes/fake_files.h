#pragma once
// Files in memory, and dialogs that answer what the test has set.

#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/files.h"

namespace kvl::fakes {

class FakeFiles final : public Files {
public:
    std::optional<std::string> ChooseFileToSave(std::string_view, std::string_view) override {
        return chosen;
    }
    std::optional<std::string> ChooseFileToOpen(std::string_view) override { return chosen; }
    FileWrite WriteWholeFile(std::string_view path, std::string_view bytes) override {
        if (readOnly.count(std::string(path))) return FileWrite::ReadOnly;
        if (!writable) return FileWrite::Failed;
        files[std::string(path)] = std::string(bytes);
        return FileWrite::Written;
    }
    std::optional<std::string> ReadFileStart(std::string_view path, std::size_t maxBytes) override {
        auto f = files.find(std::string(path));
        if (f == files.end()) return std::nullopt;
        return f->second.substr(0, maxBytes);
    }
    std::optional<std::string> AnsiToUtf8(std::string_view) override { return std::nullopt; }

    std::optional<std::string> chosen;  // what the user picks in either dialog
    bool writable = true;
    std::set<std::string> readOnly;  // files there, which WriteWholeFile must leave alone
    std::map<std::string, std::string> files;
};

}  // namespace kvl::fakes
