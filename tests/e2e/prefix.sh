# Shared by run-scenario.sh and scripts/demo.sh: paths and the arrangement of
# a prefix for a run of setup.exe.

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# prefix_lines VIEWER PROGID: e2e_state lines by which Wine draws the frames
# and manages the windows itself (with no window manager on the virtual
# display, hiding a managed window waits two seconds for one), and VIEWER,
# through PROGID.htm and PROGID.txt, opens the release notes.
prefix_lines() {
    local viewer kind
    viewer="\"$(winpath "$1")\" \"%1\""
    printf 'set\tHKCU\\Software\\Wine\\X11 Driver\tDecorated\tN\n'
    printf 'set\tHKCU\\Software\\Wine\\X11 Driver\tManaged\tN\n'
    for kind in htm txt; do
        printf 'set\tHKCR\\.%s\t@\t%s.%s\n' "$kind" "$2" "$kind"
        printf 'set\tHKCR\\%s.%s\\shell\\open\\command\t@\t%s\n' "$2" "$kind" "$viewer"
    done
}
