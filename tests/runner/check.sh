#!/usr/bin/env bash
# The install step's two decisions, wherever this runs: whether the kernel
# refuses Wine's 32-bit loader (asked of fake loaders that fail as a kernel
# without IA-32 emulation makes them fail, or otherwise), and which apt source
# already serves bookworm.
set -uo pipefail
source "$1/scripts/runner.sh"
T="$(mktemp -d)"
trap 'rm -rf "$T"' EXIT
failed=0
check() { if [ "$2" != "$3" ]; then echo "FAIL $1: expected '$2', got '$3'"; failed=1; fi; }

# An ELF header for a machine no kernel runs: execve answers ENOEXEC, as it
# does for any i386 program where IA-32 emulation is off.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\377' >"$T/refused"
printf '#!/bin/sh\necho wine-8.0\n' >"$T/runs"
printf '#!/bin/sh\necho "error while loading shared libraries: libc.so.6" >&2\nexit 127\n' >"$T/nolib"
printf '#!/bin/sh\necho "Exec format error" >&2\nexit 0\n' >"$T/says"
chmod +x "$T"/*
while read -r loader expected; do
    answer=runs
    if loader_refused "$T/$loader"; then answer=refused; fi
    check "loader $loader" "$expected" "$answer"
done <<'ROWS'
refused refused
runs runs
nolib runs
says runs
absent runs
ROWS

# Apt configurations, one a folder, and the mirror that each yields.
mkdir -p "$T/apt/deb822/sources.list.d" "$T/apt/oneline" "$T/apt/none/sources.list.d" "$T/apt/updates/sources.list.d"
cat >"$T/apt/deb822/sources.list.d/a.sources" <<'SRC'
Types: deb-src
URIs: http://src.example/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Components: main
Enabled: no

# a comment
Types: deb deb-src
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main
SRC
printf 'deb [signed-by=/k.gpg] http://one.example/debian bookworm main\n' >"$T/apt/oneline/sources.list"
printf 'Types: deb\nURIs: http://upd.example/debian\nSuites: bookworm-updates\n' >"$T/apt/updates/sources.list.d/u.sources"
while read -r etc expected; do
    mirror="$(bookworm_mirror "$T/apt/$etc" | head -n 1)"
    check "mirror $etc" "$expected" "${mirror:--}"
done <<'ROWS'
deb822 http://mirror.example/debian
oneline http://one.example/debian
updates -
none -
ROWS
[ $failed -eq 0 ] && echo "runner: all passed"
exit $failed
