#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine; does nothing when all is there.
set -euo pipefail
no_i386_note=

# libclang-rt-dev carries libFuzzer and the sanitizer runtimes, which clang only recommends.
# fonts-wine gives Wine the metrics of the dialog fonts the forms are laid out for.
packages=(cmake make g++ clang libclang-rt-dev python3 googletest libgtest-dev
          mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 fonts-wine xvfb x11-utils zip
          libbenchmark-dev valgrind)

# wine32 runs the i686 build, but only on a kernel that executes 32-bit x86 code. Some
# virtual machines switch that off, and there Debian's `wine` would pick the 32-bit loader
# and fail for every program, 64-bit ones included. A probe program tells: it runs, or the
# kernel refuses it, or the probe itself is broken, and then nothing is guessed.
root=$(cd "$(dirname "$0")/.." && pwd)
refused=$root/build/wine32-refused
if [ -f "$refused" ]; then
    no_i386_note="$(cat "$refused") (delete $refused to try again)"
elif [ "$(dpkg --print-architecture)" = amd64 ]; then
    probe_status=0
    "$root/scripts/i386-probe.sh" run || probe_status=$?
    case $probe_status in
    0) packages+=(wine32:i386) ;;
    77) no_i386_note="this kernel does not run 32-bit x86 code (Exec format error): wine32 left out, the i686 build is built but not run" ;;
    *) echo "deps: cannot tell whether this kernel runs 32-bit code" >&2; exit 1 ;;
    esac
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    [ -n "$no_i386_note" ] && echo "deps: $no_i386_note"
    exit 0
fi

echo "Installing: ${missing[*]}"
[ -n "$no_i386_note" ] && echo "deps: $no_i386_note"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

# The probe said yes, but should Wine still fail with wine32 (Debian's `wine` then takes the
# 32-bit loader for every program), every Wine run would fail, 64-bit ones too: take wine32
# away again, and remember why, rather than leave the machine so.
wine64_runs() {
    local prefix status=0
    prefix=$(mktemp -d)
    WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
        timeout 300 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || status=1
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    return $status
}
if printf '%s\n' "${missing[@]}" | grep -qx 'wine32:i386' && ! wine64_runs; then
    mkdir -p "$(dirname "$refused")"
    echo "with wine32 installed a 64-bit Wine program failed to run: wine32 removed again," \
         "the i686 build is built but not run" | tee "$refused" >&2
    $sudo apt-get remove -y -qq wine32:i386
    wine64_runs || { echo "deps: Wine does not run a 64-bit program even without wine32" >&2; exit 1; }
fi
