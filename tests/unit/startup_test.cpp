#include <gtest/gtest.h>

#include "app/pattern_notices.h"
#include "app/startup.h"
#include "cmdline/command_line.h"
#include "engine/dispatch.h"
#include "fakes/fake_watcher.h"
#include "fakes/memory_store.h"

namespace kvl {
namespace {

TEST(MainWindowPosition, SitsAboveTheNotificationArea) {
    const TwipsPoint p = MainWindowPosition(12000, 9000, 6000, 4000);
    EXPECT_EQ(p.left, 5600);
    EXPECT_EQ(p.top, 4100);
}

// A stored pattern this release cannot use never leaves its monitor dead without a word.
TEST(PatternNotices, AMonitorWhosePatternCannotBeUsedIsMarkedAndToldAtStart) {
    MonitorTable table;
    table[0].Description = "plain";
    table[0].Caption = "(Setup";  // not a pattern: a caption like any other
    table[1].Description = "broken";
    table[1].Caption = "(Setup";
    table[1].CaptionPattern = 1;
    table[2].Description = "sound";
    table[2].Caption = "^Setup";
    table[2].CaptionPattern = 1;
    table[3].Description = "off";
    table[3].Caption = "(a)\\1";
    table[3].CaptionPattern = 1;
    table[3].Disable = 1;
    ASSERT_EQ(MonitorCount(table), 4);

    EXPECT_EQ(MonitorListLine(table[0]), "plain");
    EXPECT_EQ(MonitorListLine(table[1]), "(!) broken");
    EXPECT_EQ(MonitorListLine(table[2]), "sound");
    EXPECT_EQ(MonitorListLine(table[3]), "**(!) off");

    const LocalTime now{2026, 12, 9, 8, 0, 0};
    const std::vector<ActivityEvent> events = UnusablePatternEvents(table, now);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(ActivityCells(events[0], "08:00")[1], "broken");
    EXPECT_EQ(ActivityCells(events[0], "08:00")[4],
              "not watching: I can't read its caption pattern: its parentheses do not pair up");
    EXPECT_EQ(events[1].description, "off");
    EXPECT_EQ(ActivityCells(PatternTooLongEvent(table[2], "Setup", "", now), "08:00")[4],
              "not matched: the caption pattern took too long on this caption");
}

TEST(ArgumentsOf, DropsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentsOf("KVL.exe"), "");
    EXPECT_EQ(ArgumentsOf("KVL.exe   "), "");
    EXPECT_EQ(ArgumentsOf("C:\\KVL\\KVL.exe /caption[a b] /max"), "/caption[a b] /max");
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\KVL\\KVL.exe\" /help "), "/help ");
    EXPECT_EQ(ArgumentsOf("\"C:\\odd\"name.exe x"), "x");
    EXPECT_EQ(ArgumentsOf(""), "");
}

TEST(RegisterWatches, SavesThenWatchesEverySlotInOrder) {
    fakes::MemoryStore store;
    fakes::FakeWatcher watcher;
    Settings s;
    s.Monitors[0].Description = "a";
    s.Monitors[0].Caption = "Alpha";
    s.Monitors[0].ExactMatch = 1;
    s.Monitors[1].Description = "b";
    s.Monitors[1].Caption = "Beta";
    s.Monitors[1].ExactMatch = 2;  // anything but 1 is a partial match
    s.Monitors[1].Disable = 1;
    s.Monitors[2].Description = "c";
    s.Monitors[2].Caption = "Gamma";
    s.Monitors[2].Deleted = -1;
    s.Monitors[2].ExactMatch = 1;  // a pattern, whatever ExactMatch says
    s.Monitors[2].CaptionPattern = 1;
    s.Monitors[2].Program = "setup.exe";
    s.Monitors[2].WindowClass = "#32770";
    s.Monitors[4].Description = "after the end";
    s.Strength = 1;

    RegisterWatches(store, s, watcher, false);
    EXPECT_EQ(store.sections["General"]["Strength"], "1");
    EXPECT_EQ(store.sections["Monitor0"]["Caption"], "Alpha");
    EXPECT_EQ(watcher.clears, 1);
    const std::vector<Watch> expected = {{"Alpha", CaptionKind::Exact},
                                         {"Beta", CaptionKind::Partial},
                                         {"Gamma", CaptionKind::Pattern, "setup.exe", "#32770"}};
    EXPECT_EQ(watcher.watches, expected);
    EXPECT_EQ(watcher.level, 2);

    RegisterWatches(store, s, watcher, true);
    EXPECT_EQ(watcher.level, 0);
    s.Strength = 4;
    RegisterWatches(store, s, watcher, false);
    EXPECT_EQ(watcher.level, 10);
}

}  // namespace
}  // namespace kvl

namespace kvl {
namespace {

TEST(TwipsToPixels, RoundsHalfToEven) {
    EXPECT_EQ(TwipsToPixels(1000, 96), 67);
    EXPECT_EQ(TwipsToPixels(5310, 96), 354);
    EXPECT_EQ(TwipsToPixels(7.5 * 15, 96), 8);  // 7.5 goes up to the even 8
    EXPECT_EQ(TwipsToPixels(6.5 * 15, 96), 6);  // 6.5 goes down to the even 6
    EXPECT_EQ(TwipsToPixels(-7.5 * 15, 96), -8);
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
}

// The real-number division must round as exact integer arithmetic does, at every scale:
// one pixel off at 96 dots per inch would move a control of the standard forms.
TEST(TwipsToPixels, AgreesWithExactArithmeticAtEveryScale) {
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        for (int twips = -3000; twips <= 30000; ++twips) {
            const long long scaled = static_cast<long long>(twips) * dpi;
            long long down = scaled / kTwipsPerInch, rest = scaled % kTwipsPerInch;
            if (rest < 0) rest += kTwipsPerInch, --down;
            const bool up = 2 * rest > kTwipsPerInch || (2 * rest == kTwipsPerInch && down % 2 != 0);
            ASSERT_EQ(TwipsToPixels(twips, dpi), down + (up ? 1 : 0)) << twips << " at " << dpi;
        }
        // A pixel measure taken to twips and back is the same pixel.
        for (int pixels = -500; pixels <= 5000; ++pixels)
            ASSERT_EQ(TwipsToPixels(PixelsToTwips(pixels, dpi), dpi), pixels) << pixels << " at " << dpi;
    }
}

}  // namespace
}  // namespace kvl

#include "platform/colour_depth.h"

namespace kvl {
namespace {

TEST(ColourDepth, SixteenBitsAndMoreAreRich) {
    EXPECT_FALSE(IsRichColourCount(1, 4));
    EXPECT_FALSE(IsRichColourCount(1, 8));
    EXPECT_FALSE(IsRichColourCount(1, 15));
    EXPECT_TRUE(IsRichColourCount(1, 16));
    EXPECT_TRUE(IsRichColourCount(1, 24));
    EXPECT_TRUE(IsRichColourCount(1, 32));  // 2^32 needs more than 32 bits
    EXPECT_TRUE(IsRichColourCount(4, 16));
    EXPECT_FALSE(IsRichColourCount(0, 0));  // nothing readable: low colour
}

}  // namespace
}  // namespace kvl
