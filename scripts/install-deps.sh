#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need,
# and the Japanese locale under which Wine plays a double-byte Windows.
# Where this kernel refuses 32-bit programs, Wine's 32-bit loader is run
# under qemu-i386-static from Debian's backports, registered through
# binfmt_misc, before any i386 package's own scripts run.
# A mirror in the middle of a sync is asked again; where only an update
# suite's index stays missing, every package comes from bookworm's own suite,
# so that each library and its i386 twin come at one version.
# Idempotent: returns quickly when all is present.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runner.sh

PKGS_NATIVE="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev wine xvfb xauth doctest-dev imagemagick x11-utils locales python3 osslsigncode openssl"
PKGS_I386="wine32:i386"
BACKPORTS_SOURCE=/etc/apt/sources.list.d/orvid-setup-backports.sources
BINFMT_CONF=/etc/binfmt.d/orvid-setup-qemu-i386.conf
# About a minute in all: a mirror's sync takes minutes, not hours.
MIRROR_TRIES="${MIRROR_TRIES:-4}"
MIRROR_PAUSE="${MIRROR_PAUSE:-20}"

die() { echo "install-deps: $*" >&2; exit 1; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
as_root() {
    if [ -n "$SUDO" ] && ! command -v sudo >/dev/null; then
        die "this machine lacks what the build needs, and installing it takes root or sudo, which this user has neither of."
    fi
    $SUDO "$@"
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing() { local p; for p in "$@"; do installed "$p" || echo "$p"; done; }

# index_name URL: what apt failed to fetch, in words.
index_name() {
    local url="$1" suite rest
    # A list that failed after its download is named by its file: host_path_dists_...
    case "$url" in *_dists_*) url="${url//_//}" ;; esac
    suite="${url#*/dists/}"
    [ "$suite" != "$url" ] || { echo "$1"; return; }
    rest="${suite#*/}" suite="${suite%%/*}"
    case "$rest" in
    *binary-*) rest="${rest#*binary-}"; echo "${suite}'s ${rest%%/*} package index" ;;
    *Release) echo "${suite}'s release file" ;;
    *) echo "${suite}'s index $rest" ;;
    esac
}

# update: apt-get update, asked again while the mirror is out of step. Leaves
# in MISSING the URLs of the indexes still not fetched, and in TARGET the
# suite that every package is then taken from (none where all is whole).
MISSING="" TARGET=() updated=""
update() {
    local try out rc url
    export DEBIAN_FRONTEND=noninteractive
    for try in $(seq "$MIRROR_TRIES"); do
        rc=0
        out="$(as_root apt-get update -qq 2>&1)" || rc=$?
        MISSING="$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' <<<"$out")"
        [ -n "$MISSING" ] || break
        [ "$try" -lt "$MIRROR_TRIES" ] || break
        [ "$try" -gt 1 ] || echo "install-deps: the package mirror is out of step ($(index_name "${MISSING%%$'\n'*}") could not be fetched); asking it again for about a minute."
        sleep "$MIRROR_PAUSE"
    done
    updated=1
    if [ -n "$out" ]; then echo "$out" >&2; fi
    [ -n "$MISSING" ] || [ "$rc" -eq 0 ] || die "apt-get update failed; its lines above say why."
    TARGET=()
    for url in $MISSING; do
        case "$(index_name "$url")" in
        bookworm-security\'s* | bookworm-updates\'s*) TARGET=(-t bookworm) ;;
        bookworm-backports\'s*) ;;
        *) die "$(index_name "$url") could not be fetched: the package mirror is out of step or unreachable, so try again later." ;;
        esac
    done
    if [ ${#TARGET[@]} -gt 0 ]; then
        echo "install-deps: $(for url in $MISSING; do index_name "$url"; done | paste -sd, - | sed 's/,/, /g') could not be fetched, so every package comes from bookworm's own suite; their later updates come with an ordinary 'apt-get upgrade' once the mirror is whole."
    fi
}

apt_install() {
    local log rc=0 url
    [ -n "$updated" ] || update
    log="$(mktemp)"
    as_root apt-get install -y -qq --no-install-recommends "$@" 2>&1 | tee "$log" || rc=$?
    url="$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | head -n 1)"
    rm -f "$log"
    [ "$rc" -eq 0 ] && return
    url="${url##*/}"
    [ -z "$url" ] || die "package ${url%%_*} could not be fetched: the package mirror is out of step or unreachable, so try again later."
    die "apt-get could not install $*; its lines above say why."
}

# in_the_way: native libraries installed from an update suite whose i386
# index is missing, whose i386 twins Wine needs at the same version: each as
# PACKAGE=VERSION of bookworm's own suite, which both architectures have.
in_the_way() {
    local native pkg version base
    native="$(dpkg --print-architecture)"
    # shellcheck disable=SC2086
    apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances $PKGS_I386 \
        | sed -n 's/^\([a-z0-9][^ ]*\):i386$/\1/p' | sort -u >"$1"
    dpkg-query -W -f='${db:Status-Abbrev} ${Architecture} ${Multi-Arch} ${Package} ${Version}\n' 2>/dev/null \
        | awk -v a="$native" '$1 == "ii" && $2 == a && $3 == "same" { print $4, $5 }' | sort \
        | join - "$1" | while read -r pkg version; do
            base="$(apt-cache madison "$pkg:i386" | awk -F' *[|] *' '$3 ~ / bookworm\// { print $2; exit }')"
            if [ -n "$base" ] && dpkg --compare-versions "$version" gt "$base"; then echo "$pkg=$base"; fi
        done
}

# needs_runner: the kernel refuses Wine's 32-bit loader. Asked of the
# installed loader, or before the install of a copy unpacked from its package.
needs_runner() {
    if qemu_registered; then return 0; fi
    if [ -x "$WINE32_LOADER" ]; then loader_refused "$WINE32_LOADER"; return; fi
    local probe rc=0
    probe="$(mktemp -d)"
    chmod 755 "$probe"
    (cd "$probe" && apt-get download -qq wine32:i386 >/dev/null 2>&1) \
        && dpkg-deb -x "$probe"/wine32_*.deb "$probe/root" \
        || { rm -rf "$probe"; die "this machine cannot fetch Wine's 32-bit loader from its package sources."; }
    loader_refused "$probe/root/usr/lib/wine/wine" || rc=$?
    rm -rf "$probe"
    return $rc
}

# setup_runner: qemu-i386-static from the backports, registered now and at
# every boot, and Wine's native server, so that only 32-bit processes are
# emulated. Whatever this machine cannot do is found before anything changes.
setup_runner() {
    local mirror url
    if [ ! -f "$BINFMT_DIR/status" ]; then
        as_root mount -t binfmt_misc binfmt_misc "$BINFMT_DIR" 2>/dev/null \
            || die "this kernel refuses 32-bit programs, and it has no binfmt_misc through which qemu could run them."
    fi
    if ! installed qemu-user-static || ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user-static)" ge 1:10; then
        mirror="$(bookworm_mirror | head -n 1)"
        [ -n "$mirror" ] || die "this kernel refuses 32-bit programs, and no apt source of this machine serves bookworm, whose backports carry the qemu that runs them."
        if [ ! -f "$BACKPORTS_SOURCE" ]; then
            printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\n%s\n' "$mirror" \
                "$([ ! -f /usr/share/keyrings/debian-archive-keyring.gpg ] || echo 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg')" \
                | as_root tee "$BACKPORTS_SOURCE" >/dev/null
            update
        fi
        for url in $MISSING; do
            case "$url" in */dists/bookworm-backports/*)
                die "$(index_name "$url") could not be fetched, and it carries the qemu that runs 32-bit programs on this kernel: the package mirror is out of step or unreachable, so try again later." ;;
            esac
        done
        apt_install -t bookworm-backports qemu-user-static
    fi
    installed wine64 || apt_install "${TARGET[@]}" wine64
    if [ ! -f "$BINFMT_CONF" ]; then echo "$I386_ENTRY" | as_root tee "$BINFMT_CONF" >/dev/null; fi
    if ! qemu_registered; then
        echo "$I386_ENTRY" | as_root tee "$BINFMT_DIR/register" >/dev/null \
            || die "this kernel refuses 32-bit programs, and its binfmt_misc would not take qemu as their runner."
    fi
}

if [ "${1:-}" = "--needs-runner" ]; then needs_runner; exit; fi

# shellcheck disable=SC2086
mapfile -t native < <(missing $PKGS_NATIVE)
# shellcheck disable=SC2086
mapfile -t i386 < <(missing $PKGS_I386)
# The i386 indexes come with the first update, so that the choice of suite
# is made once, before anything is installed.
if [ ${#i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
if [ ${#native[@]} -gt 0 ] || [ ${#i386[@]} -gt 0 ]; then update; fi
if [ ${#native[@]} -gt 0 ]; then apt_install "${TARGET[@]}" "${native[@]}"; fi
if needs_runner; then setup_runner; fi
if [ ${#i386[@]} -gt 0 ]; then
    setback=()
    if [ ${#TARGET[@]} -gt 0 ]; then
        closure="$(mktemp)"
        mapfile -t setback < <(in_the_way "$closure")
        rm -f "$closure"
    fi
    if [ ${#setback[@]} -gt 0 ]; then
        echo "install-deps: set back to bookworm's own version, which their i386 twins have: ${setback[*]}."
        setback+=(--allow-downgrades)
    fi
    apt_install "${TARGET[@]}" "${i386[@]}" "${setback[@]}"
fi
if loader_refused "$WINE32_LOADER"; then die "Wine's 32-bit loader still cannot run on this machine."; fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
