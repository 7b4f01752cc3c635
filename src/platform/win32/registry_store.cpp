#include "platform/win32/registry_store.h"

#include <windows.h>

#include <vector>

#include "platform/path_name.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_queries.h"
#include "platform/win32/unicode.h"

namespace kvl::win32 {

std::wstring RegistryStore::AppNameOfThisProgram() {
    const std::wstring path = ThisProgramPath();
    std::wstring name(FileName(std::wstring_view(path)));
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

std::wstring RegistryStore::SectionPath(std::string_view section) const {
    return Widen(kSettingsRoot) + L"\\" + app_ + L"\\" + Widen(section);
}

std::string RegistryStore::KeyPath() const { return SettingsKeyPath(Narrow(app_)); }

std::optional<std::string> ReadUserText(const std::wstring& keyPath, std::string_view key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey hkey(raw);
    const std::wstring name = Widen(key);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;  // wrong types read as missing, so the key's default applies
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::size_t length = bytes / sizeof(wchar_t);
    // REG_SZ data need not be terminated, or may carry its terminator; take the text only.
    while (length > 0 && buffer[length - 1] == L'\0') --length;
    return Narrow(std::wstring_view(buffer.data(), length));
}

bool WriteUserText(const std::wstring& keyPath, std::string_view key, std::string_view value) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey hkey(raw);
    const std::wstring text = Widen(value);
    return RegSetValueExW(hkey.get(), Widen(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

std::optional<std::vector<std::uint8_t>> ReadUserBinary(const std::wstring& keyPath,
                                                        std::string_view key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey hkey(raw);
    const std::wstring name = Widen(key);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::nullopt;
    std::vector<std::uint8_t> value(bytes);
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, value.data(), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::nullopt;
    value.resize(bytes);
    return value;
}

bool WriteUserBinary(const std::wstring& keyPath, std::string_view key,
                     const std::vector<std::uint8_t>& value) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey hkey(raw);
    return RegSetValueExW(hkey.get(), Widen(key).c_str(), 0, REG_BINARY, value.data(),
                          static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool RegistryStore::DeleteSection(std::string_view section) {
    return RegDeleteTreeW(HKEY_CURRENT_USER, SectionPath(section).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryStore::Keys(std::string_view section) {
    std::vector<std::string> keys;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return keys;
    UniqueKey hkey(raw);
    DWORD longest = 0;
    if (RegQueryInfoKeyW(hkey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return keys;
    std::vector<wchar_t> name(longest + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LSTATUS status = RegEnumValueW(hkey.get(), index, name.data(), &length, nullptr,
                                             nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        keys.push_back(Narrow(std::wstring_view(name.data(), length)));
    }
    return keys;
}

bool DeleteUserValue(const std::wstring& keyPath, std::string_view key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &raw) !=
        ERROR_SUCCESS)
        return false;
    UniqueKey hkey(raw);
    return RegDeleteValueW(hkey.get(), Widen(key).c_str()) == ERROR_SUCCESS;
}

std::optional<std::string> RegistryStore::Read(std::string_view section, std::string_view key) {
    return ReadUserText(SectionPath(section), key);
}

bool RegistryStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    return WriteUserText(SectionPath(section), key, value);
}

bool RegistryStore::DeleteKey(std::string_view section, std::string_view key) {
    return DeleteUserValue(SectionPath(section), key);
}

}  // namespace kvl::win32
