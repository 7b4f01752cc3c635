#include <gtest/gtest.h>

#include <algorithm>

#include "monitors/settings.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ScopedStore;
using wintest::UniqueName;

TEST(RegistryStore, KeepsTextsPerApplicationSectionAndKey) {
    ScopedStore scoped(UniqueName(L"KVLStore"));
    auto& store = scoped.Store();
    EXPECT_EQ(store.Read("Monitor0", "Caption"), std::nullopt);
    ASSERT_TRUE(store.Write("Monitor0", "Caption", "Ошибка – 日本語 ü"));
    EXPECT_EQ(store.Read("Monitor0", "Caption"), "Ошибка – 日本語 ü");
    ASSERT_TRUE(store.Write("Monitor0", "Empty", ""));
    EXPECT_EQ(store.Read("Monitor0", "Empty"), "");

    ScopedStore other(UniqueName(L"KVLOther"));
    EXPECT_EQ(other.Store().Read("Monitor0", "Caption"), std::nullopt);

    EXPECT_TRUE(store.DeleteSection("Monitor0"));
    EXPECT_FALSE(scoped.SectionExists("Monitor0"));
    EXPECT_FALSE(store.DeleteSection("Monitor0"));  // a missing section is a failure
}

TEST(RegistryStore, IsUnderTheClassicPerUserSettingsKeyAndNamedAfterTheProgram) {
    EXPECT_EQ(win32::RegistryStore::AppNameOfThisProgram(), L"kvl_win32_tests");
    ScopedStore scoped(UniqueName(L"KVLPath"));
    ASSERT_TRUE(scoped.Store().Write("General", "Strength", "2"));
    HKEY key = nullptr;
    const std::wstring path =
        L"Software\\VB and VBA Program Settings\\" + scoped.AppName() + L"\\General";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t value[16] = L"";
    DWORD type = 0, bytes = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, L"Strength", nullptr, &type, reinterpret_cast<BYTE*>(value),
                               &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(value, L"2");
    RegCloseKey(key);
}

TEST(RegistryStore, ValuesOfOtherTypesOrSizesLoadAsDefaults) {
    ScopedStore scoped(UniqueName(L"KVLTypes"));
    auto& store = scoped.Store();
    ASSERT_TRUE(store.Write("Monitor0", "Description", "typed"));
    ASSERT_TRUE(store.Write("General", "Strength", "1"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, store.SectionPath("Monitor0").c_str(), 0,
                            KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExW(key, L"Disable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    const BYTE blob[] = {1, 2, 3};
    RegSetValueExW(key, L"WindowState", 0, REG_BINARY, blob, sizeof blob);
    // A huge caption, unterminated.
    std::wstring huge(1 << 19, L'x');
    RegSetValueExW(key, L"Caption", 0, REG_SZ, reinterpret_cast<const BYTE*>(huge.data()),
                   static_cast<DWORD>(huge.size() * sizeof(wchar_t)));
    RegSetValueExW(key, L"OldOption", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                   sizeof one);
    RegCloseKey(key);

    Settings s;
    LoadSettings(store, s);
    ASSERT_EQ(MonitorCount(s.Monitors), 1);
    EXPECT_EQ(s.Monitors[0].Disable, 0);
    EXPECT_EQ(s.Monitors[0].WindowState, "Restore");
    EXPECT_EQ(s.Monitors[0].Caption.size(), huge.size());
    EXPECT_EQ(s.Strength, 1);
    EXPECT_EQ(s.DebugMode, 0);

    SaveSettings(store, s);
    EXPECT_EQ(store.Read("Monitor0", "Disable"), "0");
    // The section now holds the monitor's eleven keys and nothing else.
    const std::vector<std::string> keys = store.Keys("Monitor0");
    EXPECT_EQ(keys.size(), 11u);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "OldOption"), 0);
}

}  // namespace
}  // namespace kvl
