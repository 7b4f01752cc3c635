#!/usr/bin/env bash
# Takes pictures of the monitor editor and its special-key picker on the tests' private X
# display, in full colour and at 256 colours, and of the recent activity, into
# docs/screenshots/. Build first (make win64).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win64/kvl_win32_tests.exe
out=$root/docs/screenshots
[ -f "$exe" ] || { echo "screenshot: build first (make win64)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshot: needs ImageMagick (apt-get install imagemagick)" >&2; exit 1; }
mkdir -p "$out"

# shoot DEPTH SUFFIX TEST NAME...: one run of a picture holder at that display depth, one
# picture a name; at the display scale $DPI (dots per inch, 96 unless given).
shoot() {
    local depth=$1 suffix=$2 test=$3
    shift 3
    local names=("$@")
    local dpi=${DPI:-96}
    local state=$root/build/wine-$depth
    [ "$dpi" = 96 ] || state=$state-dpi$dpi
    local work=$root/build/screenshots-$depth-$dpi
    rm -rf "$work"
    mkdir -p "$work"
    # The test program sees the folder through Wine's drive Z:.
    KVL_WINE_DEPTH=$depth KVL_WINE_DPI=$dpi KVL_SCREENSHOT_DIR="Z:${work//\//\\}" \
        "$root/scripts/wine-env.sh" run "$exe" --gtest_also_run_disabled_tests \
        --gtest_filter="$test" \
        >"$work/log" 2>&1 &
    local pid=$!
    local n name deadline
    for n in $(seq 1 ${#names[@]}); do
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
        name=${names[n - 1]}
        # Window by window at 256 colours: there Wine's windows have a colour map of their
        # own, which a plain grab of the screen would read through the wrong one. In full
        # colour the screen at once: window by window, the picker above the editor came out
        # black.
        local descend=()
        [ "$depth" = 8 ] && descend=(-descend)
        import -display "$(cat "$state/display")" -window root "${descend[@]}" miff:- |
            convert miff:- -crop "$(cat "$work/ready-$n")" +repage "$out/$name$suffix.png"
        touch "$work/taken-$n"
    done
    wait "$pid"
}

shoot 24 "" EditorTest.DISABLED_HoldsTheEditorAndPickerForPictures editor picker
shoot 8 "-256-colours" EditorTest.DISABLED_HoldsTheEditorAndPickerForPictures editor picker
shoot 24 "" MainWindow.DISABLED_HoldsTheRecentActivityForItsPicture activity
DPI=144 shoot 24 "-144dpi" EditorTest.DISABLED_HoldsTheEditorAndPickerForPictures editor picker
ls -l "$out"

# And the main window, from KVL.exe itself, at both scales.
"$root/scripts/screenshot-main.sh"
KVL_WINE_DPI=144 "$root/scripts/screenshot-main.sh"
