# Sourced by scripts/demo.sh and the end-to-end rows: a fresh prefix for a run
# of setup.exe under the answerer, arranged from the host side, before its
# server starts and reads the registry files.

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# prefix_reg PREFIX FILE KEY NAME TEXT: a string value into FILE (system.reg
# for HKLM, user.reg for HKCU); NAME is @ or a quoted name.
prefix_reg() {
    local text="${5//\\/\\\\}"
    printf '\n[%s] 0\n%s="%s"\n' "${3//\\/\\\\}" "$4" "${text//\"/\\\"}" >>"$1/$2"
}

# fresh_prefix PRISTINE PREFIX [VIEWER]: a copy of PRISTINE that shares its
# files but those rewritten in place (registry files, .ini files); with
# PRISTINE empty, PREFIX is a whole copy already. With
# VIEWER, for a run on a virtual display: windows are unmanaged (with no
# window manager, Wine would wait for one at each hidden window), a crash ends
# its process at once (no debugger), and VIEWER opens .htm and .txt files.
fresh_prefix() {
    [ -z "$1" ] || cp -al "$1" "$2" || return 1
    find "$2" -name '*.reg' -o -name '*.ini' | while read -r f; do cp "$f" "$f.copy" && mv "$f.copy" "$f"; done
    [ -n "${3:-}" ] || return 0
    prefix_reg "$2" user.reg 'Software\Wine\X11 Driver' '"Managed"' N
    prefix_reg "$2" system.reg 'Software\Microsoft\Windows NT\CurrentVersion\AeDebug' '"Debugger"' ''
    prefix_reg "$2" system.reg 'Software\Classes\.htm' @ Viewer
    prefix_reg "$2" system.reg 'Software\Classes\.txt' @ Viewer
    prefix_reg "$2" system.reg 'Software\Classes\Viewer\shell\open\command' @ "\"$(winpath "$3")\" \"%1\""
}
