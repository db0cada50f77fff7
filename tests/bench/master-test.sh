#!/usr/bin/env bash
# tests/bench/master-test.sh GAME_FOLDER BUILD WORK: mastering the install
# discs from the game's files (GAME_FOLDER, the sample game), with the
# setup.exe of BUILD/x86_64 (or i686), in the scratch folder WORK.
# The files follow the install lists; each refusal ends with status 2 and
# one line per problem, OUT_FOLDER as it was; two masterings from copies of the game that differ in their files'
# times, owners, permissions and order, under other umasks, give the same
# bytes, dated by the last commit; setup.exe built alone in another folder
# at another path is the same as the build's.
set -uo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd -P)
master=$project/tools/master-discs.sh
game=$1 build=$2 work=$3
failures=0
fail() {
  echo "master-test: FAILED: $*"
  failures=$((failures + 1))
}
rm -rf "$work"
mkdir -p "$work"
setup=$build/x86_64/bin/setup.exe
[ -f "$setup" ] || setup=$build/i686/bin/setup.exe
[ -f "$setup" ] || { echo "master-test: no setup.exe in $build"; exit 1; }

# --- What goes on which disc: the install lists, as setup.exe walks them
listed=$("$master" --list 2>&1)
expected=$(printf '1 %s\n' base.pak story.dat imgdec.dll loader.dll hoshi.exe v1_{0..5}.pak; printf '2 %s\n' v2_{0..5}.pak)
[ "$listed" = "$expected" ] || fail "the discs' files are not the install lists': $(paste -sd ' ' <<<"$listed")"

# --- Refusals ---------------------------------------------------------
# What a folder holds, down to its files' bytes, modes and times.
snapshot() {
  (cd "$1" && find . -printf '%p %s %m %T@\n' | sort && find . -type f -exec sha256sum {} + | sort)
}

# Each row: its name, the output expected (a pattern: * stands for a
# number), and what is done to a copy of the game folder.
refusal_rows=(
  "a listed file missing, each named"
  $'master-discs.sh: missing: v1_3.pak\nmaster-discs.sh: missing: v2_5.pak'
  'rm v1_3.pak v2_5.pak'

  "a name that differs from the list's only in case"
  'master-discs.sh: Story.DAT differs only in case from the listed story.dat'
  'mv story.dat Story.DAT'

  # Reads of /proc/self/mem fail at offset 0, as a scratched source disc's.
  "a file that cannot be read"
  'master-discs.sh: cannot read base.pak: Input/output error'
  'rm base.pak && ln -s /proc/self/mem base.pak'

  "files the lists do not name, a folder once"
  $'master-discs.sh: not in the install lists: .windows-label\nmaster-discs.sh: not in the install lists: extras/\nmaster-discs.sh: not in the install lists: notes.txt'
  'echo HOSHIKAGE1 >.windows-label && mkdir -p extras/more && touch notes.txt extras/more/a.pak'

  "a disc over an 80-minute CD-R, by how much"
  'master-discs.sh: disc 2 does not fit on an 80-minute CD-R: * bytes, * more than 737280000'
  'rm v2_0.pak && truncate -s 736000000 v2_0.pak'

  "every problem at once, one line each"
  $'master-discs.sh: missing: hoshi.exe\nmaster-discs.sh: V2_1.pak differs only in case from the listed v2_1.pak\nmaster-discs.sh: not in the install lists: setup.exe'
  'rm hoshi.exe && mv v2_1.pak V2_1.pak && touch setup.exe'
)
out=$work/out
for ((i = 0; i < ${#refusal_rows[@]}; i += 3)); do
  name=${refusal_rows[i]} expected=${refusal_rows[i + 1]} change=${refusal_rows[i + 2]}
  copy=$work/game-refused
  rm -rf "$copy" "$out"
  # Linked, not copied: the changes replace files, they never write into one.
  cp -al "$game" "$copy"
  (cd "$copy" && eval "$change") || { fail "$name: cannot prepare the game folder"; continue; }
  mkdir -p "$out"
  echo "an earlier image" >"$out/disc1.iso"
  echo "the publisher's notes" >"$out/notes.txt"
  before=$(snapshot "$out")
  said=$("$master" "$copy" "$out" "$setup" 2>&1 </dev/null)
  rc=$?
  [ "$rc" = 2 ] || fail "$name: exit status $rc, not 2: $(head -n 3 <<<"$said" | paste -sd '|')"
  # shellcheck disable=SC2053
  [[ $said == $expected ]] || fail "$name: not the lines \"$expected\": $(head -n 4 <<<"$said" | paste -sd '|')"
  if [[ $said =~ :\ ([0-9]+)\ bytes,\ ([0-9]+)\ more\ than\ 737280000$ ]]; then
    ((BASH_REMATCH[1] - 737280000 == BASH_REMATCH[2] && BASH_REMATCH[1] > 736000000)) \
      || fail "$name: the sizes do not add up: $said"
  fi
  [ "$(snapshot "$out")" = "$before" ] || fail "$name: OUT_FOLDER changed"
  left=$(find "$work" -maxdepth 1 -name '.master-discs.*')
  [ -z "$left" ] || fail "$name: left behind: $left"
done

# --- The same bytes, whatever the game files' metadata -----------------
epoch=$(git -C "$project" log -1 --format=%ct)
mastered() { # CASE UMASK OWNER MODE DATE: masters a copy made so
  local copy=$work/game-$1 f
  rm -rf "$copy"
  mkdir -p "$copy"
  # Copied in the other order the second time, so the entries of the
  # folders and the inodes come in another order.
  for f in $(ls "$game" | { [ "$1" = b ] && sort -r || sort; }); do
    cp "$game/$f" "$copy/$f"
  done
  chown -R "$3" "$copy"
  chmod "$4" "$copy"/*
  touch -d "$5" "$copy"/*
  (umask "$2" && env -u SOURCE_DATE_EPOCH "$master" "$copy" "$work/$1/out" "$setup" >/dev/null 2>"$work/$1.log") \
    || fail "mastering $1: status $? ($(head -n 2 "$work/$1.log" | paste -sd '|'))"
}
mastered a 022 0:0 0644 '2001-02-03 04:05:06'
# Another second on the clock.
now=$(date +%s)
for _ in $(seq 1 30); do
  [ "$(date +%s)" != "$now" ] && break
  sleep 0.1
done
mastered b 077 1234:4321 0600 '2031-12-30 23:59:58'
for f in disc1.iso disc2.iso setup.exe SHA256SUMS; do
  cmp -s "$work/a/out/$f" "$work/b/out/$f" || fail "two masterings: $f differs"
done
(cd "$work/a/out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
cmp -s "$setup" "$work/a/out/setup.exe" || fail "the setup.exe given is not the one written"
# The volume's creation date (ECMA-119 8.4.26, at byte 813 of the primary
# volume descriptor) is the commit's.
for n in 1 2; do
  created=$(dd if="$work/a/out/disc$n.iso" bs=1 skip=$((16 * 2048 + 813)) count=16 2>/dev/null)
  [ "$created" = "$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)" ] \
    || fail "disc $n is dated $created, not by the last commit ($epoch)"
done

# --- setup.exe from another build folder --------------------------------
for arch in i686 x86_64; do
  first=$build/$arch/bin/setup.exe
  [ -f "$first" ] || { echo "master-test: no $arch build in $build: its setup.exe not compared"; continue; }
  second=$work/another/build/folder/$arch
  if (cmake -S "$project" -B "$second" -DCMAKE_TOOLCHAIN_FILE="$project/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSETUP_BUILD_TESTS=OFF && cmake --build "$second" --target setup) >"$work/build-$arch.log" 2>&1; then
    cmp -s "$first" "$second/bin/setup.exe" || fail "$arch setup.exe built in $second differs from $first: $(cmp "$first" "$second/bin/setup.exe" | head -n 1)"
  else
    fail "$arch setup.exe cannot be built in $second (see $work/build-$arch.log)"
  fi
done

if ((failures)); then
  echo "master-test: $failures case(s) failed; files in $work"
  exit 1
fi
rm -rf "$work"
echo "master-test: passed: $((${#refusal_rows[@]} / 3)) refusals leave OUT_FOLDER as it was; two masterings and two builds of setup.exe give the same bytes"
