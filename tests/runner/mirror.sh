#!/usr/bin/env bash
# The install step against a package mirror out of step: install-deps.sh run
# with fake apt-get, apt-cache, dpkg and dpkg-query first on PATH, one row of
# the table a state of the mirror. Each row checks which suite the installs
# were taken from, with any library set back, and the script's last line.
set -uo pipefail
T="$(mktemp -d)"
trap 'rm -rf "$T"' EXIT
mkdir "$T/bin" "$T/binfmt"
fake() { printf '#!/bin/bash\n%s\n' "$2" >"$T/bin/$1"; chmod +x "$T/bin/$1"; }
fake wine 'echo wine-8.0'
fake sudo 'exec "$@"'
fake locale 'echo ja_JP.utf8'
fake dpkg 'case "$1" in
--print-foreign-architectures) cat "$T/arch" 2>/dev/null ;;
--add-architecture) echo "$2" >"$T/arch" ;;
--print-architecture) echo amd64 ;;
*) exec /usr/bin/dpkg "$@" ;;
esac'
# Native packages are all installed on a machine left half-way, none on a new one.
fake dpkg-query 'case "$*" in
*Status-Abbrev*) [ -z "$HALF" ] || echo "ii amd64 same libgst 1.22+u7" ;;
*:i386) exit 1 ;;
*) [ -n "$HALF" ] && echo "install ok installed" ;;
esac'
fake apt-cache 'case "$1" in
depends) printf "wine32:i386\n  Depends: libgst:i386\nlibgst:i386\n<debconf-2.0:i386>\n" ;;
madison) echo " libgst:i386 | 1.22+u6 | http://deb.example/debian bookworm/main i386 Packages" ;;
esac'
fake apt-get 'n=$(( $(cat "$T/updates" 2>/dev/null || echo 0) + 1 ))
case "$1" in
update)
    echo $n >"$T/updates"
    [ -n "$LACKS" ] && { [ "$LACKS" != once ] || [ $n -eq 1 ]; } || exit 0
    url=http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
    [ "$LACKS" != bookworm ] || url=http://deb.example/debian/dists/bookworm/main/binary-i386/Packages.xz
    echo "E: Failed to fetch $url  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
install)
    echo "${*:2}" >>"$T/installs"
    [ -z "$FETCH" ] || { echo "E: Failed to fetch http://deb.example/debian/pool/main/w/wine/wine32_8.0_i386.deb  404  Not Found"; exit 100; } ;;
esac'

failed=0
source_dir="$1"
sec="bookworm-security's i386 package index"
while IFS='|' read -r row lacks half fetch expected last; do
    rm -f "$T/arch" "$T/updates" "$T/installs"
    out="$(T="$T" LACKS="$lacks" HALF="$half" FETCH="$fetch" PATH="$T/bin:$PATH" MIRROR_PAUSE=0 \
        WINE32_LOADER="$T/bin/wine" BINFMT_DIR="$T/binfmt" bash "$source_dir/scripts/install-deps.sh" 2>&1)"
    # From which suite every install came, and what was set back.
    choice="$(awk '{ t = t (/-t bookworm/ ? " bookworm" : " plain"); for (i = 1; i <= NF; i++) if ($i ~ /=/) t = t " " $i }
        END { print (t == "" ? "none" : substr(t, 2)) }' "$T/installs" 2>/dev/null || echo none)"
    got_last="$(tail -n 1 <<<"$out")"
    if [ "$choice" != "$expected" ] || [ "$got_last" != "$(eval "echo \"$last\"")" ]; then
        echo "FAIL $row: expected '$expected', last line '$(eval "echo \"$last\"")'"
        echo "     got '$choice', last line '$got_last'"
        failed=1
    fi
done <<'ROWS'
whole||||plain plain|
once|once|||plain plain|install-deps: the package mirror is out of step ($sec could not be fetched); asking it again for about a minute.
security|security|||bookworm bookworm|install-deps: $sec could not be fetched, so every package comes from bookworm's own suite; their later updates come with an ordinary 'apt-get upgrade' once the mirror is whole.
half-way|security|1||bookworm libgst=1.22+u6|install-deps: set back to bookworm's own version, which their i386 twins have: libgst=1.22+u6.
base|bookworm|||none|install-deps: bookworm's i386 package index could not be fetched: the package mirror is out of step or unreachable, so try again later.
unfetched||1|1|plain|install-deps: package wine32 could not be fetched: the package mirror is out of step or unreachable, so try again later.
ROWS
[ $failed -eq 0 ] && echo "mirror: all passed"
exit $failed
