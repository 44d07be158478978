#!/bin/bash
# Checks the built setup.exe as Windows 95 and NT 4.0 would load it, and the
# build's layering: check.sh SETUP_EXE ALLOWLIST SOURCE_DIR, then the libraries
# of base, catalog, install, ui and setup.
set -euo pipefail
exe=$1 allowlist=$2 source=$3
shift 3
objdump=i686-w64-mingw32-objdump nm=i686-w64-mingw32-nm
status=0
fail() { echo "$*"; status=1; }

# Only allowed system functions: no C runtime, no version.dll, nothing newer.
imports=$($objdump -p "$exe" | awk '/DLL Name:/ { dll = tolower($3) }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { print dll, $3 }')
# A listing in another form would pass every check below unread.
[ "$(grep -c . <<<"$imports")" -ge 20 ] || { echo "objdump's import listing is not in the form expected"; exit 1; }
permitted=$(awk '!/^#/ { for (i = 2; i <= NF; i++) print tolower($1), $i }' "$allowlist")
while read -r dll function; do
    grep -qixF "$dll $function" <<<"$permitted" || fail "import not allowed: $dll $function"
done <<<"$imports"

flags=$($objdump -p "$exe")
for flag in DYNAMIC_BASE NX_COMPAT; do grep -q "^\s*$flag$" <<<"$flags" || fail "$flag not set"; done
grep -q ' \.reloc ' <<<"$($objdump -h "$exe")" || fail "no relocations"
# Two builds of one commit give the same bytes: no time of linking in the header.
grep -qx 'Time/Date\s*Thu Jan  1 00:00:00 1970' <<<"$flags" || fail "time stamp: $(grep Time/Date <<<"$flags")"

# The size budget; the resources, the manifest as XML, the version and the icon.
python3 "$(dirname "$0")/image.py" "$exe" "$source/ui/version.h" || status=1

# Nothing would run a static constructor: there is no C runtime to call it.
for lib in "$@"; do
    ! grep -qE ' \.(ctors|init_array)' <<<"$($objdump -h "$lib")" || fail "static constructor in $lib"
done

# Every include and every call points down: base <- catalog <- install <- setup,
# base <- ui <- setup. A call through a declaration of its own still links a
# static library, so no layer may leave undefined what only another defines.
declare -A allowed=([base]="base" [catalog]="base catalog" [install]="base catalog install"
                    [ui]="base ui" [setup]="base catalog install ui setup")
declare -A library=([base]=$1 [catalog]=$2 [install]=$3 [ui]=$4 [setup]=$5)
for layer in "${!allowed[@]}"; do
    needed=$($nm -u "${library[$layer]}" | awk '$1 == "U" { print $2 }' | sort -u)
    [ -n "$needed" ] || fail "nm's listing of $layer is not in the form expected"
    for other in "${!library[@]}"; do
        [[ " ${allowed[$layer]} " == *" $other "* ]] && continue
        up=$(comm -12 <(echo "$needed") <($nm -g --defined-only "${library[$other]}" | awk 'NF == 3 { print $3 }' | sort -u) || true)
        [ -z "$up" ] || fail "$layer calls into $other: $up"
    done
done
for layer in "${!allowed[@]}"; do
    for included in $(grep -ho '#include "[a-z]*/' "$source/$layer"/*.h "$source/$layer"/*.cpp | cut -d'"' -f2 | tr -d / || true); do
        [[ " ${allowed[$layer]} " == *" $included "* ]] || fail "$layer includes $included"
    done
done
[ $status -eq 0 ] || exit 1
echo "setup.exe: $(stat -c %s "$exe") bytes, $(grep -c . <<<"$permitted") allowed imports, layers in order"
