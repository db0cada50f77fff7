#!/usr/bin/env bash
# bench/copy-bench.sh [ROUNDS]: how fast the installer's copy loop moves a
# 1 GiB file, against the same chunked copy without window work and
# against Linux cp, on the Wine bench.
#
#   window  CopyWithProgress on the progress page of a visible setup window
#   plain   the same 100000-byte chunks through two FileStreams, no window
#   cp      Linux cp of the same file
#
# The source is made once (deterministic content) under the build folder
# and read into the page cache before timing; every copy writes a fresh
# destination on the same file system, deleted and synced away before the
# next one, so no copy pays for another's write-back. Each round runs the
# three in a rotated order; the figures are the medians of the rounds and
# the best round. Then window against plain once more on a file of a voice
# archive's size, where the bar moves far more often per chunk, and each
# piece of the window work timed alone.
# BENCH_BUILD picks the build folder, BENCH_ARCH the build (i686, or
# x86_64 where this machine runs no 32-bit code).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/bench.sh"

rounds=${1:-5}
bench_describe
arch=${BENCH_ARCH:-$BENCH_HELPER_ARCH}
bench_runs "$arch" || { bench_log "the $arch build cannot run on this machine"; exit 1; }
size=1073741824
chunk=100000
dir=$BENCH_ROOT/copy-bench
src=$dir/source.bin
dst=$dir/dest.bin
exe=$BENCH_BUILD/$arch/bin/copy_bench.exe

winpath() { printf 'Z:%s' "${1//\//\\}"; }

bench_build "$arch"

mkdir -p "$dir"
if [ "$(stat -c %s "$src" 2>/dev/null)" != "$size" ]; then
  bench_log "making the 1 GiB source"
  # Numbered lines: deterministic, and no two chunks alike.
  (seq -f '%015.0f' 0 $((size / 16)) || true) | head -c "$size" >"$src.tmp"
  [ "$(stat -c %s "$src.tmp")" = "$size" ] || { bench_log "cannot make $src"; exit 1; }
  mv "$src.tmp" "$src"
fi
ref_sum=$(md5sum <"$src" | cut -d' ' -f1)
# A voice archive's size: the bar moves every eight or nine chunks there,
# against one in a hundred for the 1 GiB file.
voice_size=85100000
voice=$dir/voice.bin
[ "$(stat -c %s "$voice" 2>/dev/null)" = "$voice_size" ] || head -c "$voice_size" "$src" >"$voice"

bench_start
bench_on_stop 'rm -f "$dst"'

fresh_destination() {
  rm -f "$dst"
  sync
}

# run_one METHOD [SOURCE]: prints the seconds the copy took.
run_one() {
  local line t0 t1 from=${2:-$src}
  fresh_destination
  case $1 in
    window | plain)
      line=$(bench_wine "$exe" "$1" "$(winpath "$from")" "$(winpath "$dst")" 2>&1 | tr -d '\r')
      set -- $line
      if [ "${5:-0}" != 1 ]; then
        bench_log "copy_bench failed: $line"
        return 1
      fi
      echo "$2"
      ;;
    cp)
      t0=$(date +%s%N)
      cp "$src" "$dst" || return 1
      t1=$(date +%s%N)
      awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f\n", (b - a) / 1e9 }'
      ;;
  esac
}

check_copy() {
  [ "$(md5sum <"$dst" | cut -d' ' -f1)" = "$ref_sum" ] || { bench_log "$1: the copy differs"; exit 1; }
}

bench_log "warming the page cache and the bench"
cat "$src" >/dev/null
methods=(window plain cp)
for m in "${methods[@]}"; do
  run_one "$m" >/dev/null || exit 1
  check_copy "$m"
done

declare -A times
for r in $(seq 1 "$rounds"); do
  order=("${methods[@]:$((r % 3))}" "${methods[@]:0:$((r % 3))}")
  for m in "${order[@]}"; do
    t=$(run_one "$m") || exit 1
    times[$m]+="$t "
    bench_log "round $r: $m $t s"
  done
done
for r in $(seq 1 "$rounds"); do
  for m in window plain; do
    t=$(run_one "$m" "$voice") || exit 1
    times[voice-$m]+="$t "
  done
done
rm -f "$dst"

# The pieces of the window work, each timed alone, once per round.
declare -a parts_runs
for r in $(seq 1 "$rounds"); do
  line=$(bench_wine "$exe" parts "$(winpath "$src")" $((size / chunk + 1)) 2>&1 | tr -d '\r')
  case $line in parts\ *) parts_runs+=("${line#parts }") ;; *) bench_log "parts failed: $line"; exit 1 ;; esac
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
lowest() { tr ' ' '\n' | grep . | sort -g | head -1; }
spread() { tr ' ' '\n' | grep . | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.3f-%.3f", lo, hi }'; }

tw=$(median <<<"${times[window]}")
tp=$(median <<<"${times[plain]}")
tc=$(median <<<"${times[cp]}")
bw=$(lowest <<<"${times[window]}")
bp=$(lowest <<<"${times[plain]}")
bc=$(lowest <<<"${times[cp]}")
chunks=$((size / chunk + 1))

echo
echo "copy of $size bytes ($chunks chunks of $chunk bytes), $rounds rounds: medians, and the best round"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/^Mem:/ { print $2 }') GiB RAM, $("$BENCH_LOADER" --version), $arch build"
awk -v size="$size" -v chunks="$chunks" -v tw="$tw" -v tp="$tp" -v tc="$tc" -v bw="$bw" -v bp="$bp" -v bc="$bc" \
  -v sw="$(spread <<<"${times[window]}")" -v sp="$(spread <<<"${times[plain]}")" -v sc="$(spread <<<"${times[cp]}")" 'BEGIN {
  printf "                             median                    best\n"
  printf "  window (CopyWithProgress)  %7.3f s %8.1f MB/s   %7.3f s %8.1f MB/s   (rounds %s s)\n", tw, size / tw / 1e6, bw, size / bw / 1e6, sw
  printf "  plain (FileStream chunks)  %7.3f s %8.1f MB/s   %7.3f s %8.1f MB/s   (rounds %s s)\n", tp, size / tp / 1e6, bp, size / bp / 1e6, sp
  printf "  Linux cp                   %7.3f s %8.1f MB/s   %7.3f s %8.1f MB/s   (rounds %s s)\n", tc, size / tc / 1e6, bc, size / bc / 1e6, sc
  printf "  window / plain throughput  %7.3f                  %7.3f\n", tp / tw, bp / bw
  printf "  window / cp throughput     %7.3f                  %7.3f\n", tc / tw, bc / bw
  printf "  plain / cp throughput      %7.3f                  %7.3f\n", tc / tp, bc / bp
  w = (tw - tp) / chunks * 1e6
  wb = (bw - bp) / chunks * 1e6
  cd = 100000 / 7.8e6 * 1e6
  printf "  window work per chunk      %7.1f us                %7.1f us\n", w, wb
  printf "  share of the time at 7.8 MB/s (52x CD-ROM, %.0f us per chunk): %.2f %% (median), %.2f %% (best)\n", cd, 100 * w / (cd + w), 100 * wb / (cd + wb)
}'
awk -v size="$voice_size" -v chunks=$((voice_size / chunk + 1)) -v tw="$(median <<<"${times[voice-window]}")" \
  -v tp="$(median <<<"${times[voice-plain]}")" -v bw="$(lowest <<<"${times[voice-window]}")" \
  -v bp="$(lowest <<<"${times[voice-plain]}")" -v sw="$(spread <<<"${times[voice-window]}")" 'BEGIN {
  print ""
  printf "copy of %d bytes (a voice archive, %d chunks), window against plain\n", size, chunks
  printf "  window (CopyWithProgress)  %7.3f s %8.1f MB/s   %7.3f s %8.1f MB/s   (rounds %s s)\n", tw, size / tw / 1e6, bw, size / bw / 1e6, sw
  printf "  plain (FileStream chunks)  %7.3f s %8.1f MB/s   %7.3f s %8.1f MB/s\n", tp, size / tp / 1e6, bp, size / bp / 1e6
  w = (tw - tp) / chunks * 1e6
  wb = (bw - bp) / chunks * 1e6
  cd = 100000 / 7.8e6 * 1e6
  printf "  window work per chunk      %7.1f us                %7.1f us\n", w, wb
  printf "  share of the time at 7.8 MB/s: %.2f %% (median), %.2f %% (best)\n", 100 * w / (cd + w), 100 * wb / (cd + wb)
}'
part_median() { printf '%s\n' "${parts_runs[@]}" | awk -v i="$1" '{ print $i }' | median; }
bar_by_id=$(part_median 1) bar=$(part_median 2) moving=$(part_median 3)
repaint=$(part_median 4) pump=$(part_median 5) tell=$(part_median 6)
awk -v byid="$bar_by_id" -v bar="$bar" -v moving="$moving" -v repaint="$repaint" -v pump="$pump" -v tell="$tell" \
  -v chunks="$chunks" 'BEGIN {
  print ""
  print "window work, each piece timed alone on the visible page (us per call, medians)"
  printf "  bar message by control id  %8.2f\n", byid
  printf "  bar message to its handle  %8.2f   (the bar keeps its value)\n", bar
  printf "  bar message that moves it  %8.2f   (the bar repaints itself)\n", moving
  printf "  UpdateWindow on the frame  %8.2f\n", repaint
  printf "  pump (nothing queued)      %8.2f\n", pump
  printf "  Tell of the source         %8.2f\n", tell
  steady = bar + repaint + pump + tell
  printf "  per chunk, bar unchanged   %8.2f\n", steady
  printf "  per chunk over this file   %8.2f   (100 of the %d chunks move the bar)\n", (steady * chunks + (moving - bar) * 100) / chunks, chunks
  printf "  per chunk, 85 MB file      %8.2f   (100 of 851 chunks move the bar)\n", (steady * 851 + (moving - bar) * 100) / 851
}'
