# The end-to-end scenarios, one function each, sourced by run-scenario.sh.
# A function changes the defaults that run-scenario.sh sets out; arrange
# runs with the fresh medium and prefix in place, before setup starts.

# Puts a fixture in the prefix in place of an installed component and keeps
# its bytes, so the run can show whether setup replaced it.
place_installed() {
    local fixture="$1" file="$2"
    mkdir -p "$WORK/arranged"
    cp "$FIXTURES/$fixture" "$WORK/arranged/$file"
    cp "$FIXTURES/$fixture" "$SYS/$file"
}

NO_IE4='delkey	HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\iexplore.exe
'
DSHOW_KEY='HKCR\CLSID\{05589FA1-C356-11CE-BF01-00AA0055595A}\InprocServer32'
CODEC_FILES="ovcodec.dll orvid.cnt orvid.hlp ovview.bmp"     # the codec and its help rows
codec_newer() { arrange() { place_installed e2e_codec_newer.dll ovcodec.dll; }; }
no_release_notes() { RELNOTES_COPIED=""; RELNOTES_OPENED=""; }

# skipping "FILES LEFT OUT" "REGISTERED" NAME_VAR REASON_VAR ...: the named
# components are skipped for their reasons, the others installed.
skipping() {
    local file
    STEPS="components=OK skipped=OK progress=none? box=YES"
    INSTALLED=" $ALL_FILES "
    for file in $1; do INSTALLED="${INSTALLED/ $file / }"; done
    REGISTERED="$2"
    SKIPS=("${@:3}")
    expected_transcript() { rec_components; transcript_after_skipped; }
}

transcript_after_skipped() {
    local entry left=()
    for entry in "${ALL_DONE[@]}"; do
        [[ " ${SKIPS[*]} " == *" ${entry%:DONE} "* ]] || left+=("$entry")
    done
    rec_skipped "${SKIPS[@]}"
    rec_progress "${left[@]}"
    rec_summary ok
    rec_exit 0
}

scenario_nt_fresh() { :; }

scenario_win95_fresh() {
    PLATFORM=win95
    STEPS="components=OK progress=none? box=NO"
    no_release_notes
}

scenario_reinstall_same() {
    RUNS=2
    expected_transcript() { transcript_fresh_install; transcript_fresh_install; }
}

# The installed video codec is newer: it is skipped and blocks its help files,
# which are neither installed nor listed.
scenario_newer_codec() {
    skipping "$CODEC_FILES" "ovflow.ax ovaudio.ax" NAME_CODEC REASON_NEWER
    codec_newer
}

# Newer by file version, older by product version: replaced.
scenario_older_product_newer_file() {
    arrange() { place_installed e2e_swift_older.dll ovswift.dll; }
}

scenario_no_wininet() {
    DLL_OVERRIDES="wininet=d"
    skipping ovflow.ax "ovcodec.dll ovaudio.ax" NAME_FLOW REASON_WININET
}

scenario_no_ie4_no_dshow() {
    REG_ARRANGE="$NO_IE4"
    skipping ovflow.ax "ovcodec.dll ovaudio.ax" NAME_FLOW REASON_IE4_DSHOW
}

# DirectShow alone is enough for the filter.
scenario_dshow_only() {
    REG_ARRANGE="$NO_IE4$(printf 'set\t%s\t@\t%s' "$DSHOW_KEY" "$(winpath "$FIXTURES/ds_exact.dll")")
"
}

# A server file whose product name is not exactly "DirectShow" does not count.
scenario_dshow_wrong_name() {
    REG_ARRANGE="$NO_IE4$(printf 'set\t%s\t@\t%s' "$DSHOW_KEY" "$(winpath "$FIXTURES/ds_blank.dll")")
"
    skipping ovflow.ax "ovcodec.dll ovaudio.ax" NAME_FLOW REASON_IE4_DSHOW
}

# Two components skipped at once, the filter failing two tests: it is given
# the first test's reason only.
scenario_two_failing() {
    DLL_OVERRIDES="wininet=d"
    REG_ARRANGE="$NO_IE4"
    skipping "$CODEC_FILES ovflow.ax" ovaudio.ax NAME_CODEC REASON_NEWER NAME_FLOW REASON_WININET
    codec_newer
}

# Without RegSvr32.exe every self-registering component fails after its copy;
# the failed video codec blocks its help files.
SYSTEXT_NOT_FOUND=$'File not found.\r\n'
no_regsvr32() {
    INSTALLED="ovcodec.dll ovflow.ax ovswift.dll ovswiftx.dll ovyvu9.dll ovaudio.ax"
    REGISTERED=""
    arrange() { rm "$MEDIUM/RegSvr32.exe"; }
}

rec_progress_no_regsvr32() {
    rec_progress NAME_CODEC:FAILED NAME_FLOW:FAILED NAME_SWIFT:DONE NAME_SWIFTX:DONE NAME_YVU9:DONE \
        NAME_AUDIO:FAILED NAME_BLANK:DONE NAME_FOOTNOTE:DONE
}

scenario_no_regsvr32() {
    STEPS="components=OK box=OK box=OK box=OK box=YES"
    no_regsvr32
    expected_transcript() {
        rec_components
        rec_error "$NAME_CODEC" "$SYSTEXT_NOT_FOUND"
        rec_error "$NAME_FLOW" "$SYSTEXT_NOT_FOUND"
        rec_error "$NAME_AUDIO" "$SYSTEXT_NOT_FOUND"
        rec_progress_no_regsvr32
        rec_summary failed
        rec_exit 0
    }
}

# A directory where a component's file belongs: its copy fails, the rest goes on.
SYSTEXT_ACCESS_DENIED=$'Access denied.\r\n'
scenario_target_is_directory() {
    STEPS="components=OK box=OK box=NO"
    INSTALLED="${ALL_FILES/ovswift.dll /}"
    no_release_notes
    TARGET_DIRS="ovswift.dll"
    arrange() { mkdir "$SYS/ovswift.dll"; }
    expected_transcript() {
        rec_components
        rec_error "$NAME_SWIFT" "$SYSTEXT_ACCESS_DENIED"
        rec_progress NAME_CODEC:DONE NAME_FLOW:DONE NAME_SWIFT:FAILED NAME_SWIFTX:DONE NAME_YVU9:DONE \
            NAME_AUDIO:DONE NAME_BLANK:DONE NAME_FOOTNOTE:DONE
        rec_summary failed
        rec_exit 0
    }
}

# Cancel asks first: Yes ends the run with nothing installed, No goes on.
nothing_installed() {
    INSTALLED=""
    REGISTERED=""
    DRIVER_ENTRIES=0
    no_release_notes
}

scenario_cancel_components_yes() {
    STEPS="components=CANCEL box=YES"
    nothing_installed
    expected_transcript() { rec_confirm; rec_components; rec_exit 0; }
}

scenario_cancel_components_no() {
    STEPS="components=CANCEL box=NO components=OK progress=none? box=YES"
    expected_transcript() { rec_confirm; transcript_fresh_install; }
}

scenario_cancel_skipped_yes() {
    STEPS="components=OK skipped=CANCEL box=YES"
    nothing_installed
    codec_newer
    expected_transcript() { rec_components; rec_confirm; rec_skipped NAME_CODEC REASON_NEWER; rec_exit 0; }
}

scenario_cancel_skipped_no() {
    skipping "$CODEC_FILES" "ovflow.ax ovaudio.ax" NAME_CODEC REASON_NEWER
    STEPS="components=OK skipped=CANCEL box=NO skipped=OK progress=none? box=YES"
    codec_newer
    expected_transcript() { rec_components; rec_confirm; transcript_after_skipped; }
}

# The progress page is served only while a box is open: Cancel is pressed
# while the failure box of the video codec shows, and asked about before the
# next component.
scenario_cancel_install_yes() {
    STEPS="components=OK progress=CANCEL box=OK box=YES"
    no_regsvr32
    INSTALLED="ovcodec.dll"
    DRIVER_ENTRIES=0
    no_release_notes
    expected_transcript() {
        rec_components
        rec_error "$NAME_CODEC" "$SYSTEXT_NOT_FOUND"
        rec_confirm
        rec_progress NAME_CODEC:FAILED
        rec_exit 0
    }
}

scenario_cancel_install_no() {
    STEPS="components=OK progress=CANCEL box=OK box=NO box=OK box=OK box=YES"
    no_regsvr32
    expected_transcript() {
        rec_components
        rec_error "$NAME_CODEC" "$SYSTEXT_NOT_FOUND"
        rec_confirm
        rec_error "$NAME_FLOW" "$SYSTEXT_NOT_FOUND"
        rec_error "$NAME_AUDIO" "$SYSTEXT_NOT_FOUND"
        rec_progress_no_regsvr32
        rec_summary failed
        rec_exit 0
    }
}

# Release notes: only the text form on the medium.
scenario_relnotes_txt_only() {
    RELNOTES_COPIED="release.txt"
    RELNOTES_OPENED="release.txt"
    arrange() { rm "$MEDIUM/release.htm"; }
}

# Nothing opens .htm: its copy stays and the text form is opened.
scenario_relnotes_htm_unopenable() {
    RELNOTES_COPIED="release.htm release.txt"
    RELNOTES_OPENED="release.txt"
    REG_ARRANGE=$(printf 'set\tHKCR\\.htm\t@\tOrvidE2E.noopen\nset\tHKCR\\OrvidE2E.noopen\t@\tOrvid test document\n_')
    REG_ARRANGE="${REG_ARRANGE%_}"
}

scenario_relnotes_none() {
    no_release_notes
    arrange() { rm "$MEDIUM/release.htm" "$MEDIUM/release.txt"; }
}

# The demo medium as it is: the environment's own RegSvr32.exe registers the
# codecs for real, each under its own key.
scenario_demo_real_regsvr32() {
    REAL_REGSVR32=1
    local file
    for file in ovcodec.dll ovflow.ax ovaudio.ax; do
        REG_EXPECT+=$(printf 'sz\tHKLM\\SOFTWARE\\Kalor\\Orvid\\5.0\\Registered\\%s\tPath\tC:\\windows\\system32\\%s\n_' "$file" "$file")
        REG_EXPECT="${REG_EXPECT%_}"
    done
}
