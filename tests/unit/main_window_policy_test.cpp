#include <gtest/gtest.h>

#include "app/activity.h"
#include "app/main_window_policy.h"
#include "app/monitor_files.h"
#include "cmdline/command_line.h"
#include "fakes/fake_files.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_watcher.h"
#include "fakes/memory_store.h"

namespace kvl {
namespace {

class MainWindowPolicyTest : public ::testing::Test {
protected:
    void Store(int slot, const std::string& description) {
        const std::string section = MonitorSection(slot);
        store.Write(section, "Description", description);
        store.Write(section, "Caption", "caption of " + description);
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& w : watcher.watches) captions.push_back(w.caption);
        return captions;
    }

    fakes::MemoryStore store;
    fakes::FakeWatcher watcher;
};

// The level is 0 while the switch is on and while the editor is open, whatever the main
// window does meanwhile, its Apply included; only its closing gives it back. Both stop what
// was reported before, too, and so does a deletion for its own monitor.
TEST_F(MainWindowPolicyTest, TheLevelFollowsTheSwitchAndTheEditorThroughEveryCommand) {
    store.Write("General", "Strength", "1");  // "Strong": level 2
    Store(0, "A");
    Store(1, "B");
    MainWindowPolicy policy(store, watcher, false);
    std::vector<ActionResult> stops;
    std::vector<int> deleted;
    policy.onMonitoringStopped = [&](ActionResult why) { stops.push_back(why); };
    policy.onMonitorDeleted = [&](int slot) { deleted.push_back(slot); };
    policy.Start();
    EXPECT_EQ(watcher.level, 2);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"caption of A", "caption of B"}));

    EXPECT_TRUE(stops.empty());
    policy.PauseWatching();  // the editor opens
    EXPECT_EQ(watcher.level, 0);
    policy.SetMonitoringDisabled(true);
    policy.SetMonitoringDisabled(false);
    EXPECT_EQ(stops, (std::vector<ActionResult>{ActionResult::StoppedEditing,
                                                ActionResult::StoppedMonitoringOff}));
    EXPECT_EQ(watcher.level, 0);
    policy.Accept();  // the main window's OK
    EXPECT_EQ(watcher.level, 0);
    policy.DeleteMonitor(0);
    EXPECT_EQ(deleted, std::vector<int>{0});
    EXPECT_EQ(watcher.level, 0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"caption of B"}));

    policy.RegisterWatches();  // the editor's Apply: still open, still paused
    EXPECT_EQ(watcher.level, 0);
    policy.SetMonitoringDisabled(true);
    EXPECT_EQ(watcher.level, 0);
    policy.RegisterWatches();
    EXPECT_EQ(watcher.level, 0);
    policy.ResumeWatching();  // the editor closes, the switch still on
    EXPECT_EQ(watcher.level, 0);
    policy.Accept();
    EXPECT_EQ(watcher.level, 0);
    policy.SetMonitoringDisabled(false);
    EXPECT_EQ(watcher.level, 2);
    EXPECT_FALSE(policy.EditorOpen());
}

// A deletion closes up the table, the store and the watches at once, and redraws the list; a
// deletion with nothing selected only saves and reads the table again.
TEST_F(MainWindowPolicyTest, DeletingClosesUpTableStoreAndWatches) {
    Store(0, "A");
    Store(1, "B");
    Store(2, "C");
    MainWindowPolicy policy(store, watcher, false);
    int redraws = 0;
    policy.onTableChanged = [&] { ++redraws; };
    policy.Start();

    policy.DeleteMonitor(1);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(MonitorCount(policy.CurrentSettings().Monitors), 2);
    EXPECT_EQ(store.Read("Monitor1", "Description"), "C");
    EXPECT_FALSE(store.Read("Monitor2", "Description"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"caption of A", "caption of C"}));

    policy.DeleteMonitor(-1);
    policy.DeleteMonitor(kTableSlots);
    EXPECT_EQ(redraws, 3);
    EXPECT_EQ(MonitorCount(policy.CurrentSettings().Monitors), 2);
}

// A command-line run neither registers the stored monitors nor writes the store, however it
// ends; a resident run saves at its end.
TEST_F(MainWindowPolicyTest, OnlyAResidentRunRegistersTheMonitorsAndSavesAtTheEnd) {
    Store(0, "A");
    {
        MainWindowPolicy commandLine(store, watcher, true);
        commandLine.Start();
        EXPECT_EQ(watcher.clears, 0);
        commandLine.CurrentSettings().Monitors[0].Description = "renamed";
        EXPECT_EQ(commandLine.Exit(), kExitTimedOut);
        EXPECT_EQ(store.Read("Monitor0", "Description"), "A");
        EXPECT_FALSE(store.Read("General", "Strength"));
    }
    MainWindowPolicy resident(store, watcher, false);
    resident.Start();
    EXPECT_EQ(watcher.clears, 1);
    resident.CurrentSettings().Monitors[0].Description = "renamed";
    EXPECT_EQ(resident.Exit(), kExitActed);
    EXPECT_EQ(store.Read("Monitor0", "Description"), "renamed");
}

// What one copy exports, another imports after its own monitors, saved and watched, even
// when the two run under different names (each keeps its store under its own); a file it
// cannot read changes nothing.
TEST_F(MainWindowPolicyTest, ExportedMonitorsImportAfterOursAndABadFileChangesNothing) {
    Store(0, "A");
    Store(1, "B");
    MainWindowPolicy from(store, watcher, false);
    from.Start();
    fakes::FakeFiles files;
    files.chosen = "C:\\backup.reg";
    EXPECT_EQ(ExportMonitors(store, files), "");
    ASSERT_TRUE(files.files.count("C:\\backup.reg"));

    fakes::MemoryStore other;
    other.appName = "KVL (2)";
    other.Write("Monitor0", "Description", "mine");
    fakes::FakeWatcher otherWatcher;
    MainWindowPolicy to(other, otherWatcher, false);
    to.Start();
    EXPECT_EQ(ImportMonitors(to, other, files),
              "I added 2 monitors from HKEY_CURRENT_USER\\Software\\VB and VBA Program "
              "Settings\\KVL.");
    EXPECT_EQ(other.Read("Monitor1", "Description"), "A");
    EXPECT_EQ(other.Read("Monitor2", "Caption"), "caption of B");
    EXPECT_EQ(otherWatcher.watches.size(), 3u);

    files.files["C:\\backup.reg"].resize(files.files["C:\\backup.reg"].size() - 1);  // cut short
    const auto before = other.sections;
    EXPECT_TRUE(ImportMonitors(to, other, files).starts_with("I can't read that file"));
    EXPECT_EQ(other.sections, before);
    EXPECT_EQ(MonitorCount(to.CurrentSettings().Monitors), 3);

    files.readOnly.insert("C:\\backup.reg");
    EXPECT_EQ(ExportMonitors(store, files),
              "I couldn't write your monitors to C:\\backup.reg: the file is read-only.");

    files.chosen.reset();  // cancelled
    EXPECT_EQ(ImportMonitors(to, other, files), "");
    EXPECT_EQ(ExportMonitors(store, files), "");
}

// An import checks each caption pattern as the editor does: a monitor whose pattern the
// editor would refuse is named and left out, not kept as one that never matches.
TEST_F(MainWindowPolicyTest, ImportLeavesOutAMonitorWhosePatternTheEditorRefuses) {
    Store(0, "A");
    Store(1, "B");
    store.Write("Monitor1", "CaptionPattern", "1");
    store.Write("Monitor1", "Caption", "(Setup");
    Store(2, "C");
    store.Write("Monitor2", "CaptionPattern", "1");
    store.Write("Monitor2", "Caption", "^Setup( Wizard)?$");
    fakes::FakeFiles files;
    files.chosen = "C:\\backup.reg";
    ASSERT_EQ(ExportMonitors(store, files), "");

    fakes::MemoryStore other;
    fakes::FakeWatcher otherWatcher;
    MainWindowPolicy to(other, otherWatcher, false);
    to.Start();
    const std::string message = ImportMonitors(to, other, files);
    EXPECT_TRUE(message.starts_with("I added 2 monitors. I left out Monitor1 of the file: "
                                    "I can't read its caption pattern: "))
        << message;
    EXPECT_EQ(other.Read("Monitor0", "Description"), "A");
    EXPECT_EQ(other.Read("Monitor1", "Description"), "C");
    EXPECT_FALSE(other.Read("Monitor2", "Description"));
}

// The recent activity keeps the last 500 runs, newest first; a window of higher rights is told of
// once per program, whatever the letter case of its path.
TEST(RecentActivityTest, KeepsTheLast500NewestFirstAndTellsOfHigherRightsOnce) {
    RecentActivity activity;
    for (int n = 0; n < 502; ++n) {
        ActivityEvent run;
        run.description = "run " + std::to_string(n);
        EXPECT_FALSE(activity.Record(run));
    }
    ASSERT_EQ(activity.Log().Size(), 500u);
    EXPECT_EQ(activity.Log()[0].description, "run 501");
    EXPECT_EQ(activity.Log()[499].description, "run 2");

    ActivityEvent admin;
    admin.result = ActionResult::HigherRights;
    admin.windowCaption = "Setup";
    admin.program = "C:\\Tools\\Setup.exe";
    const auto notice = activity.Record(admin);
    ASSERT_TRUE(notice);
    EXPECT_NE(notice->find("Setup.exe"), std::string::npos);
    admin.program = "c:\\tools\\setup.EXE";
    EXPECT_FALSE(activity.Record(admin));
    admin.program = "C:\\Tools\\other.exe";
    EXPECT_TRUE(activity.Record(admin));
    EXPECT_EQ(activity.Log()[0].result, ActionResult::HigherRights);
}

// The guide opens in the system's own word processor, by full paths, whatever folder KVL
// runs from.
TEST_F(MainWindowPolicyTest, HelpStartsTheSystemsProgramOnTheGuideBesideOurs) {
    MainWindowPolicy policy(store, watcher, false);
    fakes::FakeShell shell;
    policy.ShowHelp(shell, "write.exe kvlhelp.doc", "C:\\Users\\me\\Downloads\\My KVL");
    EXPECT_EQ(shell.systemLaunches,
              (std::vector<std::string>{"write.exe \"C:\\Users\\me\\Downloads\\My KVL\\kvlhelp.doc\""}));
    EXPECT_TRUE(shell.launches.empty());
}

}  // namespace
}  // namespace kvl
