#!/usr/bin/env bash
# Does this kernel run 32-bit x86 programs? Debian's wine32 is only of use where it does:
# elsewhere its loader fails for every program, 64-bit ones too.
#
#   i386-probe.sh write FILE   write the probe, the smallest static i386 program: exit(42)
#   i386-probe.sh run          write it, run it, and answer by status:
#                                0  it ran: this kernel runs 32-bit code
#                               77  "Exec format error": it does not
#                                1  anything else (the probe itself is at fault), said loudly
#
# The probe is written field by field, so that each byte can be checked against the ELF
# layout; tests/host/i386_probe_test.sh checks it with readelf.
set -euo pipefail

readonly probe_exit=42
readonly base=0x08048000   # the traditional i386 load address
readonly ehsize=52         # sizeof(Elf32_Ehdr)
readonly phentsize=32      # sizeof(Elf32_Phdr)
readonly code_offset=$((ehsize + phentsize))

# The code, at code_offset: mov eax, 1 (sys_exit); mov ebx, probe_exit; int 0x80.
code() {
    bytes 0xb8; le 4 1
    bytes 0xbb; le 4 "$probe_exit"
    bytes 0xcd 0x80
}
readonly code_size=12
readonly file_size=$((code_offset + code_size))

bytes() { local b; for b; do printf "\\x$(printf %02x "$b")"; done; }
# le SIZE VALUE: VALUE as SIZE bytes, least significant first.
le() { local i; for ((i = 0; i < $1; i++)); do bytes $((($2 >> (8 * i)) & 0xff)); done; }

write_probe() {
    {
        # Elf32_Ehdr
        bytes 0x7f 0x45 0x4c 0x46     # e_ident: magic "\177ELF"
        bytes 1 1 1 0                 #   ELFCLASS32, little endian, EV_CURRENT, System V ABI
        bytes 0 0 0 0 0 0 0 0         #   padding to 16 bytes
        le 2 2                        # e_type: ET_EXEC
        le 2 3                        # e_machine: EM_386
        le 4 1                        # e_version: EV_CURRENT
        le 4 $((base + code_offset))  # e_entry: the code
        le 4 "$ehsize"                # e_phoff: the program header follows this header
        le 4 0                        # e_shoff: no section headers
        le 4 0                        # e_flags
        le 2 "$ehsize"                # e_ehsize
        le 2 "$phentsize"             # e_phentsize
        le 2 1                        # e_phnum
        le 2 0                        # e_shentsize
        le 2 0                        # e_shnum
        le 2 0                        # e_shstrndx
        # Elf32_Phdr: the whole file, mapped readable and executable at base
        le 4 1                        # p_type: PT_LOAD
        le 4 0                        # p_offset
        le 4 "$base"                  # p_vaddr
        le 4 "$base"                  # p_paddr
        le 4 "$file_size"             # p_filesz
        le 4 "$file_size"             # p_memsz
        le 4 5                        # p_flags: PF_R | PF_X
        le 4 0x1000                   # p_align
        code
    } >"$1"
    chmod +x "$1"
}

# Tells the three outcomes apart. A probe that dies any other way (a crash, a wrong exit
# value) says nothing about the kernel, and must never pass for "no 32-bit support".
classify() {
    local status=$1 errors=$2
    if [ "$status" -eq "$probe_exit" ]; then return 0; fi
    if [ "$status" -eq 126 ] || grep -qi 'exec format error' <<<"$errors"; then return 77; fi
    echo "i386-probe: the probe ended with status $status, neither $probe_exit (runs 32-bit" \
         "code) nor 126 (Exec format error): the probe is at fault${errors:+: $errors}" >&2
    return 1
}

run_probe() {
    local dir status=0 errors
    dir=$(mktemp -d)
    write_probe "$dir/probe"
    errors=$( { "$dir/probe"; } 2>&1 ) || status=$?
    rm -rf "$dir"
    classify "$status" "$errors"
}

case "${1:-}" in
write) write_probe "$2" ;;
run) run_probe ;;
classify) classify "$2" "${3:-}" ;;
*)
    echo "usage: $0 write FILE | run | classify STATUS [ERRORS]" >&2
    exit 2
    ;;
esac
