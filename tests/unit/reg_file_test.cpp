#include "monitors/reg_file.h"

#include <gtest/gtest.h>

#include "fakes/memory_store.h"
#include "monitors/monitor_transfer.h"
#include "monitors/settings.h"

namespace kvl {
namespace {

using fakes::MemoryStore;

const std::string kRoot = SettingsKeyPath("KVL");
const std::string kParent(StoresParent(kRoot));

// A file as the editor saves it: UTF-16LE after its byte-order mark (ASCII text here).
std::string Utf16File(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (char c : text) out += {c, '\0'};
    return out;
}

Settings Loaded(MemoryStore& store) {
    Settings s;
    LoadSettings(store, s);
    return s;
}

// What an import of the file takes, as it reads it.
MonitorImport Import(std::string_view file, MonitorTable& table) {
    const RegRead read = ReadRegFile(file, kParent);
    EXPECT_EQ(read.refusal, "");
    return AppendMonitors(MonitorsInFile(read.keys, kRoot).monitors, table);
}

TEST(RegFile, ExportedStoreImportsIntoAnEmptyTableAsTheSameMonitors) {
    MemoryStore store;
    Settings saved;
    saved.Strength = 1;
    Monitor& a = saved.Monitors[0];
    a.Description = "Setup \"wizard\" C:\\Temp\\";
    a.Caption = "Licence — Übereinkunft 😀";
    a.ExactMatch = 1;
    a.WindowState = "";
    a.SendKeysPause = {0, 5, -1};
    a.SendKeys = {"%a{ENTER}", std::string(300, 'x'), "two\r\nlines"};
    Monitor& b = saved.Monitors[1];
    b.Description = "second";
    b.Disable = 1;
    b.WindowState = "Hide";
    SaveSettings(store, saved);
    store.sections["General"]["DebugMode"] = "2";

    const std::string file = ExportFile(kRoot, StoreKeys(store));
    const RegRead read = ReadRegFile(file, kRoot);
    ASSERT_EQ(read.refusal, "");
    EXPECT_EQ(read.keys, StoreKeys(store));

    MonitorTable table;
    const MonitorImport import = Import(file, table);
    EXPECT_EQ(import.found, 2);
    EXPECT_EQ(import.added, 2);
    EXPECT_EQ(import.leftOut, 0);
    EXPECT_EQ(table, Loaded(store).Monitors);
}

// What the registry editor writes, but for the deletion before each monitor: a file
// double-clicked onto a store replaces its monitors whole instead of leaving fields the file
// does not hold (the program, the caption pattern) as they were.
TEST(RegFile, ExportsWhatTheRegistryEditorWritesAndReplacesEachMonitorWhole) {
    MemoryStore store;
    store.sections["Monitor10"] = {{"Description", "ten"}};
    store.sections["Monitor2"] = {{"Description", "a \"b\" c:\\d"}};
    store.sections["General"] = {{"Strength", "3"}};
    const std::string file = ExportFile(kRoot, StoreKeys(store));
    EXPECT_EQ(
        file,
        Utf16File("Windows Registry Editor Version 5.00\r\n"
                  "\r\n"
                  "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL]\r\n"
                  "\r\n"
                  "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\General]\r\n"
                  "\"Strength\"=\"3\"\r\n"
                  "\r\n"
                  "[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor10]\r\n"
                  "\r\n"
                  "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor10]\r\n"
                  "\"Description\"=\"ten\"\r\n"
                  "\r\n"
                  "[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor2]\r\n"
                  "\r\n"
                  "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor2]\r\n"
                  "\"Description\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
                  "\r\n"));
    // Our own import reads past the deletions.
    EXPECT_EQ(ReadRegFile(file, kRoot).keys, StoreKeys(store));
}

// Comments, blank lines, continuation lines, the other value types, deletions, and names
// in another letter case: read by the editor's rules, and only REG_SZ taken.
TEST(RegFile, ReadsTheEditorsFormatAndTakesOnlyStrings) {
    const std::string file = Utf16File(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; the rules for our installers\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\kvl\\MONITOR0]\r\n"
        "@=\"default value\"\r\n"
        "\"description\"=\"Setup\"\r\n"
        "\"Caption\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,73,00,65,00,74,00,\\\r\n"
        "  75,00,70,00,00,00\r\n"
        "\"Disable\"=dword:00000001\r\n"
        "\"SendKeys0\"=hex(1):7b,00,45,00,4e,00,54,00,45,00,52,00,\\\r\n"
        "    7d,00,00,00\r\n"
        "\"WindowState\"=\"Hide\"\r\n"
        "\"WindowState\"=-\r\n"
        "\"Program\"=\"setup.exe\"\r\n"
        "\"SendKeys1\"=\"two\\nlines\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor1]\r\n"
        "\"Description\"=\"dropped below\"\r\n"
        "[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor1]\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor1\\Sub]\r\n"
        "\"Description\"=\"not a section of mine\"\r\n");
    const RegRead read = ReadRegFile(file, kRoot);
    ASSERT_EQ(read.refusal, "");
    ASSERT_EQ(read.keys.size(), 2u);
    EXPECT_EQ(read.keys[0].name, "MONITOR0");
    EXPECT_EQ(read.keys[0].values,
              (std::vector<std::pair<std::string, std::string>>{{"", "default value"},
                                                                {"description", "Setup"},
                                                                {"SendKeys0", "{ENTER}"},
                                                                {"Program", "setup.exe"},
                                                                {"SendKeys1", "two\nlines"}}));
    EXPECT_EQ(read.keys[1].name, "Monitor1\\Sub");

    MonitorTable table;
    EXPECT_EQ(Import(file, table).found, 1);
    const Monitor& m = table[0];
    EXPECT_EQ(m.Description, "Setup");
    EXPECT_EQ(m.Caption, "");             // hex(2) is not taken: the key's default
    EXPECT_EQ(m.Disable, 0);              // nor is a dword
    EXPECT_EQ(m.WindowState, "Restore");  // deleted again
    EXPECT_EQ(m.SendKeys[0], "{ENTER}");

    // The same file in 8 bits, as REGEDIT4 wrote it, with a letter of the ANSI code page.
    const std::string ansi =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\"
        "Monitor0]\r\n\"Description\"=\"Caf\xE9\"\r\n";
    const AnsiToUtf8 latin1 = [](std::string_view s) -> std::optional<std::string> {
        std::string out;
        for (char c : s) out += c == '\xE9' ? std::string("\xC3\xA9") : std::string(1, c);
        return out;
    };
    const RegRead read4 = ReadRegFile(ansi, kRoot, {}, latin1);
    ASSERT_EQ(read4.refusal, "");
    ASSERT_EQ(read4.keys.size(), 1u);
    EXPECT_EQ(read4.keys[0].values[0].second, "Caf\xC3\xA9");
    EXPECT_NE(ReadRegFile(ansi, kRoot).refusal, "");  // no code page to read it by
}

TEST(RegFile, TakesNothingFromOtherHivesOrOtherProgramsKeys) {
    const std::string file = Utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Description\"=\"machine\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVLX\\Monitor0]\r\n"
        "\"Description\"=\"a name that starts like mine\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings]\r\n"
        "\"Description\"=\"the parent\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
        "\"KVL\"=\"evil.exe\"\r\n");
    const RegRead read = ReadRegFile(file, kRoot);
    EXPECT_EQ(read.refusal, "");
    EXPECT_TRUE(read.keys.empty());

    // A deletion of a key above ours wipes what the file gave us before it, and no more.
    const std::string wiped = Utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Description\"=\"gone\"\r\n"
        "[-HKEY_CURRENT_USER\\Software]\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Caption\"=\"kept\"\r\n");
    const RegRead after = ReadRegFile(wiped, kRoot);
    ASSERT_EQ(after.keys.size(), 1u);
    EXPECT_EQ(after.keys[0].values,
              (std::vector<std::pair<std::string, std::string>>{{"Caption", "kept"}}));
}

TEST(RegFile, RefusesABrokenFileWhole) {
    const std::string good = Utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Description\"=\"fine\"\r\n"
        "\"SendKeys0\"=hex(1):41,00,\\\r\n"
        "  42,00\r\n");
    ASSERT_EQ(ReadRegFile(good, kRoot).refusal, "");

    const std::string lone =
        good.substr(0, good.size() - 2) + std::string("\x00\xD8", 2);  // half a pair
    const std::string escape = Utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Description\"=\"fine\"\r\n"
        "\"Caption\"=\"C:\\Temp\"\r\n");
    const std::string hugeLine = Utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
        "\"Description\"=\"" +
        std::string(70000, 'x') + "\"\r\n");
    RegReadLimits small;
    small.lineBytes = 65536;
    struct Case {
        const char* what;
        std::string bytes;
    };
    for (const Case& c :
         {Case{"cut off in the middle of a character", good.substr(0, good.size() - 1)},
          Case{"half a surrogate pair", lone},
          Case{"cut off in the middle of a hex value", good.substr(0, good.size() - 18)},
          Case{"a backslash that is no escape", escape},
          Case{"UTF-16 without its byte-order mark", good.substr(2)}}) {
        const RegRead read = ReadRegFile(c.bytes, kRoot);
        EXPECT_EQ(read.refusal.rfind("I can't read that file: ", 0), 0u) << c.what;
        EXPECT_TRUE(read.keys.empty()) << c.what;
    }
    EXPECT_NE(ReadRegFile(hugeLine, kRoot, small).refusal, "");
    EXPECT_EQ(ReadRegFile(hugeLine, kRoot).refusal, "");

    // Elsewhere a line that long is read past with its key, which is never taken.
    std::string elsewhere = "[HKEY_CURRENT_USER\\Software\\Paint\\Recent]\r\n\"Picture\"=\"" +
                            std::string(70000, 'x') + "\"\r\n\"Thumbnail\"=hex:";
    for (int k = 0; k < 30000; ++k) elsewhere += "00,";
    const std::string hugeElsewhere =
        Utf16File("Windows Registry Editor Version 5.00\r\n\r\n" + elsewhere +
                  "\\\r\n  00\r\n"
                  "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KVL\\Monitor0]\r\n"
                  "\"Description\"=\"fine\"\r\n");
    const RegRead past = ReadRegFile(hugeElsewhere, kRoot, small);
    EXPECT_EQ(past.refusal, "");
    EXPECT_EQ(past.keys, (RegKeys{{"Monitor0", {{"Description", "fine"}}}}));
}

TEST(RegFile, ImportAppendsUpToFiftyAndLeavesNoOldMonitorBehindTheNewEnd) {
    MemoryStore store;
    for (int s = 0; s < 3; ++s) store.sections[MonitorSection(s)] = {{"Description", "new"}};

    const std::vector<Monitor> monitors =
        MonitorsInFile(ReadRegFile(ExportFile(kRoot, StoreKeys(store)), kParent).keys, kRoot)
            .monitors;

    MonitorTable table;
    table[0].Description = "mine";
    table[4].Description = "left over past the end";
    MonitorImport import = AppendMonitors(monitors, table);
    EXPECT_EQ(import.added, 3);
    EXPECT_EQ(MonitorCount(table), 4);
    EXPECT_EQ(table[4], Monitor{});

    for (int s = 0; s < 48; ++s) table[static_cast<std::size_t>(s)].Description = "old";
    table[48] = Monitor{};
    import = AppendMonitors(monitors, table);
    EXPECT_EQ(import.found, 3);
    EXPECT_EQ(import.added, 2);
    EXPECT_EQ(import.leftOut, 1);
    EXPECT_EQ(MonitorCount(table), 50);
}

}  // namespace
}  // namespace kvl
