# Sourced: how this machine runs 32-bit code. Where the kernel refuses i386
# programs (no IA-32 emulation), Wine's 32-bit loader runs under
# qemu-i386-static, registered through binfmt_misc.

WINE32_LOADER="${WINE32_LOADER:-/usr/lib/wine/wine}"
BINFMT_DIR="${BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
# The i386 ELF header that binfmt_misc hands to qemu, as qemu's own tables
# give it: class 32, little endian, executable or shared object, machine 386.
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
I386_ENTRY=":qemu-i386:M::$I386_MAGIC:$I386_MASK:/usr/bin/qemu-i386-static:F"

# loader_refused LOADER: true when the kernel refuses to execute LOADER's
# format. Any other answer, even a failure for a missing library, means the
# kernel took the program, so 32-bit code runs here.
loader_refused() {
    local out
    out="$("$1" --version 2>&1 </dev/null)" && return 1
    case "$out" in *"Exec format error"*) return 0 ;; esac
    return 1
}

# qemu_registered: binfmt_misc hands i386 programs to qemu.
qemu_registered() {
    [ -f "$BINFMT_DIR/qemu-i386" ] && grep -qx enabled "$BINFMT_DIR/qemu-i386" 2>/dev/null
}

# bookworm_mirror [APT_ETC]: the URI that already serves bookworm here, so
# that the user's own mirror serves the backports too.
bookworm_mirror() {
    local f etc="${1:-/etc/apt}"
    for f in "$etc"/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
        {
            uri = ""; deb = 0; suite = 0; off = 0
            for (i = 1; i <= NF; i++) {
                if ($i ~ /^#/) continue
                key = tolower($i); sub(/:.*/, "", key); val = $i; sub(/^[^:]*:/, "", val)
                if (key == "types" && (" " val " ") ~ /[ \t]deb[ \t]/) deb = 1
                if (key == "suites" && (" " val " ") ~ /[ \t]bookworm[ \t]/) suite = 1
                if (key == "enabled" && val ~ /no/) off = 1
                if (key == "uris" && uri == "") { split(val, u, /[ \t]+/); uri = (u[1] != "" ? u[1] : u[2]) }
            }
            if (deb && suite && !off && uri != "") { print uri; exit }
        }' "$f"
    done
    if [ -f "$etc/sources.list" ]; then
        sed -n 's/^[ \t]*deb[ \t]\+\(\[[^]]*\][ \t]\+\)\?\([^ \t]\+\)[ \t]\+bookworm[ \t].*/\2/p' "$etc/sources.list"
    fi
}

# runner_line: one line that says how 32-bit code runs here.
runner_line() {
    if qemu_registered; then
        echo "32-bit code runs under qemu-i386-static here (this kernel runs only 64-bit code): about five times slower than native."
    else
        echo "32-bit code runs natively here."
    fi
}
