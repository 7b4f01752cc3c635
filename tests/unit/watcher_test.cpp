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

TEST(CaptionPatterns, EarlierReleasesPatternsFindWhatTheyFound) {
    // Patterns users keep; the weighing of the last release refused the first three.
    auto finds = [](std::string_view pattern, std::string_view caption) {
        EXPECT_EQ(CaptionPatternProblem(pattern), std::nullopt) << pattern;
        return CaptionRegex(pattern).Matches(PatternText(FoldCase(caption)));
    };
    EXPECT_TRUE(finds("Setup|Install|Update|Licen[cs]e|Warning|Error", "Licence Agreement"));
    EXPECT_TRUE(finds("^(Save|Discard) changes to .* before closing\\?$",
                      "Save changes to Report.docx before closing?"));
    EXPECT_FALSE(finds("^(Save|Discard) changes to .* before closing\\?$",
                       "Save changes to Report.docx before closing? (2)"));
    EXPECT_TRUE(finds("^Windows Security Alert - Allow access for program\\.exe$",
                      "Windows Security Alert - Allow access for PROGRAM.EXE"));
    EXPECT_TRUE(finds("(?=.*setup)(?=.*x64)", "x64 Setup"));
    EXPECT_FALSE(finds("(?=.*setup)(?=.*x64)", "x86 Setup"));
    // Where another engine's reading differs, the pattern reads as it did: "." and "$" stop at
    // line breaks, "[]" is nothing and "[^]" anything, "\cJ" was the letter J, "[\b]" the
    // backspace.
    EXPECT_FALSE(finds("a.b", "a\nb"));
    EXPECT_FALSE(finds("a.b", "a\u2028b"));
    EXPECT_FALSE(finds("a$", "a\n"));
    EXPECT_FALSE(finds("^b", "a\nb"));
    EXPECT_FALSE(finds("[]a", "a"));
    EXPECT_TRUE(finds("x[^]y", "x\ny"));
    EXPECT_TRUE(finds("\\cJ", "j"));
    EXPECT_TRUE(finds("a[\\b]", "a\b"));
    EXPECT_FALSE(finds("a[\\b]", "a b"));
    EXPECT_TRUE(finds("\\e\\h\\Q", "ehq"));
    // ASCII case is let go in ranges too; a capital beyond ASCII, typed or escaped, finds its
    // small letter.
    EXPECT_TRUE(finds("^CAF\\w [A-Z]", "cafe menu"));
    EXPECT_TRUE(finds("caf\\u00C9$", "Welcome to CAFé"));
    EXPECT_TRUE(finds("(?<=caf)é", "CAFÉ"));
}

TEST(CaptionPatterns, TheBudgetStopsTheDearestShapesAndTheyAreToldOnce) {
    const std::string dashes(256, '-'), as(256, 'a');
    std::string bees;
    for (int k = 0; k < 495; ++k) bees += "\\B";
    // Shapes that would take many times the budget on their caption: each search stops.
    for (const auto& [pattern, caption] : std::vector<std::pair<std::string, std::string>>{
             {bees + "q", dashes}, {"(?:a?){200}a{200}q", as}, {"(?:a|a){0,255}q", as}})
        EXPECT_EQ(CaptionRegex(pattern).Search(PatternText(FoldCase(caption))),
                  PatternSearch::TooLong)
            << pattern;
    // What no budget could bound is refused when it is written.
    EXPECT_EQ(CaptionPatternProblem("(a{1000}){1000}"),
              "it is too large once its counted repetitions (like {100}) are written out");
    EXPECT_EQ(CaptionPatternProblem("(a)\\1"),
              "it refers back to a group (like \\1), which I cannot match quickly");
    EXPECT_EQ(CaptionPatternProblem(std::string(1001, 'a')), "it is longer than 1000 characters");
    EXPECT_EQ(CaptionPatternProblem(std::string(1000, 'a')), std::nullopt);

    // A search that stops is no match; the watcher says so once per watch, however often the
    // window is seen, and a plain watch beside it is not held up.
    WatchTracker tracker;
    std::vector<int> told;
    tracker.OnPatternTooLong([&told](int watchId, WindowHandle) { told.push_back(watchId); });
    tracker.AddWatch({"(?:a?){200}a{200}q", CaptionKind::Pattern});
    tracker.AddWatch({"aaa", CaptionKind::Partial});
    tracker.Baseline({});
    EXPECT_EQ(tracker.Observe({1, true, as}), (Ids{1}));
    EXPECT_EQ(tracker.Observe({2, true, as + "b"}), (Ids{1}));
    EXPECT_EQ(tracker.Observe({1, true, as + "c"}), (Ids{}));
    EXPECT_EQ(told, (Ids{0}));
}

TEST(CaptionPatterns, TheWatcherMatchesAWindowAgainOnlyWhenItsCaptionChanged) {
    WatchTracker tracker;
    tracker.AddWatch({"^setup$", CaptionKind::Pattern});
    tracker.Baseline({});
    EXPECT_EQ(tracker.Observe({1, true, "Setup"}), (Ids{0}));
    EXPECT_EQ(tracker.Observe({1, true, "Setup"}), (Ids{}));
    EXPECT_EQ(tracker.Observe({1, true, "Setup - 50%"}), (Ids{}));
    EXPECT_EQ(tracker.Observe({1, true, "Setup"}), (Ids{0}));
    EXPECT_EQ(tracker.Observe({1, false, "Setup"}), (Ids{}));
    EXPECT_EQ(tracker.Observe({1, true, "Setup"}), (Ids{0}));
    // A handle the system gave to a new window is a new window once the old one was forgotten.
    tracker.Forget(1);
    EXPECT_EQ(tracker.Observe({1, true, "Setup"}), (Ids{0}));
}

TEST(CaptionPatternProblem, NamesWhatIsWrong) {
    EXPECT_EQ(CaptionPatternProblem("^Save (changes|work)\\?$"), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem(""), std::nullopt);
    EXPECT_EQ(CaptionPatternProblem("(Setup"), "its parentheses do not pair up");
    EXPECT_EQ(CaptionPatternProblem("a)|(b"), "its parentheses do not pair up");
    EXPECT_EQ(CaptionPatternProblem("[abc"), "a [ in it is never closed");
    EXPECT_EQ(CaptionPatternProblem("*Setup"), "a *, + or ? in it has nothing before it to repeat");
    EXPECT_EQ(CaptionPatternProblem("[z-a]"), "a range in brackets in it runs backwards");
    EXPECT_EQ(CaptionPatternProblem("a{2,1}"), "a count in braces in it is not one I understand");
    EXPECT_EQ(CaptionPatternProblem("\\u12"), "a backslash in it escapes nothing");
    EXPECT_NE(CaptionPatternProblem("(?<name>a)"), std::nullopt);
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
