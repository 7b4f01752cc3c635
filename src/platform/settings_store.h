#pragma once
// Port to the per-user settings store: application -> section -> key -> text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or nothing when the key or its section is missing or unreadable.
    virtual std::optional<std::string> Read(std::string_view section, std::string_view key) = 0;
    // Creates the section when needed. False when the value could not be stored.
    virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    // False when the section does not exist or could not be removed.
    virtual bool DeleteSection(std::string_view section) = 0;
    // The names of the values a section holds; none for a missing section.
    virtual std::vector<std::string> Keys(std::string_view section) = 0;
    // False when the value does not exist or could not be removed.
    virtual bool DeleteKey(std::string_view section, std::string_view key) = 0;
    // Where the store lives, with its hive (see SettingsKeyPath): what an export names.
    virtual std::string KeyPath() const = 0;
};

std::string ReadSetting(SettingsStore& store, std::string_view section, std::string_view key,
                        std::string_view defaultValue);
bool WriteSetting(SettingsStore& store, std::string_view section, std::string_view key,
                  std::string_view value);
bool WriteSetting(SettingsStore& store, std::string_view section, std::string_view key,
                  int value);
bool DeleteSettingSection(SettingsStore& store, std::string_view section);

// Below HKEY_CURRENT_USER: the programs' stores, one key each.
inline constexpr std::string_view kSettingsRoot = "Software\\VB and VBA Program Settings";

// The store's key for one program, with its hive: where the classic settings API of earlier
// releases kept it, so their stores load unchanged and their exports import.
std::string SettingsKeyPath(std::string_view appName);

}  // namespace kvl
