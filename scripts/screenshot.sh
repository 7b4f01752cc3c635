#!/usr/bin/env bash
# Takes pictures of the monitor editor and its special-key picker on the tests' private X
# display, in full colour and at 256 colours, into docs/screenshots/. Build first (make win64).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win64/kvl_win32_tests.exe
out=$root/docs/screenshots
[ -f "$exe" ] || { echo "screenshot: build first (make win64)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshot: needs ImageMagick (apt-get install imagemagick)" >&2; exit 1; }
mkdir -p "$out"

# shoot DEPTH SUFFIX: one run of the picture holder at that display depth.
shoot() {
    local depth=$1 suffix=$2
    local work=$root/build/screenshots-$depth
    rm -rf "$work"
    mkdir -p "$work"
    # The test program sees the folder through Wine's drive Z:.
    KVL_WINE_DEPTH=$depth KVL_SCREENSHOT_DIR="Z:${work//\//\\}" \
        "$root/scripts/wine-env.sh" run "$exe" --gtest_also_run_disabled_tests \
        --gtest_filter=EditorTest.DISABLED_HoldsTheEditorAndPickerForPictures \
        >"$work/log" 2>&1 &
    local pid=$!
    local n name deadline
    for n in 1 2; do
        deadline=$((SECONDS + 120))
        while [ ! -f "$work/ready-$n" ]; do
            if [ $SECONDS -ge $deadline ] || ! kill -0 "$pid" 2>/dev/null; then
                echo "screenshot: picture $n at depth $depth never got ready" >&2
                cat "$work/log" >&2
                kill "$pid" 2>/dev/null || true
                return 1
            fi
            sleep 0.2
        done
        if [ "$n" = 1 ]; then name=editor; else name=picker; fi
        # Window by window: at 256 colours Wine's windows have a colour map of their own,
        # which a plain grab of the screen would read through the wrong one.
        import -display "$(cat "$root/build/wine-$depth/display")" -window root -descend miff:- |
            convert miff:- -crop "$(cat "$work/ready-$n")" +repage "$out/$name$suffix.png"
        touch "$work/taken-$n"
    done
    wait "$pid"
}

shoot 24 ""
shoot 8 "-256-colours"
ls -l "$out"

# And the main window, from KVL.exe itself.
"$root/scripts/screenshot-main.sh"
