#!/usr/bin/env bash
# tools/check-release.sh [--ca CA.pem] PUBLISHED_FOLDER GAME_FOLDER
# Checks a published release (what tools/master-discs.sh wrote: disc1.iso,
# disc2.iso, setup.exe, SHA256SUMS, BUILDINFO) against a rebuild from the
# game's files: builds the i686 setup.exe at the commit BUILDINFO names,
# from a clone of this checkout, with the bench's own build step, on the
# Debian release BUILDINFO names (through tools/on-debian.sh when this
# machine runs another), moves the published setup.exe's signature onto
# it, masters the discs with that commit's tools/master-discs.sh at
# BUILDINFO's SOURCE_DATE_EPOCH, and compares every file byte for byte
# (tools/compare-release.py). Then verifies the signature against CA.pem,
# or the system's certificate authorities.
#
# One line per file: the same, or where it first differs and whether in
# the program, the signature or an image; one line for the signature.
# Exits 0 only when every file is the same and the signature verifies (an
# unsigned release: when every file is the same), 1 when not or when a
# step fails, 2 when the arguments or the release cannot be checked.
#
# The clone and its build are kept in build/check-release/COMMIT of this
# checkout, and reused by the next check of the same commit.
set -euo pipefail
me=check-release.sh
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
usage="usage: $me [--ca CA.pem] PUBLISHED_FOLDER GAME_FOLDER"
die() { # die STATUS LINE
  printf '%s: %s\n' "$me" "$2" >&2
  exit "$1"
}

ca=
if [ "${1:-}" = --ca ]; then
  (($# >= 2)) || die 2 "$usage"
  ca=$2
  shift 2
fi
(($# == 2)) || die 2 "$usage"
[ -d "$1" ] || die 2 "no release folder $1"
[ -d "$2" ] || die 2 "no game folder $2"
published=$(cd "$1" && pwd -P) game=$(cd "$2" && pwd -P)
if [ -n "$ca" ]; then
  [ -f "$ca" ] && [ -r "$ca" ] || die 2 "cannot read the certificate authority $ca"
  ca=$(cd "$(dirname "$ca")" && pwd -P)/$(basename "$ca")
fi

info=$published/BUILDINFO
[ -f "$info" ] || die 2 "no BUILDINFO in $published: not a release this command can rebuild"
field() { sed -n "s/^$1 //p" "$info" | head -n 1; }
commit=$(field commit) epoch=$(field SOURCE_DATE_EPOCH) release=$(field debian)
[[ $commit =~ ^[0-9a-f]{40}$ ]] || die 2 "BUILDINFO names no commit: ${commit:-none}"
[[ $epoch =~ ^[0-9]+$ ]] || die 2 "BUILDINFO names no SOURCE_DATE_EPOCH: ${epoch:-none}"
[[ $release =~ ^(12|13)$ ]] || die 2 "BUILDINFO names no Debian release this command can check on (12 or 13): ${release:-none}"

here=$(. /etc/os-release 2>/dev/null && [ "${ID:-}" = debian ] && echo "${VERSION_ID:-}" || :)
if [ "$here" != "$release" ]; then
  printf '%s: the release was made on Debian %s, this machine runs %s: checking in a root of Debian %s\n' \
    "$me" "$release" "${here:+Debian }${here:-another system}" "$release" >&2
  shares=(--share "$published" --share "$game")
  [ -z "$ca" ] || shares+=(--share "$(dirname "$ca")")
  exec "$project/tools/on-debian.sh" "${shares[@]}" "$release" tools/check-release.sh ${ca:+--ca "$ca"} "$published" "$game"
fi

git -C "$project" cat-file -e "$commit^{commit}" 2>/dev/null \
  || die 2 "commit $commit is not in this checkout's history: fetch it first"

# --- The rebuild, at the commit, with that commit's own tools --------------
work=$project/build/check-release/$commit
source=$work/source
if [ "$(git -C "$source" rev-parse HEAD 2>/dev/null)" != "$commit" ] \
  || [ -n "$(git -C "$source" status --porcelain 2>/dev/null)" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  # A detached HEAD leaves the clone's branch to the default, which newer
  # git names with a hint.
  git -c init.defaultBranch=checked clone -q --no-checkout "$project" "$source" \
    && git -C "$source" checkout -q --detach "$commit" \
    || die 1 "git cannot clone $project at $commit"
fi
rm -rf "$work/rebuilt" "$work/setup.exe" "$work/signature"
(
  export BENCH_BUILD=$source/build
  source "$source/tools/bench.sh"
  bench_packages
  bench_build i686 setup
) >&2 || exit 1
program=$source/build/i686/bin/setup.exe

signed=
if [ -f "$published/setup.exe" ] \
  && osslsigncode extract-signature -in "$published/setup.exe" -out "$work/signature" >/dev/null 2>&1; then
  signed=1
  # It judges the signature as it attaches it: the comparison and the
  # verification below say what is wrong, so only its output counts.
  osslsigncode attach-signature -sigin "$work/signature" -in "$program" -out "$work/setup.exe" >/dev/null 2>&1 || :
  [ -f "$work/setup.exe" ] || die 1 "osslsigncode cannot attach the signature of $published/setup.exe"
else
  cp "$program" "$work/setup.exe"
fi
# A game folder it refuses (status 2) cannot be checked against.
SOURCE_DATE_EPOCH=$epoch "$source/tools/master-discs.sh" "$game" "$work/rebuilt" "$work/setup.exe" >/dev/null \
  || die $(($? == 2 ? 2 : 1)) "the discs cannot be mastered from $game (see above)"

# --- The comparison and the signature ---------------------------------------
failed=()
"$project/tools/compare-release.py" "$published" "$work/rebuilt" || failed+=("not every file is the same")
if [ -z "$signed" ]; then
  echo "setup.exe's signature: none, an unsigned release"
else
  options=()
  [ -z "$ca" ] || options+=(-CAfile "$ca" -TSA-CAfile "$ca")
  # Offline: 2.9 fetches the revocation lists the certificates name, and
  # fails without them; 2.5 never looks.
  [[ $(osslsigncode -h 2>&1) == *-ignore-crl* ]] && options+=(-ignore-crl)
  if said=$(osslsigncode verify "${options[@]}" -in "$published/setup.exe" 2>&1); then
    signer=$(printf '%s\n' "$said" | sed -n 's/^[[:space:]]*Subject: *//p' | head -n 1)
    against=$ca
    [ -n "$against" ] || against="the system's certificate authorities"
    echo "setup.exe's signature: verifies, signed by $signer, against $against"
  else
    failed+=("the signature does not verify")
    if grep -q 'message digest.*MISMATCH' <<<"$said"; then
      why="the file is not the one signed (its digest differs)"
    elif grep -q -e 'signature failure' -e 'bad signature' <<<"$said"; then
      why="the signer's signature over it is broken"
    else
      why=$(grep -o -m 1 'Verify error: .*' <<<"$said" | sed 's/^Verify error: //') \
        || why=$(grep -v -e '^\s*$' -e '^Failed$' <<<"$said" | tail -n 1)
    fi
    echo "setup.exe's signature: does not verify: $why"
  fi
fi
if ((${#failed[@]})); then
  echo "$me: FAILED: ${failed[0]}${failed[1]:+; ${failed[1]}}"
  exit 1
fi
echo "$me: passed: the release is what commit $commit makes from $game${signed:+, and its signature verifies}"
