#!/usr/bin/env bash
# Unpacks a download zip into a fresh folder and has the end-to-end tests run the KVL.exe
# found there, as a user who just unpacked it would.
#
#   unpacked_zip.sh ZIP E2E_TESTS_EXE
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$1
tests=$2
dir=$(mktemp -d "$(dirname "$zip")/unpacked.XXXXXX")
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && cmake -E tar xf "$zip")
# Wine maps the Unix root to drive Z:.
status=0
KVL_UNPACKED="Z:${dir//\//\\}" "$root/scripts/wine-env.sh" run "$tests" \
    --gtest_filter='UnpackedZip.*' || status=$?
exit $status
