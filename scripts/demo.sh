#!/usr/bin/env bash
# The program's main job: installs what is missing, builds, makes the demo
# setup medium and runs setup.exe from it under Wine in a private prefix.
# With a display the setup opens there for the user; without one it runs on
# a virtual display, answered as a user who accepts every page would, and
# prints the pages, what was installed, and where the screenshots are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" --toolchain cmake/mingw-i686.cmake --no-warn-unused-cli >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target medium e2e_driver e2e_state fake_viewer >/dev/null
BUILD="$(cd "$BUILD_DIR" && pwd)"

DEMO="$BUILD/demo"
MEDIUM="$DEMO/medium"
SHOTS="$DEMO/screenshots"
export WINEPREFIX="$DEMO/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
source tests/e2e/prefix.sh

# A fresh medium and a fresh prefix, copied from the pristine one that the
# medium's build booted.
if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
rm -rf "$DEMO"
mkdir -p "$DEMO" "$SHOTS"
cp -a "$BUILD/demo-medium" "$MEDIUM"
cp -a "$BUILD/wine/pristine" "$WINEPREFIX"
cp "$WINEPREFIX/drive_c/windows/system.ini" "$DEMO/system.ini.before"

XVFB_PID=""
cleanup() {
    wineserver -k 2>/dev/null || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then interactive=1; fi

if [ $interactive = 1 ]; then
    echo "Running setup.exe from $MEDIUM on display $DISPLAY; answer its pages."
    wineserver -p
    rc=0
    (cd "$MEDIUM" && wine setup.exe </dev/null >"$DEMO/wine.log" 2>&1) || rc=$?
    echo "setup.exe ended with exit code $rc"
else
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$DEMO/display.num" </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [ -s "$DEMO/display.num" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$DEMO/display.num")"
    echo "No display: running setup.exe from $MEDIUM on virtual display $DISPLAY,"
    echo "accepting every page."
    wineserver -p
    # Wine draws the window frames, so the captions show on the screenshots,
    # and manages the windows itself, as no window manager runs here; a
    # recording viewer stands for the program that opens the release notes.
    cp "$BUILD/tests/driver/fake_viewer.exe" "$DEMO/viewer.exe"
    prefix_lines "$DEMO/viewer.exe" OrvidDemo >"$DEMO/arrange.txt"
    wine "$BUILD/tests/e2e/e2e_state.exe" "$(winpath "$DEMO/arrange.txt")" </dev/null >/dev/null 2>&1
    # Wine's own services keep pipes open: the driver writes to a file, which
    # is shown as it grows.
    : >"$DEMO/driver.log"
    wine "$BUILD/tests/e2e/e2e_driver.exe" --print --medium "$MEDIUM" --log "$DEMO/transcript.txt" \
        --shots "$SHOTS" components=OK skipped=OK? progress=none? box=YES \
        </dev/null >"$DEMO/driver.log" 2>&1 &
    driver=$!
    tail -n +1 -f --pid=$driver "$DEMO/driver.log"
    wait $driver || { echo "The run did not go as expected." >&2; exit 1; }
    tail -n 1 "$DEMO/transcript.txt"
    echo
    echo "The progress page as it was last shown:"
    awk 'BEGIN { RS = ""; FS = "\n" } /\n1001 Static: / {
             for (i = 1; i <= NF; i++) if ($i ~ /^100[12] Static: /) print $i }' "$DEMO/transcript.txt" \
        | sed 's/\.\{20,\}/ .../g; s/\\n/\n    /g' | iconv -f WINDOWS-1252 -t UTF-8
    if [ -s "$DEMO/viewer.log" ]; then
        echo "Release notes opened: $(cat "$DEMO/viewer.log")"
    fi
fi

echo
echo "==== Installed files"
SYS="$WINEPREFIX/drive_c/windows/system32"
HELP="$WINEPREFIX/drive_c/windows/help"
for file in ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax orvid.cnt orvid.hlp ovview.bmp; do
    case $file in orvid.cnt|orvid.hlp|ovview.bmp) dir="$HELP"; win='C:\windows\help' ;; *) dir="$SYS"; win='C:\windows\system32' ;; esac
    if cmp -s "$MEDIUM/$file" "$dir/$file"; then
        printf '  %-40s %7d bytes, as on the medium\n' "$win\\$file" "$(stat -c %s "$dir/$file")"
    else
        printf '  %-40s not installed\n' "$win\\$file"
    fi
done

echo "==== Registry values of the video driver"
{
    printf 'show\tHKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32\tvidc.yvu9\n'
    printf 'show\tHKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc\n'
    printf 'show\tHKLM\\System\\CurrentControlSet\\control\\MediaResources\\icm\\vidc.YVU9\n'
} >"$DEMO/show-driver.txt"
wine "$BUILD/tests/e2e/e2e_state.exe" "$(winpath "$DEMO/show-driver.txt")" </dev/null 2>/dev/null | tr -d '\r'

echo "==== system.ini"
if diff "$DEMO/system.ini.before" "$WINEPREFIX/drive_c/windows/system.ini" >/dev/null; then
    echo "  unchanged (Windows NT keeps the video driver in the registry only)"
else
    diff "$DEMO/system.ini.before" "$WINEPREFIX/drive_c/windows/system.ini" | tr -d '\r' | sed -n 's/^> /  added: /p'
fi

echo "==== Registrations by RegSvr32.exe"
printf 'show\tHKLM\\SOFTWARE\\Kalor\\Orvid\\5.0\\Registered\n' >"$DEMO/show-registered.txt"
wine "$BUILD/tests/e2e/e2e_state.exe" "$(winpath "$DEMO/show-registered.txt")" </dev/null 2>/dev/null | tr -d '\r'

if [ $interactive = 0 ]; then
    for bmp in "$SHOTS"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
    done
    echo
    echo "Screenshots of every page: $SHOTS"
    ls "$SHOTS"
fi
