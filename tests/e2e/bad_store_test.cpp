// KVL.exe started on settings stores nobody should have to load: huge values, values of the
// wrong registry type, numbers that are not numbers, text in every script, and sections the
// program may not write. It must start, save and end as usual, fall back to the defaults, and
// keep every monitor it could read.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitors/settings.h"
#include "platform/win32/resources/resource.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::KvlCopy;
using wintest::WaitFor;

constexpr wchar_t kMainCaption[] = L"Korvel 3.0";

// Sets a value of any registry type, creating the section as the program would.
void SetRaw(const win32::RegistryStore& store, std::string_view section, const wchar_t* key,
            DWORD type, const void* data, DWORD bytes) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, store.SectionPath(section).c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(k, key, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

void SetDword(const win32::RegistryStore& store, std::string_view section, const wchar_t* key,
              DWORD value) {
    SetRaw(store, section, key, REG_DWORD, &value, sizeof value);
}

void SetBinary(const win32::RegistryStore& store, std::string_view section, const wchar_t* key,
               std::string_view bytes) {
    SetRaw(store, section, key, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void SetWide(const win32::RegistryStore& store, std::string_view section, const wchar_t* key,
             const std::wstring& text) {
    SetRaw(store, section, key, REG_SZ, text.c_str(),
           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The registry type of a value; REG_NONE when it is missing.
DWORD TypeOf(const win32::RegistryStore& store, std::string_view section, const wchar_t* key) {
    DWORD type = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, store.SectionPath(section).c_str(), key, RRF_RT_ANY,
                     &type, nullptr, nullptr) != ERROR_SUCCESS)
        return REG_NONE;
    return type;
}

std::vector<std::string> StoredDescriptions(win32::RegistryStore& store) {
    Settings s;
    LoadSettings(store, s);
    std::vector<std::string> out;
    for (int i = 0; i < MonitorCount(s.Monitors); ++i)
        out.push_back(s.Monitors[static_cast<std::size_t>(i)].Description);
    return out;
}

// A section everyone may read but nobody may write, until the object goes; the key's owner
// may always change its security, which is how the old one comes back. Wine checks this
// for every process of the user, so KVL meets a real refusal. (Windows refuses deleting
// the section too; Wine lets it be deleted whatever the security says.)
class ReadOnlySection {
public:
    ReadOnlySection(const win32::RegistryStore& store, std::string_view section)
        : path_(store.SectionPath(section)) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, READ_CONTROL | WRITE_DAC, &k) !=
            ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(k, DACL_SECURITY_INFORMATION, nullptr, &size);
        old_.resize(size);
        if (RegGetKeySecurity(k, DACL_SECURITY_INFORMATION, old_.data(), &size) == ERROR_SUCCESS) {
            BYTE everyone[SECURITY_MAX_SID_SIZE];
            DWORD sidSize = sizeof everyone;
            CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
            std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sidSize);
            auto* dacl = reinterpret_cast<ACL*>(acl.data());
            InitializeAcl(dacl, static_cast<DWORD>(acl.size()), ACL_REVISION);
            AddAccessAllowedAce(dacl, ACL_REVISION, KEY_READ, everyone);
            SECURITY_DESCRIPTOR sd;
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&sd, TRUE, dacl, FALSE);
            applied_ = RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
        }
        RegCloseKey(k);
    }
    ~ReadOnlySection() {
        if (!applied_) return;
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, WRITE_DAC, &k) == ERROR_SUCCESS) {
            RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, old_.data());
            RegCloseKey(k);
        }
    }
    ReadOnlySection(const ReadOnlySection&) = delete;
    ReadOnlySection& operator=(const ReadOnlySection&) = delete;
    bool Applied() const { return applied_; }

private:
    std::wstring path_;
    std::vector<BYTE> old_;
    bool applied_ = false;
};

class BadStore : public ::testing::Test {
protected:
    void Start() { ASSERT_TRUE(kvl.Start(L"\"" + copy.Path() + L"\"")); }
    HWND AwaitMainWindow() { return wintest::AwaitShownWindow(kMainCaption, kvl.Id(), 20000); }
    static HWND ListOf(HWND main) { return FindWindowExW(main, nullptr, L"ListBox", nullptr); }
    static LRESULT ListCount(HWND main) { return SendMessageW(ListOf(main), LB_GETCOUNT, 0, 0); }
    // "Exit Application" saves and ends at once.
    void ExitApplication(HWND main) {
        PostMessageW(main, WM_COMMAND, IDM_EXIT, 0);
        ASSERT_TRUE(kvl.Wait(20000).has_value());
    }
    // Selects the line and deletes its monitor, as the Monitors menu does.
    void DeleteLine(HWND main, int line) {
        SendMessageW(ListOf(main), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        PostMessageW(main, WM_COMMAND, IDM_DELETE, 0);
    }

    KvlCopy copy;
    win32::RegistryStore store{copy.AppName()};
    ChildProcess kvl;
};

TEST_F(BadStore, ValuesOfAMegabyteLoadShowAndComeBackWhole) {
    std::string big;
    while (big.size() < (1u << 20)) big += "megabyte monitor ";
    big.resize(1u << 20);
    const std::string digits(1u << 20, '7');
    ASSERT_TRUE(store.Write("General", "Strength", digits));
    ASSERT_TRUE(store.Write("Monitor0", "Description", big));
    ASSERT_TRUE(store.Write("Monitor0", "Caption", big));
    ASSERT_TRUE(store.Write("Monitor0", "SendKeys0", big));
    ASSERT_TRUE(store.Write("Monitor0", "Disable", digits));
    ASSERT_TRUE(store.Write("Monitor1", "Description", "after the big one"));

    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(ListCount(main), 2);
    ExitApplication(main);

    EXPECT_EQ(store.Read("Monitor0", "Description"), big);
    EXPECT_EQ(store.Read("Monitor0", "Caption"), big);
    EXPECT_EQ(store.Read("Monitor0", "SendKeys0"), big);
    EXPECT_EQ(store.Read("Monitor0", "Disable"), "0");  // a million digits is no 16-bit number
    EXPECT_EQ(store.Read("Monitor1", "Description"), "after the big one");
    EXPECT_EQ(store.Read("General", "Strength"), "3");
}

TEST_F(BadStore, ValuesOfTheWrongTypeReadAsMissingAndAreRewrittenAsText) {
    SetDword(store, "General", L"Strength", 1);
    SetBinary(store, "General", L"DebugMode", "\x02");
    ASSERT_TRUE(store.Write("Monitor0", "Description", "typed"));
    SetDword(store, "Monitor0", L"Disable", 1);
    SetBinary(store, "Monitor0", L"ExactMatch", std::string_view("\x01\x00", 2));
    SetDword(store, "Monitor0", L"SendKeysPause0", 5);
    SetBinary(store, "Monitor0", L"Caption", "cap");
    SetDword(store, "Monitor0", L"WindowState", 3);
    SetBinary(store, "Monitor0", L"SendKeys0", "abc");
    // A description that cannot be read ends the table like a missing one: that section is
    // the end marker's, which every save clears; the monitor behind it is beyond the end.
    SetBinary(store, "Monitor1", L"Description", "binary description");
    ASSERT_TRUE(store.Write("Monitor2", "Description", "beyond the end"));

    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(ListCount(main), 1);
    ExitApplication(main);

    EXPECT_EQ(store.Read("Monitor0", "Description"), "typed");
    const std::pair<const wchar_t*, const char*> rewritten[] = {
        {L"Disable", "0"},         {L"ExactMatch", "0"}, {L"SendKeysPause0", "0"},
        {L"Caption", ""},          {L"WindowState", "Restore"}, {L"SendKeys0", ""}};
    for (const auto& [key, value] : rewritten) {
        EXPECT_EQ(TypeOf(store, "Monitor0", key), static_cast<DWORD>(REG_SZ)) << win32::Narrow(key);
        EXPECT_EQ(store.Read("Monitor0", win32::Narrow(key)), value) << win32::Narrow(key);
    }
    EXPECT_EQ(TypeOf(store, "General", L"Strength"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(store.Read("General", "Strength"), "3");
    EXPECT_EQ(TypeOf(store, "General", L"DebugMode"), static_cast<DWORD>(REG_BINARY));  // never written
    EXPECT_EQ(TypeOf(store, "Monitor1", L"Description"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(store.Read("Monitor2", "Description"), "beyond the end");
}

TEST_F(BadStore, NumbersThatAreNoSixteenBitDecimalsFallBackAndTextInAnyScriptStays) {
    const std::wstring description = L"\u00c9cran \u03a9\u03bc\u03ad\u03b3\u03b1 \u041f\u0440\u0438"
                                     L"\u0432\u0435\u0442 \u65e5\u672c\u8a9e \U0001F600 \u05e2\u05d1";
    const std::wstring caption = L"\u029c\u1d07\u029f\u029f\u1d0f \U0001D4B3 \u212a";
    ASSERT_TRUE(store.Write("General", "Strength", "-5"));
    ASSERT_TRUE(store.Write("General", "DebugMode", "1e9"));
    SetWide(store, "Monitor0", L"Description", description);
    SetWide(store, "Monitor0", L"Caption", caption);
    SetWide(store, "Monitor0", L"SendKeys0", L"{CNTL}\u00e9\U0001F600");
    // A lone surrogate has no UTF-8 form: it is read as U+FFFD and saved so.
    SetWide(store, "Monitor0", L"SendKeys1", std::wstring(L"a") + wchar_t(0xD800) + L"b");
    ASSERT_TRUE(store.Write("Monitor0", "Disable", "yes"));
    ASSERT_TRUE(store.Write("Monitor0", "ExactMatch", "99999999999999999999"));
    ASSERT_TRUE(store.Write("Monitor0", "SendKeysPause0", "-1"));
    ASSERT_TRUE(store.Write("Monitor0", "SendKeysPause1", "32768"));
    ASSERT_TRUE(store.Write("Monitor0", "SendKeysPause2", " 7 "));
    ASSERT_TRUE(store.Write("Monitor1", "Description", "second"));
    ASSERT_TRUE(store.Write("Monitor1", "Disable", "-32768"));
    SetWide(store, "Monitor1", L"ExactMatch", L"\u0663");  // an Arabic-Indic three
    ASSERT_TRUE(store.Write("Monitor1", "SendKeysPause0", "2.5"));
    ASSERT_TRUE(store.Write("Monitor1", "SendKeysPause1", ""));
    ASSERT_TRUE(store.Write("Monitor1", "SendKeysPause2", "0x10"));

    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(ListCount(main), 2);
    ExitApplication(main);

    EXPECT_EQ(store.Read("General", "Strength"), "3");
    EXPECT_EQ(store.Read("General", "DebugMode"), "1e9");  // read, never written
    EXPECT_EQ(store.Read("Monitor0", "Description"), win32::Narrow(description));
    EXPECT_EQ(store.Read("Monitor0", "Caption"), win32::Narrow(caption));
    EXPECT_EQ(store.Read("Monitor0", "SendKeys0"), win32::Narrow(L"{CNTL}\u00e9\U0001F600"));
    EXPECT_EQ(store.Read("Monitor0", "SendKeys1"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(store.Read("Monitor0", "Disable"), "0");
    EXPECT_EQ(store.Read("Monitor0", "ExactMatch"), "0");
    EXPECT_EQ(store.Read("Monitor0", "SendKeysPause0"), "-1");
    EXPECT_EQ(store.Read("Monitor0", "SendKeysPause1"), "0");
    EXPECT_EQ(store.Read("Monitor0", "SendKeysPause2"), "7");
    EXPECT_EQ(store.Read("Monitor1", "Disable"), "-32768");
    EXPECT_EQ(store.Read("Monitor1", "ExactMatch"), "0");
    EXPECT_EQ(store.Read("Monitor1", "SendKeysPause0"), "0");
    EXPECT_EQ(store.Read("Monitor1", "SendKeysPause1"), "0");
    EXPECT_EQ(store.Read("Monitor1", "SendKeysPause2"), "0");
}

TEST_F(BadStore, ASectionThatRefusesWritesLosesNoMonitorWhenAnotherIsDeleted) {
    for (const char* name : {"A", "B", "C"}) {
        const std::string section = MonitorSection(name[0] - 'A');
        ASSERT_TRUE(store.Write(section, "Description", name));
        ASSERT_TRUE(store.Write(section, "Caption", std::string("caption ") + name));
    }
    ASSERT_TRUE(store.Write("General", "Strength", " 1 "));  // a save writes it back as "1"
    ReadOnlySection locked(store, "Monitor1");
    ASSERT_TRUE(locked.Applied());
    ASSERT_FALSE(store.Write("Monitor1", "Description", "probe"));  // the refusal is real
    ASSERT_EQ(store.Read("Monitor1", "Description"), "B");

    Start();  // the start-up save already meets the refusal
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(ListCount(main), 3);

    // Deleting A moves B down into Monitor0 and would move C into Monitor1, which refuses:
    // C must then stay in Monitor2, and B stays readable in its old place too.
    DeleteLine(main, 0);
    ASSERT_TRUE(WaitFor([&] { return store.Read("Monitor0", "Description") == "B"; }, 10000));
    ExitApplication(main);

    const std::vector<std::string> kept = StoredDescriptions(store);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "A"), 0);
    EXPECT_GE(std::count(kept.begin(), kept.end(), "B"), 1);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "C"), 1);
    EXPECT_EQ(store.Read("Monitor0", "Caption"), "caption B");
    EXPECT_EQ(store.Read("General", "Strength"), "1");  // the rest of the save went on
}

// Under a volatile key the system refuses to create a lasting one: a store whose application
// key is volatile can keep its existing sections but cannot gain "General". A save that
// deleted a section before writing into it again would lose that monitor for good here.
TEST_F(BadStore, ASectionThatCannotBeCreatedLeavesTheRestOfTheSaveWorking) {
    const std::wstring app = win32::Widen(kSettingsRoot) + L"\\" + copy.AppName();
    for (const std::wstring& path : {app, app + L"\\Monitor0", app + L"\\Monitor1"}) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(k);
    }
    ASSERT_TRUE(store.Write("Monitor0", "Description", "A"));
    ASSERT_TRUE(store.Write("Monitor1", "Description", "B"));
    ASSERT_FALSE(store.Write("General", "Strength", "3"));  // the refusal is real

    Start();
    HWND main = AwaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(ListCount(main), 2);
    DeleteLine(main, 0);
    ASSERT_TRUE(WaitFor([&] { return store.Read("Monitor0", "Description") == "B"; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return ListCount(main) == 1; }, 10000));
    ExitApplication(main);

    EXPECT_EQ(StoredDescriptions(store), std::vector<std::string>{"B"});
    EXPECT_EQ(store.Read("Monitor0", "WindowState"), "Restore");
    EXPECT_EQ(store.Read("General", "Strength"), std::nullopt);
}

}  // namespace
}  // namespace kvl
