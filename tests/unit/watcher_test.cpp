#include <gtest/gtest.h>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "engine/watch_tracker.h"

namespace kvl {
namespace {

using Ids = std::vector<int>;

TEST(CaptionText, IgnoresLetterCaseInEveryScript) {
    EXPECT_TRUE(CaptionText("untitled - notepad", true).Matches(FoldCase("Untitled - Notepad")));
    EXPECT_TRUE(CaptionText("ÜBER", false).Matches(FoldCase("Alles über uns")));
    EXPECT_TRUE(CaptionText("ΣΦΆΛΜΑ", true).Matches(FoldCase("σφάλμα")));
    EXPECT_TRUE(CaptionText("ошибка", false).Matches(FoldCase("Критическая ОШИБКА")));
    EXPECT_TRUE(CaptionText("ǅ", true).Matches(FoldCase("ǆ")));
    EXPECT_FALSE(CaptionText("note", true).Matches(FoldCase("Notepad")));
    EXPECT_TRUE(CaptionText("", false).Matches(FoldCase("anything")));
    // Malformed text never matches real letters by accident.
    EXPECT_FALSE(CaptionText("a", true).Matches(FoldCase("\xC3")));
}

TEST(CaptionText, CharactersPresentOutOfOrderOrSharingABucketAreNoMatch) {
    // '!' (U+0021) and 'a' (U+0061) fall in one bucket: only the search can tell them apart.
    EXPECT_FALSE(CaptionText("a", false).Matches(FoldCase("!")));
    EXPECT_FALSE(CaptionText("ab", false).Matches(FoldCase("b a")));
    EXPECT_FALSE(CaptionText("ab", true).Matches(FoldCase("ba")));
    EXPECT_TRUE(CaptionText("b a", false).Matches(FoldCase("xB Ax")));
    // Letters far above ASCII, in buckets of their own and shared with ASCII ones.
    EXPECT_TRUE(
        CaptionText("\xF0\x9F\x98\x80 ok", false).Matches(FoldCase("Fine \xF0\x9F\x98\x80 OK")));
    EXPECT_FALSE(CaptionText("\xF0\x9F\x98\x80", false).Matches(FoldCase("\xF0\x9F\x98\x81")));
}

TEST(CaptionText, BucketsOfATextCoverThoseOfEachPartOfIt) {
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

// The windows of a desktop where two programs show the same dialog.
struct Seen {
    WindowHandle window;
    std::string caption, windowClass, program;
};
const Seen kNotepadSave{11, "Save changes?", "#32770", "C:\\Windows\\NOTEPAD.EXE"};
const Seen kWriterSave{12, "Save changes?", "#32770", "C:\\Apps\\writer.exe"};
const Seen kSetupMain{13, "Setup - Product 7", "SetupWindow", "C:\\Apps\\Setup.exe"};
const Seen kNotSetup{14, "Setup - Product 7", "SetupWindow", "C:\\Tools\\notsetup.exe"};
const Seen kUnreadable{15, "Save changes?", "#32770", ""};  // a program we may not look into

Ids Opened(WatchTracker& tracker, const Seen& w) {
    return tracker.Observe({w.window, true, w.caption, w.windowClass, w.program});
}

TEST(WatchConditions, ProgramClassAndCaptionMustAllHold) {
    WatchTracker tracker;
    tracker.AddWatch({"", CaptionKind::Partial, "setup.exe"});                         // 0
    tracker.AddWatch({"", CaptionKind::Exact, "", "#32770"});                          // 1
    tracker.AddWatch({"save CHANGES?", CaptionKind::Exact, "notepad.exe", "#32770"});  // 2
    tracker.AddWatch({"", CaptionKind::Partial, "c:\\apps\\setup.exe"});               // 3
    tracker.AddWatch({"Save", CaptionKind::Partial, "C:\\Windows\\notepad.exe"});      // 4
    tracker.AddWatch({"save", CaptionKind::Partial, "", "SetupWindow"});               // 5
    tracker.Baseline({});
    EXPECT_TRUE(tracker.NeedsClass());
    EXPECT_TRUE(tracker.NeedsProgram());

    EXPECT_EQ(Opened(tracker, kNotepadSave), (Ids{1, 2, 4}));
    EXPECT_EQ(Opened(tracker, kWriterSave), (Ids{1}));
    EXPECT_EQ(Opened(tracker, kSetupMain), (Ids{0, 3}));
    // The file name is compared whole, not as the end of the path.
    EXPECT_EQ(Opened(tracker, kNotSetup), (Ids{}));
    EXPECT_EQ(Opened(tracker, kUnreadable), (Ids{1}));

    // A caption that changes later is news for the watches it now meets with the rest.
    EXPECT_EQ(tracker.Observe({13, true, "Save your work", "SetupWindow", kSetupMain.program}),
              (Ids{5}));

    tracker.ClearWatches();
    tracker.AddWatch({"Setup", CaptionKind::Partial});
    EXPECT_FALSE(tracker.NeedsClass() || tracker.NeedsProgram());
}

TEST(WatchConditions, APatternIsFoundAnywhereIgnoringCaseAndAnchorsAtTheEnds) {
    WatchTracker tracker;
    tracker.AddWatch({"^ärger \\d+$", CaptionKind::Pattern});            // 0
    tracker.AddWatch({"save (changes|work)\\?", CaptionKind::Pattern});  // 1
    tracker.AddWatch({"(unclosed", CaptionKind::Pattern});               // 2: matches nothing
    tracker.AddWatch({"", CaptionKind::Pattern, "", "#32770"});          // 3
    tracker.Baseline({});
    EXPECT_EQ(tracker.Observe({1, true, "ÄRGER 42"}), (Ids{0}));
    EXPECT_EQ(tracker.Observe({2, true, "Noch mehr Ärger 42"}), (Ids{}));
    EXPECT_EQ(tracker.Observe({3, true, "Notepad: SAVE CHANGES? now", "#32770"}), (Ids{1, 3}));
    EXPECT_EQ(tracker.Observe({4, true, "(unclosed"}), (Ids{}));
}

TEST(CaptionPatternProblem, RefusesWhatNoSizeCanBoundAndRunsNothingItRefused) {
    // Nested lookaheads took seconds on a long caption, though short.
    const std::string lookahead = "(?=.*(?=.*(?=.*q)))";
    EXPECT_EQ(CaptionPatternProblem(lookahead),
              "it looks ahead with (?= or (?!, which would slow everything down");
    EXPECT_NE(CaptionPatternProblem("setup(?!x)"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("(?<=a)b"),
              "it looks behind with (?<= or (?<!, which I cannot do");
    EXPECT_EQ(CaptionPatternProblem("(?<!a)b"),
              "it looks behind with (?<= or (?<!, which I cannot do");
    EXPECT_NE(CaptionPatternProblem("(?<name>a)"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("(a)\\1"),
              "it refers back to a group (like \\1), which I cannot match quickly");
    // The dearest shapes the bench measures stand right at the limit.
    EXPECT_EQ(CaptionPatternProblem("a{47}q"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("[\\s\\S]{7}q"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem("a{48}q"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem(".{47}q"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem("x{1,200}"), std::nullopt);
    // A class is weighed by what it holds, not as one character.
    EXPECT_NE(CaptionPatternProblem("[b-bc-cd-de-ef-fg-gh-hi-ij-jk-kl-lm-mn-no-op-p]q"),
              std::nullopt);

    WatchTracker tracker;
    tracker.AddWatch({lookahead, CaptionKind::Pattern});
    tracker.AddWatch({"(a+)+b", CaptionKind::Pattern});
    tracker.AddWatch({"a$", CaptionKind::Pattern});  // the 256th character is still seen
    tracker.Baseline({});
    EXPECT_EQ(tracker.Observe({1, true, std::string(255, 'a') + "q"}), (Ids{}));
    // Past 256 units a caption is cut, as every caption KVL reads is: no "b" is seen.
    EXPECT_EQ(tracker.Observe({2, true, std::string(256, 'a') + "b"}), (Ids{2}));
}

TEST(CaptionPatternProblem, AskForTheSmallLetterACaptionHolds) {
    // Captions are folded before a pattern sees them: "\u00C9" would never match.
    EXPECT_EQ(CaptionPatternProblem("caf\\u00C9"),
              "\\u00C9 in it is a capital letter, and I compare captions in small letters: "
              "write é instead");
    EXPECT_NE(CaptionPatternProblem("[\\u00C0-\\u00DE]"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem("\\xC9"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("caf\\u00e9 \\u0041"), std::nullopt);

    WatchTracker tracker;
    tracker.AddWatch({"caf\\u00e9$", CaptionKind::Pattern});
    tracker.AddWatch({"^CAF\\w [A-Z]", CaptionKind::Pattern});  // ASCII case is the regex's
    tracker.Baseline({});
    EXPECT_EQ(tracker.Observe({1, true, "Welcome to CAFÉ"}), (Ids{0}));
    EXPECT_EQ(tracker.Observe({2, true, "cafe menu"}), (Ids{1}));
}

TEST(CaptionPatternProblem, NamesWhatIsWrongAndRefusesWhatWouldBeSlow) {
    EXPECT_EQ(CaptionPatternProblem("^Save (changes|work)\\?$"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem(""), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("(Setup"), "its parentheses do not pair up");
    // Whole only when wrapped for the search: still refused.
    EXPECT_EQ(CaptionPatternProblem("a)|(b"), "its parentheses do not pair up");
    EXPECT_NE(CaptionPatternProblem("[abc"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem("*Setup"), std::nullopt);
    EXPECT_NE(CaptionPatternProblem("((a{40}){40}){40}"), std::nullopt);
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
