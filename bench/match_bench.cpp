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
//
// BM_DearestPattern/...: the caption patterns that cost most of all those the editor takes,
// each on the longest caption (256 characters) that keeps every one of its ways open to the
// end and matches none: what one window can cost the watcher at a poll.

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
const kvl::WindowView kOrdinary{0x1001, true, "Untitled Document - Text Editor 2.1"};
const kvl::WindowView kMatching{0x1002, true, "Install 7 - Product Wizard"};
const kvl::WindowView kOrdinaryDialog{0x1003, true, "Untitled Document - Text Editor 2.1", "#32770",
                                      "C:\\Program Files\\Editor\\editor.exe"};
const kvl::WindowView kMatchingDialog{0x1004, true, "Install 7 - Product Wizard", "#32770",
                                      "C:\\Program Files\\Product\\program7.exe"};

std::size_t RunEvents(long long count, bool conditioned, const kvl::WindowView& view) {
    kvl::WatchTracker tracker = conditioned ? FiftyConditionedWatches() : FiftyWatches();
    std::size_t reported = 0;
    for (long long i = 0; i < count; ++i) reported += tracker.Observe(view).size();
    return reported;
}

void BM_ObserveOrdinaryWindow(benchmark::State& state) {
    kvl::WatchTracker tracker = FiftyWatches();
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Observe(kOrdinary));
}
BENCHMARK(BM_ObserveOrdinaryWindow);

void BM_ObserveMatchingWindow(benchmark::State& state) {
    kvl::WatchTracker tracker = FiftyWatches();
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Observe(kMatching));
}
BENCHMARK(BM_ObserveMatchingWindow);

void BM_ObserveOrdinaryWindowConditioned(benchmark::State& state) {
    kvl::WatchTracker tracker = FiftyConditionedWatches();
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Observe(kOrdinaryDialog));
}
BENCHMARK(BM_ObserveOrdinaryWindowConditioned);

void BM_ObserveMatchingWindowConditioned(benchmark::State& state) {
    kvl::WatchTracker tracker = FiftyConditionedWatches();
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Observe(kMatchingDialog));
}
BENCHMARK(BM_ObserveMatchingWindowConditioned);

// Found by trying every kind of atom and repetition at the largest size taken: runs of one
// character, of any character, of classes, of choices and of loops.
const char* const kDearestPatterns[] = {
    "a{47}q",   "[\\s\\S]{7}q", "\\w{11}q", ".{23}q",     "(?:a+){9}q", "(a|a|a|a|a|a|a|a|a|a)q",
    "a{1,12}q", "\\D{7}q",      "[^q]{7}q", "[[=a=]]{5}q"};

void BM_DearestPattern(benchmark::State& state, const char* pattern) {
    if (const auto problem = kvl::CaptionPatternProblem(pattern)) {
        state.SkipWithError(("refused: " + *problem).c_str());
        return;
    }
    const kvl::CaptionRegex regex(pattern);
    const std::wstring caption = kvl::PatternText(kvl::FoldCase(std::string(256, 'a')));
    for (auto _ : state) benchmark::DoNotOptimize(regex.Matches(caption));
    if (regex.Matches(caption)) state.SkipWithError("matched, so it stopped early");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--events") == 0) {
        const long long count = std::atoll(argv[2]);
        bool match = false, conditioned = false;
        for (int i = 3; i < argc; ++i) {
            match = match || std::strcmp(argv[i], "--match") == 0;
            conditioned = conditioned || std::strcmp(argv[i], "--conditions") == 0;
        }
        const kvl::WindowView& view = conditioned ? (match ? kMatchingDialog : kOrdinaryDialog)
                                                  : (match ? kMatching : kOrdinary);
        const std::size_t reported = RunEvents(count, conditioned, view);
        // A matching window is news once; an ordinary one never.
        const std::size_t expected = match && count > 0 ? 1 : 0;
        std::printf("%lld events, %zu reports\n", count, reported);
        return reported == expected ? 0 : 1;
    }
    for (const char* pattern : kDearestPatterns)
        benchmark::RegisterBenchmark((std::string("BM_DearestPattern/") + pattern).c_str(),
                                     BM_DearestPattern, pattern)
            ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
