#include <gtest/gtest.h>

#include "app/reported_windows.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_pause_timer.h"

namespace kvl {
namespace {

using fakes::FakeDesktop;
using Op = FakeDesktop::Op;

LocalTime At(int hour, int minute) { return {2026, 12, 7, hour, minute, 0}; }

// Reports go through what the main window uses: the queue, the repeat guard, the trigger and
// the activity entry each run ends in.
class Dispatch : public ::testing::Test {
protected:
    Dispatch() {
        reported.onFinished = [this](const ActivityEvent& e, int, const Monitor&, WindowHandle) {
            results.push_back(e.result);
            flashes += e.triggered;
        };
    }
    Monitor& Add(int slot, std::string caption, std::string state = "") {
        Monitor& m = table[static_cast<std::size_t>(slot)];
        m.Description = "monitor " + std::to_string(slot);
        m.Caption = std::move(caption);
        m.WindowState = std::move(state);
        return m;
    }
    // Queues the report as the main window does; true when a run that fired its monitor ended.
    bool Report(int watchId, WindowHandle w, LocalTime now = At(10, 0)) {
        clock.now = now;
        const int before = flashes;
        reported.WindowOpen(table, watchId, w);
        return flashes > before;
    }
    // Lets the pauses (and the breaths between batches of keys) go by until nothing is left.
    std::vector<std::uint32_t> RunPauses() {
        std::vector<std::uint32_t> waited;
        while (timer.pending) {
            waited.push_back(*timer.pending);
            timer.pending.reset();
            reported.PauseEnded();
        }
        return waited;
    }
    bool Open(int watchId, WindowHandle w, LocalTime now = At(10, 0)) {
        const int before = flashes;
        Report(watchId, w, now);
        RunPauses();
        return flashes > before;
    }
    const TriggerRecord& record() const { return reported.Triggers(); }

    MonitorTable table;
    FakeDesktop desktop;
    fakes::FakeClock clock;
    fakes::FakePauseTimer timer;
    ReportedWindows reported{desktop, clock, timer};
    int flashes = 0;
    std::vector<ActionResult> results;  // of each run, as it ended
};

TEST_F(Dispatch, ActsFirstThenTypesEachStepIntoTheReportedWindow) {
    const WindowHandle w = desktop.AddWindow("Setup - Product 1.0");
    desktop.AddWindow("Another Setup");  // in front, but not the reported window
    Monitor& m = Add(0, "setup", "Maximize");
    m.SendKeys = {"a", "", "{SHIFT}b{CNTL}c"};
    const Monitor before = m;

    ASSERT_TRUE(Open(0, w));
    const auto ops = desktop.Ops();
    // The window comes forward once for both texts.
    EXPECT_EQ(ops, (std::vector<Op>{Op::Show, Op::BringForward, Op::Inject, Op::Inject}));
    EXPECT_EQ(ops[0], Op::Show);
    EXPECT_EQ(desktop.calls[0].command, 3);
    for (const auto& call : desktop.CallsOf(Op::BringForward)) EXPECT_EQ(call.window, w);
    const auto typed = desktop.Typed();
    ASSERT_EQ(typed.size(), 2u);  // the empty middle step is skipped, the last still runs
    const KeySequence expected = {{0, U'b', kShift}, {0, U'c', kCtrl}};
    EXPECT_EQ(typed[1], expected);
    EXPECT_EQ(table[0], before);  // running a step never rewrites the monitor
    EXPECT_EQ(record().RecentWindows[0], w);
    EXPECT_EQ(record().LastTriggerTime, At(10, 0));
}

TEST_F(Dispatch, CloseAndHideStillComeBeforeTheKeystrokes) {
    const WindowHandle w = desktop.AddWindow("Nag");
    Add(0, "Nag", "close").SendKeys[0] = "x";
    ASSERT_TRUE(Open(0, w));
    EXPECT_EQ(desktop.Ops().front(), Op::PostClose);
    EXPECT_EQ(desktop.Typed().size(), 1u);
}

TEST_F(Dispatch, DisabledOutOfTableAndRepeatedReportsAreIgnored) {
    const WindowHandle w = desktop.AddWindow("Nag");
    Add(0, "Nag", "hide").Disable = 1;
    Add(1, "Nag", "minimize");
    EXPECT_FALSE(Open(0, w));
    EXPECT_FALSE(record().LastTriggerTime);
    EXPECT_FALSE(Open(51, w));
    EXPECT_FALSE(Open(-1, w));
    EXPECT_TRUE(desktop.calls.empty());

    // One window matching two monitors is acted on once.
    EXPECT_TRUE(Open(1, w, At(10, 0)));
    EXPECT_FALSE(Open(2, w, At(10, 4)));
    EXPECT_TRUE(Open(1, w, At(10, 5)));
    EXPECT_EQ(desktop.CallsOf(Op::Show).size(), 2u);
}

TEST_F(Dispatch, AMonitorWithNothingToDoStillCountsAsTriggered) {
    const WindowHandle w = desktop.AddWindow("Quiet");
    Add(0, "Quiet");
    EXPECT_TRUE(Open(0, w));
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(record().LastTriggerTime, At(10, 0));
}

TEST_F(Dispatch, PausesBelongToTheirStep) {
    const WindowHandle w = desktop.AddWindow("Slow");
    Monitor& m = Add(0, "Slow");
    m.SendKeys = {"ab", "c", ""};
    m.SendKeysPause = {2, 0, 5};
    EXPECT_FALSE(Report(0, w));  // the icon flashes when the run is over
    // a, 2 s, b, 2 s, and the last pass's 2 s; then c at once
    EXPECT_EQ(RunPauses(), (std::vector<std::uint32_t>{2000, 2000, 2000}));
    EXPECT_EQ(flashes, 1);
    EXPECT_EQ(desktop.Typed().size(), 3u);
}

// Reports that come while a step pauses wait for it, in the order they came: their keys never
// mix, and the repeat guard sees the state the runs before them left.
TEST_F(Dispatch, ReportsDuringAPauseRunAfterItInTheirOrder) {
    const WindowHandle first = desktop.AddWindow("Slow 1");
    const WindowHandle second = desktop.AddWindow("Slow 2");
    Monitor& m = Add(0, "Slow");
    m.SendKeys[0] = "ab";
    m.SendKeysPause[0] = 30;
    Report(0, first);
    EXPECT_EQ(timer.pending, 30000u);  // paused after "a", nothing blocked
    Report(0, second);
    Report(0, first, At(10, 1));  // the first again: a repeat once its turn comes
    EXPECT_EQ(reported.Queue().Waiting(), 2u);
    RunPauses();

    std::vector<std::pair<WindowHandle, char32_t>> typed;
    for (const auto& call : desktop.CallsOf(Op::Inject)) typed.emplace_back(call.window, call.keys[0].character);
    const std::vector<std::pair<WindowHandle, char32_t>> expected = {
        {first, U'a'}, {first, U'b'}, {second, U'a'}, {second, U'b'}};
    EXPECT_EQ(typed, expected);
    EXPECT_EQ(flashes, 2);  // the first window's second report was a repeat by its turn
    EXPECT_TRUE(reported.Queue().Idle());
}

// While one of our own loops runs nothing is acted on, and the queue looks again soon; when
// monitoring stops, a step paused half-way and the reports behind it are dropped; when the
// program ends nothing more runs at all.
TEST_F(Dispatch, AHoldKeepsEverythingBackCancelAndStopDropIt) {
    const WindowHandle w = desktop.AddWindow("Slow");
    Monitor& m = Add(0, "Slow");
    m.SendKeys[0] = "abc";
    m.SendKeysPause[0] = 1;
    bool inMenu = true;
    reported.MayAct([&] { return !inMenu; });
    Report(0, w);
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(timer.pending, ActionQueue::kHeldRetryMs);
    timer.pending.reset();
    reported.PauseEnded();  // still in the menu: another look later
    EXPECT_TRUE(desktop.calls.empty());
    inMenu = false;
    timer.pending.reset();
    reported.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 1u);

    inMenu = true;  // a menu opens during the pause: the pause ends, the keys wait
    timer.pending.reset();
    reported.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 1u);
    inMenu = false;
    timer.pending.reset();
    reported.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 2u);

    const WindowHandle other = desktop.AddWindow("Slow too");
    Report(0, other);  // waits behind the paused run
    reported.MonitoringStopped(ActionResult::StoppedMonitoringOff);
    EXPECT_FALSE(timer.pending);
    EXPECT_TRUE(reported.Queue().Idle());
    EXPECT_EQ(results, std::vector<ActionResult>{ActionResult::StoppedMonitoringOff});
    EXPECT_EQ(desktop.Typed().size(), 2u);
    Report(0, other, At(10, 30));  // a later report runs as ever
    EXPECT_EQ(desktop.Typed().size(), 3u);

    Report(0, desktop.AddWindow("Slow three"));
    reported.Stop();
    EXPECT_FALSE(timer.pending);
    reported.PauseEnded();
    Report(0, w, At(11, 0));
    EXPECT_EQ(desktop.Typed().size(), 3u);
}

// The button is pressed last, after the window-state action and the keys; a window without
// it is told of, and nothing else happens.
TEST_F(Dispatch, TheButtonIsPressedLastAndAMissingOneIsNoted) {
    const WindowHandle w = desktop.AddWindow("Save changes?");
    desktop.windows[w].buttons = {{0x51, "&Yes"}, {0x52, "&No"}, {0x53, "Cancel"}};
    Monitor& m = Add(0, "Save changes", "restore");
    m.SendKeys[0] = "x";
    m.PressButton = "no";
    ASSERT_TRUE(Open(0, w));
    EXPECT_EQ(desktop.Ops(), (std::vector<Op>{Op::Show, Op::BringForward, Op::Inject, Op::PressButton}));
    EXPECT_EQ(desktop.calls.back().window, 0x52u);

    desktop.calls.clear();
    m.PressButton = "Don't Save";
    ASSERT_TRUE(Open(0, w, At(11, 0)));
    EXPECT_TRUE(desktop.CallsOf(Op::PressButton).empty());
    EXPECT_EQ(results, (std::vector<ActionResult>{ActionResult::Done, ActionResult::ButtonNotFound}));
}

}  // namespace
}  // namespace kvl
