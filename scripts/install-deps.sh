#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need,
# and the Japanese locale under which Wine plays a double-byte Windows.
# Idempotent: returns quickly when all is present.
set -euo pipefail

PKGS_NATIVE="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev wine xvfb xauth doctest-dev imagemagick x11-utils locales"
PKGS_I386="wine32:i386"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in $PKGS_NATIVE $PKGS_I386; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
