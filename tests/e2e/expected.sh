# What the setup must show and leave behind, written out from the package's
# own texts; sourced by run-scenario.sh. Texts are Windows-1252 bytes.

R=$'\xae'
CAPTION="Orvid${R} video 5.0 Setup"
NAME_CODEC="Orvid${R} video codec"
NAME_FLOW="Orvid${R} video Flowcaster DirectShow* filter"
NAME_SWIFT="Orvid${R} video Swift Encoder"
NAME_SWIFTX="Orvid${R} video Swift Encoder designed for Vectrix(TM) Technology"
NAME_YVU9="Orvid${R} raw (YVU9) codec"
NAME_AUDIO="Orvid${R} audio codec"
NAME_BLANK=" "
NAME_FOOTNOTE="* Brand, name or Trademark owned by another company"
LISTED=(NAME_CODEC NAME_FLOW NAME_SWIFT NAME_SWIFTX NAME_YVU9 NAME_AUDIO NAME_BLANK NAME_FOOTNOTE)

REASON_WININET="Wininet.dll is not installed"
REASON_IE4_DSHOW="Neither Internet Explorer* version 4 nor DirectShow* is installed"
REASON_NEWER="A newer version of the file is already installed."

ALL_FILES="ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll orvid.cnt orvid.hlp ovview.bmp ovaudio.ax"
HELP_FILES="orvid.cnt orvid.hlp ovview.bmp"
DESCRIPTION="Orvid${R} video Raw YVU9 by Kalor"
DRIVER_TARGET='C:\windows\system32\ovyvu9.dll'

# 144 full stops end every progress line.
DOTS="$(printf '%.0s.' $(seq 144))"

# The transcript escapes line feeds, tabs and backslashes.
esc() {
    local text="$1"
    text="${text//\\/\\\\}"
    text="${text//$'\n'/\\n}"
    text="${text//$'\t'/\\t}"
    text="${text//$'\r'/\\r}"
    printf '%s' "$text"
}

# Names of the variables above to their texts, for lists given by name.
names_to_lines() {
    local name
    for name in "$@"; do printf '%s\n' "${!name}"; done
}

# rec_list_page LABEL TEXT: the components or the skipped page.
rec_list_page() {
    printf 'caption: %s\n1 Button: OK\n2 Button: Cancel\n' "$CAPTION"
    printf '65535 Static: %s\n1000 Static: %s\n\n' "$1" "$(esc "$2")"
}

rec_components() {
    local names=("$@")
    [ ${#names[@]} -gt 0 ] || names=("${LISTED[@]}")
    rec_list_page 'Setup will install the following components:' "$(names_to_lines "${names[@]}")"$'\n'
}

# rec_skipped NAME_VAR REASON_VAR [NAME_VAR REASON_VAR ...]
rec_skipped() {
    local text=""
    while [ $# -ge 2 ]; do
        text+="${!1}"$'\n\t'"${!2}"$'\n\n\n'
        shift 2
    done
    rec_list_page 'Setup will not install the following components:' "$text"
}

# rec_progress NAME_VAR:STATUS ... (STATUS DONE, FAILED, or - for none yet)
rec_progress() {
    local items="" statuses="" entry
    for entry in "$@"; do
        local name="${entry%%:*}" status="${entry#*:}"
        items+="Installing ${!name}${DOTS}"$'\n'
        [ "$status" = - ] || statuses+="$status"$'\n'
    done
    printf 'caption: %s\n2 Button: Cancel\n' "$CAPTION"
    printf '1001 Static: %s\n1002 Static: %s\n\n' "$(esc "$items")" "$(esc "$statuses")"
}

# A message box as the platform builds it: icon, buttons, then the text.
rec_box() {
    local caption="$1" icon="$2" text="$3"
    shift 3
    printf 'caption: %s\n1088 Static: \n' "$caption"
    local button
    for button in "$@"; do printf '%s\n' "$button"; done
    printf '65535 Static: %s\nicon: %s\n\n' "$(esc "$text")" "$icon"
}

# rec_summary ok|failed
rec_summary() {
    local icon=none not=""
    [ "$1" = ok ] || { icon=warning; not="not "; }
    rec_box "$CAPTION" "$icon" "All components were ${not}successfully installed."$'\n\nDo you want to review the release notes?' \
        '6 Button: &Yes' '7 Button: &No'
}

rec_confirm() {
    rec_box "$CAPTION" warning 'Are you sure you want to cancel setup?' '6 Button: &Yes' '7 Button: &No'
}

# rec_error NAME SYSTEM_TEXT
rec_error() {
    rec_box "Setup Error" warning "Setup failed to install the $1 due to the following reason:  "$'\n\n'"$2" \
        '1 Button: OK'
}

rec_exit() { printf 'exit code %s\n' "${1:-0}"; }

ALL_DONE=(NAME_CODEC:DONE NAME_FLOW:DONE NAME_SWIFT:DONE NAME_SWIFTX:DONE NAME_YVU9:DONE
          NAME_AUDIO:DONE NAME_BLANK:DONE NAME_FOOTNOTE:DONE)

transcript_fresh_install() {
    rec_components
    rec_progress "${ALL_DONE[@]}"
    rec_summary ok
    rec_exit 0
}

# e2e_state lines for the YVU9 driver entries of each platform family.
KEY_NT_DRIVERS32='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
KEY_NT_DESC='HKLM\Software\Microsoft\Windows NT\CurrentVersion\drivers.desc'
KEY_95_VIDC='HKLM\System\CurrentControlSet\control\MediaResources\icm\vidc.YVU9'

expect_driver_entries() {
    if [ "$1" = win95 ]; then
        printf 'sz\t%s\tDescription\t%s\n' "$KEY_95_VIDC" "$DESCRIPTION"
        printf 'sz\t%s\tDriver\t%s\n' "$KEY_95_VIDC" "$DRIVER_TARGET"
        printf 'sz\t%s\tFriendlyName\t%s\n' "$KEY_95_VIDC" "$DESCRIPTION"
        printf 'novalue\t%s\tvidc.yvu9\n' "$KEY_NT_DRIVERS32"
        printf 'novalue\t%s\t%s\n' "$KEY_NT_DESC" "$DRIVER_TARGET"
    else
        printf 'sz\t%s\tvidc.yvu9\t%s\n' "$KEY_NT_DRIVERS32" "$DRIVER_TARGET"
        printf 'sz\t%s\t%s\t%s\n' "$KEY_NT_DESC" "$DRIVER_TARGET" "$DESCRIPTION"
        printf 'nokey\t%s\n' "$KEY_95_VIDC"
    fi
}

expect_no_driver_entries() {
    printf 'novalue\t%s\tvidc.yvu9\n' "$KEY_NT_DRIVERS32"
    printf 'novalue\t%s\t%s\n' "$KEY_NT_DESC" "$DRIVER_TARGET"
    printf 'nokey\t%s\n' "$KEY_95_VIDC"
}

# system.ini: on the Windows 95 family the driver line joins [drivers32] and
# nothing else changes; otherwise the file is untouched.
check_system_ini() {
    local ini="$PREFIX/drive_c/windows/system.ini"
    if [ "$DRIVER_ENTRIES" = 1 ] && [ "$PLATFORM" = win95 ]; then
        local line
        line="$(awk 'BEGIN{RS="\r\n"} /^\[/{s=$0} s=="[drivers32]" && /^VIDC\.YVU9=/' "$ini")"
        [ "$line" = 'VIDC.YVU9=C:\windows\system32\ovyvu9.dll' ] \
            || fail "system.ini [drivers32] has \"$line\" for VIDC.YVU9"
        diff <(grep -v '^VIDC\.YVU9=' "$ini") "$WORK/system.ini.before" >/dev/null \
            || fail "system.ini changed beyond the driver line"
    else
        cmp -s "$ini" "$WORK/system.ini.before" || fail "system.ini changed"
    fi
}
