#!/bin/bash
# Signing a release (cmake/sign.sh) with a certificate made here: the signature
# verifies against it, is SHA-256, names the program and the time it was
# given, two signings are the same bytes, a byte changed afterwards fails it,
# and the signed setup.exe runs the accept row as the unsigned one does.
#   sign.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
work=$build/tests/sign
rm -rf "$work" && mkdir -p "$work/build"
failures=0
fail() { echo "FAIL: $*"; failures=1; }
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Orvid test signer" -addext extendedKeyUsage=codeSigning \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
export SOURCE_DATE_EPOCH=1000000000
for copy in 1 2; do
    bash "$source/cmake/sign.sh" "$source" "$build/setup/setup.exe" "$work/signed$copy.exe" \
        -certs "$work/cert.pem" -key "$work/key.pem"
done
cmp "$work/signed1.exe" "$work/signed2.exe" || fail "two signings differ"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }
verify "$work/signed1.exe" || fail "not verified: $(cat "$work/verify.txt")"
description=$(sed -n 's/^#define SETUP_DESCRIPTION *"\(.*\)"$/\1/p' "$source/ui/version.h")
for line in "Message digest algorithm  : SHA256" "Text description: $(printf "$description")" \
            "Signing time: $(LC_ALL=C date -u -d @$SOURCE_DATE_EPOCH '+%b %e %H:%M:%S %Y GMT')"; do
    grep -qaF "$line" "$work/verify.txt" || fail "the signature lacks '$line'"
done
# One byte of the program changed after signing.
cp "$work/signed1.exe" "$work/changed.exe"
byte=$(od -An -tu1 -j2000 -N1 "$work/changed.exe")
printf "\\$(printf %o $((byte ^ 255)))" | dd of="$work/changed.exe" bs=1 seek=2000 conv=notrunc status=none
! verify "$work/changed.exe" || fail "a file changed after signing still verifies"
# The accept row, from a build folder of links to this one's but a medium of its own.
for entry in "$build"/*; do [[ "$entry" == */@(demo-medium|e2e) ]] || ln -s "$entry" "$work/build/"; done
cp -a "$build/demo-medium" "$work/build/" && cp "$work/signed1.exe" "$work/build/demo-medium/setup.exe"
bash "$source/tests/e2e/run.sh" "$work/build" accept || fail "the signed setup.exe's accept row"
[ $failures = 0 ] || exit 1
rm -rf "$work"
