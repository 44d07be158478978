#!/usr/bin/env bash
# The program's main job: installs what is missing, builds, makes the demo
# setup medium and runs setup.exe from it under Wine in a private prefix.
# With a display the setup opens there for the user; without one it runs on
# a virtual display, answered by the answerer as a user who accepts every
# page would, and prints the pages, what was installed, and the screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
source scripts/runner.sh
runner_line
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" --toolchain cmake/mingw-i686.cmake --no-warn-unused-cli >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target medium answer recorder >/dev/null
BUILD="$(cd "$BUILD_DIR" && pwd)"
DEMO="$BUILD/demo"
MEDIUM="$DEMO/medium"
SHOTS="$DEMO/screenshots"
export WINEPREFIX="$DEMO/prefix"
source scripts/wine.sh

if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
rm -rf "$DEMO"
mkdir -p "$SHOTS"
# setup.exe's icon as Explorer draws it at 32 and 16 pixels, beside the pages.
cp "$BUILD/ui/setup-icon.png" "$SHOTS/"
cp -a "$BUILD/demo-medium" "$MEDIUM"
XVFB_PID=""
trap 'wineserver -k 2>/dev/null || true; [ -z "$XVFB_PID" ] || kill "$XVFB_PID"' EXIT

# A transcript line in UTF-8: dialogs as headings, controls' texts without ids.
show() {
    local line
    while IFS= read -r line; do
        case "$line" in
        "exit code "*) echo; echo "setup.exe ended with $line" ;;
        "last progress") echo; echo "-- The progress page as it was last shown" ;;
        owner\ * | icon\ * | "") ;;
        "no answer scripted") echo "$line" ;;
        [0-9]*) [ -z "${line#* }" ] || printf '%b\n' "${line#* }" | iconv -f WINDOWS-1252 -t UTF-8 | sed 's/^/   /' ;;
        *) echo; printf '%b\n' "-- ${line#* }" | iconv -f WINDOWS-1252 -t UTF-8 ;;
        esac
    done
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    fresh_prefix "$BUILD/wine/pristine" "$WINEPREFIX"
    echo "Running setup.exe from $MEDIUM on display $DISPLAY; answer its pages."
    rc=0
    (cd "$MEDIUM" && wine setup.exe </dev/null >"$DEMO/wine.log" 2>&1) || rc=$?
    echo "setup.exe ended with exit code $rc"
else
    fresh_prefix "$BUILD/wine/pristine" "$WINEPREFIX"
    headless_prefix "$WINEPREFIX" "$DEMO/viewer.exe"
    cp "$BUILD/scripts/answerer/recorder.exe" "$DEMO/viewer.exe"
    exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
    XVFB_PID=$!
    read -r display <&3
    export DISPLAY=":$display"
    echo "No display: running setup.exe from $MEDIUM on virtual display $DISPLAY, accepting every page."
    export ANSWER_LOG="$(winpath "$DEMO/transcript.txt")" ANSWER_SHOTS="$(winpath "$SHOTS")"
    export ANSWER_SCRIPT="components=OK skipped=OK directory=OK box=YES"
    : >"$DEMO/transcript.txt"
    wine "$BUILD/scripts/answerer/answer.exe" "$(winpath "$MEDIUM/setup.exe")" </dev/null >"$DEMO/answer.log" 2>&1 &
    answerer=$!
    tail -n +1 -f --pid=$answerer "$DEMO/transcript.txt" | sed -u 's/\.\{20,\}/ .../g' | show
    wait $answerer || { cat "$DEMO/answer.log" >&2; echo "The run did not go as expected." >&2; exit 1; }
    if [ -s "$DEMO/viewer.log" ]; then echo "Release notes opened: viewer.exe $(cut -f2 "$DEMO/viewer.log")"; fi
fi

echo
echo "==== Installed files"
for file in ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax orvid.cnt orvid.hlp ovview.bmp; do
    case $file in orvid.* | ovview.bmp) dir=help ;; *) dir=system32 ;; esac
    if cmp -s "$MEDIUM/$file" "$WINEPREFIX/drive_c/windows/$dir/$file"; then
        printf '  %-36s %7d bytes, as on the medium\n' "C:\\windows\\$dir\\$file" "$(stat -c %s "$MEDIUM/$file")"
    else
        printf '  %-36s not installed\n' "C:\\windows\\$dir\\$file"
    fi
done
# query KEY [PATTERN]: the key and its subkeys as reg exports them (reg query
# would print in the OEM code page, which lacks the registered sign), or that
# there is none; with PATTERN, only the values that match it.
query() {
    wine reg export "$1" "$DEMO/query.reg" /y </dev/null >/dev/null 2>&1 || { echo "$1: none"; return; }
    iconv -f UTF-16 -t UTF-8 "$DEMO/query.reg" | tr -d '\r' | grep -v '^Windows Registry\|^$' | grep -i "^\[\|${2:-.}"
}
echo "==== Registry values of the video driver"
query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32' vidc.yvu9
query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\drivers.desc'
query 'HKLM\System\CurrentControlSet\control\MediaResources\icm\vidc.YVU9'
echo "==== system.ini"
grep -i '^VIDC\.YVU9=' "$WINEPREFIX/drive_c/windows/system.ini" \
    || echo "  no driver line (Windows NT keeps the video driver in the registry only)"
echo "==== Registrations by RegSvr32.exe"
query 'HKLM\SOFTWARE\Kalor\Orvid\5.0\Registered'

if [ -n "$XVFB_PID" ]; then
    for bmp in "$SHOTS"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"; done
    echo
    echo "Screenshots of every page: $SHOTS"
    ls "$SHOTS"
fi
