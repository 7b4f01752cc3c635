#include "platform/settings_store.h"

namespace kvl {

std::string ReadSetting(SettingsStore& store, std::string_view section, std::string_view key,
                        std::string_view defaultValue) {
    if (auto value = store.Read(section, key)) return std::move(*value);
    return std::string(defaultValue);
}

bool WriteSetting(SettingsStore& store, std::string_view section, std::string_view key,
                  std::string_view value) {
    return store.Write(section, key, value);
}

bool WriteSetting(SettingsStore& store, std::string_view section, std::string_view key,
                  int value) {
    return store.Write(section, key, std::to_string(value));
}

bool DeleteSettingSection(SettingsStore& store, std::string_view section) {
    return store.DeleteSection(section);
}

std::string SettingsKeyPath(std::string_view appName) {
    return "HKEY_CURRENT_USER\\" + std::string(kSettingsRoot) + "\\" + std::string(appName);
}

}  // namespace kvl
