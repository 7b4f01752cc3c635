#include <gtest/gtest.h>

#include "app/activity.h"
#include "editor/editor_fields.h"
#include "engine/dispatch.h"
#include "engine/plan_run.h"
#include "engine/placement.h"
#include "fakes/fake_desktop.h"
#include "fakes/memory_store.h"
#include "monitors/monitor_transfer.h"

namespace kvl {
namespace {

// A plan run to its end, its pauses not waited.
PlanRun RunToEnd(Desktop& desktop, ActionPlan plan) {
    PlanRun run(std::move(plan));
    while (run.Advance(desktop).kind != PlanRun::Progress::Kind::Finished) {
    }
    return run;
}

using fakes::FakeDesktop;
using Unit = AxisValue::Unit;

TEST(PlacementFields, ReadWhatTheUserWritesAndRefuseTheRest) {
    EXPECT_EQ(ParsePosition("center, 25%"),
              (AxisPair{{{Unit::Center, 0}, {Unit::Percent, 25}}}));
    EXPECT_EQ(ParsePosition(" -8 ,0"), (AxisPair{{{Unit::Pixels, -8}, {Unit::Pixels, 0}}}));
    for (const char* bad : {"", "10", "10,20,30", "x,1", "101%,0", "1.5,2", "10 %%,1", "5,"})
        EXPECT_FALSE(ParsePosition(bad)) << bad;
    EXPECT_EQ(ParseSize("50%,300"), (AxisPair{{{Unit::Percent, 50}, {Unit::Pixels, 300}}}));
    for (const char* bad : {"0,100", "100,0%", "center,10", "-5,10", "120%,10"})
        EXPECT_FALSE(ParseSize(bad)) << bad;
    EXPECT_EQ(ParseDisplay("")->kind, DisplayChoice::Kind::Own);
    EXPECT_EQ(ParseDisplay("2"), (DisplayChoice{DisplayChoice::Kind::Number, 2}));
    EXPECT_FALSE(ParseDisplay("0"));
    EXPECT_FALSE(ParseDisplay("second"));
    EXPECT_EQ(ParseOpacity("20"), 20);
    EXPECT_FALSE(ParseOpacity("19"));
    EXPECT_FALSE(ParseOpacity("101"));
    const RememberedPlace place{2, -10, 40, 640, 480};
    EXPECT_EQ(ParseRememberedPlace(RememberedPlaceText(place)), place);
    EXPECT_FALSE(ParseRememberedPlace("2,1,1,0,10"));
}

class Place : public ::testing::Test {
protected:
    PlaceOutcome Compute(const PlaceRequest& request) {
        auto outcome = ComputePlace(request, desktop.displays, window, desktop.pointer);
        EXPECT_TRUE(outcome);
        return outcome.value_or(PlaceOutcome{});
    }
    FakeDesktop desktop;
    WindowPlaceFacts window{{100, 100, 500, 400}, 1, true, 30};
};

TEST_F(Place, PixelsPercentagesAndCentreCountFromTheChosenDisplaysWorkArea) {
    PlaceRequest request;
    request.position = ParsePosition("100,50");
    request.size = ParseSize("400,300");
    request.display = *ParseDisplay("2");
    PlaceOutcome o = Compute(request);
    EXPECT_EQ(o.rect, (ScreenRect{2020, 50, 2420, 350}));
    EXPECT_EQ(PlacementText(o), "placed at 100,50 400 x 300 on display 2");

    // The primary's work area stops above its taskbar: 1920 x 1040.
    request.position = ParsePosition("center,center");
    request.size = ParseSize("50%,50%");
    request.display = *ParseDisplay("primary");
    EXPECT_EQ(Compute(request).rect, (ScreenRect{480, 260, 1440, 780}));

    // No position: the corner keeps its distance from its work area's, on the pointer's display.
    request = {};
    request.display = *ParseDisplay("pointer");
    desktop.pointer = {2500, 500};
    o = Compute(request);
    EXPECT_EQ(o.rect, (ScreenRect{2020, 100, 2420, 400}));
    EXPECT_EQ(o.display, 2);
}

TEST_F(Place, AMissingDisplayMeansThePrimaryAndSaysSo) {
    PlaceRequest request;
    request.position = ParsePosition("10,10");
    request.display = *ParseDisplay("3");
    window.display = 2;
    window.restored = {2000, 0, 2400, 300};
    const PlaceOutcome o = Compute(request);
    EXPECT_EQ(o.rect, (ScreenRect{10, 10, 410, 310}));
    EXPECT_EQ(PlacementText(o),
              "placed at 10,10 400 x 300 on display 1 (display 3 is not there: the primary)");
    // A place remembered on a display since unplugged goes there too.
    request = {};
    request.remembered = RememberedPlace{5, 20, 30, 200, 100};
    EXPECT_EQ(Compute(request).rect, (ScreenRect{20, 30, 220, 130}));
}

TEST_F(Place, AWindowThatCannotBeResizedIsMovedOnly) {
    window.resizable = false;
    PlaceRequest request;
    request.position = ParsePosition("0,0");
    request.size = ParseSize("100%,100%");
    const PlaceOutcome o = Compute(request);
    EXPECT_EQ(o.rect, (ScreenRect{0, 0, 400, 300}));
    EXPECT_TRUE(o.movedOnly);
    EXPECT_NE(PlacementText(o).find("(moved only: it cannot be resized)"), std::string::npos);
}

TEST_F(Place, TheTitleBarStaysWhereTheUserCanTakeHoldOfIt) {
    PlaceRequest request;
    request.size = ParseSize("400,300");
    // Off every display to the right and below: pulled onto display 2's work area.
    request.position = ParsePosition("5000,2000");
    request.display = *ParseDisplay("2");
    PlaceOutcome o = Compute(request);
    EXPECT_EQ(o.rect, (ScreenRect{2800, 994, 3200, 1294}));
    EXPECT_TRUE(o.pulledIn);
    // Above the top: the title bar would be out of reach.
    request.position = ParsePosition("10,-20");
    o = Compute(request);
    EXPECT_EQ(o.rect.top, 0);
    // Hanging off the left edge of the primary with most of its width still on it: left so.
    request.position = ParsePosition("-300,10");
    request.display = *ParseDisplay("primary");
    o = Compute(request);
    EXPECT_EQ(o.rect.left, -300);
    EXPECT_FALSE(o.pulledIn);
}

// The placement is a step of the plan, before the window-state action, so that a window
// maximized by its monitor is maximized on the display it was put on.
TEST(PlacementStep, PlacesBeforeTheWindowStateActionAndTellsTheActivity) {
    FakeDesktop desktop;
    const WindowHandle w = desktop.AddWindow("Report");
    Monitor m;
    m.Description = "report";
    m.Caption = "Report";
    m.WindowState = "Hide";
    m.Position = "100,50";
    m.Size = "400,300";
    m.Display = "2";
    m.OnTop = 1;
    m.Opacity = 80;
    const PlanRun run = RunToEnd(desktop, MonitorRun(m, w));
    EXPECT_EQ(run.Result(), ActionResult::Done);
    EXPECT_EQ(desktop.Ops(), (std::vector{FakeDesktop::Op::Place, FakeDesktop::Op::Show}));
    EXPECT_EQ(desktop.windows[w].place.restored, (ScreenRect{2020, 50, 2420, 350}));
    EXPECT_TRUE(desktop.windows[w].onTop);
    EXPECT_EQ(desktop.windows[w].opacity, 80);
    EXPECT_EQ(ResultText(ActionResult::Done, run.Detail()),
              "placed at 100,50 400 x 300 on display 2; kept on top; opacity 80 %");

    // A monitor that places nothing has no such step.
    m.Position = m.Size = m.Display = "";
    m.OnTop = m.Opacity = 0;
    for (const ActionStep& step : MonitorRun(m, w).steps)
        EXPECT_NE(step.kind, ActionStep::Kind::Place);
}

TEST(Arrange, PlacesTheOpenWindowsOfEnabledMonitorsOnceEachAndNothingElse) {
    FakeDesktop desktop;
    const WindowHandle report = desktop.AddWindow("Report - 1");
    const WindowHandle other = desktop.AddWindow("Report - 2");
    const WindowHandle ours = desktop.AddWindow("Report - KVL");
    const WindowHandle admin = desktop.AddWindow("Report - admin");
    desktop.windows[admin].integrity = 0x3000;
    desktop.AddWindow("Unrelated");
    MonitorTable table{};
    table[0] = {.Description = "off", .Disable = 1, .Caption = "Report"};
    table[0].Position = "0,0";
    table[1] = {.Description = "reports", .Caption = "Report"};
    table[1].Position = "10,10";
    table[1].WindowState = "Close";
    table[1].SendKeys[0] = "x";
    table[2] = {.Description = "second", .Caption = "Report - 2"};
    table[2].Display = "2";
    const auto arranged =
        ArrangeOpenWindows(table, desktop, [&](WindowHandle w) { return w == ours; });
    ASSERT_EQ(arranged.size(), 2u);
    for (const ArrangedWindow& a : arranged) {
        EXPECT_EQ(a.slot, 1);  // the first monitor meant for it, the disabled one aside
        EXPECT_EQ(a.said.substr(0, 13), "placed at 10,");
    }
    EXPECT_EQ(desktop.windows[report].place.restored.left, 10);
    EXPECT_EQ(desktop.windows[other].place.restored.left, 10);
    // No window-state action, no keys; our own window and the one of higher rights untouched.
    EXPECT_EQ(desktop.Ops(), (std::vector{FakeDesktop::Op::Place, FakeDesktop::Op::Place}));
}

TEST(RememberPlace, TheLastPlaceAWindowIsLeftAtBecomesItsMonitorsAndComesBack) {
    FakeDesktop desktop;
    const WindowHandle w = desktop.AddWindow("Notes");
    MonitorTable table{};
    table[0] = {.Description = "first", .Caption = "Other"};
    table[1] = {.Description = "notes", .Caption = "Notes"};
    table[1].RememberPlace = 1;
    table[1].Position = "0,0";
    PlaceFollower follower;
    follower.Follow(1, "notes", w);
    desktop.windows[w].place.restored = {2000, 30, 2400, 330};  // the user took it to display 2
    desktop.windows[w].place.display = 2;
    // The table closed up meanwhile: the monitor is found by its description.
    table[0] = table[1];
    table[1] = Monitor{};
    std::vector<PlaceFollower::Note> notes = follower.Look(desktop, table);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].slot, 0);
    EXPECT_EQ(notes[0].place, "2,80,30,400,300");
    table[0].RememberedPlace = notes[0].place;
    EXPECT_TRUE(follower.Look(desktop, table).empty());  // not moved since

    // The next window of the monitor goes there, not to its Position.
    const WindowHandle next = desktop.AddWindow("Notes");
    RunToEnd(desktop, MonitorRun(table[0], next));
    EXPECT_EQ(desktop.windows[next].place.restored, (ScreenRect{2000, 30, 2400, 330}));

    desktop.windows.erase(w);
    follower.Look(desktop, table);
    EXPECT_FALSE(follower.Any());
}

TEST(PlacementStore, FieldsAreWrittenOnlyWhenSetAndTravelInAFile) {
    fakes::MemoryStore store;
    Settings settings;
    Monitor& m = settings.Monitors[0];
    m.Description = "placed";
    m.Caption = "Report";
    m.Position = "center,10%";
    m.Size = "50%,400";
    m.Display = "pointer";
    m.OnTop = 1;
    m.Opacity = 85;
    m.RememberPlace = 1;
    m.RememberedPlace = "2,10,20,300,200";
    settings.Monitors[1].Description = "plain";
    SaveSettings(store, settings);
    EXPECT_EQ(store.Keys("Monitor1").size(), 11u);  // the eleven it always had
    Settings back;
    LoadSettings(store, back);
    EXPECT_EQ(back.Monitors[0], m);
    constexpr std::string_view kRoot = "HKEY_CURRENT_USER\\Software\\Programs\\KVL";
    const RegRead read = ReadRegFile(ExportFile(kRoot, StoreKeys(store)), StoresParent(kRoot));
    const FileMonitors file = MonitorsInFile(read.keys, kRoot);
    ASSERT_EQ(file.monitors.size(), 2u);
    EXPECT_EQ(file.monitors[0], m);
}

TEST(PlacementEditor, BadBoxesStoreNothingAndGoodOnesStoreWhatTheUserMeant) {
    MonitorTable table{};
    table[0].Description = "kept";
    table[0].Position = "1,2";
    int rec = 0;
    EditorFields f = FieldsOfMonitor(table[0], 0);
    EXPECT_EQ(f.PositionX + "|" + f.PositionY, "1|2");
    const auto refused = [&](std::string EditorFields::*box, const char* text) {
        EditorFields bad = f;
        bad.*box = text;
        const StoreResult r = StoreFields(bad, rec, table, 1);
        EXPECT_EQ(r.outcome, StoreResult::Outcome::BadPlace) << text;
        EXPECT_EQ(table[0].Position, "1,2") << text;
    };
    refused(&EditorFields::PositionX, "x");
    refused(&EditorFields::PositionY, "");  // half a pair
    refused(&EditorFields::PositionX, "120%");
    refused(&EditorFields::SizeW, "0");
    refused(&EditorFields::Opacity, "19");
    refused(&EditorFields::Opacity, "101");
    refused(&EditorFields::Display, "left");

    const std::vector<DisplayInfo> displays{{1, {0, 0, 1024, 768}, {0, 0, 1024, 748}, 96, true},
                                            {2, {1024, 0, 2304, 1024}, {1024, 0, 2304, 1024}, 120, false}};
    const std::vector<std::string> choices = DisplayChoices(displays);
    EXPECT_EQ(choices.back(), "2 (1280 x 1024)");
    f.PositionX = " center";
    f.PositionY = "10%";
    f.SizeW = "";
    f.SizeH = "";
    f.Display = choices.back();
    f.Opacity = "85";
    ASSERT_EQ(StoreFields(f, rec, table, 1).outcome, StoreResult::Outcome::Stored);
    EXPECT_EQ(table[0].Position, "center,10%");
    EXPECT_EQ(table[0].Size, "");
    EXPECT_EQ(table[0].Display, "2");
    EXPECT_EQ(table[0].Opacity, 85);
    EXPECT_EQ(ShownDisplay("2", displays), choices.back());

    // Taken from a window on display 2: measured from its work area.
    TakePlace(f, displays, {{1100, 50, 1500, 350}, 2, true, 20});
    EXPECT_EQ(f.PositionX + "," + f.PositionY + " " + f.SizeW + "," + f.SizeH, "76,50 400,300");
    EXPECT_EQ(f.Display, choices.back());
}

}  // namespace
}  // namespace kvl
