#!/usr/bin/env bash
# Owns the Wine environment of the tests: a private Xvfb display and a private WINEPREFIX
# under build/, created once and reused.
#
#   wine-env.sh run PROGRAM [ARGS...]   run a Windows program there (the CTest emulator)
#   wine-env.sh gui PROGRAM [ARGS...]   like run, but on $DISPLAY when one is set
#   wine-env.sh stop                    stop the display and the wine server it started
#   wine-env.sh can-run PROGRAM         status 0 if this machine can run it, 77 if not
#   wine-env.sh version                 the version of the Wine that runs the programs
#
# KVL_WINE_DEPTH picks the colour depth of the private display (default 24), KVL_WINE_DPI
# the prefix's display scale in dots per inch (default 96); each pair has its own state
# folder, so runs at different depths and scales can coexist. A larger scale gets a larger
# display, so that the forms, grown with it, still fit on the screen.
#
# One 64-bit prefix runs both builds: with 32-bit Wine installed it holds syswow64 and
# starts i686 programs as readily as x86_64 ones. Sharing it (rather than a prefix per
# build) keeps one display, one wine server and one prefix start-up per depth; the tests
# keep apart anyway, each KVL run under a name and registry store of its own, and the two
# builds' tests run one after the other.
#
# A 32-bit program on a machine that cannot run 32-bit code ends `run` with status 77
# (CTest's "skipped") and says why, rather than failing as if the program were at fault.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
depth=${KVL_WINE_DEPTH:-24}
dpi=${KVL_WINE_DPI:-96}
case $dpi in *[!0-9]* | '') echo "wine-env: KVL_WINE_DPI must be a number: $dpi" >&2; exit 2 ;; esac
if [ "$dpi" = 96 ]; then
    state=${KVL_WINE_STATE:-$root/build/wine-$depth}
else
    state=${KVL_WINE_STATE:-$root/build/wine-$depth-dpi$dpi}
fi
screen="$((1024 * dpi / 96))x$((768 * dpi / 96))"
# On the user's own display the program gets a prefix of its own, apart from the tests'.
if [ "${1:-}" = gui ] && [ -n "${DISPLAY:-}" ]; then state=$root/build/wine-desktop; fi
mkdir -p "$state"

export WINEPREFIX=$state/prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts: KVL and its tests need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# Debian's `wine` takes the 32-bit loader whenever wine32 is installed. Where the kernel
# cannot execute 32-bit code (some virtual machines run 64-bit user code only), that loader
# fails for every program, 64-bit ones too: there the 64-bit loader is called directly.
loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64
wine=wine
runs32=0
if [ -x "$loader32" ] && "$loader32" --version >/dev/null 2>&1; then
    runs32=1
elif [ -x "$loader64" ]; then
    wine=$loader64
    export WINELOADER=$loader64
fi

# The machine field of a PE file's header: 014c for i686, 8664 for x86_64.
pe_machine() {
    local header
    header=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [ -n "$header" ] && od -An -t x2 -j $((header + 4)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

refuse_32bit() {
    if [ $runs32 = 0 ] && [ -f "${1:-}" ] && [ "$(pe_machine "$1")" = 014c ]; then
        echo "wine-env: not run: $1 is a 32-bit program, and this machine cannot run" \
             "32-bit code (no wine32, or a kernel without IA-32 emulation)" >&2
        exit 77
    fi
}

start_display() {
    if alive "$state/xvfb.pid"; then return; fi
    local n
    for n in $(seq 91 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${screen}x$depth" -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 9>&- &
        local pid=$!
        local deadline=$((SECONDS + 20))
        while [ $SECONDS -lt $deadline ]; do
            if ! kill -0 "$pid" 2>/dev/null; then break; fi
            if [ -e "/tmp/.X11-unix/X$n" ]; then
                echo "$pid" >"$state/xvfb.pid"
                echo ":$n" >"$state/display"
                return
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
    done
    echo "wine-env: no free X display" >&2
    exit 1
}

start_wine() {
    export DISPLAY=$(cat "$state/display")
    # A prefix made before 32-bit Wine could run has no 32-bit system (64-bit Wine alone
    # leaves an empty syswow64), and once wine32 is there every 32-bit program fails in it
    # ("could not load kernel32.dll"): make it again.
    if [ $runs32 = 1 ] && [ -d "$state/prefix" ] && [ ! -f "$state/prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "wine-env: making the prefix again, with 32-bit support" >&2
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        rm -rf "$state/prefix" "$state/wineserver.started"
    fi
    if [ ! -f "$state/prefix/.kvl-ready" ]; then
        "$wine" wineboot -i </dev/null >"$state/wineboot.log" 2>&1 9>&- || true
        wineserver -w
        # One virtual desktop holds every window: with no window manager on the display,
        # Wine would otherwise wait seconds for each destroyed window to be withdrawn. Its
        # taskbar also gives the tray icons a notification area.
        "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 9>&-
        "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$screen" /f </dev/null >/dev/null 2>&1 9>&-
        if [ "$dpi" != 96 ]; then
            "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1 9>&-
        fi
        wineserver -w
        touch "$state/prefix/.kvl-ready"
    fi
    # Wine's own fonts (fonts-wine) are not found where Debian puts them unless they lie in
    # the prefix's font folder; without them the dialog font falls back to a much wider one
    # and the forms' texts are cut off.
    local fonts=$state/prefix/drive_c/windows/Fonts
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/tahoma.ttf" ]; then
        cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
    fi
    # A persistent server spares every test process the server's start-up.
    # Everything started here outlives this call, so none of it may hold the caller's
    # output open (CTest waits for its pipes to close) or the lock.
    if [ ! -f "$state/wineserver.started" ] || ! pgrep -f "wineserver" >/dev/null; then
        wineserver -p 300 </dev/null >/dev/null 2>&1 9>&-
        # Bring up the prefix's background services now, detached from our pipes.
        "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
        touch "$state/wineserver.started"
    fi
}

prepare() {
    exec 9>"$state/lock"
    flock 9
    start_display
    start_wine
    flock -u 9
}

case "${1:-}" in
run)
    shift
    refuse_32bit "${1:-}"
    prepare
    exec "$wine" "$@"
    ;;
gui)
    shift
    refuse_32bit "${1:-}"
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$state/display"
        start_wine
    else
        prepare
        echo "KVL runs on the private display $DISPLAY (Xvfb)."
    fi
    exec "$wine" "$@"
    ;;
can-run)
    refuse_32bit "${2:-}"
    ;;
version)
    "$wine" --version
    ;;
stop)
    if [ -f "$state/display" ] && [ -d "$state/prefix" ]; then
        DISPLAY=$(cat "$state/display") wineserver -k 2>/dev/null || true
    fi
    rm -f "$state/wineserver.started"
    if alive "$state/xvfb.pid"; then kill "$(cat "$state/xvfb.pid")"; fi
    rm -f "$state/xvfb.pid"
    ;;
*)
    echo "usage: $0 run|gui|can-run PROGRAM [ARGS...] | stop | version" >&2
    exit 2
    ;;
esac
