#include <gtest/gtest.h>

#include "fakes/memory_store.h"
#include "monitors/settings.h"

namespace kvl {
namespace {

using fakes::MemoryStore;

Monitor Make(std::string description, std::string caption = "cap") {
    Monitor m;
    m.Description = std::move(description);
    m.Caption = std::move(caption);
    m.WindowState = "Maximize";
    m.ExactMatch = 1;
    m.SendKeysPause = {1, 2, 3};
    m.SendKeys = {"a", "{ENTER}", "^s"};
    return m;
}

// The section a save leaves for this monitor.
MemoryStore::Section Stored(const Monitor& m) {
    MemoryStore::Section section;
    for (const MonitorField& field : MonitorFields())
        if (IsWritten(field, m)) section[std::string(field.key)] = StoredText(field, m);
    return section;
}

Settings Load(MemoryStore& store) {
    Settings s;
    LoadSettings(store, s);
    return s;
}

TEST(LoadSettings, EmptyStoreGivesEmptyTableDefaultStrengthAndDebugLevel) {
    MemoryStore store;
    Settings s;
    s.Strength = 0;
    LoadSettings(store, s);
    EXPECT_EQ(MonitorCount(s.Monitors), 0);
    EXPECT_EQ(s.Strength, 3);
    EXPECT_EQ(s.DebugMode, 0);

    SaveSettings(store, s);
    ASSERT_EQ(store.sections.size(), 1u);
    EXPECT_EQ(store.sections["General"], (MemoryStore::Section{{"Strength", "3"}}));
}

TEST(LoadSettings, DefaultsApplyOnlyToMissingKeys) {
    MemoryStore store;
    store.sections["Monitor0"] = {{"Description", "only a name"}};
    store.sections["Monitor1"] = {{"Description", "   "}, {"WindowState", ""}, {"Disable", "1"}};
    store.sections["General"] = {{"DebugMode", "2"}, {"Strength", "4"}};
    Settings s;
    LoadSettings(store, s);
    ASSERT_EQ(MonitorCount(s.Monitors), 2);  // blanks are a real description
    EXPECT_EQ(s.Monitors[0].WindowState, "Restore");
    EXPECT_EQ(s.Monitors[0].Disable, 0);
    EXPECT_EQ(s.Monitors[0].ExactMatch, 0);
    EXPECT_EQ(s.Monitors[1].WindowState, "");
    EXPECT_EQ(s.Monitors[1].Disable, 1);
    EXPECT_EQ(s.Strength, 4);
    EXPECT_EQ(s.DebugMode, 2);
}

TEST(LoadSettings, UnreadableNumbersFallBackToTheKeysDefault) {
    MemoryStore store;
    store.sections["General"] = {{"Strength", "6"}, {"DebugMode", "lots"}};
    store.sections["Monitor0"] = {{"Description", "m"},        {"Disable", "yes"},
                                  {"ExactMatch", "40000"},     {"SendKeysPause0", "2.5"},
                                  {"SendKeysPause1", " -7 "},  {"SendKeysPause2", "-32768"}};
    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.Strength, 3);
    EXPECT_EQ(s.DebugMode, 0);
    EXPECT_EQ(s.Monitors[0].Disable, 0);
    EXPECT_EQ(s.Monitors[0].ExactMatch, 0);
    EXPECT_EQ(s.Monitors[0].SendKeysPause, (std::array<std::int16_t, 3>{0, -7, -32768}));

    store.sections["General"]["Strength"] = "-1";
    EXPECT_EQ(Load(store).Strength, 3);
}

// What earlier releases wrote must come back from a save exactly as it was: the eleven keys
// of each monitor, spelt out here as those releases spelt them.
TEST(SaveSettings, AStoreOfEarlierReleasesIsWrittenBackAsItWas) {
    MemoryStore store;
    store.sections["General"] = {{"Strength", "2"}};
    const MemoryStore::Section older = {
        {"Description", "Licence"},   {"Disable", "1"},           {"Caption", "License Agreement"},
        {"ExactMatch", "0"},          {"WindowState", "(None)"},  {"SendKeysPause0", "2"},
        {"SendKeysPause1", "0"},      {"SendKeysPause2", "0"},    {"SendKeys0", "%a{ENTER}"},
        {"SendKeys1", ""},            {"SendKeys2", ""}};
    store.sections["Monitor0"] = older;
    store.sections["Monitor1"] = older;
    store.sections["Monitor1"]["Description"] = "Second";
    const auto before = store.sections;
    SaveSettings(store, Load(store));
    EXPECT_EQ(store.sections, before);
}

TEST(SaveSettings, TheWhichWindowValuesAreStoredOnlyWhileSet) {
    MemoryStore store;
    Settings s;
    s.Monitors[0] = Make("Save changes of one program", "Save changes?");
    s.Monitors[0].Program = "notepad.exe";
    s.Monitors[0].WindowClass = "#32770";
    s.Monitors[0].CaptionPattern = 1;
    s.Monitors[1] = Make("plain");
    SaveSettings(store, s);
    EXPECT_EQ(store.sections["Monitor0"]["Program"], "notepad.exe");
    EXPECT_EQ(store.sections["Monitor0"]["WindowClass"], "#32770");
    EXPECT_EQ(store.sections["Monitor0"]["CaptionPattern"], "1");
    EXPECT_EQ(store.sections["Monitor1"].size(), 11u);
    EXPECT_EQ(Load(store).Monitors[0], s.Monitors[0]);

    // Cleared again, each goes from the store; otherwise the next load would bring it back.
    s.Monitors[0].Program.clear();
    s.Monitors[0].CaptionPattern = 0;
    SaveSettings(store, s);
    EXPECT_FALSE(store.sections["Monitor0"].contains("Program"));
    EXPECT_FALSE(store.sections["Monitor0"].contains("CaptionPattern"));
    EXPECT_EQ(Load(store).Monitors[0], s.Monitors[0]);
}

TEST(ParseStoredInteger, TakesSixteenBitDecimalsOnly) {
    EXPECT_EQ(ParseStoredInteger("32767"), 32767);
    EXPECT_EQ(ParseStoredInteger("+5"), 5);
    EXPECT_EQ(ParseStoredInteger("-32768"), -32768);
    EXPECT_EQ(ParseStoredInteger("32768"), std::nullopt);
    EXPECT_EQ(ParseStoredInteger("-32769"), std::nullopt);
    EXPECT_EQ(ParseStoredInteger("99999999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseStoredInteger(""), std::nullopt);
    EXPECT_EQ(ParseStoredInteger("-"), std::nullopt);
    EXPECT_EQ(ParseStoredInteger("1e3"), std::nullopt);
    EXPECT_EQ(ParseStoredInteger("0x10"), std::nullopt);
}

TEST(LoadSettings, StopsAtTheFirstMissingSectionAndLeavesLaterSlotsAlone) {
    MemoryStore store;
    store.sections["Monitor0"] = Stored(Make("A"));
    store.sections["Monitor2"] = Stored(Make("C"));
    Settings s;
    s.Monitors[2] = Make("left over");
    s.Monitors[1].Caption = "kept";
    LoadSettings(store, s);
    EXPECT_EQ(s.Monitors[0], Make("A"));
    EXPECT_EQ(s.Monitors[1].Description, "");
    EXPECT_EQ(s.Monitors[1].Caption, "kept");  // the end marker's other fields stay
    EXPECT_EQ(s.Monitors[2].Description, "left over");
}

TEST(SaveSettings, ClosesTheGapOfADeletedMonitor) {
    MemoryStore store;
    Settings s;
    s.Monitors[0] = Make("A");
    s.Monitors[1] = Make("B");
    s.Monitors[2] = Make("C");
    SaveSettings(store, s);
    store.sections["Monitor3"] = Stored(Make("stale end marker"));
    store.sections["Monitor3"]["Description"] = "";
    store.sections["Monitor4"] = Stored(Make("beyond the end"));

    s.Monitors[1].Deleted = -1;
    SaveSettings(store, s);
    EXPECT_EQ(store.sections["Monitor0"], Stored(Make("A")));
    EXPECT_EQ(store.sections["Monitor1"], Stored(Make("C")));
    EXPECT_FALSE(store.sections.contains("Monitor2"));
    EXPECT_FALSE(store.sections.contains("Monitor3"));
    EXPECT_EQ(store.sections["Monitor4"], Stored(Make("beyond the end")));

    // The refresh cycle: clear and load closes the gap in memory too.
    ClearTable(s.Monitors);
    LoadSettings(store, s);
    EXPECT_EQ(MonitorCount(s.Monitors), 2);
    EXPECT_EQ(s.Monitors[1], Make("C"));
}

TEST(SaveSettings, AGapInTheStoreIsLeftUntilTheNumberingReachesIt) {
    MemoryStore store;
    store.sections["Monitor0"] = Stored(Make("A"));
    store.sections["Monitor2"] = Stored(Make("C"));
    Settings s = Load(store);
    SaveSettings(store, s);
    EXPECT_EQ(store.sections["Monitor2"], Stored(Make("C")));

    s.Monitors[FirstFreeMonitorSlot(s.Monitors)] = Make("B");
    SaveSettings(store, s);
    Settings again = Load(store);
    ASSERT_EQ(MonitorCount(again.Monitors), 3);
    EXPECT_EQ(again.Monitors[2], Make("C"));
}

TEST(SaveSettings, DeletedOnlyMonitorLeavesAnEmptyList) {
    MemoryStore store;
    store.sections["Monitor0"] = Stored(Make("A"));
    store.sections["Monitor1"] = {{"Description", ""}};
    Settings s = Load(store);
    s.Monitors[0].Deleted = -1;
    SaveSettings(store, s);
    EXPECT_FALSE(store.sections.contains("Monitor0"));
    EXPECT_FALSE(store.sections.contains("Monitor1"));
}

TEST(SaveSettings, FiftyMonitorsFillTheTableAndTheSpareSlotIsNeverStored) {
    MemoryStore store;
    Settings s;
    for (int i = 0; i < kTableSlots; ++i) s.Monitors[i] = Make("m" + std::to_string(i));
    EXPECT_EQ(MonitorCount(s.Monitors), 50);
    EXPECT_EQ(FirstFreeMonitorSlot(s.Monitors), 50);
    SaveSettings(store, s);
    EXPECT_TRUE(store.sections.contains("Monitor49"));
    EXPECT_FALSE(store.sections.contains("Monitor50"));
    Settings again = Load(store);
    EXPECT_EQ(MonitorCount(again.Monitors), 50);
    EXPECT_EQ(again.Monitors[50].Description, "");
}

TEST(SaveSettings, UnicodeTextRoundTrips) {
    MemoryStore store;
    Settings s;
    s.Monitors[0] = Make("Übersicht – 日本語", "Доступ запрещён");
    s.Monitors[0].SendKeys[0] = "é{ENTER}";
    SaveSettings(store, s);
    EXPECT_EQ(Load(store).Monitors[0], s.Monitors[0]);
}

// A save cut short at any step, by one failing write or by a crash after which nothing
// more reaches the store, must leave every kept monitor loadable.
class SaveInterrupted : public ::testing::TestWithParam<bool> {};

TEST_P(SaveInterrupted, NeverLosesAMonitorThatWasStored) {
    const bool crash = GetParam();
    Settings original;
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    for (int i = 0; i < 6; ++i) original.Monitors[i] = Make(names[i], "caption " + std::string(names[i]));
    // The deleted ones hold values that the monitors moving into their sections do not: a
    // save that cannot remove them must not pass them on.
    original.Monitors[1].Program = "setup.exe";
    original.Monitors[3].WindowClass = "#32770";
    original.Monitors[3].CaptionPattern = 1;
    MemoryStore pristine;
    SaveSettings(pristine, original);

    Settings edited = original;
    edited.Monitors[1].Deleted = -1;  // B
    edited.Monitors[3].Deleted = -1;  // D
    const std::vector<std::string> kept = {"A", "C", "E", "F"};

    MemoryStore clean = pristine;
    SaveSettings(clean, edited);
    const int total = clean.steps;
    ASSERT_GT(total, 20);

    for (int k = 0; k < total; ++k) {
        MemoryStore store = pristine;
        store.failAt = k;
        store.failFrom = crash;
        SaveSettings(store, edited);
        Settings loaded = Load(store);
        for (const std::string& name : kept) {
            const Monitor& wanted = original.Monitors[name[0] - 'A'];
            bool found = false;
            for (int i = 0; i < MonitorCount(loaded.Monitors); ++i)
                found = found || loaded.Monitors[i] == wanted;
            EXPECT_TRUE(found) << name << " lost when step " << k << " failed";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FailingStepOrCrash, SaveInterrupted, ::testing::Bool());

TEST(SaveSettings, UninterruptedSaveGivesExactlyTheKeptMonitorsInOrder) {
    MemoryStore store;
    Settings s;
    for (int i = 0; i < 6; ++i) s.Monitors[i] = Make(std::string(1, char('A' + i)));
    SaveSettings(store, s);
    s.Monitors[1].Deleted = -1;
    s.Monitors[3].Deleted = -1;
    // Keys an older release left behind: in a section rewritten in place, and in one that
    // receives another monitor.
    store.sections["Monitor0"]["Obsolete"] = "x";
    store.sections["Monitor2"]["Obsolete"] = "y";
    SaveSettings(store, s);
    MemoryStore expected;
    expected.sections["General"] = {{"Strength", "3"}};
    int j = 0;
    for (char c : std::string("ACEF")) expected.sections[MonitorSection(j++)] = Stored(Make(std::string(1, c)));
    EXPECT_EQ(store.sections, expected.sections);
}

}  // namespace
}  // namespace kvl
