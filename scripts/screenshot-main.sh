#!/usr/bin/env bash
# Takes the main window picture in docs/screenshots from a real KVL on the private display.
# Needs ImageMagick's `import` and `convert` (apt-get install imagemagick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=docs/screenshots
mkdir -p "$out"
wine=scripts/wine-env.sh
exe=build/win64/KVLScreenshots.exe
key='HKCU\Software\VB and VBA Program Settings\KVLScreenshots'

cp build/win64/KVL.exe "$exe"
cleanup() {
    pkill -f KVLScreenshots.exe 2>/dev/null || true
    "$wine" run reg delete "$key" /f >/dev/null 2>&1 || true
    rm -f "$exe"
}
trap cleanup EXIT

add() {  # slot description caption state [disable]
    "$wine" run reg add "$key\\Monitor$1" /v Description /d "$2" /f >/dev/null 2>&1
    "$wine" run reg add "$key\\Monitor$1" /v Caption /d "$3" /f >/dev/null 2>&1
    "$wine" run reg add "$key\\Monitor$1" /v WindowState /d "$4" /f >/dev/null 2>&1
    "$wine" run reg add "$key\\Monitor$1" /v Disable /d "${5:-0}" /f >/dev/null 2>&1
}
add 0 "Close the Tip of the Day" "Tip of the Day" Close
add 1 "Maximize the editor" "Notepad" Maximize
add 2 "Accept the licence" "License Agreement" "" 1
add 3 "Hide the update nag" "Update available" Hide

"$wine" run "$exe" >/dev/null 2>&1 &
sleep 5  # a picture, not a test: give the window time to paint
dpi=${KVL_WINE_DPI:-96}
if [ "$dpi" = 96 ]; then state=build/wine-24 name=main-window; else state=build/wine-24-dpi$dpi name=main-window-${dpi}dpi; fi
import -display "$(cat "$state/display")" -window root /tmp/kvl-screen.png
if [ "$dpi" = 96 ]; then
    # The main window sits above the notification area, at the lower right of the 1024x768
    # screen.
    convert /tmp/kvl-screen.png -crop 360x303+637+405 +repage "$out/$name.png"
else
    # The same place on the larger screen, a little more around it, and the desktop trimmed
    # away: the frame's measures do not grow exactly with the scale.
    width=$(identify -format '%w' /tmp/kvl-screen.png) height=$(identify -format '%h' /tmp/kvl-screen.png)
    w=$(((360 + 24) * dpi / 96)) h=$(((303 + 24) * dpi / 96))
    x=$((width - (1024 - 637 + 12) * dpi / 96)) y=$((height - (768 - 405 + 12) * dpi / 96))
    convert /tmp/kvl-screen.png -crop "${w}x${h}+$x+$y" +repage -trim +repage "$out/$name.png"
fi
rm -f /tmp/kvl-screen.png
echo "wrote $out/$name.png"
