#include "cmdline/command_line.h"

#include <gtest/gtest.h>

#include "app/reported_windows.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_minute_timer.h"
#include "fakes/fake_pause_timer.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_watcher.h"

namespace kvl {
namespace {

// Written out in full on purpose: this is the text users see, byte for byte.
const std::string kReference =
    "Command line reference:\n\r"
    "\n\r"
    "/caption[..window caption...]   = Full or partial caption of the window to look for\n\r"
    "/run[..path of application...]     = If you want to launch the application first\n\r"
    "/wait[..number of minutes...]   = Number of minutes to wait for the window. Default is 3\n\r"
    "/sendkeys[..keystrokes...]        = sends keystrokes to the window. See help file for "
    "details\n\r"
    "\n\r"
    "/min                              = Minimize the window\n\r"
    "/max                             = Maximize the window\n\r"
    "/restore                        = Restore the window\n\r"
    "/close                           = Close the window\n\r"
    "/hide                             = Hide the window";

const std::string kProblem =
    "I had a problem understanding your command line. Make sure it's in the correct format. "
    "Also, if you're launching the application, make sure the path is correct. " +
    kReference;

TEST(CommandLineReference, IsTheTwelveLinesExactly) {
    const std::string text = CommandLineReference();
    EXPECT_EQ(text, kReference);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    EXPECT_NE(text.back(), '\r');
}

TEST(BracketValue, TakesTheTextUpToTheFirstClosingBracket) {
    EXPECT_EQ(BracketValue("/caption[abc]", "/caption"), "abc");
    EXPECT_EQ(BracketValue("/caption[a]b]", "/caption"), "a");
    EXPECT_EQ(BracketValue("/caption[]", "/caption"), "");
    EXPECT_EQ(BracketValue("/caption[ two  words ]", "/caption"), " two  words ");
    EXPECT_EQ(BracketValue("/caption[a[b]", "/caption"), "a[b");
    // The "[" need not follow the switch at once; it is simply the next one.
    EXPECT_EQ(BracketValue("/caption /max /run[x]", "/caption"), "x");
    // Only the first occurrence of the switch counts.
    EXPECT_EQ(BracketValue("/wait[1] /wait[2]", "/wait"), "1");
}

TEST(BracketValue, FailsWithoutSwitchOrBrackets) {
    EXPECT_EQ(BracketValue("/max", "/caption"), std::nullopt);
    EXPECT_EQ(BracketValue("/caption abc", "/caption"), std::nullopt);
    EXPECT_EQ(BracketValue("/caption[abc", "/caption"), std::nullopt);
    EXPECT_EQ(BracketValue("[abc] /caption", "/caption"), std::nullopt);
    EXPECT_EQ(BracketValue("/caption]abc[", "/caption"), std::nullopt);
}

TEST(WaitMinutes, ReadsDecimalNumbersAndRoundsHalvesToEven) {
    EXPECT_EQ(WaitMinutes("10"), 10);
    EXPECT_EQ(WaitMinutes("0"), 0);
    EXPECT_EQ(WaitMinutes("007"), 7);
    EXPECT_EQ(WaitMinutes("2.5"), 2);
    EXPECT_EQ(WaitMinutes("3.5"), 4);
    EXPECT_EQ(WaitMinutes("2.50"), 2);
    EXPECT_EQ(WaitMinutes("2.500001"), 3);
    EXPECT_EQ(WaitMinutes("2.49999"), 2);
    EXPECT_EQ(WaitMinutes(".5"), 0);
    EXPECT_EQ(WaitMinutes("0.05"), 0);
    EXPECT_EQ(WaitMinutes("5."), 5);
    EXPECT_EQ(WaitMinutes("-1.5"), -2);
    EXPECT_EQ(WaitMinutes("-2.5"), -2);
    EXPECT_EQ(WaitMinutes("+4"), 4);
    EXPECT_EQ(WaitMinutes("-0"), 0);
    EXPECT_EQ(WaitMinutes(" 12\t"), 12);
    EXPECT_EQ(WaitMinutes("1e2"), 100);
    EXPECT_EQ(WaitMinutes("25E-1"), 2);
    EXPECT_EQ(WaitMinutes("1e-999999999999"), 0);
    EXPECT_EQ(WaitMinutes("0e999999999999"), 0);
}

TEST(WaitMinutes, HoldsTheSixteenBitRange) {
    EXPECT_EQ(WaitMinutes("32767"), 32767);
    EXPECT_EQ(WaitMinutes("32767.4"), 32767);
    EXPECT_EQ(WaitMinutes("32767.5"), std::nullopt);
    EXPECT_EQ(WaitMinutes("32768"), std::nullopt);
    EXPECT_EQ(WaitMinutes("-32768"), -32768);
    EXPECT_EQ(WaitMinutes("-32768.5"), -32768);
    EXPECT_EQ(WaitMinutes("-32769"), std::nullopt);
    EXPECT_EQ(WaitMinutes("40000"), std::nullopt);
    EXPECT_EQ(WaitMinutes("99999.9"), std::nullopt);
    EXPECT_EQ(WaitMinutes("00000000000000000001"), 1);
    EXPECT_EQ(WaitMinutes("1e999999999999"), std::nullopt);
}

TEST(WaitMinutes, RefusesWhatIsNotOneNumber) {
    for (const char* text :
         {"",      " ",   "x",   "5x", "x5", "-",   "+",    ".",    "-.",   "1.2.3",
          "1 000", "1,5", "- 5", "e5", "1e", "1e+", "0x10", "&h10", "five", "++1"})
        EXPECT_EQ(WaitMinutes(text), std::nullopt) << '"' << text << '"';
}

TEST(IsHelpRequest, KnowsTheSwitchesAndTheBareWords) {
    for (const char* text : {"/?", "/help", "/caption[x] /?", "/caption[a/?b]", "/helpme", "?",
                             " ? ", "help", "\thelp  "})
        EXPECT_TRUE(IsHelpRequest(text)) << '"' << text << '"';
    for (const char* text :
         {"", "? ?", "help me", "?x", "/caption[help]", "/caption[what?]", "/ ?", "\\?"})
        EXPECT_FALSE(IsHelpRequest(text)) << '"' << text << '"';
}

class RunCommandLineTest : public ::testing::Test {
protected:
    CommandLineOutcome Run(std::string_view line) {
        return RunCommandLine(line, shell, watcher, timer);
    }
    // Nothing registered, nothing timed: the run stopped before the watch.
    void ExpectNoWatchNoTimer() {
        EXPECT_TRUE(watcher.watches.empty());
        EXPECT_EQ(watcher.level, -1);
        EXPECT_TRUE(timer.intervals.empty());
        EXPECT_FALSE(timer.enabled);
    }
    void ExpectOneProblemBox() {
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, kProblem);
        EXPECT_EQ(shell.boxes[0].title, "KVL");
    }

    fakes::FakeShell shell;
    fakes::FakeWatcher watcher;
    fakes::FakeMinuteTimer timer;
};

TEST_F(RunCommandLineTest, HelpWinsOverEverythingElse) {
    for (const char* line : {"/HELP", "Help", " ? ", "/run[app.exe] /caption[x] /wait[y /?",
                             "/caption[/HeLp]", "/wait[x] /?"}) {
        SCOPED_TRACE(line);
        shell = {};
        EXPECT_EQ(Run(line), CommandLineOutcome::Help);
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, kReference);
        EXPECT_EQ(shell.boxes[0].title, "KVL");
        EXPECT_TRUE(shell.launches.empty());
        ExpectNoWatchNoTimer();
    }
}

TEST_F(RunCommandLineTest, CaptionBecomesOneLowerCasePartialWatchAtTheStrongestLevel) {
    EXPECT_EQ(Run("/caption[Untitled - Notepad]"), CommandLineOutcome::Waiting);
    EXPECT_EQ(watcher.watches,
              (std::vector<Watch>{{"untitled - notepad", CaptionKind::Partial}}));
    EXPECT_EQ(watcher.level, 1);
    EXPECT_EQ(timer.intervals, std::vector<int>{3});
    EXPECT_TRUE(timer.enabled);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(RunCommandLineTest, LowerCasesBeyondAscii) {
    EXPECT_EQ(Run("/CAPTION[ÉCRAN Ωμέγα Привет]"), CommandLineOutcome::Waiting);
    ASSERT_EQ(watcher.watches.size(), 1u);
    EXPECT_EQ(watcher.watches[0].caption, "écran ωμέγα привет");
}

// Malformed UTF-8 that decodes to ASCII (overlong forms) must stay the bytes it was, or it
// would turn into switches, brackets and help requests nobody wrote.
TEST_F(RunCommandLineTest, MalformedUtf8NeverBecomesSwitchCharacters) {
    EXPECT_EQ(Run("\xC0\xAFhelp"), CommandLineOutcome::Waiting);  // 2-byte overlong "/"
    EXPECT_EQ(Run("\xE0\x80\xAF?"), CommandLineOutcome::Waiting);  // 3-byte overlong "/"
    EXPECT_TRUE(shell.boxes.empty());

    timer = {};
    EXPECT_EQ(Run("/caption[x] \xF0\x80\x80\xAFrun[app.exe]"), CommandLineOutcome::Waiting);
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_EQ(Run("/caption[a\xC1\x9D b]"), CommandLineOutcome::Waiting);  // overlong "]"

    // Every malformed kind passes through untouched: overlong, surrogate, past U+10FFFF, cut.
    const std::string odd = "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF7\xBF\xBF\xBF\xE2\x84 \xC3\x89";
    EXPECT_EQ(watcher.watches.back().caption, "a\xC1\x9D b");
    watcher = {};
    EXPECT_EQ(Run("/caption[" + odd + "]"), CommandLineOutcome::Waiting);
    ASSERT_EQ(watcher.watches.size(), 1u);
    EXPECT_EQ(watcher.watches[0].caption, odd.substr(0, odd.size() - 2) + "\xC3\xA9");
}

TEST_F(RunCommandLineTest, LaunchesTheLowerCasedProgramLineThenWatchesAndWaits) {
    EXPECT_EQ(Run("/Run[C:\\Tools\\App.EXE -X \"A b\"] /caption[ App ] /WAIT[10] /max"),
              CommandLineOutcome::Waiting);
    EXPECT_EQ(shell.launches, std::vector<std::string>{"c:\\tools\\app.exe -x \"a b\""});
    EXPECT_EQ(watcher.watches, (std::vector<Watch>{{" app ", CaptionKind::Partial}}));
    EXPECT_EQ(timer.intervals, std::vector<int>{10});
    EXPECT_TRUE(timer.enabled);
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(RunCommandLineTest, WithoutCaptionNothingIsWatchedButTheTimerStillRuns) {
    EXPECT_EQ(Run("/run[app.exe]"), CommandLineOutcome::Waiting);
    EXPECT_EQ(shell.launches.size(), 1u);
    EXPECT_TRUE(watcher.watches.empty());
    EXPECT_EQ(watcher.level, -1);
    EXPECT_EQ(timer.intervals, std::vector<int>{3});
    EXPECT_TRUE(timer.enabled);

    // Action switches are none of this step's business, whatever their case.
    timer = {};
    EXPECT_EQ(Run("/caption[calc] /MAX"), CommandLineOutcome::Waiting);
    EXPECT_TRUE(timer.enabled);
}

TEST_F(RunCommandLineTest, WaitValuesReachTheTimerRounded) {
    const std::pair<const char*, int> cases[] = {{"/wait[2.5]", 2},
                                                 {"/wait[3.5]", 4},
                                                 {"/wait[0]", 0},
                                                 {"/wait[-4]", -4},
                                                 {"/wait[ 7 ]", 7}};
    for (const auto& [line, minutes] : cases) {
        SCOPED_TRACE(line);
        timer = {};
        EXPECT_EQ(Run(line), CommandLineOutcome::Waiting);
        EXPECT_EQ(timer.intervals, std::vector<int>{minutes});
        EXPECT_TRUE(timer.enabled);
    }
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(RunCommandLineTest, FailedLaunchShowsTheProblemAndDoesNothingMore) {
    shell.launchSucceeds = false;
    EXPECT_EQ(Run("/run[C:\\No\\Such.exe] /caption[x] /wait[5]"), CommandLineOutcome::Error);
    EXPECT_EQ(shell.launches, std::vector<std::string>{"c:\\no\\such.exe"});
    ExpectOneProblemBox();
    ExpectNoWatchNoTimer();
}

TEST_F(RunCommandLineTest, MissingBracketsAreProblems) {
    for (const char* line : {"/caption[abc", "/caption abc", "/run", "/run[app.exe", "/wait 5",
                             "/wait[5", "/caption[x]] /run"}) {
        SCOPED_TRACE(line);
        shell = {};
        watcher = {};
        timer = {};
        EXPECT_EQ(Run(line), CommandLineOutcome::Error);
        ExpectOneProblemBox();
        EXPECT_TRUE(shell.launches.empty());
        EXPECT_FALSE(timer.enabled);
    }
}

// The whole line is read before anything is done: no window "x" may be closed while the
// problem box is up, and nothing is launched for a line that is wrong anyway.
TEST_F(RunCommandLineTest, BadWaitIsAProblemBeforeAnythingIsDone) {
    for (const char* line :
         {"/caption[x] /close /wait[bad]", "/run[app.exe] /caption[x] /wait[]",
          "/run[app.exe] /caption[x] /wait[40000]"}) {
        SCOPED_TRACE(line);
        shell = {};
        watcher = {};
        timer = {};
        EXPECT_EQ(Run(line), CommandLineOutcome::Error);
        ExpectOneProblemBox();
        EXPECT_TRUE(shell.launches.empty());
        ExpectNoWatchNoTimer();
    }
}

TEST_F(RunCommandLineTest, SwitchesInsideOtherValuesAreFoundByPlainSearch) {
    // The wait inside the program line is still a wait, and its "[" cuts the program line.
    EXPECT_EQ(Run("/run[tool /wait[7]]"), CommandLineOutcome::Waiting);
    EXPECT_EQ(shell.launches, std::vector<std::string>{"tool /wait[7"});
    EXPECT_EQ(timer.intervals, std::vector<int>{7});

    // A caption that mentions "/run" asks for a launch that has no value.
    shell = {};
    EXPECT_EQ(Run("/caption[/run]"), CommandLineOutcome::Error);
    EXPECT_TRUE(shell.launches.empty());
    ExpectOneProblemBox();

    // The caption is cut at the first "]", even when that closes another switch's value.
    shell = {};
    watcher = {};
    timer = {};
    EXPECT_EQ(Run("/caption[report /wait[2] done]"), CommandLineOutcome::Waiting);
    EXPECT_EQ(watcher.watches, (std::vector<Watch>{{"report /wait[2", CaptionKind::Partial}}));
    EXPECT_EQ(timer.intervals, std::vector<int>{2});
}

using fakes::FakeDesktop;
using Op = FakeDesktop::Op;

class CommandLineBranch : public ::testing::Test {
protected:
    void SetUp() override { window = desktop.AddWindow("Untitled - Notepad"); }
    // The awaited window as the one-shot run deals with it; the exit code it ends with.
    int Run(std::string_view commandLine) {
        fakes::FakeClock clock;
        fakes::FakePauseTimer timer;
        ReportedWindows reported(desktop, clock, timer);
        int exitCode = -1;
        reported.onAwaitedEnd = [&](int code) { exitCode = code; };
        reported.AwaitedWindowOpen(std::string(commandLine), window, shell);
        while (timer.pending) {
            timer.pending.reset();
            reported.PauseEnded();
        }
        return exitCode;
    }
    std::vector<int> ShowCommands() const {
        std::vector<int> out;
        for (const auto& c : desktop.CallsOf(Op::Show)) out.push_back(c.command);
        return out;
    }

    FakeDesktop desktop;
    fakes::FakeShell shell;
    WindowHandle window = 0;
};

TEST_F(CommandLineBranch, OnlyTheFirstSwitchInItsOrderActs) {
    Run("/caption[notepad] /max /min");
    EXPECT_EQ(ShowCommands(), std::vector<int>{2});
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(CommandLineBranch, ASwitchInsideAValueCountsButCapitalsDoNot) {
    desktop.windows[window].caption = "Please /hide me";
    Run("/caption[/hide me]");
    EXPECT_EQ(ShowCommands(), std::vector<int>{0});

    desktop.calls.clear();
    Run("/caption[notepad] /MAX");
    EXPECT_TRUE(desktop.calls.empty());
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].title, "KVL");
    EXPECT_EQ(shell.boxes[0].text,
              "I found your window but you didn't instruct me to do anything meaningful once I "
              "found it. " + CommandLineReference());
}

// The keys go into the very window that was found, and a script is told when they could not.
TEST_F(CommandLineBranch, SendKeysTypesIntoTheWindowFoundAndTellsWhenItCouldNot) {
    const WindowHandle sameCaption = desktop.AddWindow("Untitled - Notepad");  // in front
    EXPECT_EQ(Run("/caption[notepad] /sendkeys[Hi~]"), kExitActed);
    const auto activations = desktop.CallsOf(Op::BringForward);
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].window, window);
    const KeySequence expected = {{0, U'H', 0}, {0, U'i', 0}, {vk::kReturn, 0, 0}};
    EXPECT_EQ(desktop.Typed(), std::vector<KeySequence>{expected});
    EXPECT_TRUE(shell.boxes.empty());

    // Hidden first, the window takes no keys: none go to the other one either.
    desktop.calls.clear();
    EXPECT_EQ(Run("/caption[notepad] /hide /sendkeys[x]"), kExitNotDone);
    EXPECT_TRUE(desktop.Typed().empty());
    desktop.windows[window].visible = true;
    desktop.foreground = sameCaption;
    desktop.activationWorks = false;
    EXPECT_EQ(Run("/caption[notepad] /sendkeys[x]"), kExitNotDone);
    desktop.activationWorks = true;
    desktop.injectionWorks = false;  // Windows took the keys only in part
    EXPECT_EQ(Run("/caption[NOTEPAD] /max /sendkeys[x]"), kExitNotDone);
    desktop.injectionWorks = true;
    desktop.windows[window].caption = "Saved - Editor";  // renamed: no longer the one
    EXPECT_EQ(Run("/caption[notepad] /sendkeys[x]"), kExitNotDone);
    EXPECT_TRUE(desktop.CallsOf(Op::Inject).size() == 1u) << "only the Refused one went out";
    EXPECT_NE(desktop.foreground, sameCaption);
}

// A window Windows shields from us, or one that will not take the action, is no success.
TEST_F(CommandLineBranch, AnActionThatCouldNotBeDoneEndsWithExitCode4) {
    desktop.windows[window].integrity = 0x3000;
    EXPECT_EQ(Run("/caption[notepad] /close"), kExitNotDone);
    EXPECT_TRUE(desktop.calls.empty());
    desktop.windows[window].integrity = 0x2000;
    desktop.showWorks = false;
    EXPECT_EQ(Run("/caption[notepad] /close"), kExitNotDone);
    EXPECT_EQ(Run("/caption[notepad] /min"), kExitNotDone);
    desktop.showWorks = true;
    EXPECT_EQ(Run("/caption[notepad] /min"), kExitActed);
}

TEST_F(CommandLineBranch, SendKeysWithoutBracketsTypesNothingAndSaysNothing) {
    for (std::string_view line : {"/caption[notepad] /sendkeys", "/caption[x] /sendkeys[abc"}) {
        desktop.calls.clear();
        Run(line);
        for (const auto& keys : desktop.Typed()) EXPECT_TRUE(keys.empty()) << line;
        EXPECT_TRUE(shell.boxes.empty()) << line;
    }
}

}  // namespace
}  // namespace kvl
