#include <gtest/gtest.h>

#include "engine/dispatch.h"
#include "fakes/fake_desktop.h"
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
    bool Open(int watchId, WindowHandle w, LocalTime now = At(10, 0)) {
        return MonitorWindowOpen(table, record, watchId, w, now, desktop);
    }

    MonitorTable table;
    TriggerRecord record;
    FakeDesktop desktop;
};

TEST_F(Dispatch, ActsFirstThenTypesEachStepIntoTheWindowFoundByTheMonitorsCaption) {
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
    for (const auto& call : desktop.CallsOf(Op::Activate)) {
        EXPECT_EQ(call.title, "setup");
        EXPECT_EQ(call.window, w);
    }
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
    Add(1, "Nag", "hide");
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

}  // namespace
}  // namespace kvl
