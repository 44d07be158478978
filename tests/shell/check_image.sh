#!/bin/sh
# setup.exe imports nothing but system DLLs and msvcrt, and carries no
# resource but its four dialog templates (no manifest, icon or version).
exe="$1"
objdump="${2:-i686-w64-mingw32-objdump}"
status=0
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|shell32.dll|ole32.dll|advapi32.dll|version.dll|msvcrt.dll) ;;
        *) echo "unexpected import: $dll"; status=1 ;;
    esac
done
# The resource directory: one type, 5 (dialogs), holding the ids 101 to 104.
dump=$("$objdump" -p "$exe" | sed -n '/Resource Directory section/,$p')
echo "$dump" | grep -q 'Type Table: .*Num Names: 0, IDs: 1$' || { echo "not exactly one resource type"; status=1; }
echo "$dump" | grep -q '^010   Entry: ID: 0x000005,' || { echo "the resource type is not DIALOG"; status=1; }
echo "$dump" | grep -q 'Name Table: .*Num Names: 0, IDs: 4$' || { echo "not exactly four dialogs"; status=1; }
for id in 65 66 67 68; do
    echo "$dump" | grep -q "Entry: ID: 0x0000$id," || { echo "dialog 0x$id missing"; status=1; }
done
[ $status -eq 0 ] && echo "setup.exe image ok: $(echo $imports | tr '\n' ' ')"
exit $status
