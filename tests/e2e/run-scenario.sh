#!/bin/bash
# Runs one end-to-end scenario: a fresh copy of the medium and of the pristine
# 32-bit prefix, the scenario's arrangement, the real setup.exe answered by
# e2e_driver, then the checks of the final state; cleans up after itself.
#
#   run-scenario.sh BUILD_DIR NAME [DRIVER STATE_TOOL REGSVR32_STAND_IN VIEWER]
#
# Scenarios are the functions scenario_NAME in scenarios.sh; E2E_KEEP=1 keeps
# the scenario's folder for a look afterwards.
set -u
BUILD="$(cd "$1" && pwd)"
NAME="$2"
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/prefix.sh"
source "$HERE/expected.sh"
source "$HERE/scenarios.sh"

WORK="$BUILD/e2e-work/$NAME"
PREFIX="$WORK/prefix"
MEDIUM="$WORK/medium"
VIEWER_DIR="$WORK/viewer"
SYS="$PREFIX/drive_c/windows/system32"
HELP="$PREFIX/drive_c/windows/help"
DRIVER="${3:-$BUILD/tests/e2e/e2e_driver.exe}"
STATE_TOOL="${4:-$BUILD/tests/e2e/e2e_state.exe}"
FAKE_REGSVR32="${5:-$BUILD/fixtures/RegSvr32.exe}"
FAKE_VIEWER="${6:-$BUILD/tests/driver/fake_viewer.exe}"
FIXTURES="$(dirname "$FAKE_REGSVR32")"
FAILURES=0

fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }

# What a scenario may set; the defaults are a fresh install accepted as is.
PLATFORM=nt                 # nt or win95 (Wine's per-application version)
DLL_OVERRIDES=""            # added to WINEDLLOVERRIDES of setup's run
STEPS="components=OK progress=none? box=YES"
RUNS=1                      # runs of setup.exe one after the other
REAL_REGSVR32=0             # 1: the medium keeps the environment's RegSvr32.exe
INSTALLED="$ALL_FILES"      # component files setup puts in place
REGISTERED="ovcodec.dll ovflow.ax ovaudio.ax"   # RegSvr32 starts, in order
DRIVER_ENTRIES=1            # the YVU9 driver entries are written
RELNOTES_COPIED="release.htm"   # copies expected in the temporary directory
RELNOTES_OPENED="release.htm"   # copy the viewer is started for, or empty
REG_ARRANGE=""              # e2e_state lines applied before the run
REG_EXPECT=""               # e2e_state lines checked after the run
TARGET_DIRS=""              # component files arranged as directories
arrange() { :; }            # host-side arrangement of medium and prefix
expected_transcript() { transcript_fresh_install; }

if ! declare -F "scenario_$NAME" >/dev/null; then
    echo "no scenario $NAME" >&2
    exit 2
fi
"scenario_$NAME"

if [ ! -f "$BUILD/wine/pristine/system.reg" ] || [ ! -f "$BUILD/wine/display" ]; then
    echo "the Wine session is not running (ctest fixture wine)" >&2
    exit 2
fi
export WINEARCH=win32 WINEDEBUG=-all WINEPREFIX="$PREFIX"
export DISPLAY="$(cat "$BUILD/wine/display")"
BASE_OVERRIDES="mscoree,mshtml="

# A failed scenario leaves its logs and transcripts in e2e-failed/NAME.
cleanup() {
    local status=$?
    WINEPREFIX="$PREFIX" wineserver -k 2>/dev/null
    rm -rf "$BUILD/e2e-failed/$NAME"
    if [ $status -ne 0 ] && [ -d "$WORK" ]; then
        mkdir -p "$BUILD/e2e-failed/$NAME"
        cp "$WORK"/*.log "$WORK"/*.txt "$WORK"/*.expected "$VIEWER_DIR"/*.log "$MEDIUM"/*.log \
            "$BUILD/e2e-failed/$NAME/" 2>/dev/null
    fi
    if [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK"; fi
}
trap cleanup EXIT

start=$(date +%s.%N)
rm -rf "$WORK"
mkdir -p "$WORK" "$VIEWER_DIR"
# The prefix as a copy of the pristine one, but the system directory's 800
# files shared by hard links, which saves most of the time: the setup and the
# arrangements only add files there, while everything that Wine or the setup
# rewrites in place (registry, system.ini) is a copy of its own.
cp -al "$BUILD/wine/pristine" "$PREFIX"
find "$PREFIX" -path "$PREFIX/drive_c/windows/system32" -prune -o -type f -print0 \
    | xargs -0 -r sh -c 'for f; do cp -p "$f" "$f.copy" && mv "$f.copy" "$f"; done' sh
cp -a "$BUILD/demo-medium" "$MEDIUM"
if [ "$REAL_REGSVR32" != 1 ]; then cp "$FAKE_REGSVR32" "$MEDIUM/RegSvr32.exe"; fi
cp "$FAKE_VIEWER" "$VIEWER_DIR/viewer.exe"
cp "$PREFIX/drive_c/windows/system.ini" "$WORK/system.ini.before"
arrange

# The prefix as every scenario starts it, with the recording viewer.
{
    prefix_lines "$VIEWER_DIR/viewer.exe" OrvidE2E
    if [ "$PLATFORM" = win95 ]; then
        printf 'set\tHKCU\\Software\\Wine\\AppDefaults\\setup.exe\tVersion\twin95\n'
    fi
    printf '%s' "$REG_ARRANGE"
} >"$WORK/arrange.txt"

# state NAME WHAT: applies or checks $WORK/NAME.txt with e2e_state.
state() {
    WINEDLLOVERRIDES="$BASE_OVERRIDES" wine "$STATE_TOOL" "$(winpath "$WORK/$1.txt")" \
        </dev/null >"$WORK/$1.log" 2>&1 || { cat "$WORK/$1.log"; fail "$2"; }
}

wineserver -p </dev/null >/dev/null 2>&1
state arrange arrangement

# The driver, and so setup.exe, with the scenario's DLL overrides.
: >"$WORK/transcript.txt"
overrides="$BASE_OVERRIDES${DLL_OVERRIDES:+;$DLL_OVERRIDES}"
for run in $(seq "$RUNS"); do
    # shellcheck disable=SC2086
    WINEDLLOVERRIDES="$overrides" wine "$DRIVER" --medium "$MEDIUM" \
        --log "$WORK/run$run.txt" $STEPS </dev/null >"$WORK/driver$run.log" 2>&1
    rc=$?
    [ $rc -eq 0 ] || { cat "$WORK/driver$run.log"; fail "driver run $run ended with $rc"; }
    cat "$WORK/run$run.txt" >>"$WORK/transcript.txt" 2>/dev/null
done

# The pages and boxes, byte for byte.
expected_transcript >"$WORK/transcript.expected"
if ! cmp -s "$WORK/transcript.expected" "$WORK/transcript.txt"; then
    fail "transcript differs (expected, then actual):"
    diff <(iconv -f WINDOWS-1252 -t UTF-8 "$WORK/transcript.expected") \
         <(iconv -f WINDOWS-1252 -t UTF-8 "$WORK/transcript.txt")
fi

# Component files: installed ones are the medium's bytes, others are absent
# or still what the arrangement put there.
for file in $ALL_FILES; do
    case " $HELP_FILES " in *" $file "*) target="$HELP/$file" ;; *) target="$SYS/$file" ;; esac
    if [[ " $INSTALLED " == *" $file "* ]]; then
        cmp -s "$MEDIUM/$file" "$target" || fail "$target is not the medium's $file"
    elif [ -e "$WORK/arranged/$file" ]; then
        cmp -s "$WORK/arranged/$file" "$target" || fail "$target was changed"
    elif [[ " $TARGET_DIRS " == *" $file "* ]]; then
        [ -d "$target" ] || fail "the directory $target is gone"
    elif [ -e "$target" ]; then
        fail "$target exists"
    fi
done

# RegSvr32 starts, as the recording stand-in logged them: the platform hands
# on the program as setup named it, relative to the medium.
if [ "$REAL_REGSVR32" != 1 ]; then
    : >"$WORK/regsvr32.expected"
    for run in $(seq "$RUNS"); do
        for file in $REGISTERED; do
            printf '".\\RegSvr32.exe" /s C:\\windows\\system32\\%s\n' "$file" >>"$WORK/regsvr32.expected"
        done
    done
    touch "$MEDIUM/regsvr32.log"
    # Registrations run beside the setup and may finish in any order.
    if ! diff <(sort "$WORK/regsvr32.expected") <(sort "$MEDIUM/regsvr32.log") >/dev/null; then
        fail "RegSvr32 starts differ (expected, then actual):"
        diff "$WORK/regsvr32.expected" "$MEDIUM/regsvr32.log"
    fi
fi

# Registry values, exactly; system.ini lines.
{
    if [ "$DRIVER_ENTRIES" = 1 ]; then expect_driver_entries "$PLATFORM"; else expect_no_driver_entries; fi
    printf '%s' "$REG_EXPECT"
} >"$WORK/expect.txt"
state expect registry
check_system_ini

# Release notes: the copies in the temporary directory and the viewer's start.
temp_dir="$PREFIX/drive_c/users/$(id -un)/Temp"
for file in release.htm release.txt; do
    case " $RELNOTES_COPIED " in
    *" $file "*) cmp -s "$MEDIUM/$file" "$temp_dir/$file" || fail "no copy of $file in $temp_dir" ;;
    *) [ ! -e "$temp_dir/$file" ] || fail "$file was copied" ;;
    esac
done
# The shell hands the viewer the copy's path in its full form, with the
# doubled backslash that setup wrote made single.
: >"$WORK/viewer.expected"
if [ -n "$RELNOTES_OPENED" ]; then
    for run in $(seq "$RUNS"); do
        printf '"%s" "C:\\users\\%s\\Temp\\%s"\n' "$(winpath "$VIEWER_DIR/viewer.exe")" "$(id -un)" \
            "$RELNOTES_OPENED" >>"$WORK/viewer.expected"
    done
fi
touch "$VIEWER_DIR/viewer.log"
if ! cmp -s "$WORK/viewer.expected" "$VIEWER_DIR/viewer.log"; then
    fail "viewer starts differ (expected, then actual):"
    cat "$WORK/viewer.expected" "$VIEWER_DIR/viewer.log"
fi

end=$(date +%s.%N)
awk -v n="$NAME" -v f="$FAILURES" -v s="$start" -v e="$end" 'BEGIN { printf "scenario %s: %d failure(s), %.1f s\n", n, f, e - s }'
[ "$FAILURES" -eq 0 ]
