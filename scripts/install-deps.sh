#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need,
# and the Japanese locale under which Wine plays a double-byte Windows.
# Where this kernel refuses 32-bit programs, Wine's 32-bit loader is run
# under qemu-i386-static from Debian's backports, registered through
# binfmt_misc, before any i386 package's own scripts run.
# Idempotent: returns quickly when all is present.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/runner.sh

PKGS_NATIVE="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev wine xvfb xauth doctest-dev imagemagick x11-utils locales python3"
PKGS_I386="wine32:i386"
BACKPORTS_SOURCE=/etc/apt/sources.list.d/orvid-setup-backports.sources
BINFMT_CONF=/etc/binfmt.d/orvid-setup-qemu-i386.conf

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

updated=""
apt_install() {
    export DEBIAN_FRONTEND=noninteractive
    if [ -z "$updated" ]; then as_root apt-get update -qq; updated=1; fi
    as_root apt-get install -y -qq --no-install-recommends "$@"
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
    local mirror
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
            updated=""
        fi
        apt_install -t bookworm-backports qemu-user-static
    fi
    installed wine64 || apt_install wine64
    if [ ! -f "$BINFMT_CONF" ]; then echo "$I386_ENTRY" | as_root tee "$BINFMT_CONF" >/dev/null; fi
    if ! qemu_registered; then
        echo "$I386_ENTRY" | as_root tee "$BINFMT_DIR/register" >/dev/null \
            || die "this kernel refuses 32-bit programs, and its binfmt_misc would not take qemu as their runner."
    fi
}

if [ "${1:-}" = "--needs-runner" ]; then needs_runner; exit; fi

# shellcheck disable=SC2086
mapfile -t todo < <(missing $PKGS_NATIVE)
if [ ${#todo[@]} -gt 0 ]; then apt_install "${todo[@]}"; fi
# shellcheck disable=SC2086
mapfile -t todo < <(missing $PKGS_I386)
if [ ${#todo[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    updated=""
fi
if [ ${#todo[@]} -gt 0 ] && [ -z "$updated" ]; then as_root apt-get update -qq; updated=1; fi
if needs_runner; then setup_runner; fi
if [ ${#todo[@]} -gt 0 ]; then apt_install "${todo[@]}"; fi
if loader_refused "$WINE32_LOADER"; then die "Wine's 32-bit loader still cannot run on this machine."; fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
