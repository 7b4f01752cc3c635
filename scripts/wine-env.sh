#!/usr/bin/env bash
# Owns the Wine environment of the tests: a private Xvfb display and a private WINEPREFIX
# under build/, created once and reused.
#
#   wine-env.sh run PROGRAM [ARGS...]   run a Windows program there (the CTest emulator)
#   wine-env.sh gui PROGRAM [ARGS...]   like run, but on $DISPLAY when one is set
#   wine-env.sh stop                    stop the display and the wine server it started
#
# KVL_WINE_DEPTH picks the colour depth of the private display (default 24); each depth
# has its own state folder, so runs at different depths can coexist.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
depth=${KVL_WINE_DEPTH:-24}
state=${KVL_WINE_STATE:-$root/build/wine-$depth}
# On the user's own display the program gets a prefix of its own, apart from the tests'.
if [ "${1:-}" = gui ] && [ -n "${DISPLAY:-}" ]; then state=$root/build/wine-desktop; fi
mkdir -p "$state"

export WINEPREFIX=$state/prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts: KVL and its tests need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

start_display() {
    if alive "$state/xvfb.pid"; then return; fi
    local n
    for n in $(seq 91 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 9>&- &
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
    if [ ! -f "$state/prefix/.kvl-ready" ]; then
        wineboot -i </dev/null >"$state/wineboot.log" 2>&1 9>&- || true
        wineserver -w
        # One virtual desktop holds every window: with no window manager on the display,
        # Wine would otherwise wait seconds for each destroyed window to be withdrawn. Its
        # taskbar also gives the tray icons a notification area.
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 9>&-
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1 9>&-
        wineserver -w
        touch "$state/prefix/.kvl-ready"
    fi
    # A persistent server spares every test process the server's start-up.
    # Everything started here outlives this call, so none of it may hold the caller's
    # output open (CTest waits for its pipes to close) or the lock.
    if [ ! -f "$state/wineserver.started" ] || ! pgrep -f "wineserver" >/dev/null; then
        wineserver -p 300 </dev/null >/dev/null 2>&1 9>&-
        # Bring up the prefix's background services now, detached from our pipes.
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
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
    prepare
    exec wine "$@"
    ;;
gui)
    shift
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$state/display"
        start_wine
    else
        prepare
        echo "KVL runs on the private display $DISPLAY (Xvfb)."
    fi
    exec wine "$@"
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
    echo "usage: $0 run|gui PROGRAM [ARGS...] | stop" >&2
    exit 2
    ;;
esac
