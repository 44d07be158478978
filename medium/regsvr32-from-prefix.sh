#!/bin/bash
# Copies RegSvr32.exe from the Windows environment's own system directory (the
# build's pristine Wine prefix, booted here when it does not exist yet) onto
# the medium, so that self-registration really runs.
set -eu
state="$1"
dest="$2"
pristine="$state/pristine"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$pristine/system.reg" ]; then
    mkdir -p "$state"
    boot="$(mktemp -d "$state/boot.XXXXXX")"
    WINEPREFIX="$boot" wineboot -i >/dev/null 2>&1 </dev/null || { echo "wineboot failed" >&2; rm -rf "$boot"; exit 1; }
    WINEPREFIX="$boot" wineserver -w
    # Another build may have booted it meanwhile; the first one wins.
    if [ ! -f "$pristine/system.reg" ]; then rm -rf "$pristine"; mv "$boot" "$pristine"; else rm -rf "$boot"; fi
fi
cp "$pristine/drive_c/windows/system32/regsvr32.exe" "$dest.tmp"
mv "$dest.tmp" "$dest"
