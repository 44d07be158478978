#!/bin/bash
# run.sh BUILD_DIR ROW: one row of rows.txt. The real setup.exe runs from a
# fresh copy of the demo medium in a fresh copy of the pristine prefix,
# arranged from the host side and answered by the answerer; what it showed and
# left behind is checked against the named blocks of expected.txt. E2E_KEEP=1
# keeps BUILD_DIR/e2e/ROW (for a row run as another user, a link to a folder
# in /tmp that this user can reach). Exits 77, a skip, when the row needs root.
set -euo pipefail
[ $# -eq 2 ] && [ -d "$1" ] || { echo "usage: run.sh BUILD_DIR ROW" >&2; exit 2; }
BUILD="$(cd "$1" && pwd)" ROW="$2" HERE="$(cd "$(dirname "$0")" && pwd)"
# Removed and made anew: never anything but a folder of the build's own, or of /tmp's.
[[ "$BUILD" == /?* && "$ROW" =~ ^[a-z0-9_]+$ ]] || { echo "refusing row '$ROW' in '$BUILD'" >&2; exit 2; }
DLLS="ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax"
HELP_FILES="orvid.cnt orvid.hlp ovview.bmp"
REGISTERING="ovcodec.dll ovflow.ax ovaudio.ax"
MARKED="wininet uxtheme dwmapi cryptbase msimg32 userenv comctl32"

# The row's line, its columns with their spaces folded and '-' for none.
LINE="$(awk -F'|' -v row="$ROW" '{ name = $1; gsub(/ /, "", name) } name == row { print; exit }' "$HERE/rows.txt")"
[ -n "$LINE" ] || { echo "no row $ROW" >&2; exit 2; }
IFS='|' read -r _ WINDOWS ARRANGE ANSWERS INSTALLED REGISTERED DRIVER NOTES LEFT BLOCKS <<<"$LINE"
for column in WINDOWS ARRANGE ANSWERS INSTALLED REGISTERED DRIVER NOTES LEFT BLOCKS; do
    read -r -a words <<<"${!column}"
    [ "${words[*]}" != - ] || words=()
    printf -v "$column" '%s' "${words[*]}"
done
[ -n "$BLOCKS" ] || { echo "row $ROW shows nothing" >&2; exit 2; }
[ "$DRIVER" != yes ] || { [[ "$WINDOWS" == win9* ]] && DRIVER=95 || DRIVER=nt; }
# files SET: all, dlls, codecs and names; -NAME drops one.
files() {
    local word out=" "
    for word in $1; do
        case "$word" in
        all) out+="$DLLS $HELP_FILES " ;; dlls) out+="$DLLS " ;; codecs) out+="$REGISTERING " ;;
        -*) out="${out/ ${word#-} / }" ;; *) out+="$word " ;;
        esac
    done
    echo $out
}
INSTALLED="$(files "$INSTALLED")" REGISTERED="$(files "$REGISTERED")"
arranged() { [[ " $ARRANGE " == *" $1 "* ]]; }
for step in read_only full_disk; do
    if arranged $step && [ "$(id -u)" != 0 ]; then echo "row $ROW skipped: $step needs root"; exit 77; fi
done

WORK="$BUILD/e2e/$ROW"
rm -rf "$WORK"
mkdir -p "$BUILD/e2e"
if arranged read_only; then ln -s "$(mktemp -d /tmp/orvid-e2e.XXXXXX)" "$WORK" && WORK="$(readlink "$WORK")"; fi
P="$WORK/prefix" M="$WORK/medium" TOOLS="$BUILD/scripts/answerer" FIXTURES="$BUILD/fixtures"
SYS="$P/drive_c/windows/system32" HELP="$P/drive_c/windows/help"

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
# block NAME[:CLASS]: a block of expected.txt, its lines only; CLASS for its owner's.
block() {
    awk -v name="[${1%%:*}]" '/^\[/ { on = $0 == name; next } on && NF && !/^#/' "$HERE/expected.txt" |
        if [[ "$1" == *:* ]]; then sed "s/^owner .*/owner ${1#*:}/"; else cat; fi
}
source "$HERE/../../scripts/wine.sh"
reg() { prefix_reg "$P" "$@"; }

# The user the setup runs as (root unless a row says otherwise), and a mount the row made.
AS=() MOUNTED=""
server() { [ ! -d "$P" ] || WINEPREFIX="$P" "${AS[@]}" wineserver "$@" 2>/dev/null || true; }
# Ends the prefix's server, which writes the registry out as it ends.
end_server() { server -k; server -w; }
cleanup() {
    end_server
    if [ -n "$MOUNTED" ]; then umount "$MOUNTED" || umount -l "$MOUNTED"; fi
    if [ "$FAILURES" = 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK" "$BUILD/e2e/$ROW"; fi
}
trap cleanup EXIT
mkdir -p "$WORK/kept" "$WORK/viewer" "$WORK/home" "$WORK/tools"
cp "$TOOLS/answer.exe" "$TOOLS/answerhook.dll" "$WORK/tools/"
cp -a "$BUILD/demo-medium" "$M"
cp "$TOOLS/recorder.exe" "$M/RegSvr32.exe"
cp "$TOOLS/recorder.exe" "$WORK/viewer/viewer.exe"
# What the arrangement steps below may change.
SETUP_DIR="$M" OVERRIDES="" RUNS=1 HELD="" CUT="" TWICE="" CHOSEN="" FAULT=""
# attributes FILE: its read-only, hidden and system attributes as Wine keeps them
# (no write permission; the DOSATTRIB extended attribute, where the file system takes one).
attributes() {
    python3 -c 'import os, sys; f, k = sys.argv[1], "user.DOSATTRIB"; d = int(os.getxattr(f, k), 16) if k in os.listxattr(f) else 0
print(*[n for n, on in (("read-only", not os.stat(f).st_mode & 0o222), ("hidden", d & 2), ("system", d & 4)) if on] or ["none"])' "$1"
}
# keep FILE NAME: FILE installed as NAME, read-only, hidden and system; kept,
# with its attributes, to compare with what the run leaves.
keep() {
    cp "$1" "$SYS/$2" && cp "$1" "$WORK/kept/$2" && chmod a-w "$SYS/$2"
    python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x6")' "$SYS/$2" 2>/dev/null || true
    attributes "$SYS/$2" >"$WORK/kept/$2.attributes"
}

if arranged read_only; then
    # A prefix of its own (not linked to the pristine one's files), for a user
    # for whom the read-only attribute holds; root ignores it.
    cp -a "$BUILD/wine/pristine" "$P"
    rm -f "$P/wineserver"       # names root's server folder
else
    fresh_prefix "$BUILD/wine/pristine" "$P"
fi
headless_prefix "$P" "$WORK/viewer/viewer.exe"
TEMP_DIR="$(echo "$P"/drive_c/users/*/Temp)"
# unix PATH: a Windows path of drive C in the prefix.
unix() { local p="${1#C:}"; echo "$P/drive_c${p//\\//}"; }
DSHOW_KEY='Software\Classes\CLSID\{05589FA1-C356-11CE-BF01-00AA0055595A}\InprocServer32'
APP_PATHS_KEY='Software\Microsoft\Windows\CurrentVersion\App Paths\iexplore.exe'

# The arrangement steps of rows.txt's ARRANGE column, one function a step;
# what follows a step's '=' is its argument.
arrange_older() { keep "$FIXTURES/v1.dll" ovcodec.dll; }
arrange_newer() { keep "$FIXTURES/codec_newer.dll" ovcodec.dll; }
arrange_no_regsvr32() { rm "$M/RegSvr32.exe"; }
arrange_stale() {
    head -c 1000 "$M/ovcodec.dll" >"$SYS/ovcodec.dll.new"
    cp "$FIXTURES/v1.dll" "$SYS/ovcodec.dll.old"
}
arrange_cp932() { export LANG=ja_JP.UTF-8; }
arrange_held() { HELD=1; }
# The browser (the lowest version that counts) in that folder, which
# alone App Paths names; the DirectShow runtime is nowhere.
arrange_browser() {
    mkdir -p "$(unix "$1")"
    cp "$FIXTURES/ie_min.exe" "$(unix "$1")/iexplore.exe"
    reg system.reg "$APP_PATHS_KEY" '"Path"' "$1"
    reg system.reg "$DSHOW_KEY" @ 'C:\nowhere.dll'
    OVERRIDES+=";iexplore.exe=n"
}
# Whatever anyone could put where the setup looks.
arrange_hostile() {
    local name
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
    reg system.reg "$DSHOW_KEY" @ 'C:\dshow.dll'
}
# The version library as that system has it. On Windows 98 the browser
# must be found, on NT 4.0 the DirectShow runtime.
arrange_standin() {
    rm "$SYS/version.dll"
    cp "$BUILD/tests/standin/version.dll" "$SYS/version.dll"
    reg user.reg 'Software\Wine\AppDefaults\setup.exe\DllOverrides' '"version"' native
    if [ "$WINDOWS" = nt40 ]; then
        reg system.reg "$APP_PATHS_KEY" '"Path"' 'C:\nowhere'
        cp "$FIXTURES/ds_exact.dll" "$P/drive_c/dshow.dll"
        reg system.reg "$DSHOW_KEY" @ 'C:\dshow.dll'
    fi
}
# As from a CD: every file of the medium read-only; installed twice.
arrange_read_only() {
    RUNS=2
    AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown -R 65534:65534 "$WORK"
    find "$M" -type f -exec chmod a-w {} +
}
# An older codec installed, and room in the system directory for every
# component but the new codec (padded to 1 MiB past its image).
arrange_full_disk() {
    truncate -s 1M "$M/ovcodec.dll"
    mv "$SYS" "$SYS.disk"
    mkdir "$SYS"
    mount -t tmpfs -o size=64m orvid-e2e "$SYS"
    MOUNTED="$SYS"
    cp -as "$SYS.disk/." "$SYS/"
    keep "$FIXTURES/v1.dll" ovcodec.dll
    mount -o remount,size=$(($(df --output=used -k "$SYS" | tail -n 1) + 480))k "$SYS"
}
# The injector makes fault.fired once its fault fires.
arrange_fault() {
    FAULT="$1"
    export ANSWER_INJECT="$(winpath "$BUILD/tests/inject/fault.dll")" ORVID_FAULT="$1" \
        ORVID_FAULT_FIRED="$(winpath "$WORK/fault.fired")"
}
arrange_cut() { CUT="$1"; }
arrange_twice() { TWICE=1; }
# TEMP and TMP name a folder that does not exist, nor does the Windows TEMP folder.
arrange_no_temp() {
    rm -rf "$P/drive_c/windows/temp"
    reg user.reg 'Environment' '"TEMP"' 'C:\nowhere'
    reg user.reg 'Environment' '"TMP"' 'C:\nowhere'
}
# A build whose hooks group the two Swift encoders and have the filter
# ask for a directory; without wininet the filter is skipped.
arrange_hooks() {
    cp "$BUILD/tests/e2e/setup_hooks.exe" "$M/setup.exe"
    OVERRIDES+=";wininet=d"
    # The directory chosen: the page's own, or one typed on it.
    CHOSEN="C:\Program Files\Kalor\Orvid\Flowcaster Publisher"
    if [ $# -gt 0 ]; then CHOSEN="$1"; export ANSWER_DIRECTORY="$CHOSEN"; fi
}
# The medium's release notes: release.txt alone, or none.
arrange_notes() { rm "$M/release.htm"; [ "$1" = txt ] || rm "$M/release.txt"; }
# .htm is of a type that nothing registers.
arrange_htm_unopenable() { reg system.reg 'Software\Classes\.htm' @ OrvidNone; }
# The name of the setup's first folder for the notes is taken in the temporary directory.
arrange_notes_taken() { echo planted >"$TEMP_DIR/OrvidNotes1"; }
# As the display settings set it.
arrange_dpi() {
    printf '\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:%08x\n' "$1" >>"$P/user.reg"
    export ANSWER_DPI="$1"
}

for step in $ARRANGE; do
    declare -F "arrange_${step%%=*}" >/dev/null || { echo "row $ROW: no step $step" >&2; exit 2; }
    if [[ "$step" == *=* ]]; then "arrange_${step%%=*}" "${step#*=}"; else "arrange_$step"; fi
done
[ -z "$WINDOWS" ] || reg user.reg 'Software\Wine\AppDefaults\setup.exe' '"Version"' "$WINDOWS"
start=$(date +%s%N)
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES$OVERRIDES" HOME="$WORK/home"
export DISPLAY="$(cat "$BUILD/wine/display")"
export ANSWER_LOG="$(winpath "$WORK/transcript.txt")" ANSWER_SCRIPT="$ANSWERS"
# Folders of drive C outside the Windows and users' folders, before the run.
folders() { (cd "$P/drive_c" && find . -type d ! -path './windows*' ! -path './users*' | LC_ALL=C sort); }
folders >"$WORK/folders.before"
# answer OUT: setup.exe from the medium under the answerer, as the environment
# (ANSWER_*, ORVID_FAULT) says; the answerer's own output goes to OUT.
answer() {
    (cd "$WORK" && WINEPREFIX="$P" "${AS[@]}" wine "$WORK/tools/answer.exe" "$(winpath "$M/setup.exe")" \
        "$(winpath "$SETUP_DIR")" </dev/null >"$1" 2>&1)
}
# await FILE: until FILE holds a line, for two minutes at most.
await() { for _ in $(seq 1200); do [ ! -s "$1" ] || return 0; sleep 0.1; done; false; }
if [ -n "$HELD" ]; then
    # Holds the installed codec for the whole run; ended with the server.
    (cd "$WORK" && WINEPREFIX="$P" "${AS[@]}" wine "$BUILD/tests/e2e/holder.exe" 'C:\windows\system32\ovcodec.dll' \
        </dev/null >"$WORK/holder.log" 2>&1 &)
    await "$WORK/holder.log" && grep -q held "$WORK/holder.log" || fail "the codec could not be held: $(cat "$WORK/holder.log")"
fi
if [ -n "$CUT" ]; then
    # A run before the row's own, answered OK, that ends right after the N-th
    # call of the import, as if the power had gone.
    ANSWER_LOG="$(winpath "$WORK/cut.txt")" ANSWER_SCRIPT=components=OK ORVID_FAULT="$CUT:cut" \
        ANSWER_INJECT="$(winpath "$BUILD/tests/inject/fault.dll")" answer "$WORK/answer.log" \
        || fail "answer, cut run: $(cat "$WORK/answer.log")"
    end_server
    [ "$(tail -n 1 "$WORK/cut.txt" 2>/dev/null)" = "exit code 9" ] || fail "the first run was not cut at $CUT"
fi
if [ -n "$TWICE" ]; then
    # Two setups at once, each answered with the row's script into a
    # transcript of its own: the second started once the first's page is up,
    # which waits unanswered until the second has ended; the second checked first.
    ANSWER_HOLD="$(winpath "$WORK/second.ended")" ANSWER_LOG="$(winpath "$WORK/transcript1.txt")" \
        answer "$WORK/answer1.log" &
    first=$!
    await "$WORK/transcript1.txt" || fail "the first setup showed no page"
    ANSWER_LOG="$(winpath "$WORK/transcript2.txt")" answer "$WORK/answer2.log" || fail "answer, second: $(cat "$WORK/answer2.log")"
    touch "$WORK/second.ended"
    wait $first || fail "answer, first: $(cat "$WORK/answer1.log")"
    end_server
    cat "$WORK/transcript2.txt" "$WORK/transcript1.txt" >"$WORK/transcript.txt" 2>/dev/null || true
fi
for run in $(seq "$RUNS"); do
    [ -z "$TWICE" ] || break
    answer "$WORK/answer.log" || fail "answer, run $run: $(cat "$WORK/answer.log")"
    end_server
done

# What the user saw, blank lines aside, each progress line's run of dots as
# one token when it has the length expected.
for run in $(seq "$RUNS"); do for name in $BLOCKS; do block "$name"; done; done >"$WORK/transcript.expected"
DOTS="$(awk '$1 == "PROGRESS_DOTS" { print $2; exit }' "$HERE/expected.txt")"
diff "$WORK/transcript.expected" <(grep -v '^$' "$WORK/transcript.txt" | sed -E "s/(^|[^.])\.{$DOTS}([^.]|$)/\1 ...\2/g") \
    || fail "transcript (<expected, >shown)"
[ -z "$FAULT" ] || [ -e "$WORK/fault.fired" ] || fail "the fault $FAULT never fired"

for file in $DLLS $HELP_FILES; do
    case " $HELP_FILES " in *" $file "*) target="$HELP/$file" ;; *) target="$SYS/$file" ;; esac
    if [[ " $INSTALLED " == *" $file "* ]]; then
        if ! cmp -s "$M/$file" "$target"; then fail "$file is not the medium's"
        elif [ "$(stat -c %A "$target" | cut -c3)" != w ]; then fail "$file is installed read-only"; fi
    elif [ -e "$WORK/kept/$file" ]; then
        if [ ! -e "$target" ]; then fail "$file is missing"
        elif ! cmp -s "$WORK/kept/$file" "$target"; then fail "$file was replaced"
        elif [ "$(attributes "$target")" != "$(cat "$WORK/kept/$file.attributes")" ]; then
            fail "$file's attributes changed: $(attributes "$target") (was $(cat "$WORK/kept/$file.attributes"))"
        fi
    elif [ -e "$target" ]; then
        fail "$file was installed"
    fi
done
# A copy that failed or was put in place leaves nothing beside its target,
# but what a failed clean-up could not remove.
leftovers="$(find "$SYS/" "$HELP/" -maxdepth 1 \( -name '*.new' -o -name '*.old' \) -printf '%f ')"
[ "$leftovers" = "${LEFT:+$LEFT }" ] || fail "left behind: $leftovers"

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

# The release notes: the copies that the setup made in the temporary directory
# (or the Windows one), each the medium's and none a link, and the one the
# viewer opened, the first of them.
read -r where copies <<<"$NOTES"
[ "$where" = wintemp ] && NOTES_DIR="$P/drive_c/windows/TEMP" || NOTES_DIR="$TEMP_DIR"
opened="$(cut -f2 "$WORK/viewer/viewer.log" 2>/dev/null | tr -d '"' | sed 's|^C:|/drive_c|; s|\\|/|g' || true)"
[ "${opened:+$P$opened}" = "${copies:+$NOTES_DIR/${copies%% *}}" ] || fail "release notes opened: ${opened:-none}"
diff <(xargs -rn1 <<<"$copies" | sort) <(find "$NOTES_DIR" -iname 'release.*' ! -type l -printf '%P\n' 2>/dev/null | sort) \
    || fail "release notes copied (<expected, >found)"
for copy in $copies; do cmp -s "$M/${copy##*/}" "$NOTES_DIR/$copy" || fail "$copy is not the medium's"; done

! arranged notes_taken || [ "$(cat "$TEMP_DIR/OrvidNotes1")" = planted ] || fail "the file in the way was written"
if arranged hostile; then
    [ ! -e "$P/drive_c/loaded" ] || fail "libraries loaded from the medium: $(ls "$P/drive_c/loaded")"
    diff -r "$WORK/decoy.before" "$SETUP_DIR" >/dev/null || fail "decoys changed or used: $(ls "$SETUP_DIR")"
    [ "$(cat "$WORK/victim")" = victim ] || fail "the file behind the link was written"
fi
# The setup makes no folder but the chosen directory, with every level before it.
levels() { local level path=. IFS='\'; for level in ${1#'C:\'}; do path+="/$level"; echo "$path"; done; }
diff <(levels "$CHOSEN" | LC_ALL=C sort | comm -23 - "$WORK/folders.before") \
    <(folders | comm -13 "$WORK/folders.before" -) || fail "folders made (<expected, >made)"
echo "row $ROW: $FAILURES failure(s), $((($(date +%s%N) - start) / 1000000)) ms"
[ "$FAILURES" = 0 ]
