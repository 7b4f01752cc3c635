#include "monitors/monitor_transfer.h"

#include <algorithm>
#include <map>

#include "monitors/settings.h"
#include "platform/registry_names.h"

namespace kvl {

namespace {

// "Monitor" and a slot's number, as MonitorSection writes it.
bool IsMonitorSection(std::string_view name) {
    constexpr std::string_view kPrefix = "Monitor";
    if (!RegistryNameStartsWith(name, kPrefix)) return false;
    const std::string_view number = name.substr(kPrefix.size());
    return !number.empty() && number.size() <= 2 &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A file's keys seen through the store's port, so that a monitor comes out of a file by the
// very code that reads it out of the registry. Names match without regard to case, as there.
class KeysStore final : public SettingsStore {
public:
    explicit KeysStore(const RegKeys& keys) {
        for (const RegKey& key : keys)
            for (const auto& [name, value] : key.values)
                sections_[RegistryFolded(key.name)].insert_or_assign(RegistryFolded(name),
                                                                     std::pair{name, value});
    }

    std::optional<std::string> Read(std::string_view section, std::string_view key) override {
        const auto s = sections_.find(RegistryFolded(section));
        if (s == sections_.end()) return std::nullopt;
        const auto k = s->second.find(RegistryFolded(key));
        if (k == s->second.end()) return std::nullopt;
        return k->second.second;
    }
    std::vector<std::string> Keys(std::string_view section) override {
        std::vector<std::string> names;
        const auto s = sections_.find(RegistryFolded(section));
        if (s != sections_.end())
            for (const auto& [folded, value] : s->second) names.push_back(value.first);
        return names;
    }
    bool Write(std::string_view, std::string_view, std::string_view) override { return false; }
    bool DeleteSection(std::string_view) override { return false; }
    bool DeleteKey(std::string_view, std::string_view) override { return false; }
    std::string KeyPath() const override { return {}; }

private:
    std::map<std::string, std::map<std::string, std::pair<std::string, std::string>>> sections_;
};

std::vector<Monitor> MonitorsOf(const RegKeys& sections) {
    KeysStore store(sections);
    Settings read;
    LoadSettings(store, read);
    const auto end = read.Monitors.begin() + MonitorCount(read.Monitors);
    return {read.Monitors.begin(), end};
}

}  // namespace

RegKeys StoreKeys(SettingsStore& store) {
    std::vector<std::string> sections{"General"};
    for (int s = 0; s < kStoredSlots; ++s) sections.push_back(MonitorSection(s));
    std::sort(sections.begin(), sections.end(), [](const std::string& a, const std::string& b) {
        return RegistryKeyOrder{}(RegistryFolded(a), RegistryFolded(b));
    });
    RegKeys keys;
    for (const std::string& section : sections) {
        RegKey key{section, {}};
        for (std::string& name : store.Keys(section))
            if (auto value = store.Read(section, name))
                key.values.emplace_back(std::move(name), std::move(*value));
        if (!key.values.empty()) keys.push_back(std::move(key));
    }
    return keys;
}

std::string ExportFile(std::string_view storeKey, const RegKeys& keys) {
    return WriteRegFile(storeKey, keys, IsMonitorSection);
}

std::string_view StoresParent(std::string_view storeKey) {
    const auto slash = storeKey.rfind('\\');
    return slash == std::string_view::npos ? std::string_view{} : storeKey.substr(0, slash);
}

FileMonitors MonitorsInFile(const RegKeys& underParent, std::string_view ourKey) {
    const std::string_view parent = StoresParent(ourKey);
    const std::string_view ourName = ourKey.substr(parent.empty() ? 0 : parent.size() + 1);

    // The keys come in the registry's order, so a store's sections follow one another.
    std::vector<std::pair<std::string, RegKeys>> stores;
    for (const RegKey& key : underParent) {
        const auto slash = key.name.find('\\');
        if (slash == std::string::npos || key.name.find('\\', slash + 1) != std::string::npos)
            continue;
        const std::string_view name = std::string_view(key.name).substr(0, slash);
        if (stores.empty() || !SameRegistryName(stores.back().first, name))
            stores.emplace_back(std::string(name), RegKeys{});
        stores.back().second.push_back({key.name.substr(slash + 1), key.values});
    }

    FileMonitors result;
    std::vector<std::pair<std::string, std::vector<Monitor>>> holding;
    for (const auto& [name, sections] : stores) {
        std::vector<Monitor> monitors = MonitorsOf(sections);
        if (monitors.empty()) continue;
        if (SameRegistryName(name, ourName))
            holding.emplace(holding.begin(), name, std::move(monitors));
        else
            holding.emplace_back(name, std::move(monitors));
    }
    if (holding.empty()) return result;
    result.storeKey = std::string(parent) + "\\" + holding.front().first;
    result.monitors = std::move(holding.front().second);
    result.otherStores = static_cast<int>(holding.size()) - 1;
    return result;
}

MonitorImport AppendMonitors(const std::vector<Monitor>& monitors, MonitorTable& table,
                             const MonitorCheck& check) {
    MonitorImport result;
    result.found = static_cast<int>(monitors.size());
    int at = MonitorCount(table);
    for (std::size_t k = 0; k < monitors.size(); ++k) {
        if (check) {
            if (auto why = check(monitors[k])) {
                result.refused.emplace_back(static_cast<int>(k), std::move(*why));
                continue;
            }
        }
        if (at >= kStoredSlots) {
            ++result.leftOut;
            continue;
        }
        table[static_cast<std::size_t>(at++)] = monitors[k];
        ++result.added;
    }
    // Past the end marker a slot may still hold a monitor of before; now that the marker has
    // moved, it must not become part of the table.
    if (at < kStoredSlots) table[static_cast<std::size_t>(at)] = Monitor{};
    return result;
}

}  // namespace kvl
