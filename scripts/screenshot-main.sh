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
display=$(cat build/wine-24/display)
import -display "$display" -window root /tmp/kvl-screen.png
# The main window sits above the notification area, at the lower right of the 1024x768 screen.
convert /tmp/kvl-screen.png -crop 360x303+637+405 +repage "$out/main-window.png"
rm -f /tmp/kvl-screen.png
echo "wrote $out/main-window.png"
