#!/usr/bin/env bash
# Runs one fuzz target, or all of them one after another, for a number of seconds each.
#
#   fuzz.sh [--smoke] [--build DIR] NAME|all SECONDS [LIBFUZZER FLAGS...]
#
# The starting inputs in tests/fuzz/corpus/NAME are read, never written: what the fuzzer
# learns goes to DIR/learned/NAME (kept between runs), or with --smoke to a fresh folder that
# is thrown away. A crash, hang, leak or sanitizer report is saved in DIR/findings/NAME/
# and makes the script fail. The full output is in DIR/logs/NAME.log.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/host/fuzz
smoke=0
while [ $# -gt 0 ]; do
    case "$1" in
    --smoke) smoke=1; shift ;;
    --build) build=$2; shift 2 ;;
    *) break ;;
    esac
done
if [ $# -lt 2 ]; then
    echo "usage: $0 [--smoke] [--build DIR] NAME|all SECONDS [LIBFUZZER FLAGS...]" >&2
    exit 2
fi
name=$1 seconds=$2
shift 2

if [ "$name" = all ]; then
    if [ ! -f "$build/targets.txt" ]; then
        echo "fuzz: $build/targets.txt is missing (make host builds the fuzz targets)" >&2
        exit 2
    fi
    status=0
    for target in $(cat "$build/targets.txt"); do
        "$0" $([ $smoke = 1 ] && echo --smoke) --build "$build" "$target" "$seconds" "$@" || status=1
    done
    exit $status
fi

bin=$build/kvl_fuzz_$name
corpus=$root/tests/fuzz/corpus/$name
if [ ! -x "$bin" ]; then
    echo "fuzz: $bin is not built (make host builds it)" >&2
    exit 2
fi

mkdir -p "$build/logs" "$build/findings/$name"
log=$build/logs/$name.log
if [ $smoke = 1 ]; then
    work=$(mktemp -d "$build/smoke-$name.XXXXXX")
    trap 'rm -rf "$work"' EXIT
else
    work=$build/learned/$name
    mkdir -p "$work"
fi

flags=(-max_total_time="$seconds"
       -timeout=10          # one input taking this long is a hang
       -rss_limit_mb=2048
       -max_len=8192
       -print_final_stats=1
       -artifact_prefix="$build/findings/$name/")
[ -f "$root/tests/fuzz/$name.dict" ] && flags+=(-dict="$root/tests/fuzz/$name.dict")

started=$SECONDS
set +e
"$bin" "${flags[@]}" "$@" "$work" "$corpus" >"$log" 2>&1
status=$?
set -e
took=$((SECONDS - started))

execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
cover=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
echo "fuzz $name: ${execs:-?} runs in ${took} s, ${cover:-cov: ?}, exit $status (log: $log)"
if [ $status -ne 0 ]; then
    # The report of what went wrong, and the input that did it.
    grep -E 'ERROR|SUMMARY|Test unit written|==[0-9]+==|runtime error|Assertion' "$log" | head -20 >&2 || true
fi
exit $status
