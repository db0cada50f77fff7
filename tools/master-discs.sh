#!/usr/bin/env bash
# master-discs.sh [SIGNING] GAME_FOLDER OUT_FOLDER [SETUP_EXE]
# Masters the two install discs from the game's files: GAME_FOLDER holds
# them as the install lists name them (src/install/InstallManifest.cpp, read
# here, so the discs follow the lists setup.exe walks). Writes into
# OUT_FOLDER disc1.iso and disc2.iso (ISO 9660 with Joliet and Rock Ridge,
# volume ids HOSHIKAGE1 and HOSHIKAGE2), each listed file on its disc at the
# path the lists read it from, disc 1 also carrying SETUP_EXE as setup.exe
# and an autorun.inf that opens it; a copy of that setup.exe; SHA256SUMS of
# the three; and BUILDINFO, what a rebuild needs to check them (the commit,
# SOURCE_DATE_EPOCH, the Debian release, the versions of the packages whose
# output lands in the bytes). SETUP_EXE defaults to the i686 release build
# of this checkout, built in build/release-i686.
#
# SIGNING signs setup.exe with Authenticode (osslsigncode, SHA-256) before
# it goes on disc 1, at the time SOURCE_DATE_EPOCH:
#   --sign-cert CHAIN.pem --sign-key KEY.pem   the certificate, leaf first,
#                                 and its private key, in PEM
#   --sign-pkcs12 FILE.p12        or both in one PKCS#12 file
#   --sign-pass-file FILE         the key's password, the first line of FILE
#                                 (- for standard input), never an argument
#   --sign-url URL                the publisher's page, shown with the name
#   --timestamp-url URL           an RFC 3161 time-stamp authority
# Without them the output is as it always was, BUILDINFO aside.
#
# Refused with status 2, one line per problem, before anything is written:
# a listed file missing, a name that differs from the list's only in case,
# a file that cannot be read, a file the lists do not name, a disc over an
# 80-minute CD-R; a key or certificate that cannot be read, a wrong
# password, a key that is not the certificate's, a certificate not valid at
# the signing time or not meant for code signing. OUT_FOLDER keeps what it
# held until the new files are complete, then each is renamed into place.
#
# Reproducible: the same lists, game files, setup.exe and signing key give
# the same bytes, whatever the files' times, owners and permissions, the
# user, the umask or the time (a time stamp aside: it is the authority's).
# Every date on the discs is SOURCE_DATE_EPOCH (by default the time of this
# checkout's last commit).
#
# master-discs.sh --list prints what the lists put on the discs, one
# "DISC PATH" a line (a folder entry's path ends with /).
set -euo pipefail
export LC_ALL=C
me=master-discs.sh
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
lists_source=$project/src/install/InstallManifest.cpp
cd_bytes=737280000
# The signature's description is an IA5String, ASCII only: the game's
# name romanised, which every Windows shows as it is.
description="Hoshikage Setup"
# The packages whose output lands in the bytes: the compiler, linker and
# runtime of the build that ships, CMake and xorriso (and osslsigncode, for
# a signed setup.exe).
build_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  mingw-w64-common cmake xorriso)

die() { # die STATUS LINE
  printf '%s: %s\n' "$me" "$2" >&2
  exit "$1"
}

# The string literals of each entries table in the source, one
# "TABLE TEXT" a line; anything else inside a table is a layout this reader
# does not know.
table_literals() {
  awk '
    /^const char\* const [A-Za-z]+Entries\[\] = \{$/ { table++; inside = 1; next }
    inside && /^\};$/ { inside = 0; next }
    inside {
      line = $0
      while (match(line, /"([^"\\]|\\\\)*"/)) {
        text = substr(line, RSTART + 1, RLENGTH - 2)
        gsub(/\\\\/, "\\", text)
        print table, text
        line = substr(line, 1, RSTART - 1) substr(line, RSTART + RLENGTH)
      }
      if (line !~ /^[ \t,]*$/) { print "unreadable:", $0; exit 1 }
    }' "$lists_source"
}

# Fills LISTED (DISC PATH lines, each path once, in list order) from the
# program's lists, walked as the install run walks them.
read_lists() {
  local literals table text previous= disc= ended= count=0 tables=0 path
  declare -A seen=()
  LISTED=()
  literals=$(table_literals) || die 1 "cannot read the install lists in $lists_source: ${literals##*unreadable: }"
  while IFS= read -r line; do
    table=${line%% *} text=${line#* }
    [ "$line" = "$table" ] && text=
    if [ "$table" != "$previous" ]; then
      [ -z "$previous" ] || [ -n "$ended" ] || die 1 "install list $previous in $lists_source has no end marker"
      previous=$table disc= ended= count=0 tables=$((tables + 1))
    fi
    [ -z "$ended" ] || continue
    count=$((count + 1))
    ((count <= 100)) || die 1 "install list $table in $lists_source has no end marker within 100 entries"
    ((${#text} <= 259)) || die 1 "install list $table in $lists_source: an entry over 259 bytes"
    case $text in
      '') ended=1 ;;
      '*'*) [ "${text:1:1}" = 1 ] && disc=1 || disc=2 ;;
      *)
        [ -n "$disc" ] || die 1 "install list $table in $lists_source does not begin with a disc switch"
        path=${text//\\//}
        if [ -n "${seen[$path]:-}" ]; then
          [ "${seen[$path]}" = "$disc" ] || die 1 "the install lists put $path on both discs"
          continue
        fi
        seen[$path]=$disc
        LISTED+=("$disc $path")
        ;;
    esac
  done <<<"$literals"
  ((tables == 2)) && [ -n "$ended" ] || die 1 "cannot read the two install lists in $lists_source"
}

read_lists
if [ "${1:-}" = --list ] && [ $# = 1 ]; then
  printf '%s\n' "${LISTED[@]}"
  exit 0
fi
usage="usage: $me [--sign-cert CHAIN.pem --sign-key KEY.pem | --sign-pkcs12 FILE.p12] [--sign-pass-file FILE] [--sign-url URL] [--timestamp-url URL] GAME_FOLDER OUT_FOLDER [SETUP_EXE]"
sign_cert= sign_key= sign_p12= pass_file= sign_url= timestamp_url=
while [[ ${1:-} == --* ]]; do
  (($# >= 2)) || die 2 "$usage"
  case $1 in
    --sign-cert) sign_cert=$2 ;;
    --sign-key) sign_key=$2 ;;
    --sign-pkcs12) sign_p12=$2 ;;
    --sign-pass-file) pass_file=$2 ;;
    --sign-url) sign_url=$2 ;;
    --timestamp-url) timestamp_url=$2 ;;
    *) die 2 "$usage" ;;
  esac
  shift 2
done
signing=
if [ -n "$sign_p12" ]; then
  [ -z "$sign_cert$sign_key" ] || die 2 "$usage"
  signing=pkcs12
elif [ -n "$sign_cert$sign_key" ]; then
  [ -n "$sign_cert" ] && [ -n "$sign_key" ] || die 2 "$usage"
  signing=pem
else
  [ -z "$pass_file$sign_url$timestamp_url" ] || die 2 "$usage"
fi
(($# == 2 || $# == 3)) || die 2 "$usage"
game=$1 out=$2 setup=${3:-}
[ -d "$game" ] || die 2 "no game folder $game"
game=$(cd "$game" && pwd -P)
case $out in /*) ;; *) out=$PWD/$out ;; esac
out=${out%/}
[ ! -e "$out" ] || [ -d "$out" ] || die 2 "$out is not a folder"
if [ -n "$setup" ]; then
  [ -f "$setup" ] || die 2 "no setup.exe $setup"
fi
command -v xorriso >/dev/null || die 1 "xorriso is missing (Debian package xorriso)"
[ -z "$signing" ] || command -v osslsigncode >/dev/null || die 1 "osslsigncode is missing (Debian package osslsigncode)"

epoch=${SOURCE_DATE_EPOCH:-}
if [ -z "$epoch" ]; then
  epoch=$(git -C "$project" log -1 --format=%ct 2>/dev/null) \
    || die 1 "no SOURCE_DATE_EPOCH and no git history in $project to take it from"
fi
[[ $epoch =~ ^[0-9]+$ ]] || die 1 "SOURCE_DATE_EPOCH is not a number of seconds: $epoch"
export SOURCE_DATE_EPOCH=$epoch

# --- The signing key ----------------------------------------------------
# The password stays in this shell: each tool reads it from a pipe on
# descriptor 3, never from its arguments, where ps shows them. The key
# leaves its file only through pipes.
password=
sign_problems=()
with_password() { "$@" 3<<<"$password"; }
readable() { # readable FILE: or fails, the reason in $why
  why=$(cat -- "$1" 2>&1 >/dev/null) && return 0
  why=${why##*: }
  return 1
}
encrypted_pem() { grep -q -e '-BEGIN ENCRYPTED PRIVATE KEY-' -e '^Proc-Type: 4,ENCRYPTED' "$1"; }
# Sets $chain (PEM, leaf first) and $key_public, or adds a problem.
read_signing_key() {
  local said
  chain= key_public=
  if [ -n "$pass_file" ]; then
    if [ "$pass_file" = - ]; then
      IFS= read -r password || [ -n "$password" ] || { sign_problems+=("no password on standard input"); return; }
    else
      # Opened, not read, to find out why it cannot be: a pipe is read once.
      why=$( { : <"$pass_file"; } 2>&1) && [ -d "$pass_file" ] && why="x: Is a directory"
      [ -z "$why" ] || { sign_problems+=("cannot read the password file $pass_file: ${why##*: }"); return; }
      IFS= read -r password <"$pass_file" || :
    fi
  fi
  local asked="wrong password"
  [ -n "$pass_file" ] || asked="a password is needed (--sign-pass-file)"
  if [ "$signing" = pkcs12 ]; then
    readable "$sign_p12" || { sign_problems+=("cannot read $sign_p12: $why"); return; }
    # Files exported from Windows may use ciphers OpenSSL 3 keeps apart.
    local legacy
    for legacy in '' -legacy; do
      if said=$(with_password openssl pkcs12 $legacy -in "$sign_p12" -passin fd:3 -nokeys -clcerts 2>&1); then
        chain=$(printf '%s\n' "$said" | sed -n '/-BEGIN CERTIFICATE-/,/-END CERTIFICATE-/p')
        said=$(with_password openssl pkcs12 $legacy -in "$sign_p12" -passin fd:3 -nokeys -cacerts 2>/dev/null) \
          && chain+=$'\n'$(printf '%s\n' "$said" | sed -n '/-BEGIN CERTIFICATE-/,/-END CERTIFICATE-/p')
        key_public=$(with_password openssl pkcs12 $legacy -in "$sign_p12" -passin fd:3 -nocerts -nodes 2>/dev/null \
          | openssl pkey -pubout 2>/dev/null) || :
        break
      fi
      [[ $said == *"invalid password"* ]] && { sign_problems+=("$sign_p12: $asked"); return; }
    done
    [ -n "$chain" ] || { sign_problems+=("$sign_p12 holds no certificate that OpenSSL can read"); return; }
    [ -n "$key_public" ] || { sign_problems+=("$sign_p12 holds no private key"); return; }
  else
    readable "$sign_cert" || { sign_problems+=("cannot read the certificate $sign_cert: $why"); return; }
    readable "$sign_key" || { sign_problems+=("cannot read the key $sign_key: $why"); return; }
    chain=$(sed -n '/-BEGIN CERTIFICATE-/,/-END CERTIFICATE-/p' "$sign_cert")
    openssl x509 -noout <<<"$chain" 2>/dev/null || { sign_problems+=("$sign_cert holds no certificate in PEM"); return; }
    if ! key_public=$(with_password openssl pkey -in "$sign_key" -passin fd:3 -pubout 2>/dev/null); then
      if encrypted_pem "$sign_key"; then
        sign_problems+=("$sign_key: $asked")
      else
        sign_problems+=("$sign_key holds no private key in PEM")
      fi
      return
    fi
  fi
  check_certificates
}

# The leaf must be the key's and meant for code signing, and every
# certificate of the chain valid when the signature says it was made.
check_certificates() {
  local leaf=1 block subject from to usage at
  at=$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S UTC')
  while IFS= read -r -d '' block; do
    subject=$(openssl x509 -noout -subject -nameopt RFC2253 <<<"$block" 2>/dev/null) || subject="subject=(unreadable)"
    subject=${subject#subject=}
    if ((leaf)); then
      leaf=0
      [ "$(openssl x509 -noout -pubkey <<<"$block" 2>/dev/null)" = "$key_public" ] \
        || sign_problems+=("${sign_key:-the key in $sign_p12} is not the key of the certificate $subject")
      usage=$(openssl x509 -noout -ext extendedKeyUsage <<<"$block" 2>/dev/null | sed -n '2,$s/^ *//p' | paste -sd ' ')
      [[ ", $usage," == *", Code Signing,"* ]] \
        || sign_problems+=("the certificate $subject is not meant for code signing (extended key usage: ${usage:-none})")
    fi
    from=$(openssl x509 -noout -startdate <<<"$block" 2>/dev/null) && from=$(date -u -d "${from#*=}" +%s) || from=
    to=$(openssl x509 -noout -enddate <<<"$block" 2>/dev/null) && to=$(date -u -d "${to#*=}" +%s) || to=
    if [ -z "$from" ] || [ -z "$to" ] || ((epoch < from || epoch > to)); then
      sign_problems+=("the certificate $subject is not valid at the signing time $at (SOURCE_DATE_EPOCH): valid from $(date -u -d "@${from:-0}" +%F) to $(date -u -d "@${to:-0}" +%F)")
    fi
  done < <(awk '/-BEGIN CERTIFICATE-/ { c = 1 } c { print } /-END CERTIFICATE-/ { c = 0; printf "%c", 0 }' <<<"$chain")
}
[ -z "$signing" ] || read_signing_key

# --- What the game folder holds against what the lists name ------------
declare -A listed=() folder=() lower=() ancestor=()
for item in "${LISTED[@]}"; do
  path=${item#* }
  if [[ $path == */ ]]; then
    path=${path%/}
    folder[$path]=1
  fi
  listed[$path]=${item%% *}
  lower[${path,,}]=$path
  while [[ $path == */* ]]; do
    path=${path%/*}
    ancestor[$path]=1
    lower[${path,,}]=$path
  done
done

missing=() wrong_case=() unreadable=() unnamed=() skipped=()
while IFS= read -r -d '' path; do
  under=
  for s in "${skipped[@]}"; do
    [[ $path == "$s"/* ]] && under=1 && break
  done
  [ -z "$under" ] || continue
  if [ -n "${listed[$path]:-}" ] || [ -n "${ancestor[$path]:-}" ]; then
    continue
  fi
  parent=${path%/*}
  if [[ $path == */* ]] && [ -n "${folder[$parent]:-}" ] && [ ! -d "$game/$path" ]; then
    continue
  fi
  if [ -n "${lower[${path,,}]:-}" ]; then
    wrong_case+=("$path differs only in case from the listed ${lower[${path,,}]}")
  elif [ -d "$game/$path" ]; then
    unnamed+=("$path/")
  else
    unnamed+=("$path")
  fi
  [ -d "$game/$path" ] && skipped+=("$path")
done < <(cd "$game" && find . -mindepth 1 -printf '%P\0' | sort -z)

# A listed path that is there under another case is named as such, not
# as missing.
case_reported() {
  local w
  for w in "${wrong_case[@]}"; do
    [[ $w == *" from the listed $1" ]] && return 0
  done
  return 1
}

# on_disc[N]: the files of disc N, a line with the path on the disc and a
# line with its source each.
declare -A on_disc=([1]= [2]=)
add_to_disc() { on_disc[$1]+="$2"$'\n'"$3"$'\n'; }
for item in "${LISTED[@]}"; do
  disc=${item%% *} path=${item#* }
  if [[ $path == */ ]]; then
    path=${path%/}
    if [ -d "$game/$path" ]; then
      while IFS= read -r -d '' name; do
        add_to_disc "$disc" "$path/$name" "$game/$path/$name"
      done < <(cd "$game/$path" && find . -mindepth 1 -maxdepth 1 ! -type d -printf '%P\0' | sort -z)
    elif ! case_reported "$path"; then
      missing+=("$path/")
    fi
  elif [ -e "$game/$path" ] || [ -L "$game/$path" ]; then
    add_to_disc "$disc" "$path" "$game/$path"
  elif ! case_reported "$path"; then
    missing+=("$path")
  fi
done

# Every file read whole: a file that cannot be read shows now, not while
# an image is half written.
declare -A sizable=([1]= [2]=)
for disc in 1 2; do
  while IFS= read -r path && IFS= read -r source; do
    if [ ! -e "$source" ]; then
      missing+=("$path (a link to nowhere)")
    elif [ ! -f "$source" ]; then
      unreadable+=("$path: not a plain file")
    elif ! why=$(cat -- "$source" 2>&1 >/dev/null); then
      unreadable+=("$path: ${why##*: }")
    else
      sizable[$disc]+="$path"$'\n'"$source"$'\n'
    fi
  done <<<"${on_disc[$disc]%$'\n'}"
done

if [ -z "$setup" ]; then
  build=$project/build/release-i686
  log=$(mktemp)
  if ! { cmake -S "$project" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$project/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSETUP_BUILD_TESTS=OFF && cmake --build "$build" --target setup; } >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    rm -f "$log"
    die 1 "cannot build the i686 setup.exe in $build"
  fi
  rm -f "$log"
  setup=$build/bin/setup.exe
fi

# Only the files given and this one are read until the checks pass;
# OUT_FOLDER is not touched.
autorun=$(mktemp)
trap 'rm -f "$autorun"' EXIT
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n' >"$autorun"

# Dates, owners and permissions of the discs' files are the same whatever
# the game folder's were; xorriso's data layout follows the paths alone.
stamp=$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)
mkisofs_options() { # mkisofs_options N
  printf '%s\n' -quiet -V "HOSHIKAGE$1" -J -R -f -uid 0 -gid 0 -file-mode 0444 -dir-mode 0555 \
    --modification-date="$stamp" --set_all_file_dates "=$epoch" -graft-points
}
graft() { # graft DISC-PATH SOURCE: one graft point, its '=' and '\' escaped
  local iso=${1//\\/\\\\} source=${2//\\/\\\\}
  printf '/%s=%s\n' "${iso//=/\\=}" "${source//=/\\=}"
}
disc_points() { # disc_points N LIST
  local path source
  while IFS= read -r path && IFS= read -r source; do
    graft "$path" "$source"
  done <<<"${2%$'\n'}"
}

oversized=()
for disc in 1 2; do
  mapfile -t options < <(mkisofs_options "$disc")
  mapfile -t points < <(disc_points "$disc" "${sizable[$disc]}")
  ((disc == 1)) && points+=("$(graft setup.exe "$setup")" "$(graft autorun.inf "$autorun")")
  said=$(xorriso -as mkisofs "${options[@]}" -print-size "${points[@]}" 2>&1) \
    || die 1 "xorriso cannot size disc $disc: $(printf '%s' "$said" | grep -v '^\s*$' | tail -n 1)"
  blocks=$(printf '%s\n' "$said" | tail -n 1)
  [[ $blocks =~ ^[0-9]+$ ]] || die 1 "xorriso cannot size disc $disc: $blocks"
  bytes=$((blocks * 2048))
  ((bytes <= cd_bytes)) \
    || oversized+=("disc $disc does not fit on an 80-minute CD-R: $bytes bytes, $((bytes - cd_bytes)) more than $cd_bytes")
done

problems=("${sign_problems[@]}")
for p in "${missing[@]}"; do problems+=("missing: $p"); done
problems+=("${wrong_case[@]}")
for p in "${unreadable[@]}"; do problems+=("cannot read $p"); done
for p in "${unnamed[@]}"; do problems+=("not in the install lists: $p"); done
problems+=("${oversized[@]}")
if ((${#problems[@]})); then
  printf "$me: %s\n" "${problems[@]}" >&2
  exit 2
fi

# What a rebuild needs to give the same bytes; nothing of this machine or
# its user. osslsigncode only where its output is in setup.exe.
build_info() {
  local p release
  release=$(. /etc/os-release 2>/dev/null && [ "${ID:-}" = debian ] && echo "${VERSION_ID:-}")
  printf 'commit %s\n' "$(git -C "$project" rev-parse HEAD 2>/dev/null || echo unknown)"
  printf 'SOURCE_DATE_EPOCH %s\n' "$epoch"
  printf 'debian %s\n' "${release:-none}"
  for p in "${build_packages[@]}"; do
    printf '%s %s\n' "$p" "$(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || echo none)"
  done
  if osslsigncode extract-signature -in "$scratch/setup.exe" -out "$scratch/signature" >/dev/null 2>&1; then
    printf 'osslsigncode %s\n' "$(dpkg-query -W -f='${Version}' osslsigncode 2>/dev/null || echo none)"
  fi
  rm -f "$scratch/signature"
}

# --- Mastering, in a scratch folder beside OUT_FOLDER ------------------
parent=$(dirname "$out")
mkdir -p "$parent"
scratch=$(mktemp -d "$parent/.master-discs.XXXXXX")
trap 'rm -rf "$scratch" "$autorun"' EXIT
if [ -n "$signing" ]; then
  sign_options=(-h sha256 -n "$description" -time "$epoch" -readpass /dev/fd/3)
  if [ "$signing" = pem ]; then
    sign_options+=(-certs "$sign_cert" -key "$sign_key")
  else
    sign_options+=(-pkcs12 "$sign_p12")
  fi
  [ -z "$sign_url" ] || sign_options+=(-i "$sign_url")
  [ -z "$timestamp_url" ] || sign_options+=(-ts "$timestamp_url")
  if ! said=$(with_password osslsigncode sign "${sign_options[@]}" -in "$setup" -out "$scratch/setup.exe" 2>&1); then
    # Its own words, such as an unreachable time-stamp authority, before
    # OpenSSL's stack.
    why=$(printf '%s\n' "$said" | grep -i 'fail' | grep -v -e '^Failed$' -e 'error:' | head -n 1)
    die 1 "osslsigncode cannot sign setup.exe: ${why:-$(printf '%s' "$said" | grep -v '^\s*$' | tail -n 1)}"
  fi
else
  cp "$setup" "$scratch/setup.exe"
fi
for disc in 1 2; do
  mapfile -t options < <(mkisofs_options "$disc")
  mapfile -t points < <(disc_points "$disc" "${sizable[$disc]}")
  ((disc == 1)) && points+=("$(graft setup.exe "$scratch/setup.exe")" "$(graft autorun.inf "$autorun")")
  # xorriso greets even when quiet: its words only when it fails.
  said=$(xorriso -as mkisofs "${options[@]}" -o "$scratch/disc$disc.iso" "${points[@]}" 2>&1) \
    || die 1 "xorriso cannot master disc $disc: $(printf '%s' "$said" | grep -v '^\s*$' | tail -n 1)"
done
(cd "$scratch" && sha256sum disc1.iso disc2.iso setup.exe >SHA256SUMS)
build_info >"$scratch/BUILDINFO"
mkdir -p "$out"
for f in disc1.iso disc2.iso setup.exe SHA256SUMS BUILDINFO; do
  mv -f "$scratch/$f" "$out/$f"
done
cat "$out/SHA256SUMS"
