#pragma once
// The settings store in the per-user registry, where the classic settings API keeps it, so
// stores written by earlier releases load unchanged:
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, REG_SZ values.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace kvl::win32 {

// REG_SZ values of any key under HKEY_CURRENT_USER, as the store reads and writes its own:
// a value of another type reads as missing.
std::optional<std::string> ReadUserText(const std::wstring& keyPath, std::string_view name);
bool WriteUserText(const std::wstring& keyPath, std::string_view name, std::string_view value);
bool DeleteUserValue(const std::wstring& keyPath, std::string_view name);
// REG_BINARY values, likewise.
std::optional<std::vector<std::uint8_t>> ReadUserBinary(const std::wstring& keyPath,
                                                        std::string_view name);
bool WriteUserBinary(const std::wstring& keyPath, std::string_view name,
                     const std::vector<std::uint8_t>& value);

class RegistryStore final : public SettingsStore {
public:
    explicit RegistryStore(std::wstring appName) : app_(std::move(appName)) {}

    // The running executable's base name: a renamed copy keeps a store of its own.
    static std::wstring AppNameOfThisProgram();

    std::optional<std::string> Read(std::string_view section, std::string_view key) override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;
    bool DeleteSection(std::string_view section) override;
    std::vector<std::string> Keys(std::string_view section) override;
    bool DeleteKey(std::string_view section, std::string_view key) override;
    std::string KeyPath() const override;

    std::wstring SectionPath(std::string_view section) const;

private:
    std::wstring app_;
};

}  // namespace kvl::win32
