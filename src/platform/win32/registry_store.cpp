#include "platform/win32/registry_store.h"

#include <windows.h>

#include <cstring>
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

namespace {

// The data of a value of the user's registry, when it is of `type`; a value of another type
// reads as missing, so that the caller's default applies.
std::optional<std::vector<BYTE>> ReadUserValue(const std::wstring& keyPath, std::string_view key,
                                               DWORD type) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey hkey(raw);
    const std::wstring name = Widen(key);
    DWORD found = 0, bytes = 0;
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &found, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        found != type)
        return std::nullopt;
    // Room for a terminator the text may lack; the value may also grow in between.
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    bytes = static_cast<DWORD>(data.size());
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &found, data.data(), &bytes) !=
            ERROR_SUCCESS ||
        found != type)
        return std::nullopt;
    data.resize(bytes);
    return data;
}

bool WriteUserValue(const std::wstring& keyPath, std::string_view key, DWORD type,
                    const BYTE* data, std::size_t bytes) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey hkey(raw);
    return RegSetValueExW(hkey.get(), Widen(key).c_str(), 0, type, data,
                          static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::string> ReadUserText(const std::wstring& keyPath, std::string_view key) {
    const std::optional<std::vector<BYTE>> data = ReadUserValue(keyPath, key, REG_SZ);
    if (!data) return std::nullopt;
    std::wstring text(data->size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
    // REG_SZ data need not be terminated, or may carry its terminator; take the text only.
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Narrow(text);
}

bool WriteUserText(const std::wstring& keyPath, std::string_view key, std::string_view value) {
    const std::wstring text = Widen(value);
    return WriteUserValue(keyPath, key, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          (text.size() + 1) * sizeof(wchar_t));
}

std::optional<std::vector<std::uint8_t>> ReadUserBinary(const std::wstring& keyPath,
                                                        std::string_view key) {
    return ReadUserValue(keyPath, key, REG_BINARY);
}

bool WriteUserBinary(const std::wstring& keyPath, std::string_view key,
                     const std::vector<std::uint8_t>& value) {
    return WriteUserValue(keyPath, key, REG_BINARY, value.data(), value.size());
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
