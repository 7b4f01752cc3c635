#!/usr/bin/env bash
# A prefix that 64-bit Wine made before wine32 was installed has an empty syswow64, and
# every 32-bit program fails in it. The Wine environment must make such a prefix again
# rather than take it for ready.
#
#   prefix_rebuild_test.sh PROGRAM_32   a 32-bit console program that exits with 0
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1
state=$(mktemp -d "$root/build/wine-rebuild.XXXXXX")
export KVL_WINE_STATE=$state
trap '"$root/scripts/wine-env.sh" stop >/dev/null 2>&1 || true; rm -rf "$state"' EXIT

# What 64-bit Wine alone leaves: a ready prefix whose syswow64 holds no 32-bit system.
mkdir -p "$state/prefix/drive_c/windows/syswow64"
touch "$state/prefix/.kvl-ready"

status=0
"$root/scripts/wine-env.sh" run "$program" --gtest_list_tests >/dev/null || status=$?
[ $status -eq 77 ] && exit 77
if [ $status -ne 0 ]; then
    echo "FAIL: the 32-bit program ended with $status in the prefix left by 64-bit Wine" >&2
    exit 1
fi
if [ ! -f "$state/prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "FAIL: the prefix was not made again with its 32-bit system" >&2
    exit 1
fi
echo "the prefix was made again, and the 32-bit program ran in it"
