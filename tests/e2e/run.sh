#!/bin/bash
# One end-to-end row: the real setup.exe from a fresh copy of the demo medium,
# in a fresh copy of the pristine prefix arranged from the host side, answered
# by the answerer; then what it showed and left behind, against the named
# blocks of expected.txt. A row whose name ends in 95 runs as on Windows 95.
#
#   run.sh BUILD_DIR ROW        (E2E_KEEP=1 keeps BUILD_DIR/e2e/ROW; for a row
#   run as another user, a folder in /tmp that this names, which that user can reach)
set -euo pipefail
[ $# -eq 2 ] && [ -d "$1" ] || { echo "usage: run.sh BUILD_DIR ROW" >&2; exit 2; }
BUILD="$(cd "$1" && pwd)"
ROW="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
# Removed and made anew: never anything but a folder of the build's own, or of /tmp's.
[[ "$BUILD" == /?* && "$ROW" =~ ^[a-z0-9_]+$ ]] || { echo "refusing row '$ROW' in '$BUILD'" >&2; exit 2; }
WORK="$BUILD/e2e/$ROW"
rm -rf "$WORK"
mkdir -p "$BUILD/e2e"
if [[ "$ROW" == read_only* ]]; then ln -s "$(mktemp -d /tmp/orvid-e2e.XXXXXX)" "$WORK" && WORK="$(readlink "$WORK")"; fi
P="$WORK/prefix"
M="$WORK/medium"
SYS="$P/drive_c/windows/system32"
HELP="$P/drive_c/windows/help"
TOOLS="$BUILD/scripts/answerer"
FIXTURES="$BUILD/fixtures"
DLLS="ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax"
HELP_FILES="orvid.cnt orvid.hlp ovview.bmp"
REGISTERING="ovcodec.dll ovflow.ax ovaudio.ax"
MARKED="wininet uxtheme dwmapi cryptbase msimg32 userenv comctl32"

# rows | driver entries (yes: the family's own) | answers | files installed | RegSvr32 targets |
# release notes opened from (temp, wintemp, -) | transcript
ROWS="
accept accept95 hostile post_start post_start95 post_end post_end95 | yes | components=OK box=YES | $DLLS $HELP_FILES | $REGISTERING | temp
    | components progress done success exit
no_temp | yes | components=OK box=YES | $DLLS $HELP_FILES | $REGISTERING | wintemp
    | components progress done success exit
newer_codec ver98 vernt4 | yes | components=OK skipped=OK box=NO | ${DLLS#ovcodec.dll } | ovflow.ax ovaudio.ax | -
    | components skipped_codec progress done_but_codec success exit
no_regsvr32 | yes | components=OK progress=CANCEL box=OK box=NO box=OK box=OK box=NO | $DLLS | | -
    | components progress failed_codec confirm failed_flow failed_audio done_failing failure exit
cancel_first | none | components=CANCEL box=YES | | | -
    | components confirm:#32770 exit
read_only read_only95 | yes | components=OK box=NO | $DLLS $HELP_FILES | $REGISTERING | -
    | components progress done success exit
full_disk full_disk95 | yes | components=OK box=OK box=NO | ${DLLS#ovcodec.dll } | ovflow.ax ovaudio.ax | -
    | components progress failed_codec_disk done_failing_codec failure exit
registry_fails | nt_first | components=OK box=OK box=NO | $DLLS $HELP_FILES | $REGISTERING | -
    | components progress failed_yvu9 done_failing_yvu9 failure exit
ini_fails95 | none | components=OK box=OK box=NO | $DLLS $HELP_FILES | $REGISTERING | -
    | components progress failed_yvu9 done_failing_yvu9 failure exit
hooks | yes | components=OK directory=OK skipped=OK box=NO | ${DLLS/ovflow.ax /} $HELP_FILES | ovcodec.dll ovaudio.ax | -
    | components_grouped directory skipped_flow_directory progress done_grouped success exit"
IFS='|' read -r _ DRIVER ANSWERS INSTALLED REGISTERED NOTES BLOCKS <<<"$(echo "$ROWS" | awk -F'|' -v row="$ROW" '
    found { print; exit } { n = split($1, names, " "); for (i = 1; i <= n; i++) if (names[i] == row) { printf "%s", $0; found = 1 } }')"
[ -n "${BLOCKS:-}" ] || { echo "no row $ROW" >&2; exit 2; }
# The Windows that Wine plays for the setup: its own default unless a row says.
case "$ROW" in *95) WINDOWS=win95 ;; ver98) WINDOWS=win98 ;; vernt4) WINDOWS=nt40 ;; *) WINDOWS="" ;; esac
DRIVER="${DRIVER// /}" NOTES="${NOTES// /}"
[ "$DRIVER" != yes ] || { [[ "$WINDOWS" == win9* ]] && DRIVER=95 || DRIVER=nt; }

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
# block NAME[:CLASS]: a block of expected.txt, its lines only; CLASS for its owner's.
block() {
    awk -v name="[${1%%:*}]" '/^\[/ { on = $0 == name; next } on && NF && !/^#/' "$HERE/expected.txt" |
        if [[ "$1" == *:* ]]; then sed "s/^owner .*/owner ${1#*:}/"; else cat; fi
}
source "$HERE/../../scripts/answerer/prefix.sh"
reg() { prefix_reg "$P" "$@"; }

AS=()           # the user the setup runs as: root unless a row says otherwise
MOUNTED=""
server() { [ ! -d "$P" ] || WINEPREFIX="$P" "${AS[@]}" wineserver "$@" 2>/dev/null || true; }
cleanup() {
    server -k
    server -w
    if [ -n "$MOUNTED" ]; then umount "$MOUNTED" || umount -l "$MOUNTED"; fi
    if [ "$FAILURES" = 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK" "$BUILD/e2e/$ROW"; fi
}
trap cleanup EXIT
mkdir -p "$WORK/kept" "$WORK/viewer" "$WORK/home" "$WORK/tools"
cp "$TOOLS/answer.exe" "$TOOLS/answerhook.dll" "$WORK/tools/"
cp -a "$BUILD/demo-medium" "$M"
cp "$TOOLS/recorder.exe" "$M/RegSvr32.exe"
cp "$TOOLS/recorder.exe" "$WORK/viewer/viewer.exe"
SETUP_DIR="$M"
OVERRIDES="mscoree,mshtml="
RUNS=1
keep() { cp "$1" "$SYS/$2" && cp "$1" "$WORK/kept/$2"; }

if [ "${ROW%95}" = read_only ]; then
    # A prefix of its own (not linked to the pristine one's files), for a user
    # for whom the read-only attribute holds; root ignores it.
    cp -a "$BUILD/wine/pristine" "$P"
    rm -f "$P/wineserver"       # names root's server folder
    fresh_prefix "" "$P" "$WORK/viewer/viewer.exe"
else
    fresh_prefix "$BUILD/wine/pristine" "$P" "$WORK/viewer/viewer.exe"
fi
TEMP_DIR="$(echo "$P"/drive_c/users/*/Temp)"

case "${ROW%95}" in
newer_codec) keep "$FIXTURES/codec_newer.dll" ovcodec.dll ;;
no_regsvr32) rm "$M/RegSvr32.exe" ;;
hostile)
    # Libraries on the medium under system names, preferred by Wine to its own.
    for name in $MARKED; do cp "$BUILD/tests/e2e/marker.dll" "$M/$name.dll"; done
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
ver98 | vernt4)
    # The version library as that system has it; a newer codec installed. On
    # Windows 98 the browser must be found, on NT 4.0 the DirectShow runtime.
    rm "$SYS/version.dll"
    cp "$BUILD/tests/standin/version.dll" "$SYS/version.dll"
    reg user.reg 'Software\Wine\AppDefaults\setup.exe\DllOverrides' '"version"' native
    keep "$FIXTURES/codec_newer.dll" ovcodec.dll
    if [ "$WINDOWS" = nt40 ]; then
        reg system.reg 'Software\Microsoft\Windows\CurrentVersion\App Paths\iexplore.exe' '"Path"' 'C:\nowhere'
        cp "$FIXTURES/ds_exact.dll" "$P/drive_c/dshow.dll"
        reg system.reg 'Software\Classes\CLSID\{05589FA1-C356-11CE-BF01-00AA0055595A}\InprocServer32' @ 'C:\dshow.dll'
    fi
    ;;
read_only)
    # As from a CD: every file of the medium read-only; installed twice.
    RUNS=2
    AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown -R 65534:65534 "$WORK"
    find "$M" -type f -exec chmod a-w {} +
    ;;
full_disk)
    # An older codec installed, and room in the system directory for every
    # component but the new codec (padded to 1 MiB past its image).
    truncate -s 1M "$M/ovcodec.dll"
    mv "$SYS" "$SYS.disk"
    mkdir "$SYS"
    mount -t tmpfs -o size=64m orvid-e2e "$SYS"
    MOUNTED="$SYS"
    cp -as "$SYS.disk/." "$SYS/"
    keep "$FIXTURES/v1.dll" ovcodec.dll
    used=$(df --output=used -k "$SYS" | tail -n 1)
    mount -o remount,size=$((used + 480))k "$SYS"
    ;;
post_start | post_end | registry_fails | ini_fails)
    # The setup's first post (the start) or its second (the end) is refused,
    # as a full message queue refuses it; the second driver entry or the
    # system.ini line cannot be written.
    export ANSWER_INJECT="$(winpath "$BUILD/tests/inject/fault.dll")"
    case "${ROW%95}" in post_start) ORVID_FAULT=PostMessageA:1 ;; post_end) ORVID_FAULT=PostMessageA:2 ;;
    registry_fails) ORVID_FAULT=RegSetValueExA:2 ;; ini_fails) ORVID_FAULT=WritePrivateProfileStringA:1 ;; esac
    export ORVID_FAULT
    ;;
no_temp)
    # TEMP and TMP name a folder that does not exist, nor does the Windows TEMP folder.
    rm -rf "$P/drive_c/windows/temp"
    reg user.reg 'Environment' '"TEMP"' 'C:\nowhere'
    reg user.reg 'Environment' '"TMP"' 'C:\nowhere'
    ;;
hooks)
    # A build whose hooks group the two Swift encoders and have the filter ask
    # for a directory; without wininet the filter is skipped.
    cp "$BUILD/tests/e2e/setup_hooks.exe" "$M/setup.exe"
    OVERRIDES+=";wininet=d"
    ;;
esac
[ -z "$WINDOWS" ] || reg user.reg 'Software\Wine\AppDefaults\setup.exe' '"Version"' "$WINDOWS"

start=$(date +%s%N)
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="$OVERRIDES" HOME="$WORK/home"
export DISPLAY="$(cat "$BUILD/wine/display")"
export ANSWER_LOG="$(winpath "$WORK/transcript.txt")" ANSWER_SCRIPT="$ANSWERS"
for run in $(seq "$RUNS"); do
    (cd "$WORK" && WINEPREFIX="$P" "${AS[@]}" wine "$WORK/tools/answer.exe" "$(winpath "$M/setup.exe")" \
        "$(winpath "$SETUP_DIR")" </dev/null >"$WORK/answer.log" 2>&1) || fail "answer, run $run: $(cat "$WORK/answer.log")"
    # The registry is written out as the server ends.
    server -k
    server -w
done

# What the user saw, blank lines aside.
for run in $(seq "$RUNS"); do for name in $BLOCKS; do block "$name"; done; done >"$WORK/transcript.expected"
diff "$WORK/transcript.expected" <(grep -v '^$' "$WORK/transcript.txt") || fail "transcript (<expected, >shown)"

for file in $DLLS $HELP_FILES; do
    case " $HELP_FILES " in *" $file "*) target="$HELP/$file" ;; *) target="$SYS/$file" ;; esac
    if [[ " $INSTALLED " == *" $file "* ]]; then
        if ! cmp -s "$M/$file" "$target"; then fail "$file is not the medium's"
        elif [ "$(stat -c %A "$target" | cut -c3)" != w ]; then fail "$file is installed read-only"; fi
    elif [ -e "$WORK/kept/$file" ]; then
        cmp -s "$WORK/kept/$file" "$target" || fail "$file was replaced"
    elif [ -e "$target" ]; then
        fail "$file was installed"
    fi
done
# A copy that failed or was put in place leaves nothing beside its target.
leftovers="$(find "$SYS/" "$HELP/" -maxdepth 1 -name '*.new')"
[ -z "$leftovers" ] || fail "left behind: $leftovers"

# The driver's entries of both families, as the registry file holds them.
{
    awk '/^\[/ { key = tolower(substr($0, 2)); sub(/\]( [0-9]+)?$/, "", key); next }
         key ~ /\\(drivers32|drivers\.desc|icm\\\\vidc\.yvu9)$/ && tolower($0) ~ /yvu9|^"(description|driver|friendlyname)"=/ {
             print key " " $0 }' "$P/system.reg"
    awk -F'\r' '/^\[/ { section = tolower($1) } section == "[drivers32]" && toupper($1) ~ /^VIDC\.YVU9=/ {
                    print "system.ini " $1 }' "$P/drive_c/windows/system.ini"
} >"$WORK/driver.txt"
diff <(block "driver_$DRIVER") "$WORK/driver.txt" || fail "driver entries (<expected, >found)"

for run in $(seq "$RUNS"); do
    for file in $REGISTERED; do printf '%s\t/s C:\\windows\\system32\\%s\n' "$(winpath "$M")" "$file"; done
done | sort >"$WORK/registered.expected"
diff "$WORK/registered.expected" <(sort "$M/RegSvr32.log" 2>/dev/null || true) \
    || fail "RegSvr32 starts (<expected, >recorded)"

# The release notes: the viewer opens a copy of the medium's that is the
# setup's own, in the temporary directory, not what someone put there.
case "$NOTES" in temp) NOTES_DIR="$TEMP_DIR" ;; wintemp) NOTES_DIR="$P/drive_c/windows/TEMP" ;; *) NOTES_DIR="" ;; esac
if [ -n "$NOTES_DIR" ]; then
    opened="$(cut -f2 "$WORK/viewer/viewer.log" 2>/dev/null | tr -d '"' | sed 's|^C:|drive_c|; s|\\|/|g' || true)"
    [[ "$P/$opened" == "$NOTES_DIR"/OrvidNotes*/* && -f "$P/$opened" && ! -L "$P/$opened" ]] \
        && cmp -s "$M/release.htm" "$P/$opened" || fail "release notes opened: $(cat "$WORK/viewer/viewer.log" 2>&1)"
else
    [ ! -e "$WORK/viewer/viewer.log" ] || fail "release notes opened: $(cat "$WORK/viewer/viewer.log")"
    [ -z "$(find "$TEMP_DIR" -iname 'release.*')" ] || fail "release notes copied"
fi

case "$ROW" in
hostile)
    [ ! -e "$P/drive_c/loaded" ] || fail "libraries loaded from the medium: $(ls "$P/drive_c/loaded")"
    diff -r "$WORK/decoy.before" "$SETUP_DIR" >/dev/null || fail "decoys changed or used: $(ls "$SETUP_DIR")"
    [ "$(cat "$WORK/victim")" = victim ] || fail "the file behind the link was written"
    ;;
hooks)
    [ -d "$P/drive_c/Program Files/Kalor/Orvid/Flowcaster Publisher" ] || fail "the chosen directory was not created"
    ;;
esac
echo "row $ROW: $FAILURES failure(s), $((($(date +%s%N) - start) / 1000000)) ms"
[ "$FAILURES" = 0 ]
