#include <gtest/gtest.h>

#include "engine/action_queue.h"
#include "engine/dispatch.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_pause_timer.h"
#include "fakes/fake_shell.h"

namespace kvl {
namespace {

using fakes::FakeDesktop;
using Op = FakeDesktop::Op;

LocalTime At(int hour, int minute) { return {2026, 12, 7, hour, minute, 0}; }

class Dispatch : public ::testing::Test {
protected:
    Monitor& Add(int slot, std::string caption, std::string state = "") {
        Monitor& m = table[static_cast<std::size_t>(slot)];
        m.Description = "monitor " + std::to_string(slot);
        m.Caption = std::move(caption);
        m.WindowState = std::move(state);
        return m;
    }
    // Queues the report as the main window does, with a copy of its monitor; true when it
    // was acted on.
    bool Report(int watchId, WindowHandle w, LocalTime now = At(10, 0)) {
        auto triggered = std::make_shared<bool>(false);
        reports.push_back(triggered);
        const std::optional<Monitor> monitor = ReportedMonitor(table, watchId);
        if (!monitor) return false;
        queue.Add([=, this]() -> std::optional<ActionQueue::Job> {
            auto plan = MonitorWindowOpen(*monitor, record, w, now, desktop);
            *triggered = plan.has_value();
            if (!plan) return std::nullopt;
            return ActionQueue::Job{std::move(*plan), [this](ActionResult r) { results.push_back(r); }};
        });
        return *triggered;
    }
    // Lets the pauses go by on the desktop's clock until nothing is left to do.
    void RunPauses() {
        while (timer.pending) {
            desktop.Sleep(*timer.pending);
            timer.pending.reset();
            queue.PauseEnded();
        }
    }
    bool Open(int watchId, WindowHandle w, LocalTime now = At(10, 0)) {
        const std::size_t index = reports.size();
        Report(watchId, w, now);
        RunPauses();
        return *reports[index];
    }

    MonitorTable table;
    TriggerRecord record;
    FakeDesktop desktop;
    fakes::FakePauseTimer timer;
    ActionQueue queue{desktop, timer};
    std::vector<std::shared_ptr<bool>> reports;
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
    ASSERT_GE(ops.size(), 5u);
    EXPECT_EQ(ops[0], Op::Show);
    EXPECT_EQ(desktop.calls[0].command, 3);
    for (const auto& call : desktop.CallsOf(Op::Activate)) EXPECT_EQ(call.window, w);
    const auto typed = desktop.Typed();
    ASSERT_EQ(typed.size(), 2u);  // the empty middle step is skipped, the last still runs
    const KeySequence expected = {{0, U'b', kShift}, {0, U'c', kCtrl}};
    EXPECT_EQ(typed[1], expected);
    EXPECT_EQ(table[0], before);  // running a step never rewrites the monitor
    EXPECT_EQ(record.RecentWindows[0], w);
    EXPECT_EQ(record.LastTriggerTime, At(10, 0));
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
    EXPECT_FALSE(record.LastTriggerTime);
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
    EXPECT_EQ(record.LastTriggerTime, At(10, 0));
}

TEST_F(Dispatch, PausesBelongToTheirStep) {
    const WindowHandle w = desktop.AddWindow("Slow");
    Monitor& m = Add(0, "Slow");
    m.SendKeys = {"ab", "c", ""};
    m.SendKeysPause = {2, 0, 5};
    ASSERT_TRUE(Open(0, w));
    EXPECT_EQ(desktop.nowMs, 6000u);  // a, 2 s, b, 2 s, 2 s; then c at once
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
    EXPECT_EQ(queue.Waiting(), 2u);
    RunPauses();

    std::vector<std::pair<WindowHandle, char32_t>> typed;
    for (const auto& call : desktop.CallsOf(Op::Inject)) typed.emplace_back(call.window, call.keys[0].character);
    const std::vector<std::pair<WindowHandle, char32_t>> expected = {
        {first, U'a'}, {first, U'b'}, {second, U'a'}, {second, U'b'}};
    EXPECT_EQ(typed, expected);
    EXPECT_TRUE(*reports[1]);
    EXPECT_FALSE(*reports[2]);
    EXPECT_TRUE(queue.Idle());
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
    queue.mayAct = [&] { return !inMenu; };
    Report(0, w);
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(timer.pending, ActionQueue::kHeldRetryMs);
    timer.pending.reset();
    queue.PauseEnded();  // still in the menu: another look later
    EXPECT_TRUE(desktop.calls.empty());
    inMenu = false;
    timer.pending.reset();
    queue.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 1u);

    inMenu = true;  // a menu opens during the pause: the pause ends, the keys wait
    timer.pending.reset();
    queue.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 1u);
    inMenu = false;
    timer.pending.reset();
    queue.PauseEnded();
    EXPECT_EQ(desktop.Typed().size(), 2u);

    const WindowHandle other = desktop.AddWindow("Slow too");
    Report(0, other);  // waits behind the paused run
    queue.Cancel();
    EXPECT_FALSE(timer.pending);
    EXPECT_TRUE(queue.Idle());
    EXPECT_EQ(desktop.Typed().size(), 2u);
    Report(0, other, At(10, 30));  // a later report runs as ever
    EXPECT_EQ(desktop.Typed().size(), 3u);

    Report(0, desktop.AddWindow("Slow three"));
    queue.Stop();
    EXPECT_FALSE(timer.pending);
    queue.PauseEnded();
    Report(0, w, At(11, 0));
    EXPECT_EQ(desktop.Typed().size(), 3u);
}

// A keystroke step whose window is not in front types nothing more, pauses included; the
// next step tries again, and the run says what went untyped.
TEST_F(Dispatch, AStepWhoseWindowLostTheFrontEndsAndTheRunSaysSo) {
    const WindowHandle w = desktop.AddWindow("Slow");
    Monitor& m = Add(0, "Slow");
    m.SendKeys = {"ab", "c", ""};
    m.SendKeysPause = {5, 0, 0};
    desktop.stealFrontAfter = 0;
    ASSERT_TRUE(Open(0, w));
    EXPECT_EQ(desktop.Typed(), (std::vector<KeySequence>{{{0, U'c', 0}}}));
    EXPECT_EQ(desktop.nowMs, 0u);
    EXPECT_EQ(results, (std::vector<ActionResult>{ActionResult::KeysNotTyped}));
}

// A window of a program with higher rights is left alone, and the run says why; one whose
// level cannot be read, or is no higher, is acted on as ever.
TEST_F(Dispatch, AWindowOfHigherRightsOrOneGoneIsNotTouched) {
    const WindowHandle admin = desktop.AddWindow("Nag admin");
    desktop.windows[admin].integrity = 0x3000;
    desktop.windows[admin].program = "C:\\Tools\\setup.exe";
    const WindowHandle unknown = desktop.AddWindow("Nag unknown");
    desktop.windows[unknown].integrity = std::nullopt;
    Add(0, "Nag", "hide").SendKeys[0] = "x";

    ASSERT_TRUE(Open(0, admin));
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(results, std::vector<ActionResult>{ActionResult::HigherRights});

    ASSERT_TRUE(Open(0, unknown));
    EXPECT_EQ(desktop.CallsOf(Op::Show).size(), 1u);
    ASSERT_TRUE(Open(0, 0x9999));  // gone before its turn
    EXPECT_EQ(results.back(), ActionResult::WindowGone);
    EXPECT_EQ(desktop.CallsOf(Op::Show).size(), 1u);
    desktop.ownIntegrity = std::nullopt;  // our own unreadable: nothing to compare with
    ASSERT_TRUE(Open(0, admin, At(11, 0)));
    EXPECT_EQ(desktop.CallsOf(Op::Show).size(), 2u);
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
    EXPECT_EQ(desktop.Ops(), (std::vector<Op>{Op::Show, Op::Activate, Op::Inject, Op::PressButton}));
    EXPECT_EQ(desktop.calls.back().window, 0x52u);

    desktop.calls.clear();
    m.PressButton = "Don't Save";
    ASSERT_TRUE(Open(0, w, At(11, 0)));
    EXPECT_TRUE(desktop.CallsOf(Op::PressButton).empty());
    EXPECT_EQ(results, (std::vector<ActionResult>{ActionResult::Done, ActionResult::ButtonNotFound}));
}

// A report that waits its turn acts with the monitor it was reported for, though a deletion
// has moved another monitor into its slot meanwhile.
TEST_F(Dispatch, AWaitingReportKeepsItsOwnMonitor) {
    const WindowHandle slow = desktop.AddWindow("Slow");
    Monitor& m = Add(0, "Slow");
    m.SendKeys[0] = "ab";
    m.SendKeysPause[0] = 30;
    Add(1, "Tip of the day", "close");
    Add(2, "Tip", "maximize");
    const WindowHandle tip = desktop.AddWindow("Tip of the day");
    Report(0, slow);
    Report(1, tip);
    table[1] = table[2];  // "Tip of the day" deleted, the rest moved up
    table[2] = {};
    RunPauses();
    EXPECT_EQ(desktop.CallsOf(Op::PostClose).size(), 1u);
    EXPECT_TRUE(desktop.CallsOf(Op::Show).empty());
}

// Keys go into the reported window only, as long as it is still what the monitor names, and
// a window the user switched to during a pause is not taken from him.
TEST_F(Dispatch, KeysGoOnlyIntoTheReportedWindowWhileItStillMatches) {
    const WindowHandle notepad = desktop.AddWindow("Save changes?");
    desktop.windows[notepad].program = "C:\\Windows\\notepad.exe";
    const WindowHandle writer = desktop.AddWindow("Save changes?");  // in front
    Monitor& m = Add(0, "^save changes\\?$");
    m.CaptionPattern = 1;
    m.Program = "notepad.exe";
    m.SendKeys[0] = "ab";
    m.SendKeysPause[0] = 5;
    const auto typedInto = [&] {
        std::vector<WindowHandle> into;
        for (const auto& call : desktop.CallsOf(Op::Inject)) into.push_back(call.window);
        return into;
    };

    ASSERT_TRUE(Open(0, notepad));
    EXPECT_EQ(typedInto(), (std::vector<WindowHandle>{notepad, notepad}));
    EXPECT_EQ(results.back(), ActionResult::Done);

    Report(0, notepad, At(10, 10));
    desktop.windows[notepad].caption = "Untitled - Notepad";  // saved during the pause
    RunPauses();
    EXPECT_EQ(typedInto().size(), 3u);
    EXPECT_EQ(results.back(), ActionResult::NoLongerMatches);

    desktop.windows[notepad].caption = "Save changes?";
    Report(0, notepad, At(10, 20));
    desktop.foreground = writer;  // the user clicks into the other window
    const std::size_t activations = desktop.CallsOf(Op::Activate).size();
    RunPauses();
    EXPECT_EQ(desktop.CallsOf(Op::Activate).size(), activations);
    EXPECT_EQ(desktop.foreground, writer);
    EXPECT_EQ(typedInto(), (std::vector<WindowHandle>{notepad, notepad, notepad, notepad}));
    EXPECT_EQ(results.back(), ActionResult::KeysNotTyped);

    // A reported window that no longer matches when its turn comes is no trigger.
    desktop.windows[notepad].program = "C:\\Apps\\other.exe";
    EXPECT_TRUE(Open(0, notepad, At(10, 30)));
    EXPECT_EQ(results.back(), ActionResult::NoLongerMatches);
    EXPECT_EQ(record.LastTriggerTime, At(10, 20));
}

}  // namespace
}  // namespace kvl
