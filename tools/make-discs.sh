#!/usr/bin/env bash
# make-discs.sh OUT SIZE HOSHI_EXE SETUP_EXE [SIGNING...]
# Generates the game's files for the sample install discs in OUT/game, with
# deterministic content (every line names its file and counts up, so a file
# swapped, shifted or cut shows in a comparison), and masters the discs from
# them with tools/master-discs.sh, as a publisher would: OUT/disc1.iso and
# OUT/disc2.iso, a player's discs. The bench also keeps each disc as a
# folder, OUT/disc1 and OUT/disc2 with the disc's label in .windows-label,
# for the failing discs and for machines that cannot mount an image.
#   small      about 45 MB: files shorter than a chunk, exact multiples of
#              100000 bytes, one above 10000000 bytes, one of 30 MB
#   realistic  about 1.3 GB for the full set, 300 MB for the common files,
#              each disc within an 80-minute CD-R
# The game is the bench's stand-in, HOSHI_EXE; disc 1 carries SETUP_EXE,
# signed as the SIGNING options of tools/master-discs.sh say.
# Remade when this script, the mastering, the install lists, HOSHI_EXE,
# SETUP_EXE or the signing changes; a refusal of the mastering ends it
# with its status.
set -euo pipefail
out=$1 size=$2 hoshi=$3 setup=$4
signing=("${@:5}")

declare -A small=(
  [base.pak]=250000 [story.dat]=200000 [imgdec.dll]=50000 [loader.dll]=80000
  [v1_0.pak]=10000001 [v1_1.pak]=10000000 [v1_2.pak]=100000 [v1_3.pak]=30000000
  [v1_4.pak]=1000 [v1_5.pak]=70000
  [v2_0.pak]=120000 [v2_1.pak]=300000 [v2_2.pak]=5000 [v2_3.pak]=400000
  [v2_4.pak]=2000000 [v2_5.pak]=60000
)
# Disc 1 holds the common files, so its voices are the smaller ones.
declare -A realistic=(
  [base.pak]=183500000 [story.dat]=62900000 [imgdec.dll]=31400000 [loader.dll]=29700000
  [v1_0.pak]=57100000 [v1_1.pak]=56300000 [v1_2.pak]=58000000 [v1_3.pak]=55200000
  [v1_4.pak]=57700000 [v1_5.pak]=56900000
  [v2_0.pak]=113100000 [v2_1.pak]=111300000 [v2_2.pak]=113800000 [v2_3.pak]=112100000
  [v2_4.pak]=111700000 [v2_5.pak]=113500000
)
case $size in
  small) declare -n sizes=small ;;
  realistic) declare -n sizes=realistic ;;
  *) echo "make-discs.sh: size is small or realistic" >&2; exit 2 ;;
esac
for f in "$hoshi" "$setup"; do
  [ -f "$f" ] || { echo "make-discs.sh: no $f" >&2; exit 2; }
done
master=$(dirname "${BASH_SOURCE[0]}")/master-discs.sh
listed=$("$master" --list)
md5() { md5sum <"$1" | cut -d' ' -f1; }
# The generated files depend on this script and the lists; the discs on
# every input.
fill_stamp="$size $(md5 "${BASH_SOURCE[0]}") $(md5sum <<<"$listed" | cut -d' ' -f1)"
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$master")" log -1 --format=%ct 2>/dev/null || :)}
stamp="$fill_stamp $(md5 "$master") $(md5 "$hoshi") $(md5 "$setup") $epoch"
for f in "${signing[@]}"; do
  stamp+=" $f"
  [ ! -f "$f" ] || stamp+=" $(md5 "$f")"
done
if [ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] \
  && [ -f "$out/disc1.iso" ] && [ -f "$out/disc2.iso" ]; then
  exit 0
fi

fill() { # fill FILE BYTES
  local name; name=$(basename "$1")
  (seq -f "$name %.0f" 0 $(($2 / 8 + 1)) || true) | head -c "$2" >"$1"
}

if ! [ -f "$out/.fill-stamp" ] || [ "$(cat "$out/.fill-stamp")" != "$fill_stamp" ]; then
  rm -rf "$out"
  mkdir -p "$out/game"
  while read -r disc path; do
    [ "$path" = hoshi.exe ] && continue
    [ -n "${sizes[$path]:-}" ] || { echo "make-discs.sh: no sample size for the listed $path" >&2; exit 1; }
    fill "$out/game/$path" "${sizes[$path]}"
  done <<<"$listed"
  echo "$fill_stamp" >"$out/.fill-stamp"
fi
rm -f "$out/.stamp"
cp "$hoshi" "$out/game/hoshi.exe"
"$master" "${signing[@]}" "$out/game" "$out" "$setup" >/dev/null

# The folders hold what the images hold (the game's files linked, not
# copied), and the label the images carry.
for n in 1 2; do
  rm -rf "$out/disc$n"
  mkdir -p "$out/disc$n"
  echo "HOSHIKAGE$n" >"$out/disc$n/.windows-label"
done
while read -r disc path; do
  ln "$out/game/$path" "$out/disc$disc/$path"
done <<<"$listed"
cp "$out/setup.exe" "$out/disc1/setup.exe"
xorriso -osirrox on -indev "$out/disc1.iso" -extract /autorun.inf "$out/disc1/autorun.inf" >/dev/null 2>&1 \
  || { echo "make-discs.sh: cannot read autorun.inf back from $out/disc1.iso" >&2; exit 1; }
echo "$stamp" >"$out/.stamp"
