#pragma once
// In-memory settings store that can be told to fail one mutating step, or every step from
// one on (a crash part-way through a save).

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace kvl::fakes {

class MemoryStore final : public SettingsStore {
public:
    using Section = std::map<std::string, std::string>;

    std::optional<std::string> Read(std::string_view section, std::string_view key) override {
        auto s = sections.find(std::string(section));
        if (s == sections.end()) return std::nullopt;
        auto k = s->second.find(std::string(key));
        if (k == s->second.end()) return std::nullopt;
        return k->second;
    }

    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        if (Fails()) return false;
        sections[std::string(section)][std::string(key)] = std::string(value);
        return true;
    }

    bool DeleteSection(std::string_view section) override {
        if (Fails()) return false;
        return sections.erase(std::string(section)) > 0;
    }

    std::vector<std::string> Keys(std::string_view section) override {
        std::vector<std::string> keys;
        auto s = sections.find(std::string(section));
        if (s != sections.end())
            for (const auto& [key, value] : s->second) keys.push_back(key);
        return keys;
    }

    bool DeleteKey(std::string_view section, std::string_view key) override {
        if (Fails()) return false;
        auto s = sections.find(std::string(section));
        return s != sections.end() && s->second.erase(std::string(key)) > 0;
    }
    std::string KeyPath() const override { return SettingsKeyPath(appName); }

    std::map<std::string, Section> sections;
    std::string appName = "KVL";  // the name a renamed copy runs under
    int steps = 0;         // mutating calls so far
    int failAt = -1;       // this step fails
    bool crashed = false;  // with failFrom: every step from failAt on fails
    bool failFrom = false;

private:
    bool Fails() {
        const int step = steps++;
        if (failAt < 0) return false;
        if (failFrom && step >= failAt) crashed = true;
        return step == failAt || crashed;
    }
};

}  // namespace kvl::fakes
