#!/usr/bin/env bash
# master-discs.sh GAME_FOLDER OUT_FOLDER [SETUP_EXE]
# Masters the two install discs from the game's files: GAME_FOLDER holds
# them as the install lists name them (src/install/InstallManifest.cpp, read
# here, so the discs follow the lists setup.exe walks). Writes into
# OUT_FOLDER disc1.iso and disc2.iso (ISO 9660 with Joliet and Rock Ridge,
# volume ids HOSHIKAGE1 and HOSHIKAGE2), each listed file on its disc at the
# path the lists read it from, disc 1 also carrying SETUP_EXE as setup.exe
# and an autorun.inf that opens it; a copy of that setup.exe; and
# SHA256SUMS of the three. SETUP_EXE defaults to the i686 release build of
# this checkout, built in build/release-i686.
#
# Refused with status 2, one line per problem, before anything is written:
# a listed file missing, a name that differs from the list's only in case,
# a file that cannot be read, a file the lists do not name, a disc over an
# 80-minute CD-R. OUT_FOLDER keeps what it held until the new files are
# complete, then each is renamed into place.
#
# Reproducible: the same lists, game files and setup.exe give the same
# bytes, whatever the files' times, owners and permissions, the user, the
# umask or the time. Every date on the discs is SOURCE_DATE_EPOCH (by
# default the time of this checkout's last commit).
#
# master-discs.sh --list prints what the lists put on the discs, one
# "DISC PATH" a line (a folder entry's path ends with /).
set -euo pipefail
export LC_ALL=C
me=master-discs.sh
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
lists_source=$project/src/install/InstallManifest.cpp
cd_bytes=737280000

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
(($# == 2 || $# == 3)) || die 2 "usage: $me GAME_FOLDER OUT_FOLDER [SETUP_EXE]"
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

epoch=${SOURCE_DATE_EPOCH:-}
if [ -z "$epoch" ]; then
  epoch=$(git -C "$project" log -1 --format=%ct 2>/dev/null) \
    || die 1 "no SOURCE_DATE_EPOCH and no git history in $project to take it from"
fi
[[ $epoch =~ ^[0-9]+$ ]] || die 1 "SOURCE_DATE_EPOCH is not a number of seconds: $epoch"
export SOURCE_DATE_EPOCH=$epoch

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

problems=()
for p in "${missing[@]}"; do problems+=("missing: $p"); done
problems+=("${wrong_case[@]}")
for p in "${unreadable[@]}"; do problems+=("cannot read $p"); done
for p in "${unnamed[@]}"; do problems+=("not in the install lists: $p"); done
problems+=("${oversized[@]}")
if ((${#problems[@]})); then
  printf "$me: %s\n" "${problems[@]}" >&2
  exit 2
fi

# --- Mastering, in a scratch folder beside OUT_FOLDER ------------------
parent=$(dirname "$out")
mkdir -p "$parent"
scratch=$(mktemp -d "$parent/.master-discs.XXXXXX")
trap 'rm -rf "$scratch" "$autorun"' EXIT
cp "$setup" "$scratch/setup.exe"
for disc in 1 2; do
  mapfile -t options < <(mkisofs_options "$disc")
  mapfile -t points < <(disc_points "$disc" "${sizable[$disc]}")
  ((disc == 1)) && points+=("$(graft setup.exe "$scratch/setup.exe")" "$(graft autorun.inf "$autorun")")
  # xorriso greets even when quiet: its words only when it fails.
  said=$(xorriso -as mkisofs "${options[@]}" -o "$scratch/disc$disc.iso" "${points[@]}" 2>&1) \
    || die 1 "xorriso cannot master disc $disc: $(printf '%s' "$said" | grep -v '^\s*$' | tail -n 1)"
done
(cd "$scratch" && sha256sum disc1.iso disc2.iso setup.exe >SHA256SUMS)
mkdir -p "$out"
for f in disc1.iso disc2.iso setup.exe SHA256SUMS; do
  mv -f "$scratch/$f" "$out/$f"
done
cat "$out/SHA256SUMS"
