#!/bin/bash
# One end-to-end row: the real setup.exe from a fresh copy of the demo medium,
# in a fresh copy of the pristine prefix arranged from the host side, answered
# by the answerer; then what it showed and left behind, against the named
# blocks of expected.txt.
#
#   run.sh BUILD_DIR ROW        (E2E_KEEP=1 keeps BUILD_DIR/e2e/ROW)
set -u
BUILD="$(cd "$1" && pwd)"
ROW="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
WORK="$BUILD/e2e/$ROW"
P="$WORK/prefix"
M="$WORK/medium"
SYS="$P/drive_c/windows/system32"
TOOLS="$BUILD/scripts/answerer"
FIXTURES="$BUILD/fixtures"
MARKER="$BUILD/tests/e2e/marker.dll"
DLLS="ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax"
HELP_FILES="orvid.cnt orvid.hlp ovview.bmp"
MARKED="wininet uxtheme dwmapi cryptbase msimg32 userenv comctl32"

# row | driver entries | answers | files installed | RegSvr32 targets | release notes | transcript
ROWS="
nt_accept    | nt   | components=OK box=YES | $DLLS $HELP_FILES | ovcodec.dll ovflow.ax ovaudio.ax | htm
             | components progress done success exit
win95        | 95   | components=OK box=YES | $DLLS $HELP_FILES | ovcodec.dll ovflow.ax ovaudio.ax | htm
             | components progress done success exit
newer_codec  | nt   | components=OK skipped=OK box=NO | ${DLLS#ovcodec.dll } | ovflow.ax ovaudio.ax | -
             | components skipped_codec progress done_but_codec success exit
no_regsvr32  | nt   | components=OK progress=CANCEL box=OK box=NO box=OK box=OK box=NO | $DLLS | | -
             | components progress failed_codec confirm failed_flow failed_audio done_failing failure exit
cancel_first | none | components=CANCEL box=YES | | | -
             | components confirm:#32770 exit
hostile      | nt   | components=OK box=YES | $DLLS $HELP_FILES | ovcodec.dll ovflow.ax ovaudio.ax | htm
             | components progress done success exit"
IFS='|' read -r _ DRIVER ANSWERS INSTALLED REGISTERED NOTES BLOCKS \
    <<<"$(echo "$ROWS" | grep -A1 "^$ROW " | tr -d '\n')"
[ -n "${BLOCKS:-}" ] || { echo "no row $ROW" >&2; exit 2; }
DRIVER="${DRIVER// /}" NOTES="${NOTES// /}"

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
# block NAME[:CLASS]: a block of expected.txt, its lines only; CLASS for its owner's.
block() {
    awk -v name="[${1%%:*}]" '/^\[/ { on = $0 == name; next } on && NF && !/^#/' "$HERE/expected.txt" |
        if [[ "$1" == *:* ]]; then sed "s/^owner .*/owner ${1#*:}/"; else cat; fi
}
source "$HERE/../../scripts/answerer/prefix.sh"
reg() { prefix_reg "$P" "$@"; }

rm -rf "$WORK"
mkdir -p "$WORK/kept" "$WORK/viewer"
fresh_prefix "$BUILD/wine/pristine" "$P" "$WORK/viewer/viewer.exe"
TEMP_DIR="$(echo "$P"/drive_c/users/*/Temp)"
cp -a "$BUILD/demo-medium" "$M"
cp "$TOOLS/recorder.exe" "$M/RegSvr32.exe"
cp "$TOOLS/recorder.exe" "$WORK/viewer/viewer.exe"
SETUP_DIR="$M"
OVERRIDES="mscoree,mshtml="

case "$ROW" in
win95) reg user.reg 'Software\Wine\AppDefaults\setup.exe' '"Version"' win95 ;;
newer_codec) cp "$FIXTURES/codec_newer.dll" "$SYS/ovcodec.dll" && cp "$SYS/ovcodec.dll" "$WORK/kept/" ;;
no_regsvr32) rm "$M/RegSvr32.exe" ;;
hostile)
    # Libraries on the medium under system names, preferred by Wine to its own.
    for name in $MARKED; do cp "$MARKER" "$M/$name.dll"; done
    OVERRIDES+=";${MARKED// /,}=n,b"
    # Another current directory, with decoys of the medium's files.
    SETUP_DIR="$WORK/decoy"
    mkdir "$SETUP_DIR"
    cp "$FIXTURES/codec_newer.dll" "$SETUP_DIR/ovcodec.dll"
    cp "$TOOLS/recorder.exe" "$SETUP_DIR/RegSvr32.exe"
    echo decoy >"$SETUP_DIR/release.htm"
    cp -a "$SETUP_DIR" "$WORK/decoy.before"
    # A link where the release notes were copied to, at a file of someone else's.
    echo victim >"$WORK/victim"
    ln -s "$WORK/victim" "$TEMP_DIR/release.htm"
    # A DirectShow server whose version block claims 0xFFFF bytes.
    cp "$FIXTURES/ffff.dll" "$P/drive_c/dshow.dll"
    reg system.reg 'Software\Classes\CLSID\{05589FA1-C356-11CE-BF01-00AA0055595A}\InprocServer32' @ 'C:\dshow.dll'
    ;;
esac

cleanup() {
    WINEPREFIX="$P" wineserver -k 2>/dev/null
    if [ "$FAILURES" = 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK"; fi
}
trap cleanup EXIT
start=$(date +%s%N)
export WINEPREFIX="$P" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="$OVERRIDES"
export DISPLAY="$(cat "$BUILD/wine/display")"
export ANSWER_LOG="$(winpath "$WORK/transcript.txt")" ANSWER_SCRIPT="$ANSWERS"
(cd "$WORK" && wine "$TOOLS/answer.exe" "$(winpath "$M/setup.exe")" "$(winpath "$SETUP_DIR")" \
    </dev/null >"$WORK/answer.log" 2>&1) || fail "answer: $(cat "$WORK/answer.log")"
# The registry is written out as the server ends.
wineserver -k 2>/dev/null
wineserver -w

# What the user saw, blank lines aside.
for name in $BLOCKS; do block "$name"; done >"$WORK/transcript.expected"
diff "$WORK/transcript.expected" <(grep -v '^$' "$WORK/transcript.txt") || fail "transcript (<expected, >shown)"

for file in $DLLS $HELP_FILES; do
    case " $HELP_FILES " in *" $file "*) target="$P/drive_c/windows/help/$file" ;; *) target="$SYS/$file" ;; esac
    if [[ " $INSTALLED " == *" $file "* ]]; then
        cmp -s "$M/$file" "$target" || fail "$file is not the medium's"
    elif [ -e "$WORK/kept/$file" ]; then
        cmp -s "$WORK/kept/$file" "$target" || fail "$file was replaced"
    elif [ -e "$target" ]; then
        fail "$file was installed"
    fi
done

# The driver's entries of both families, as the registry file holds them.
{
    awk '/^\[/ { key = tolower(substr($0, 2)); sub(/\]( [0-9]+)?$/, "", key); next }
         key ~ /\\(drivers32|drivers\.desc|icm\\\\vidc\.yvu9)$/ && tolower($0) ~ /yvu9|^"(description|driver|friendlyname)"=/ {
             print key " " $0 }' "$P/system.reg"
    awk -F'\r' '/^\[/ { section = tolower($1) } section == "[drivers32]" && toupper($1) ~ /^VIDC\.YVU9=/ {
                    print "system.ini " $1 }' "$P/drive_c/windows/system.ini"
} >"$WORK/driver.txt"
diff <(block "driver_$DRIVER") "$WORK/driver.txt" || fail "driver entries (<expected, >found)"

diff <(for file in $REGISTERED; do printf '%s\t/s C:\\windows\\system32\\%s\n' "$(winpath "$M")" "$file"; done | sort) \
    <(sort "$M/RegSvr32.log" 2>/dev/null) || fail "RegSvr32 starts (<expected, >recorded)"

# The release notes: the viewer opens a copy of the medium's that is the
# setup's own, in the temporary directory, not what someone put there.
if [ "$NOTES" = htm ]; then
    opened="$(cut -f2 "$WORK/viewer/viewer.log" 2>/dev/null | tr -d '"' | sed 's|^C:|drive_c|; s|\\|/|g')"
    [[ "$P/$opened" == "$TEMP_DIR"/* && -f "$P/$opened" && ! -L "$P/$opened" ]] \
        && cmp -s "$M/release.htm" "$P/$opened" || fail "release notes opened: $(cat "$WORK/viewer/viewer.log" 2>&1)"
else
    [ ! -e "$WORK/viewer/viewer.log" ] || fail "release notes opened: $(cat "$WORK/viewer/viewer.log")"
    [ -z "$(find "$TEMP_DIR" -iname 'release.*')" ] || fail "release notes copied"
fi

if [ "$ROW" = hostile ]; then
    [ ! -e "$P/drive_c/loaded" ] || fail "libraries loaded from the medium: $(ls "$P/drive_c/loaded")"
    diff -r "$WORK/decoy.before" "$SETUP_DIR" >/dev/null || fail "decoys changed or used: $(ls "$SETUP_DIR")"
    [ "$(cat "$WORK/victim")" = victim ] || fail "the file behind the link was written"
fi
echo "row $ROW: $FAILURES failure(s), $((($(date +%s%N) - start) / 1000000)) ms"
[ "$FAILURES" = 0 ]
