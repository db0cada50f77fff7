#!/usr/bin/env bash
# check-pe.sh CHECK EXE: checks of a built setup.exe that need no Windows to
# run it, so they hold for a build that this machine cannot start.
#   imports    the import table names only DLLs that Windows always takes
#              from its system folder
#   resources  the dialog templates, the start-page bitmap and the icon
#   size       it stays within 256 KiB
set -uo pipefail
check=$1 exe=$2

fail() { echo "check-pe: $exe: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "no such file"

case $check in
  imports)
    allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll comctl32.dll "
    dlls=$("${OBJDUMP:-x86_64-w64-mingw32-objdump}" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r')
    [ -n "$dlls" ] || fail "no import table found"
    for dll in $dlls; do
      case $allowed in *" $dll "*) ;; *) fail "imports $dll" ;; esac
    done
    echo "imports: $(echo $dlls)"
    ;;
  resources)
    listing=$(wrestool -l "$exe") || fail "wrestool cannot read the resources"
    for want in "type=5 --name=101" "type=5 --name=103" "type=5 --name=104" "type=5 --name=105" \
      "type=2 --name=102" "type=14 --name=104"; do
      grep -q -- "--$want " <<<"$listing" || fail "lacks resource --$want"
    done
    echo "resources: dialogs 101 103 104 105, bitmap 102, icon group 104"
    ;;
  size)
    bytes=$(stat -c %s "$exe")
    ((bytes <= 262144)) || fail "$bytes bytes, more than 256 KiB"
    echo "size: $bytes bytes"
    ;;
  *)
    fail "unknown check $check"
    ;;
esac
