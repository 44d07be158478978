#!/bin/bash
# Copies RegSvr32.exe from the Windows environment's own system directory (the
# build's pristine Wine prefix, booted here when it does not exist yet) onto
# the medium, so that self-registration really runs.
#   regsvr32-from-prefix.sh WINE_STATE DESTINATION
set -euo pipefail
source "$(dirname "$0")/../scripts/wine.sh"
[ $# -eq 2 ] || { echo "usage: regsvr32-from-prefix.sh WINE_STATE DESTINATION" >&2; exit 2; }
pristine_prefix "$1"
cp "$1/pristine/drive_c/windows/system32/regsvr32.exe" "$2.tmp"
mv "$2.tmp" "$2"
