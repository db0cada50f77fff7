#!/usr/bin/env bash
# make-discs.sh OUT SIZE HOSHI_EXE
# Generates the two sample install discs, OUT/disc1 and OUT/disc2, with the
# install lists' files and deterministic content: every line names its file
# and counts up, so a file swapped, shifted or cut shows in a comparison.
#   small      about 45 MB: files shorter than a chunk, exact multiples of
#              100000 bytes, one above 10000000 bytes, one of 30 MB
#   realistic  about 1.3 GB for the full set, 300 MB for the common files
# hoshi.exe on disc 1 is the bench's stand-in game. Made once per size.
set -euo pipefail
out=$1 size=$2 hoshi=$3

declare -A small=(
  [base.pak]=250000 [story.dat]=200000 [imgdec.dll]=50000 [loader.dll]=80000
  [v1_0.pak]=10000001 [v1_1.pak]=10000000 [v1_2.pak]=100000 [v1_3.pak]=30000000
  [v1_4.pak]=1000 [v1_5.pak]=70000
  [v2_0.pak]=120000 [v2_1.pak]=300000 [v2_2.pak]=5000 [v2_3.pak]=400000
  [v2_4.pak]=2000000 [v2_5.pak]=60000
)
declare -A realistic=(
  [base.pak]=183500000 [story.dat]=62900000 [imgdec.dll]=31400000 [loader.dll]=29700000
  [v1_0.pak]=85100000 [v1_1.pak]=84300000 [v1_2.pak]=86000000 [v1_3.pak]=83200000
  [v1_4.pak]=85700000 [v1_5.pak]=84900000
  [v2_0.pak]=86600000 [v2_1.pak]=82800000 [v2_2.pak]=85300000 [v2_3.pak]=84100000
  [v2_4.pak]=83700000 [v2_5.pak]=85000000
)
case $size in
  small) declare -n sizes=small ;;
  realistic) declare -n sizes=realistic ;;
  *) echo "make-discs.sh: size is small or realistic" >&2; exit 2 ;;
esac

stamp="$size $(md5sum <"$hoshi" | cut -d' ' -f1) 1"
if [ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ]; then
  exit 0
fi

fill() { # fill FILE BYTES
  local name; name=$(basename "$1")
  (seq -f "$name %.0f" 0 $(($2 / 8 + 1)) || true) | head -c "$2" >"$1"
}

rm -rf "$out"
mkdir -p "$out/disc1" "$out/disc2"
echo hoshikage1 >"$out/disc1/.windows-label"
echo hoshikage2 >"$out/disc2/.windows-label"
for f in base.pak story.dat imgdec.dll loader.dll v1_0.pak v1_1.pak v1_2.pak v1_3.pak v1_4.pak v1_5.pak; do
  fill "$out/disc1/$f" "${sizes[$f]}"
done
cp "$hoshi" "$out/disc1/hoshi.exe"
for f in v2_0.pak v2_1.pak v2_2.pak v2_3.pak v2_4.pak v2_5.pak; do
  fill "$out/disc2/$f" "${sizes[$f]}"
done
echo "$stamp" >"$out/.stamp"
