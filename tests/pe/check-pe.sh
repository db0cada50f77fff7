#!/usr/bin/env bash
# check-pe.sh CHECK EXE: checks of a built setup.exe that need no Windows to
# run it, so they hold for a build that this machine cannot start.
#   imports    the import table names only DLLs that Windows always takes
#              from its system folder
#   manifest   the application manifest: well-formed, administrator rights,
#              the Windows versions from Vista to 11, code page 932 asked
#              for by locale name, nothing that changes how the pages look
#   resources  the dialog templates, the start-page bitmap and the icon
#   size       it stays within 256 KiB
#   flags      Windows may move it (a relocation table kept) and runs no data
#              as code: ASLR, DEP, on 64-bit high-entropy ASLR, no section
#              both writable and executable; the 32-bit image declares that
#              no handler of its own is on the exception chain, and sets none
#   protector  the stack protector's failure routine, the one that ends the
#              process as an overrun, is linked and called by the program
set -uo pipefail
check=$1 exe=$2

fail() { echo "check-pe: $exe: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "no such file"

# Little-endian numbers of the image's headers, read from the file itself.
u16() { od -An -tu2 -j"$1" -N2 "$exe" | tr -d ' '; }
u32() { od -An -tu4 -j"$1" -N4 "$exe" | tr -d ' '; }
disassembly() { "${OBJDUMP:-x86_64-w64-mingw32-objdump}" -d --no-show-raw-insn "$exe"; }
# An awk function for objdump's hexadecimal addresses (mawk has no strtonum).
hex='function hex(s, n, i) { sub(/^0x/, "", s); sub(/:$/, "", s)
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n }'

case $check in
  imports)
    allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll "
    dlls=$("${OBJDUMP:-x86_64-w64-mingw32-objdump}" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r')
    [ -n "$dlls" ] || fail "no import table found"
    for dll in $dlls; do
      case $allowed in *" $dll "*) ;; *) fail "imports $dll" ;; esac
    done
    echo "imports: $(echo $dlls)"
    ;;
  manifest)
    xml=$(wrestool -x -R -t 24 -n 1 "$exe") || fail "wrestool cannot read the resources"
    [ -n "$xml" ] || fail "has no manifest (resource 1 of type 24)"
    xmllint --noout - <<<"$xml" || fail "its manifest is not well-formed XML"
    query() { xmllint --xpath "$1" - <<<"$xml" 2>/dev/null; }
    el() { echo "*[local-name()='$1' and namespace-uri()='$2']"; }
    v1=urn:schemas-microsoft-com:asm.v1 v3=urn:schemas-microsoft-com:asm.v3
    compat=urn:schemas-microsoft-com:compatibility.v1
    settings=http://schemas.microsoft.com/SMI/2019/WindowsSettings
    [ "$(query "string(/$(el assembly $v1)/@manifestVersion)")" = 1.0 ] || fail "the manifest's root is not an assembly 1.0"
    level=$(query "string(/$(el assembly $v1)/$(el trustInfo $v3)/$(el security $v3)/$(el requestedPrivileges $v3)/$(el requestedExecutionLevel $v3)/@level)")
    [ "$level" = requireAdministrator ] || fail "requested execution level is '$level'"
    ids=$(query "/$(el assembly $v1)/$(el compatibility $compat)/$(el application $compat)/$(el supportedOS $compat)/@Id" |
      grep -o '{[^}]*}' | sort | tr '\n' ' ')
    want="{1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} {e2011457-1546-43c5-a5fe-008deee3d3f0} "
    [ "$ids" = "$want" ] || fail "supported systems are '$ids'"
    # Where Windows reads it, and in a namespace older Windows skip.
    page=$(query "string(/$(el assembly $v1)/$(el application $v3)/$(el windowsSettings $v3)/$(el activeCodePage $settings))")
    [ "$page" = ja-JP ] || fail "the active code page asked for is '$page', not ja-JP"
    # A common-controls 6 dependency or a DPI setting would change the pages.
    extra=$(query "count(//*[local-name()='dependency' or local-name()='dpiAware' or local-name()='dpiAwareness'])")
    [ "$extra" = 0 ] || fail "the manifest holds a dependency or a DPI setting"
    echo "manifest: requireAdministrator, Vista 7 8 8.1 10 11, code page of ja-JP"
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
  flags)
    pe=$(u32 60)
    [ "$(u32 "$pe")" = 17744 ] || fail "no PE signature"
    sections=$(u16 $((pe + 6))) optional=$((pe + 24))
    table=$((optional + $(u16 $((pe + 20)))))
    case $(u16 "$optional") in
      267) wide=0 directories=$((optional + 96)) ;;
      523) wide=1 directories=$((optional + 112)) ;;
      *) fail "no PE32 or PE32+ optional header" ;;
    esac
    dll=$(u16 $((optional + 70)))
    (($(u16 $((pe + 22))) & 0x0001)) && fail "its relocations are stripped"
    (($(u32 $((directories + 5 * 8 + 4))) > 0)) || fail "has no relocation table"
    ((dll & 0x0040)) || fail "lacks DYNAMIC_BASE"
    ((dll & 0x0100)) || fail "lacks NX_COMPAT"
    if ((wide)); then
      ((dll & 0x0020)) || fail "lacks HIGH_ENTROPY_VA"
    else
      ((dll & 0x0400)) || fail "lacks NO_SEH"
      # An exception record is linked in by storing into fs:0. (Not grep -q:
      # objdump cut off early fails the pipe.)
      if disassembly | grep -E ',%fs:0x0$' >/dev/null; then
        fail "declares NO_SEH but its code sets an exception handler"
      fi
    fi
    for ((i = 0; i < sections; i++)); do
      header=$((table + 40 * i))
      flags=$(u32 $((header + 36)))
      if ((flags & 0x20000000 && flags & 0x80000000)); then
        fail "section $(dd if="$exe" bs=1 skip="$header" count=8 status=none | tr -d '\0') is writable and executable"
      fi
    done
    echo "flags: $(printf 'DllCharacteristics 0x%04x' "$dll"), a relocation table, $sections sections none writable and executable"
    ;;
  protector)
    # The failure routine is the function that ends the process with
    # STATUS_STACK_BUFFER_OVERRUN: the last call target at or before that
    # status, with no return between them. A function's guard check calls
    # it only when its comparison fails: right after a conditional jump
    # over the call, or where such a jump lands.
    found=$(disassembly | awk "$hex"'
      $1 !~ /^[0-9a-f]+:$/ { next }
      { n++; address[n] = hex($1); op[n] = $2; sub(":", "", $1); at_text[n] = "0x" $1 }
      !at && /\$0xc0000409,/ { at = address[n] }
      $2 == "call" && $3 ~ /^0x[0-9a-f]+$/ { target[n] = hex($3) }
      $2 ~ /^j/ && $2 != "jmp" && $3 ~ /^0x[0-9a-f]+$/ { landing[$3] = 1 }
      END {
        if (!at) exit
        for (i in target) if (target[i] <= at && target[i] > routine) routine = target[i]
        for (i = 1; i <= n; i++) if (address[i] >= routine && address[i] < at && op[i] ~ /^ret/) routine = 0
        for (i in target)
          if (routine && target[i] == routine && (op[i - 1] ~ /^j/ && op[i - 1] != "jmp" || at_text[i] in landing))
            checks++
        printf "%.0f %.0f %d\n", at, routine, checks
      }')
    read -r at routine checks <<<"$found"
    [ -n "$at" ] || fail "nothing ends the process as a stack buffer overrun"
    ((checks > 0)) || fail "no guard check calls the routine that ends the process at $(printf 0x%x "$at")"
    echo "protector: the failure routine at $(printf 0x%x "$routine"), called by $checks guard checks"
    ;;
  *)
    fail "unknown check $check"
    ;;
esac
