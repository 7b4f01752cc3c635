#!/usr/bin/env bash
# Runs every benchmark once, one after the other, prints the tables and writes them to
# bench/results.md with the date, the machine and the command. Started by `make bench`,
# which builds the host, win64 and win32 presets first. Both builds of KVL.exe are
# measured in the same run, side by side (the i686 one where the machine can run it).
#
#   KVL_BENCH_QUICK=1 bench/run.sh   fewer windows and a shorter idle run (a smoke test)
#   KVL_BENCH_BASELINE=old/KVL.exe bench/run.sh
#                                    also runs an older build side by side with the current one
#   KVL_BENCH_PARTS="latency matching" KVL_BENCH_OUT=bench/some.md bench/run.sh
#                                    only these of latency, burst, idle, place, longtext and matching, into
#                                    another file
#   KVL_BENCH_EARLIER=dir KVL_BENCH_EARLIER_NAME=abc1234 bench/run.sh
#                                    also lists the sizes of dir/win64/KVL.exe and
#                                    dir/win32/KVL.exe, an earlier commit's builds
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command=${KVL_BENCH_COMMAND:-bench/run.sh}
if [ -n "${KVL_BENCH_BASELINE:-}" ]; then command="KVL_BENCH_BASELINE=$KVL_BENCH_BASELINE $command"; fi
if [ -n "${KVL_BENCH_PARTS:-}" ]; then command="KVL_BENCH_PARTS=\"$KVL_BENCH_PARTS\" $command"; fi
wine=(scripts/wine-env.sh run)
bench=build/win64/kvl_bench.exe
match=build/host/bench/kvl_match_bench
out=${KVL_BENCH_OUT:-bench/results.md}
parts=" ${KVL_BENCH_PARTS:-latency burst idle place longtext matching} "
wants() { [[ $parts == *" $1 "* ]]; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=200 burst=500 idle=60 keys=10000
if [ "${KVL_BENCH_QUICK:-}" = 1 ]; then count=30 burst=100 idle=10 keys=1000; fi

# Matching alone runs on the host and needs no Windows build.
needs_wine=0
for part in latency burst idle place longtext; do if wants $part; then needs_wine=1; fi; done
required=()
if wants matching; then required+=("$match"); fi
if [ $needs_wine = 1 ]; then
    required+=("$bench" build/win64/KVL.exe build/win32/KVL.exe build/win64/kvl_idle_ref.exe
               build/win64/kvl_min_watcher.exe)
fi
if wants longtext; then required+=(build/win64/kvl_target.exe); fi
for f in "${required[@]}"; do
    [ -f "$f" ] || { echo "bench: $f is missing; run make bench" >&2; exit 1; }
done

# The builds beside the current x86_64 one are copied into the bench's folder, which is
# where it starts every KVL from.
extra=()
trap 'rm -rf "$work" build/win64/KVL_baseline.exe build/win64/KVL_i686.exe' EXIT
if [ -n "${KVL_BENCH_BASELINE:-}" ]; then
    cp "$KVL_BENCH_BASELINE" build/win64/KVL_baseline.exe
    extra+=(--baseline KVL_baseline.exe)
fi
# The 32-bit build runs side by side with the 64-bit one, where the machine can run it.
i686_note=""
if [ $needs_wine = 0 ]; then
    :
elif scripts/wine-env.sh can-run build/win32/KVL.exe 2>/dev/null; then
    cp build/win32/KVL.exe build/win64/KVL_i686.exe
    extra+=(--i686 KVL_i686.exe)
else
    i686_note="- build/win32/KVL.exe (i686) not measured: this machine cannot run 32-bit code"
fi

# What was measured: the commit, and whether the sources differed from it (the results
# files aside, which runs rewrite).
revision="$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- src bench ':!bench/results*.md' || echo ' with local changes')"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
status=0

# Wine's console output ends lines with CR LF.
run_scenario() {
    echo "bench: $*" >&2
    "${wine[@]}" "$bench" "$@" "${extra[@]}" | tr -d '\r' >>"$work/wine.md" || status=1
}
: >"$work/wine.md"
if wants latency; then run_scenario latency --count "$count"; fi
if wants burst; then run_scenario burst --count "$burst" --span 1000; fi
if wants idle; then run_scenario idle --seconds "$idle" --rate 5; fi
if wants place; then run_scenario place --count "$count"; fi
if wants longtext; then run_scenario longtext --keys "$keys"; fi

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# Instructions per window event on the host: two runs that differ only in the number of
# events, so start-up and set-up cancel out.
instructions() {  # events [--match]
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$match" --events "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
: >"$work/host.md"
if wants matching; then
{
    echo "### Matching on the host"
    echo
    echo "One window event through WatchTracker::Observe against 50 watches (caption folded,"
    echo "every watch tried), built with -O2. Instructions from \`valgrind --tool=callgrind\`:"
    echo "(Ir at 11000 events - Ir at 1000 events) / 10000. Time from Google Benchmark."
    echo "Caption-only: today's watches, parts or whole captions. Conditioned: each of the 50"
    echo "names a program, a class and a caption pattern; the window is a standard dialog"
    echo "(#32770, as 37 of the watches want) of a program none of them names, or of the"
    echo "program that watch 7 names, with a caption its pattern finds."
    echo
    echo "| Watches | Event | Instructions per event | Time per event (ns, CPU) | Ratio to caption-only |"
    echo "|---|---|---|---|---|"
} >"$work/host.md"
gbench=$("$match" --benchmark_min_time=0.5 --benchmark_format=csv 2>/dev/null || true)
declare -A per_event
for set in caption conditioned; do
    for kind in ordinary matching; do
        flag=()
        name=BM_Observe${kind^}Window
        if [ $kind = matching ]; then flag+=(--match); fi
        if [ $set = conditioned ]; then flag+=(--conditions); name+=Conditioned; fi
        small=$(instructions 1000 "${flag[@]}")
        large=$(instructions 11000 "${flag[@]}")
        per=$(( (large - small) / 10000 ))
        per_event[$set.$kind]=$per
        ns=$(echo "$gbench" | awk -F, -v n="\"$name\"" '$1==n {printf "%.0f", $4}')
        if [ $kind = ordinary ]; then label="a window matching none of them"; else
            label="a window already matching one of them"; fi
        ratio="1"
        if [ $set = conditioned ]; then
            ratio=$(awk -v a="$per" -v b="${per_event[caption.$kind]}" 'BEGIN {printf "%.2f", a / b}')
        fi
        if [ $set = caption ]; then who="caption-only"; else who="conditioned"; fi
        echo "| $who | $label | $per | ${ns:-n/a} | $ratio |" >>"$work/host.md"
    done
done
echo >>"$work/host.md"
{
    echo "### The dearest caption patterns"
    echo
    echo "The caption patterns that cost most of all the shapes this bench knows and of a random"
    echo "search among further ones, each on a caption of 256 UTF-16 units made to hurt it: what one"
    echo "window can cost at a poll. CaptionRegex::Search alone, -O2, the median of five batches of"
    echo "at least 20 ms (\`kvl_match_bench --dearest\`). Then fifty watches of the dearest pattern,"
    echo "through WatchTracker::Observe."
    echo
    "$match" --dearest
    echo
    echo "### Steps that patterns of the usual kinds need"
    echo
    echo "The budget's margin: each search tried at ever larger budgets (powers of two) until it"
    echo "decides, on captions of 32 to 256 units (\`kvl_match_bench --steps\`)."
    echo
    "$match" --steps
    echo
    echo "### The matcher against std::regex"
    echo
    echo "Patterns as earlier releases ran them (std::regex, ECMAScript, the caption folded, classes"
    echo "in ASCII as on the host) against the matcher, on kept patterns and generated ones"
    echo "(\`kvl_match_bench --differential\`). Where they differ, the note in the README says why."
    echo
    "$match" --differential
    echo
} >>"$work/host.md"
fi

kib() { echo $(( ($(stat -c %s "$1") + 1023) / 1024 )); }
: >"$work/sizes.md"
if [ -f build/win64/KVL.exe ] && [ -f build/win32/KVL.exe ]; then
{
    echo "### Executable sizes"
    echo
    echo "| File | Size (KiB) |"
    echo "|---|---|"
    echo "| build/win64/KVL.exe | $(kib build/win64/KVL.exe) |"
    echo "| build/win32/KVL.exe | $(kib build/win32/KVL.exe) |"
    # KVL_BENCH_EARLIER: the build folder of an earlier commit, for its sizes beside these.
    if [ -n "${KVL_BENCH_EARLIER:-}" ]; then
        for arch in win64 win32; do
            echo "| $arch/KVL.exe of ${KVL_BENCH_EARLIER_NAME:-the earlier build} | $(kib "$KVL_BENCH_EARLIER/$arch/KVL.exe") |"
        done
    fi
    if [ -f build/win64/kvl_idle_ref.exe ]; then
        echo "| build/win64/kvl_idle_ref.exe (reference) | $(kib build/win64/kvl_idle_ref.exe) |"
    fi
    if [ -f build/win64/kvl_min_watcher.exe ]; then
        echo "| build/win64/kvl_min_watcher.exe (anchor) | $(kib build/win64/kvl_min_watcher.exe) |"
    fi
    echo
} >"$work/sizes.md"
fi

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
{
    echo "# KVL benchmark results"
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $cpu, $(nproc) cores, $(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo) RAM"
    if [ $needs_wine = 1 ]; then
        echo "- Wine: $(scripts/wine-env.sh version) (64-bit prefix, private Xvfb, virtual desktop)"
    fi
    echo "- Load average (1, 5, 15 min) before: $load_before; after: $load_after (the machine is shared)"
    echo "- Commit: $revision"
    echo "- Command: \`$command\`"
    if [ -n "${KVL_BENCH_BASELINE:-}" ]; then
        echo "- Baseline build: $KVL_BENCH_BASELINE ($(kib "$KVL_BENCH_BASELINE") KiB), run side by side"
    fi
    if [ -n "$i686_note" ]; then echo "$i686_note"; fi
    echo
    cat "$work/wine.md"
    cat "$work/host.md" "$work/sizes.md"
} >"$out"

cat "$out"
echo "bench: written to $out" >&2
exit $status
