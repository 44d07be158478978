# Sourced by every script that runs Wine for this project (the tests' session
# and runner, the end-to-end rows, the demo, the medium's build): the one Wine
# environment, the one pristine prefix of a build, and fresh prefixes made
# from it. Sourcing sets the environment; the rest are functions.

# 32-bit, quiet, and never asking for Mono or Gecko, which nothing here needs;
# overrides already set (a test's own) are kept after these.
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
case ";${WINEDLLOVERRIDES:-};" in
*";mscoree,mshtml=;"*) ;;
*) export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
esac

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# pristine_prefix STATE: STATE/pristine, a prefix booted once and then only
# copied. Two builds or test runs may ask at once: one boots, under a lock,
# into a folder of its own that becomes the pristine one whole.
pristine_prefix() {
    mkdir -p "$1"
    (
        flock 9
        [ ! -f "$1/pristine/system.reg" ] || exit 0
        boot="$(mktemp -d "$1/boot.XXXXXX")"
        trap 'rm -rf "$boot"' EXIT
        WINEPREFIX="$boot" wineboot -i </dev/null >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
        WINEPREFIX="$boot" wineserver -w
        rm -rf "$1/pristine"
        mv "$boot" "$1/pristine"
    ) 9>"$1/pristine.lock"
}

# prefix_reg PREFIX FILE KEY NAME TEXT: a string value into FILE (system.reg
# for HKLM, user.reg for HKCU), read when the prefix's server next starts;
# NAME is @ or a quoted name.
prefix_reg() {
    local text="${5//\\/\\\\}"
    printf '\n[%s] 0\n%s="%s"\n' "${3//\\/\\\\}" "$4" "${text//\"/\\\"}" >>"$1/$2"
}

# fresh_prefix PRISTINE PREFIX: a copy of PRISTINE that shares its files but
# those that Wine rewrites in place (registry and .ini files), which are the
# copy's own; a file that could not be made its own stops it.
fresh_prefix() {
    local file
    cp -al "$1" "$2"
    while IFS= read -r -d '' file; do
        cp -p "$file" "$file.copy" && mv "$file.copy" "$file" || return 1
    done < <(find "$2" -type f \( -name '*.reg' -o -name '*.ini' \) -print0)
    [ -z "$(find "$2" -type f \( -name '*.reg' -o -name '*.ini' \) -links +1)" ] || return 1
}

# headless_prefix PREFIX [VIEWER]: for runs on a virtual display. Windows are
# unmanaged (with no window manager, Wine would wait for one at each hidden
# window), a crash ends its process at once (no debugger), and VIEWER, if
# given, opens .htm and .txt files.
headless_prefix() {
    prefix_reg "$1" user.reg 'Software\Wine\X11 Driver' '"Managed"' N
    prefix_reg "$1" system.reg 'Software\Microsoft\Windows NT\CurrentVersion\AeDebug' '"Debugger"' ''
    [ -n "${2:-}" ] || return 0
    prefix_reg "$1" system.reg 'Software\Classes\.htm' @ Viewer
    prefix_reg "$1" system.reg 'Software\Classes\.txt' @ Viewer
    prefix_reg "$1" system.reg 'Software\Classes\Viewer\shell\open\command' @ "\"$(winpath "$2")\" \"%1\""
}
