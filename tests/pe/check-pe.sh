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
set -uo pipefail
check=$1 exe=$2

fail() { echo "check-pe: $exe: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "no such file"

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
  *)
    fail "unknown check $check"
    ;;
esac
