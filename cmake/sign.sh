#!/bin/bash
# sign.sh SOURCE_DIR IN OUT OPTIONS...: IN signed into OUT with the certificate
# and key that the osslsigncode OPTIONS name (-pkcs12 FILE, or -certs FILE
# -key FILE; -readpass FILE; -ts URL). SHA-256, the file's description as the
# program name, and the signing time of the commit (SOURCE_DATE_EPOCH, else
# the source's last commit): two signings of one commit with one certificate
# give the same bytes, unless a time-stamp server adds a time of its own.
set -euo pipefail
source=$1 in=$2 out=$3
shift 3
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "sign.sh: no SOURCE_DATE_EPOCH, and no commit to take the signing time from" >&2; exit 1; }
# osslsigncode stores the program name in the signature's ASCII form, byte for
# byte: the description's Windows-1252 bytes, as the version resource has them.
description=$(sed -n 's/^#define SETUP_DESCRIPTION *"\(.*\)"$/\1/p' "$source/ui/version.h")
rm -f "$out.signing"
osslsigncode sign -h sha256 -n "$(printf "$description")" -time "$epoch" "$@" -in "$in" -out "$out.signing" >/dev/null
mv "$out.signing" "$out"
