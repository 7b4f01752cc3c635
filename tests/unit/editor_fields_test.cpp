#include "editor/editor_fields.h"

#include <gtest/gtest.h>

#include "fakes/memory_store.h"
#include "monitors/settings.h"

namespace kvl {
namespace {

Monitor Make(std::string description, std::string caption) {
    Monitor m;
    m.Description = std::move(description);
    m.Caption = std::move(caption);
    m.WindowState = "Minimize";
    m.ExactMatch = 1;
    m.SendKeysPause = {1, 7, 60};
    m.SendKeys = {"abc", "{ENTER}", "{CNTL}s"};
    return m;
}

TEST(ParsePauseSeconds, TakesWholeSecondsFromZeroTo32767) {
    EXPECT_EQ(ParsePauseSeconds("0"), 0);
    EXPECT_EQ(ParsePauseSeconds("60"), 60);
    EXPECT_EQ(ParsePauseSeconds("32767"), 32767);
    EXPECT_EQ(ParsePauseSeconds(" 7\t"), 7);
    EXPECT_EQ(ParsePauseSeconds("007"), 7);
    EXPECT_EQ(ParsePauseSeconds("5.0"), 5);
    EXPECT_EQ(ParsePauseSeconds("5."), 5);
}

TEST(ParsePauseSeconds, RefusesEverythingElse) {
    for (const char* text : {"2.5", ".5", "0.5", "5.01", "x", "", " ", "32768", "-1", "-0", "+3",
                             "1e3", "3 4", "0x10", "99999999999999999999", ".", "5..0"})
        EXPECT_FALSE(ParsePauseSeconds(text).has_value()) << '"' << text << '"';
}

TEST(ParsePauseSeconds, TakesEveryEntryOfThePauseList) {
    for (std::string_view choice : kPauseChoices)
        EXPECT_TRUE(ParsePauseSeconds(choice).has_value()) << choice;
}

TEST(StoreFields, NewMonitorTakesTheFirstFreeSlotAndKeepsIt) {
    MonitorTable table;
    table[0] = Make("first", "One");
    int recIndex = -1;
    EditorFields f = NewMonitorFields();
    f.Name = "";
    f.Caption = "Untitled - Notepad";
    f.WindowState = "Maximize";
    f.SendKeysPause[0] = "60";

    StoreResult r = StoreFields(f, recIndex, table);
    ASSERT_EQ(r.outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(r.slot, 1);
    EXPECT_EQ(recIndex, 1);
    EXPECT_EQ(f.Name, "(Monitor1)");  // the dialog shows the name it stored
    EXPECT_EQ(table[1].Description, "(Monitor1)");
    EXPECT_EQ(table[1].Caption, "Untitled - Notepad");
    EXPECT_EQ(table[1].WindowState, "Maximize");
    EXPECT_EQ(table[1].SendKeysPause[0], 60);

    // Apply again: the same slot, not a second monitor.
    f.Caption = "Changed";
    r = StoreFields(f, recIndex, table);
    EXPECT_EQ(r.slot, 1);
    EXPECT_EQ(MonitorCount(table), 2);
    EXPECT_EQ(table[1].Caption, "Changed");
}

TEST(StoreFields, AnUntouchedNewMonitorIsStoredAsOpened) {
    MonitorTable table;
    int recIndex = -1;
    EditorFields f = NewMonitorFields();
    ASSERT_EQ(StoreFields(f, recIndex, table).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[0].Description, "(New Monitor)");
    EXPECT_EQ(table[0].WindowState, "(None)");
    EXPECT_EQ(table[0].Caption, "");
    EXPECT_EQ(table[0].SendKeysPause, (std::array<std::int16_t, 3>{0, 0, 0}));
}

TEST(StoreFields, ShowingAMonitorAndStoringItChangesNothing) {
    MonitorTable table;
    table[0] = Make("a", "A");
    table[1] = Make("b", "B");
    table[1].Disable = 1;
    table[1].ExactMatch = 2;
    table[1].Caption = "^Save (changes|work)\\?$";
    table[1].CaptionPattern = 1;
    table[1].Program = "notepad.exe";
    table[1].WindowClass = "#32770";
    const Monitor before = table[1];
    int recIndex = 1;
    EditorFields f = FieldsOfMonitor(table[1], 1);
    ASSERT_EQ(StoreFields(f, recIndex, table).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[1], before);
}

TEST(StoreFields, HiddenStepsGoBackAsTheyCameEvenWithAPauseTheUserCouldNotType) {
    MonitorTable table;
    table[0] = Make("a", "A");
    table[0].SendKeysPause = {2, -5, 30000};
    const Monitor before = table[0];
    int recIndex = 0;
    EditorFields f = FieldsOfMonitor(table[0], 0);
    ASSERT_EQ(StoreFields(f, recIndex, table, 1).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[0], before);

    // A visible pause of the same kind must be mended first.
    f.SendKeysPause[0] = "-5";
    const StoreResult r = StoreFields(f, recIndex, table, 1);
    EXPECT_EQ(r.outcome, StoreResult::Outcome::BadPause);
    EXPECT_EQ(r.badPause, 0);
}

TEST(StoreFields, RefusalsStoreNothing) {
    MonitorTable table;
    table[0] = Make("a", "A");
    const MonitorTable before = table;

    int recIndex = -1;
    EditorFields f = NewMonitorFields();
    f.SendKeysPause[2] = "2.5";
    StoreResult r = StoreFields(f, recIndex, table);
    EXPECT_EQ(r.outcome, StoreResult::Outcome::BadPause);
    EXPECT_EQ(r.badPause, 2);
    EXPECT_EQ(recIndex, -1);
    EXPECT_EQ(table, before);

    f.SendKeysPause = {"x", "", "32768"};
    r = StoreFields(f, recIndex, table);
    EXPECT_EQ(r.badPause, 0);  // the first bad box gets the focus
    EXPECT_EQ(table, before);

    // A caption meant as a pattern must compile; the same text as a plain caption may stand.
    f = NewMonitorFields();
    f.Caption = "Save (changes";
    f.CaptionPattern = 1;
    r = StoreFields(f, recIndex, table);
    EXPECT_EQ(r.outcome, StoreResult::Outcome::BadPattern);
    EXPECT_EQ(BadPatternMessage(r.patternProblem),
              "I can't read that caption pattern: its parentheses do not pair up.");
    EXPECT_EQ(table, before);
    f.CaptionPattern = 0;
    f.Program = "  setup.exe ";
    ASSERT_EQ(StoreFields(f, recIndex, table).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[1].Program, "setup.exe");
}

TEST(StoreFields, AFiftyFirstMonitorIsRefusedButTheFiftyStayEditable) {
    MonitorTable table;
    for (int i = 0; i < kStoredSlots; ++i) table[i] = Make("m" + std::to_string(i), "c");
    const MonitorTable before = table;

    int recIndex = -1;
    EditorFields f = NewMonitorFields();
    EXPECT_EQ(StoreFields(f, recIndex, table).outcome, StoreResult::Outcome::TableFull);
    EXPECT_EQ(recIndex, -1);
    EXPECT_EQ(table, before);
    EXPECT_TRUE(table[50].Description.empty());

    recIndex = 49;
    f = FieldsOfMonitor(table[49], 49);
    f.Caption = "changed";
    ASSERT_EQ(StoreFields(f, recIndex, table).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[49].Caption, "changed");
}

TEST(StoreFields, ASlotPastTheEndOfTheTableBecomesTheFirstFree) {
    MonitorTable table;
    table[0] = Make("a", "A");
    int recIndex = 7;  // would leave a gap, and the save would drop it
    EditorFields f = NewMonitorFields();
    const StoreResult r = StoreFields(f, recIndex, table);
    EXPECT_EQ(r.slot, 1);
    EXPECT_EQ(recIndex, 1);
    EXPECT_TRUE(table[7].Description.empty());
}

TEST(StoreFields, KeepsTheDeletedMarkOfItsSlot) {
    MonitorTable table;
    table[0] = Make("a", "A");
    table[0].Deleted = -1;
    int recIndex = 0;
    EditorFields f = FieldsOfMonitor(table[0], 0);
    StoreFields(f, recIndex, table);
    EXPECT_EQ(table[0].Deleted, -1);
}

TEST(FieldsOfMonitor, NamesAMonitorWithoutDescriptionBySlot) {
    Monitor m = Make("", "x");
    m.SendKeysPause = {0, -3, 5};
    const EditorFields f = FieldsOfMonitor(m, 7);
    EXPECT_EQ(f.Name, "(Monitor7)");
    EXPECT_EQ(f.SendKeysPause, (std::array<std::string, 3>{"0", "-3", "5"}));
    EXPECT_EQ(f.ExactMatch, 1);
}

TEST(SlotAfterDeletion, FollowsTheMonitorWhenTheTableClosesUp) {
    EXPECT_EQ(SlotAfterDeletion(5, 2), 4);
    EXPECT_EQ(SlotAfterDeletion(2, 5), 2);
    EXPECT_EQ(SlotAfterDeletion(3, 3), -1);  // its own monitor is gone
    EXPECT_EQ(SlotAfterDeletion(-1, 0), -1);
    EXPECT_EQ(SlotAfterDeletion(0, 0), -1);
    EXPECT_EQ(SlotAfterDeletion(49, 0), 48);
}

// The whole round as the main window runs it: delete, save, reload; the editor's slot must
// still hold the monitor it was showing.
TEST(SlotAfterDeletion, AgreesWithTheSaveAndReloadOfTheTable) {
    fakes::MemoryStore store;
    for (int deleted = 0; deleted < 4; ++deleted) {
        for (int edited = 0; edited < 4; ++edited) {
            store.sections.clear();
            Settings s;
            for (int i = 0; i < 4; ++i)
                s.Monitors[i] = Make("m" + std::to_string(i), "c" + std::to_string(i));
            SaveSettings(store, s);

            s.Monitors[deleted].Deleted = -1;
            SaveSettings(store, s);
            ClearTable(s.Monitors);
            LoadSettings(store, s);

            const int slot = SlotAfterDeletion(edited, deleted);
            if (edited == deleted) {
                EXPECT_EQ(slot, -1);
            } else {
                ASSERT_GE(slot, 0);
                EXPECT_EQ(s.Monitors[slot].Description, "m" + std::to_string(edited))
                    << "edited " << edited << " deleted " << deleted;
            }
        }
    }
}

TEST(CaptionListKeeps, LeavesOutUntitledWindowsTheMainWindowAndTheEditor) {
    EXPECT_TRUE(CaptionListKeeps("Untitled - Notepad"));
    EXPECT_FALSE(CaptionListKeeps(""));
    EXPECT_FALSE(CaptionListKeeps("Korvel 3.0"));
    EXPECT_FALSE(CaptionListKeeps("Monitor Editor"));
    // Compared exactly: near misses stay.
    EXPECT_TRUE(CaptionListKeeps("monitor editor"));
    EXPECT_TRUE(CaptionListKeeps("Korvel 3.0 "));
    EXPECT_TRUE(CaptionListKeeps(" "));
}

}  // namespace
}  // namespace kvl
