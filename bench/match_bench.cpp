// The watcher's hot path on the host: one window event (a window as it is now) against 50
// watches, through WatchTracker::Observe, which folds the caption and tries every watch.
//
//   kvl_match_bench [benchmark flags]       Google Benchmark: time per event
//   kvl_match_bench --events N [--match] [--conditions]
//                                           exactly N events and nothing else, for counting
//                                           instructions under callgrind (two runs with
//                                           different N give the cost of one event);
//                                           --conditions: against 50 watches that each have a
//                                           program, a class and a caption pattern
//   kvl_match_bench --dearest               the dearest caption patterns this bench can find,
//                                           each on a 256-unit caption made to hurt it, beside
//                                           the search budget; then 50 watches of the dearest
//                                           against one window event and a burst of 500
//                                           (a markdown table)
//   kvl_match_bench --differential          the engine against std::regex (as the earlier
//                                           releases ran patterns) on a corpus of patterns and
//                                           captions: where they part, and why
//
// Each event of the Observe benchmarks gives the window a caption other than the last one:
// the watcher remembers a window's result per caption, and what is measured is the matching.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/caption_match.h"
#include "engine/caption_regex.h"
#include "engine/watch_tracker.h"

namespace {

const char* const kWords[] = {"Setup",   "Update",   "Warning", "Error",  "Licence",
                              "Welcome", "Reminder", "Install", "Notice", "Expired"};

// Fifty watches of the kind users keep: parts of captions, some whole captions.
kvl::WatchTracker FiftyWatches() {
    kvl::WatchTracker tracker;
    for (int k = 0; k < 50; ++k) {
        std::string caption = std::string(kWords[k % 10]) + " " + std::to_string(k);
        if (k % 5 == 4) caption += " - Äpfel Übersicht";  // a few beyond ASCII
        tracker.AddWatch(
            {caption, k % 5 == 0 ? kvl::CaptionKind::Exact : kvl::CaptionKind::Partial});
    }
    tracker.Baseline({});
    return tracker;
}

// Fifty watches that each name a program, a class and a caption pattern: the dialogs of
// fifty programs, most of them of the standard dialog class.
kvl::WatchTracker FiftyConditionedWatches() {
    kvl::WatchTracker tracker;
    for (int k = 0; k < 50; ++k) {
        kvl::Watch w;
        w.caption = "^" + std::string(kWords[k % 10]) + " " + std::to_string(k) + "\\b";
        w.captionKind = kvl::CaptionKind::Pattern;
        w.program = "program" + std::to_string(k) + ".exe";
        w.windowClass = k % 4 == 1 ? "Wizard" + std::to_string(k) : "#32770";
        tracker.AddWatch(w);
    }
    tracker.Baseline({});
    return tracker;
}

// A window that matches none of them (the common case) and one that matches watch 7; for
// the conditioned watches a standard dialog of an unwatched program, and one of program 7.
// Two captions each, taken in turn: every event is a new caption for the window.
const kvl::WindowView kOrdinary[2] = {{0x1001, true, "Untitled Document - Text Editor 2.1"},
                                      {0x1001, true, "Untitled Document - Text Editor 2.2"}};
const kvl::WindowView kMatching[2] = {{0x1002, true, "Install 7 - Product Wizard"},
                                      {0x1002, true, "Install 7 - Product Wizard (2)"}};
const kvl::WindowView kOrdinaryDialog[2] = {{0x1003, true, "Untitled Document - Text Editor 2.1",
                                             "#32770", "C:\\Program Files\\Editor\\editor.exe"},
                                            {0x1003, true, "Untitled Document - Text Editor 2.2",
                                             "#32770", "C:\\Program Files\\Editor\\editor.exe"}};
const kvl::WindowView kMatchingDialog[2] = {{0x1004, true, "Install 7 - Product Wizard", "#32770",
                                             "C:\\Program Files\\Product\\program7.exe"},
                                            {0x1004, true, "Install 7 - Product Wizard (2)",
                                             "#32770", "C:\\Program Files\\Product\\program7.exe"}};

std::size_t RunEvents(long long count, bool conditioned, const kvl::WindowView* views) {
    kvl::WatchTracker tracker = conditioned ? FiftyConditionedWatches() : FiftyWatches();
    std::size_t reported = 0;
    for (long long i = 0; i < count; ++i) reported += tracker.Observe(views[i & 1]).size();
    return reported;
}

void ObserveInTurn(benchmark::State& state, kvl::WatchTracker tracker,
                   const kvl::WindowView* views) {
    unsigned turn = 0;
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Observe(views[turn++ & 1]));
}

void BM_ObserveOrdinaryWindow(benchmark::State& state) {
    ObserveInTurn(state, FiftyWatches(), kOrdinary);
}
BENCHMARK(BM_ObserveOrdinaryWindow);

void BM_ObserveMatchingWindow(benchmark::State& state) {
    ObserveInTurn(state, FiftyWatches(), kMatching);
}
BENCHMARK(BM_ObserveMatchingWindow);

void BM_ObserveOrdinaryWindowConditioned(benchmark::State& state) {
    ObserveInTurn(state, FiftyConditionedWatches(), kOrdinaryDialog);
}
BENCHMARK(BM_ObserveOrdinaryWindowConditioned);

void BM_ObserveMatchingWindowConditioned(benchmark::State& state) {
    ObserveInTurn(state, FiftyConditionedWatches(), kMatchingDialog);
}
BENCHMARK(BM_ObserveMatchingWindowConditioned);

}  // namespace

// In pattern_bench.cpp.
int Dearest();
int Differential();
int StepsNeeded();

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--events") == 0) {
        const long long count = std::atoll(argv[2]);
        bool match = false, conditioned = false;
        for (int i = 3; i < argc; ++i) {
            match = match || std::strcmp(argv[i], "--match") == 0;
            conditioned = conditioned || std::strcmp(argv[i], "--conditions") == 0;
        }
        const kvl::WindowView* views = conditioned ? (match ? kMatchingDialog : kOrdinaryDialog)
                                                   : (match ? kMatching : kOrdinary);
        const std::size_t reported = RunEvents(count, conditioned, views);
        // A matching window is news once; an ordinary one never.
        const std::size_t expected = match && count > 0 ? 1 : 0;
        std::printf("%lld events, %zu reports\n", count, reported);
        return reported == expected ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--dearest") == 0) {
        if (argc >= 4 && std::strcmp(argv[2], "--budget") == 0)
            kvl::SetPatternSearchBudget(std::atoll(argv[3]));
        return Dearest();
    }
    if (argc >= 2 && std::strcmp(argv[1], "--steps") == 0) return StepsNeeded();
    if (argc >= 2 && std::strcmp(argv[1], "--differential") == 0) return Differential();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
