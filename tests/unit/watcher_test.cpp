#include <gtest/gtest.h>

#include "engine/caption_match.h"
#include "engine/watch_tracker.h"

namespace kvl {
namespace {

using Ids = std::vector<int>;

TEST(CaptionPattern, IgnoresLetterCaseInEveryScript) {
    EXPECT_TRUE(CaptionPattern("untitled - notepad", true).Matches(FoldCase("Untitled - Notepad")));
    EXPECT_TRUE(CaptionPattern("ÜBER", false).Matches(FoldCase("Alles über uns")));
    EXPECT_TRUE(CaptionPattern("ΣΦΆΛΜΑ", true).Matches(FoldCase("σφάλμα")));
    EXPECT_TRUE(CaptionPattern("ошибка", false).Matches(FoldCase("Критическая ОШИБКА")));
    EXPECT_TRUE(CaptionPattern("ǅ", true).Matches(FoldCase("ǆ")));
    EXPECT_FALSE(CaptionPattern("note", true).Matches(FoldCase("Notepad")));
    EXPECT_TRUE(CaptionPattern("", false).Matches(FoldCase("anything")));
    // Malformed text never matches real letters by accident.
    EXPECT_FALSE(CaptionPattern("a", true).Matches(FoldCase("\xC3")));
}

TEST(CaptionPattern, CharactersPresentOutOfOrderOrSharingABucketAreNoMatch) {
    // '!' (U+0021) and 'a' (U+0061) fall in one bucket: only the search can tell them apart.
    EXPECT_FALSE(CaptionPattern("a", false).Matches(FoldCase("!")));
    EXPECT_FALSE(CaptionPattern("ab", false).Matches(FoldCase("b a")));
    EXPECT_FALSE(CaptionPattern("ab", true).Matches(FoldCase("ba")));
    EXPECT_TRUE(CaptionPattern("b a", false).Matches(FoldCase("xB Ax")));
    // Letters far above ASCII, in buckets of their own and shared with ASCII ones.
    EXPECT_TRUE(
        CaptionPattern("\xF0\x9F\x98\x80 ok", false).Matches(FoldCase("Fine \xF0\x9F\x98\x80 OK")));
    EXPECT_FALSE(CaptionPattern("\xF0\x9F\x98\x80", false).Matches(FoldCase("\xF0\x9F\x98\x81")));
}

TEST(CaptionPattern, BucketsOfATextCoverThoseOfEachPartOfIt) {
    const std::u32string text = FoldCase("Ärger im Büro — Fehler 0x80070005 (Σφάλμα)");
    for (std::size_t from = 0; from < text.size(); ++from)
        for (std::size_t n = 0; from + n <= text.size(); ++n) {
            const std::u32string_view part(text.data() + from, n);
            EXPECT_EQ(CharacterBuckets(part) & ~CharacterBuckets(text), 0u);
        }
    EXPECT_EQ(CharacterBuckets(U""), 0u);
    EXPECT_NE(CharacterBuckets(U"a"), CharacterBuckets(U"b"));
}

class Tracker : public ::testing::Test {
protected:
    void SetUp() override {
        tracker.AddWatch({"Setup", CaptionKind::Partial});         // 0
        tracker.AddWatch({"Error", CaptionKind::Exact});           // 1
        tracker.AddWatch({"setup wizard", CaptionKind::Partial});  // 2
        tracker.Baseline({{1, true, "Setup Wizard"}, {2, false, "Error"}});
    }
    Ids See(WindowHandle w, std::string_view caption, bool shown = true) {
        return tracker.Observe({w, shown, caption});
    }
    WatchTracker tracker;
};

TEST_F(Tracker, WindowsMatchingAtRegistrationAreNotNews) {
    EXPECT_EQ(See(1, "Setup Wizard"), Ids{});
    // Window 2 was hidden at registration: showing it is an opening.
    EXPECT_EQ(See(2, "Error"), Ids{1});
}

TEST_F(Tracker, ReportsEachWatchOnceWhenItStartsToMatch) {
    EXPECT_EQ(See(3, "Program Setup Wizard"), (Ids{0, 2}));
    EXPECT_EQ(See(3, "Program Setup Wizard"), Ids{});
    EXPECT_EQ(See(3, "ERROR"), Ids{1});
    EXPECT_EQ(See(3, "Program Setup"), Ids{0});
}

TEST_F(Tracker, ACaptionSetLaterOrAWindowShownLaterIsReported) {
    EXPECT_EQ(See(4, "", false), Ids{});
    EXPECT_EQ(See(4, "Setup", false), Ids{});
    EXPECT_EQ(See(4, "Setup"), Ids{0});
    EXPECT_EQ(See(4, "Setup", false), Ids{});
    EXPECT_EQ(See(4, "Setup"), Ids{0});
}

TEST_F(Tracker, RegisteringAgainNeverRefires) {
    EXPECT_EQ(See(5, "Setup"), Ids{0});
    tracker.ClearWatches();
    tracker.AddWatch({"setup", CaptionKind::Exact});
    EXPECT_EQ(See(6, "Setup"), Ids{});  // nothing before the baseline
    tracker.Baseline({{5, true, "Setup"}});
    EXPECT_EQ(See(5, "Setup"), Ids{});
    EXPECT_EQ(See(6, "Setup"), Ids{0});
}

TEST_F(Tracker, ForgetsWindowsThatAreGone) {
    See(7, "Setup");
    See(8, "Error");
    EXPECT_EQ(tracker.TrackedWindows(), 3u);
    tracker.KeepOnly({1});
    EXPECT_EQ(tracker.TrackedWindows(), 1u);
    tracker.Forget(1);
    EXPECT_EQ(tracker.TrackedWindows(), 0u);
    // A handle used again by a new window is a new window.
    EXPECT_EQ(See(7, "Setup"), Ids{0});
    // Windows that match nothing cost nothing.
    for (WindowHandle w = 100; w < 1100; ++w) See(w, "unrelated");
    EXPECT_EQ(tracker.TrackedWindows(), 1u);
}

TEST(WatchSchedule, FollowsTheStrengthLevel) {
    EXPECT_EQ(ScheduleForLevel(1).pollMs, 50);
    EXPECT_EQ(ScheduleForLevel(2).pollMs, 100);
    EXPECT_EQ(ScheduleForLevel(3).pollMs, 250);
    EXPECT_EQ(ScheduleForLevel(4).pollMs, 500);
    EXPECT_TRUE(ScheduleForLevel(4).eventHook);
    EXPECT_EQ(ScheduleForLevel(10).pollMs, 2000);
    EXPECT_FALSE(ScheduleForLevel(10).eventHook);
    EXPECT_EQ(ScheduleForLevel(0).pollMs, 0);
    EXPECT_FALSE(ScheduleForLevel(0).eventHook);
    EXPECT_EQ(ScheduleForLevel(-3).pollMs, 0);
}

}  // namespace
}  // namespace kvl
