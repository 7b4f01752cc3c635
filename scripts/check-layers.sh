#!/usr/bin/env bash
# Fails when a file of src/ includes a folder of a higher layer than its own. Layers, bottom
# to top, are the folders below; a file's layer is the longest folder that holds it.
set -euo pipefail
cd "$(dirname "$0")/../src"

layers=(platform monitors engine cmdline editor app platform/win32 editor/win32 app/win32)

rank() {  # the layer of a file path relative to src/
    local path=${1%.*} best=-1 len=0 k
    for k in "${!layers[@]}"; do
        if [[ $path == "${layers[k]}"/* && ${#layers[k]} -gt $len ]]; then
            best=$k len=${#layers[k]}
        fi
    done
    echo "$best"
}

status=0
while IFS= read -r file; do
    own=$(rank "$file")
    while IFS= read -r included; do
        [[ $included == */* ]] || continue  # beside the file itself
        if (( $(rank "$included") > own )); then
            echo "$file includes $included, a layer above its own" >&2
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' -o -name '*.inc' -o -name '*.rc' | sed 's|^\./||')
exit $status
