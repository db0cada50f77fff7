#!/usr/bin/env bash
# make-discs.sh OUT SIZE HOSHI_EXE SETUP_EXE
# Generates the two sample install discs: the trees OUT/disc1 and OUT/disc2,
# with the install lists' files and deterministic content (every line names
# its file and counts up, so a file swapped, shifted or cut shows in a
# comparison), and from them the ISO 9660 images OUT/disc1.iso and
# OUT/disc2.iso (Joliet and Rock Ridge, volume ids HOSHIKAGE1 and
# HOSHIKAGE2), as a player's discs are.
#   small      about 45 MB: files shorter than a chunk, exact multiples of
#              100000 bytes, one above 10000000 bytes, one of 30 MB
#   realistic  about 1.3 GB for the full set, 300 MB for the common files,
#              each disc within an 80-minute CD-R
# Disc 1 carries the bench's stand-in game as hoshi.exe, and SETUP_EXE with
# an autorun.inf that opens it. Each disc holds its label in .windows-label,
# the tree and the image alike: Wine reads no label from an image behind a
# FUSE mount. Remade when this script, HOSHI_EXE or SETUP_EXE changes; a
# disc that would not fit on a CD is refused.
set -euo pipefail
out=$1 size=$2 hoshi=$3 setup=$4
cd_bytes=737280000

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
disc1_files=(base.pak story.dat imgdec.dll loader.dll v1_0.pak v1_1.pak v1_2.pak v1_3.pak v1_4.pak v1_5.pak)
disc2_files=(v2_0.pak v2_1.pak v2_2.pak v2_3.pak v2_4.pak v2_5.pak)

md5() { md5sum <"$1" | cut -d' ' -f1; }
# The generated files depend on this script only; the images on all inputs.
fill_stamp="$size $(md5 "${BASH_SOURCE[0]}")"
stamp="$fill_stamp $(md5 "$hoshi") $(md5 "$setup")"
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
  mkdir -p "$out/disc1" "$out/disc2"
  for f in "${disc1_files[@]}"; do fill "$out/disc1/$f" "${sizes[$f]}"; done
  for f in "${disc2_files[@]}"; do fill "$out/disc2/$f" "${sizes[$f]}"; done
  echo "$fill_stamp" >"$out/.fill-stamp"
fi
rm -f "$out/.stamp"
echo HOSHIKAGE1 >"$out/disc1/.windows-label"
echo HOSHIKAGE2 >"$out/disc2/.windows-label"
cp "$hoshi" "$out/disc1/hoshi.exe"
cp "$setup" "$out/disc1/setup.exe"
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n' >"$out/disc1/autorun.inf"

for n in 1 2; do
  image=$out/disc$n.iso
  rm -f "$image" "$image.tmp"
  options=(-quiet -V "HOSHIKAGE$n" -J -R)
  blocks=$(xorriso -as mkisofs "${options[@]}" -print-size "$out/disc$n" 2>/dev/null | tail -n 1)
  [[ $blocks =~ ^[0-9]+$ ]] || { echo "make-discs.sh: xorriso cannot size disc $n" >&2; exit 1; }
  if ((blocks * 2048 > cd_bytes)); then
    echo "make-discs.sh: disc $n does not fit on a CD: $((blocks * 2048)) bytes, $((blocks * 2048 - cd_bytes)) more than $cd_bytes" >&2
    exit 1
  fi
  # xorriso greets even when quiet: its words only when it fails.
  if ! said=$(xorriso -as mkisofs "${options[@]}" -o "$image.tmp" "$out/disc$n" 2>&1); then
    printf '%s\n' "$said" >&2
    rm -f "$image.tmp"
    exit 1
  fi
  mv "$image.tmp" "$image"
done
echo "$stamp" >"$out/.stamp"
