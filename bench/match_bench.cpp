// The watcher's hot path on the host: one window event (a window as it is now) against 50
// watches, through WatchTracker::Observe, which folds the caption and tries every watch.
//
//   kvl_match_bench [benchmark flags]       Google Benchmark: time per event
//   kvl_match_bench --events N [--match]    exactly N events and nothing else, for counting
//                                           instructions under callgrind (two runs with
//                                           different N give the cost of one event)

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/watch_tracker.h"

namespace {

// Fifty watches of the kind users keep: parts of captions, some whole captions.
kvl::WatchTracker FiftyWatches() {
    static const char* const kWords[] = {"Setup",   "Update",  "Warning", "Error",  "Licence",
                                         "Welcome", "Reminder", "Install", "Notice", "Expired"};
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

// A window that matches none of them (the common case) and one that matches watch 7.
const kvl::WindowView kOrdinary{0x1001, true, "Untitled Document - Text Editor 2.1"};
const kvl::WindowView kMatching{0x1002, true, "Install 7 - Product Wizard"};

std::size_t RunEvents(long long count, const kvl::WindowView& view) {
    kvl::WatchTracker tracker = FiftyWatches();
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

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--events") == 0) {
        const long long count = std::atoll(argv[2]);
        const bool match = argc >= 4 && std::strcmp(argv[3], "--match") == 0;
        const std::size_t reported = RunEvents(count, match ? kMatching : kOrdinary);
        // A matching window is news once; an ordinary one never.
        const std::size_t expected = match && count > 0 ? 1 : 0;
        std::printf("%lld events, %zu reports\n", count, reported);
        return reported == expected ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
