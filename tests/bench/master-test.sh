#!/usr/bin/env bash
# tests/bench/master-test.sh GAME_FOLDER BUILD WORK: mastering the install
# discs from the game's files (GAME_FOLDER, the sample game), with the
# setup.exe of BUILD/i686 (or x86_64), in the scratch folder WORK, and
# checking a release against a rebuild (tools/check-release.sh).
# The files follow the install lists; each refusal ends with status 2 and
# one line per problem, OUT_FOLDER as it was; two masterings from copies of
# the game that differ in their files' times, owners, permissions and
# order, under other umasks, give the same bytes, dated by the last commit;
# setup.exe built alone in another folder at another path is the same as
# the build's. Signed with a test key made here, setup.exe verifies, with
# a time stamp too; signing twice gives the same bytes; a signed and an
# unsigned release check clean, and one byte changed in setup.exe, in an
# image or in the signature is named.
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
# The build that ships, which tools/check-release.sh rebuilds.
setup=$build/i686/bin/setup.exe
[ -f "$setup" ] || setup=$build/x86_64/bin/setup.exe
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

# A test CA, a code-signing certificate and key, and certificates and keys
# that do not fit, made now.
keys=$work/keys
"$project/tools/make-test-keys.sh" "$keys" >"$work/keys.log" 2>&1 || { echo "master-test: cannot make test keys (see $work/keys.log)"; exit 1; }
echo "not the password" >"$keys/wrong-password.txt"

# Each row: its name, the output expected (a pattern: * stands for a
# number or a date), what is done to a copy of the game folder, and the
# signing options.
refusal_rows=(
  "a listed file missing, each named"
  $'master-discs.sh: missing: v1_3.pak\nmaster-discs.sh: missing: v2_5.pak'
  'rm v1_3.pak v2_5.pak' ''

  "a name that differs from the list's only in case"
  'master-discs.sh: Story.DAT differs only in case from the listed story.dat'
  'mv story.dat Story.DAT' ''

  # Reads of /proc/self/mem fail at offset 0, as a scratched source disc's.
  "a file that cannot be read"
  'master-discs.sh: cannot read base.pak: Input/output error'
  'rm base.pak && ln -s /proc/self/mem base.pak' ''

  "files the lists do not name, a folder once"
  $'master-discs.sh: not in the install lists: .windows-label\nmaster-discs.sh: not in the install lists: extras/\nmaster-discs.sh: not in the install lists: notes.txt'
  'echo HOSHIKAGE1 >.windows-label && mkdir -p extras/more && touch notes.txt extras/more/a.pak' ''

  "a disc over an 80-minute CD-R, by how much"
  'master-discs.sh: disc 2 does not fit on an 80-minute CD-R: * bytes, * more than 737280000'
  'rm v2_0.pak && truncate -s 736000000 v2_0.pak' ''

  "every problem at once, one line each"
  $'master-discs.sh: missing: hoshi.exe\nmaster-discs.sh: V2_1.pak differs only in case from the listed v2_1.pak\nmaster-discs.sh: not in the install lists: setup.exe'
  'rm hoshi.exe && mv v2_1.pak V2_1.pak && touch setup.exe' ''

  "a certificate that is not there"
  "master-discs.sh: cannot read the certificate $keys/none.pem: No such file or directory"
  : '--sign-cert "$keys/none.pem" --sign-key "$keys/key.pem"'

  "a key that cannot be read"
  "master-discs.sh: cannot read the key $keys/ca-db: Is a directory"
  : '--sign-cert "$keys/chain.pem" --sign-key "$keys/ca-db"'

  "a key that is not the certificate's"
  "master-discs.sh: $keys/other-key.pem is not the key of the certificate CN=Hoshikage Test Publisher"
  : '--sign-cert "$keys/chain.pem" --sign-key "$keys/other-key.pem"'

  "a wrong password"
  "master-discs.sh: $keys/signer.p12: wrong password"
  : '--sign-pkcs12 "$keys/signer.p12" --sign-pass-file "$keys/wrong-password.txt"'

  "a certificate not valid at the signing time"
  "master-discs.sh: the certificate CN=Hoshikage Test Publisher 2001 is not valid at the signing time * UTC (SOURCE_DATE_EPOCH): valid from 2001-01-01 to 2002-01-01"
  : '--sign-cert "$keys/expired-chain.pem" --sign-key "$keys/key.pem"'

  "a certificate not meant for code signing"
  "master-discs.sh: the certificate CN=Hoshikage Test Web Server is not meant for code signing (extended key usage: TLS Web Server Authentication)"
  : '--sign-cert "$keys/server-chain.pem" --sign-key "$keys/key.pem"'
)
out=$work/out
for ((i = 0; i < ${#refusal_rows[@]}; i += 4)); do
  name=${refusal_rows[i]} expected=${refusal_rows[i + 1]} change=${refusal_rows[i + 2]}
  eval "signing=(${refusal_rows[i + 3]})"
  copy=$work/game-refused
  rm -rf "$copy" "$out"
  # Linked, not copied: the changes replace files, they never write into one.
  cp -al "$game" "$copy"
  (cd "$copy" && eval "$change") || { fail "$name: cannot prepare the game folder"; continue; }
  mkdir -p "$out"
  echo "an earlier image" >"$out/disc1.iso"
  echo "the publisher's notes" >"$out/notes.txt"
  before=$(snapshot "$out")
  said=$("$master" "${signing[@]}" "$copy" "$out" "$setup" 2>&1 </dev/null)
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
for f in disc1.iso disc2.iso setup.exe SHA256SUMS BUILDINFO; do
  cmp -s "$work/a/out/$f" "$work/b/out/$f" || fail "two masterings: $f differs"
done
# What a rebuild needs, and nothing of this machine: no path, no user.
info=$(cat "$work/a/out/BUILDINFO")
release=$(. /etc/os-release && echo "$VERSION_ID")
for line in "commit $(git -C "$project" rev-parse HEAD)" "SOURCE_DATE_EPOCH $epoch" "debian $release" \
  "g++-mingw-w64-i686-posix $(dpkg-query -W -f='${Version}' g++-mingw-w64-i686-posix)" \
  "binutils-mingw-w64-i686 $(dpkg-query -W -f='${Version}' binutils-mingw-w64-i686)" \
  "mingw-w64-i686-dev $(dpkg-query -W -f='${Version}' mingw-w64-i686-dev)" \
  "cmake $(dpkg-query -W -f='${Version}' cmake)" "xorriso $(dpkg-query -W -f='${Version}' xorriso)"; do
  grep -qxF "$line" <<<"$info" || fail "BUILDINFO lacks \"$line\": $(paste -sd '|' <<<"$info")"
done
grep -q -e / -e osslsigncode <<<"$info" \
  && fail "BUILDINFO of an unsigned release names a path or osslsigncode: $(paste -sd '|' <<<"$info")"
(cd "$work/a/out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
cmp -s "$setup" "$work/a/out/setup.exe" || fail "the setup.exe given is not the one written"
# The volume's creation date (ECMA-119 8.4.26, at byte 813 of the primary
# volume descriptor) is the commit's.
for n in 1 2; do
  created=$(dd if="$work/a/out/disc$n.iso" bs=1 skip=$((16 * 2048 + 813)) count=16 2>/dev/null)
  [ "$created" = "$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)" ] \
    || fail "disc $n is dated $created, not by the last commit ($epoch)"
done

# --- Signing ---------------------------------------------------------------
# Offline, as the certificate names a revocation list no machine serves
# here: osslsigncode 2.9 would fetch it, 2.5 does not.
verify() {
  local offline=()
  [[ $(osslsigncode -h 2>&1) == *-ignore-crl* ]] && offline=(-ignore-crl)
  osslsigncode verify -CAfile "$keys/ca.pem" "${offline[@]}" "$@"
}
sign=(--sign-cert "$keys/chain.pem" --sign-key "$keys/key.pem" --sign-url https://example.org/hoshikage)
signed=$work/signed/out
# Dated a day before the commit, as a publisher may choose: a rebuild takes
# the time from BUILDINFO.
export SOURCE_DATE_EPOCH=$((epoch - 86400))
"$master" "${sign[@]}" "$game" "$signed" "$setup" >/dev/null 2>"$work/signed.log" \
  || fail "signing: status $? ($(head -n 2 "$work/signed.log" | paste -sd '|'))"
said=$(verify -in "$signed/setup.exe" 2>&1) \
  || fail "the signed setup.exe does not verify: $(grep -v '^\s*$' <<<"$said" | tail -n 2 | paste -sd '|')"
# Dated as told, named as the program, with the publisher's page.
for line in "Signing time: $(LC_ALL=C date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y GMT')" "Text description: Hoshikage Setup" \
  "URL description: https://example.org/hoshikage"; do
  grep -qF "$line" <<<"$said" || fail "the signature lacks \"$line\""
done
xorriso -osirrox on -indev "$signed/disc1.iso" -extract /setup.exe "$work/signed/on-disc1.exe" >/dev/null 2>&1
cmp -s "$signed/setup.exe" "$work/signed/on-disc1.exe" || fail "disc 1 does not carry the signed setup.exe"
(cd "$signed" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed release"
grep -qx "osslsigncode $(dpkg-query -W -f='${Version}' osslsigncode)" "$signed/BUILDINFO" \
  || fail "BUILDINFO of a signed release does not name osslsigncode's version"
# The same key and time, from PKCS#12 with its password on standard input.
"$master" --sign-pkcs12 "$keys/signer.p12" --sign-pass-file - --sign-url https://example.org/hoshikage \
  "$game" "$work/signed-again/out" "$setup" <"$keys/password.txt" >/dev/null 2>"$work/signed-again.log" \
  || fail "signing again: status $? ($(head -n 2 "$work/signed-again.log" | paste -sd '|'))"
for f in disc1.iso disc2.iso setup.exe SHA256SUMS BUILDINFO; do
  cmp -s "$signed/$f" "$work/signed-again/out/$f" || fail "signing twice: $f differs"
done

# A time stamp, from an RFC 3161 authority on the loopback interface.
"$project/tests/bench/timestamp-server.py" "$keys/tsa.pem" "$keys/tsa-key.pem" "$keys/ca.pem" \
  >"$work/tsa.port" 2>"$work/tsa.log" &
tsa=$!
for _ in $(seq 1 100); do
  [ -s "$work/tsa.port" ] && break
  sleep 0.1
done
stamped=$work/stamped/out
"$master" "${sign[@]}" --timestamp-url "http://127.0.0.1:$(cat "$work/tsa.port")/" "$game" "$stamped" "$setup" \
  >/dev/null 2>"$work/stamped.log" || fail "signing with a time stamp: status $? ($(head -n 2 "$work/stamped.log" | paste -sd '|'))"
kill "$tsa" 2>/dev/null
wait "$tsa" 2>/dev/null
# The attribute that holds an RFC 3161 token in Authenticode
# (1.3.6.1.4.1.311.3.3.1), in the signature.
od -An -v -tx1 "$stamped/setup.exe" | tr -d ' \n' | grep -q 060a2b060104018237030301 \
  || fail "the signed setup.exe carries no time-stamp token"
said=$(verify -TSA-CAfile "$keys/ca.pem" -in "$stamped/setup.exe" 2>&1) \
  || fail "the time-stamped setup.exe does not verify: $(grep -v '^\s*$' <<<"$said" | tail -n 2 | paste -sd '|')"

unset SOURCE_DATE_EPOCH

# --- Checking a release against a rebuild -----------------------------------
# One byte of a copy of the file changed (OFFSET from its end when negative).
flip() { # FILE OFFSET
  local at=$2 old
  cp "$1" "$1.copy" && mv -f "$1.copy" "$1"
  ((at >= 0)) || at=$(($(stat -c %s "$1") + at))
  old=$(od -An -tu1 -j "$at" -N1 "$1")
  printf "$(printf '\\%03o' $((old ^ 0x55)))" | dd of="$1" bs=1 seek="$at" conv=notrunc status=none
}
# A byte of v2_3.pak's data on disc 2, where xorriso finds it.
lba=$(xorriso -indev "$signed/disc2.iso" -find /v2_3.pak -exec report_lba 2>/dev/null | sed -n "s/^File data lba: *0 , *\([0-9]*\) ,.*/\1/p")
image_byte=$((${lba:-0} * 2048 + 1000))
said_line() { # PATTERN: whether a line of $said matches it
  local line
  while IFS= read -r line; do
    # shellcheck disable=SC2053
    [[ $line == $1 ]] && return 0
  done <<<"$said"
  return 1
}
# Each row: its name, the release, what is done to a copy of it, the status
# expected and the lines expected (patterns); every other file is the same.
check_rows=(
  "a signed release" "$signed" : 0
  "setup.exe's signature: verifies, signed by /CN=Hoshikage Test Publisher, against $keys/ca.pem"

  "an unsigned release" "$work/a/out" : 0
  "setup.exe's signature: none, an unsigned release"

  "one byte of setup.exe's program" "$signed" 'flip setup.exe 4096' 1
  $'setup.exe: differs at offset 4096, in the program\nsetup.exe\'s signature: does not verify: the file is not the one signed (its digest differs)'

  "one byte of a disc image" "$signed" "flip disc2.iso $image_byte" 1
  "disc2.iso: differs at offset $image_byte, in the image's file v2_3.pak, at 1000 in it"

  # The rebuild carries the changed signature, under a checksum of its own.
  "one byte of the signature" "$signed" 'flip setup.exe -20' 1
  $'setup.exe: differs at offset *, in the signature\ndisc1.iso: differs at offset *, in the image\'s file setup.exe, at * in it\nSHA256SUMS: differs at line 1: *\nsetup.exe\'s signature: does not verify: the signer\'s signature over it is broken'
)
# check-release.sh rebuilds the commit, from a clone: with changes to what
# makes the release not committed, a release made here is not the commit's.
changed=$(git -C "$project" status --porcelain -- src cmake CMakeLists.txt tools/master-discs.sh tools/bench.sh)
if [ -n "$changed" ]; then
  echo "master-test: what makes a release has changes not committed: check-release.sh, which rebuilds the commit, not tried"
  check_rows=()
fi
for ((i = 0; i < ${#check_rows[@]}; i += 5)); do
  name=${check_rows[i]} release=${check_rows[i + 1]} change=${check_rows[i + 2]}
  expected_rc=${check_rows[i + 3]} expected=${check_rows[i + 4]}
  copy=$work/published
  rm -rf "$copy"
  cp -al "$release" "$copy"
  (cd "$copy" && eval "$change") || { fail "check-release, $name: cannot change the release"; continue; }
  said=$("$project/tools/check-release.sh" --ca "$keys/ca.pem" "$copy" "$game" 2>"$work/check.log")
  rc=$?
  [ "$rc" = "$expected_rc" ] || fail "check-release, $name: exit status $rc, not $expected_rc: $(tail -n 4 "$work/check.log" | paste -sd '|')"
  while IFS= read -r pattern; do
    said_line "$pattern" || fail "check-release, $name: no line \"$pattern\": $(paste -sd '|' <<<"$said")"
  done <<<"$expected"
  for f in disc1.iso disc2.iso setup.exe SHA256SUMS BUILDINFO; do
    line=$(grep "^$f: " <<<"$said")
    # shellcheck disable=SC2053
    [[ $'\n'$expected == *$'\n'"$f: "* ]] || [ "$line" = "$f: the same" ] \
      || fail "check-release, $name: not \"$f: the same\": ${line:-no line}"
  done
  verdict=$([ "$expected_rc" = 0 ] && echo passed || echo FAILED)
  tail -n 1 <<<"$said" | grep -q "^check-release.sh: $verdict: " || fail "check-release, $name: not $verdict: $(tail -n 1 <<<"$said")"
done

# --- setup.exe from another build folder --------------------------------
# check-release.sh built the i686 one in a clone; where it did not run,
# this builds it.
arches=(x86_64)
((${#check_rows[@]})) || arches+=(i686)
for arch in "${arches[@]}"; do
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
echo "master-test: passed: $((${#refusal_rows[@]} / 4)) refusals leave OUT_FOLDER as it was; two masterings, two signings and two builds of setup.exe give the same bytes; a signed and a time-stamped release verify; check-release.sh: $((${#check_rows[@]} / 5)) cases"
