#include <gtest/gtest.h>

#include "platform/win32/window_watcher_win32.h"
#include "platform/win32/unicode.h"
#include "support/wintest.h"

namespace kvl {
namespace {

using wintest::ChildProcess;
using wintest::FindWindowByCaption;
using wintest::TestWindow;
using wintest::UniqueName;
using wintest::WaitFor;

struct Report {
    int watchId;
    HWND window;
};

class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        watcher.OnWindowOpen([this](int id, WindowHandle w) {
            reports.push_back({id, reinterpret_cast<HWND>(w)});
        });
    }

    bool ReportedFor(HWND w, int id = -1) const {
        for (const Report& r : reports)
            if (r.window == w && (id < 0 || r.watchId == id)) return true;
        return false;
    }
    int CountFor(HWND w) const {
        int n = 0;
        for (const Report& r : reports) n += r.window == w;
        return n;
    }
    ChildProcess Target(const std::wstring& instructions) {
        ChildProcess p;
        EXPECT_TRUE(p.Start(L"\"" + wintest::ExeDir() + L"\\kvl_target.exe\" " + instructions));
        return p;
    }
    HWND AwaitWindow(const std::wstring& caption, DWORD pid) {
        HWND w = nullptr;
        WaitFor([&] { return (w = FindWindowByCaption(caption, pid)) != nullptr; }, 10000);
        return w;
    }

    win32::Win32WindowWatcher watcher;
    std::vector<Report> reports;
};

TEST_F(WatcherTest, ReportsAnotherProgramsNewWindowForEachWatchItMatches) {
    const std::wstring tag = UniqueName(L"Report");
    watcher.AddWatch({"nothing like it", CaptionKind::Partial});
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.AddWatch({"SETUP " + win32::Narrow(tag), CaptionKind::Exact});
    watcher.MonitorStrength(3);
    ChildProcess target = Target(L"\"open:Setup " + tag + L"\"");
    HWND w = AwaitWindow(L"Setup " + tag, target.Id());
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(w, 1) && ReportedFor(w, 2); }));
    EXPECT_FALSE(ReportedFor(w, 0));
    // Reported once per watch, however long it stays open.
    WaitFor([] { return false; }, 600);
    EXPECT_EQ(CountFor(w), 2);
}

TEST_F(WatcherTest, WindowsAlreadyOpenAreNotReportedAndReRegisteringNeverRefires) {
    const std::wstring tag = UniqueName(L"Old");
    TestWindow old(tag + L" old");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(1);
    TestWindow fresh(tag + L" fresh");
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(fresh.Handle()); }));
    EXPECT_FALSE(ReportedFor(old.Handle()));

    watcher.ClearWatches();
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(1);
    TestWindow control(tag + L" control");
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(control.Handle()); }));
    EXPECT_EQ(CountFor(fresh.Handle()), 1);
    EXPECT_FALSE(ReportedFor(old.Handle()));
}

TEST_F(WatcherTest, ACaptionSetAfterCreationAndAWindowShownLaterAreReported) {
    const std::wstring tag = UniqueName(L"Later");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(2);
    ChildProcess target = Target(L"\"late:titled " + tag + L"\" \"hidden:shown " + tag + L"\"");
    HWND titled = AwaitWindow(L"titled " + tag, target.Id());
    HWND shown = AwaitWindow(L"shown " + tag, target.Id());
    ASSERT_TRUE(titled && shown);
    EXPECT_TRUE(WaitFor([&] { return ReportedFor(titled) && ReportedFor(shown); }));
}

TEST_F(WatcherTest, ExactWatchesWantTheWholeCaptionInAnyLetterCase) {
    const std::wstring tag = UniqueName(L"Exact");
    watcher.DebugLevel(1);
    watcher.AddWatch({win32::Narrow(tag) + " ÄRGER", CaptionKind::Exact});
    watcher.MonitorStrength(1);
    TestWindow longer(tag + L" ärger!");
    TestWindow equal(tag + L" ärger");
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(equal.Handle()); }));
    EXPECT_FALSE(ReportedFor(longer.Handle()));
}

TEST_F(WatcherTest, NothingIsReportedAtLevelZeroNorLaterForWindowsOpenedMeanwhile) {
    const std::wstring tag = UniqueName(L"Zero");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(0);
    TestWindow during(tag + L" during");
    WaitFor([] { return false; }, 300);
    watcher.MonitorStrength(1);
    TestWindow after(tag + L" after");
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(after.Handle()); }));
    EXPECT_FALSE(ReportedFor(during.Handle()));
}

TEST_F(WatcherTest, PollingOnlyLevelFindsWindowsWithinItsPeriod) {
    const std::wstring tag = UniqueName(L"Poll");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(10);
    ChildProcess target = Target(L"\"open:" + tag + L"\"");
    HWND w = AwaitWindow(tag, target.Id());
    ASSERT_TRUE(w);
    const ULONGLONG seen = GetTickCount64();
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(w); }, 5000));
    EXPECT_LE(GetTickCount64() - seen, 2500u);
}

TEST_F(WatcherTest, ForgetsWindowsThatAreDestroyed) {
    const std::wstring tag = UniqueName(L"Gone");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Partial});
    watcher.MonitorStrength(1);
    {
        TestWindow a(tag + L" a");
        TestWindow b(tag + L" b");
        ASSERT_TRUE(WaitFor([&] { return ReportedFor(a.Handle()) && ReportedFor(b.Handle()); }));
        EXPECT_EQ(watcher.TrackedWindows(), 2u);
    }
    EXPECT_TRUE(WaitFor([&] { return watcher.TrackedWindows() == 0; }));
}

TEST_F(WatcherTest, ProgramAndClassTellWindowsOfOneCaptionApartAndTheProcessIsLetGo) {
    const std::wstring tag = UniqueName(L"Which");
    watcher.AddWatch({win32::Narrow(tag), CaptionKind::Exact, "KVL_TARGET.EXE"});
    watcher.AddWatch({"", CaptionKind::Partial, "", "kvl.testtarget"});
    watcher.MonitorStrength(1);
    TestWindow ours(tag);
    ChildProcess target = Target(L"\"open:" + tag + L"\"");
    HWND theirs = AwaitWindow(tag, target.Id());
    ASSERT_TRUE(theirs);
    ASSERT_TRUE(WaitFor([&] { return ReportedFor(theirs, 0) && ReportedFor(theirs, 1); }));
    EXPECT_FALSE(ReportedFor(ours.Handle()));
    // The target's process is held open, so that its id cannot pass to another, only while
    // a window of it is known.
    const std::size_t held = watcher.KnownProcesses();
    ASSERT_GE(held, 2u);  // ours and the target's
    target.Kill();
    EXPECT_TRUE(WaitFor([&] { return watcher.KnownProcesses() == held - 1; }));
}

TEST_F(WatcherTest, AStormOfUnrelatedWindowsMissesNoMatchingWindowAndLeavesNothingBehind) {
    const std::wstring tag = UniqueName(L"Storm");
    for (int k = 0; k < 50; ++k)
        watcher.AddWatch({k == 49 ? win32::Narrow(tag) : "watch " + std::to_string(k),
                          k % 2 == 0 ? CaptionKind::Exact : CaptionKind::Partial});
    watcher.MonitorStrength(4);
    std::wstring instructions;
    for (int k = 0; k < 10; ++k)
        instructions += L" storm:200 \"open:" + tag + L" " + std::to_wstring(k) + L"\"";
    ChildProcess target = Target(instructions);
    // Window creation is slow under Wine: the whole storm takes tens of seconds there.
    ASSERT_TRUE(WaitFor([&] { return FindWindowByCaption(tag + L" 9", target.Id()) != nullptr; }, 120000));
    std::vector<HWND> matching;
    for (int k = 0; k < 10; ++k) matching.push_back(FindWindowByCaption(tag + L" " + std::to_wstring(k), target.Id()));
    for (HWND w : matching) ASSERT_TRUE(w);
    EXPECT_TRUE(WaitFor([&] {
        return std::all_of(matching.begin(), matching.end(), [&](HWND w) { return ReportedFor(w, 49); });
    }, 10000));
    for (HWND w : matching) EXPECT_EQ(CountFor(w), 1);
    EXPECT_EQ(watcher.TrackedWindows(), 10u);
    target.Kill();
    EXPECT_TRUE(WaitFor([&] { return watcher.TrackedWindows() == 0 && watcher.PendingRechecks() == 0; }));
}

}  // namespace
}  // namespace kvl
