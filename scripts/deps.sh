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
# and fail for every program, 64-bit ones included. The probe is the smallest i386 program:
# exit(0) by system call.
runs_i386() {
    local probe
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=1
    rm -f "$probe"
    return $status
}
if [ "$(dpkg --print-architecture)" = amd64 ]; then
    if runs_i386; then
        packages+=(wine32:i386)
    else
        no_i386_note="this kernel does not run 32-bit x86 code: wine32 left out, the i686 build is built but not run"
    fi
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
[ -n "${no_i386_note:-}" ] && echo "($no_i386_note)"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
