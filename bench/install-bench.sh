#!/usr/bin/env bash
# bench/install-bench.sh [ROUNDS]: the whole install as a player meets it,
# on the Wine bench with the realistic discs (17 files, about 1.3 GB, on
# two discs), against what a player could pick instead. Not a test.
#
# At full speed (discs and destination in the page cache), ROUNDS rounds
# (default 5) in a rotated order of:
#   window      setup.exe driven from outside, from Yes on the confirmation
#               to the completion message (install_bench.exe install)
#   plain       the same list copied in 100000-byte chunks, no window
#   cp          Linux cp of the same files
#   nsis-files  an NSIS installer holding the files uncompressed, with its
#               progress page
#   nsis-copy   an NSIS installer copying them from the discs (CopyFiles)
#   nsis-empty  an NSIS installer with an empty section: its start-up and
#               exit, taken off the two above
#   themed      window, with Wine's desktop theme turned on for that
#               install (the bench's prefix has none, as Windows draws
#               setup.exe's controls)
# Then the same install from the slow disc (tools/faultdisc) at a 52x
# drive's rate against only reading its files, SLOW_ROUNDS rounds (default
# 3), and once with the theme on; the minimal install at an 8x rate against
# the same reading, once;
# ABORTS aborts (default 10) at full speed and at 52x; the window's answers
# during a full-speed and a 52x install; the setup process's memory over
# installs of the small and the realistic discs; STARTS starts (default 10)
# with a warm server; and the copier's per-chunk window work, timed alone
# without the theme and with it (copy_bench.exe parts), for the design's own
# limit.
#
# Prints every figure, and writes them with their goals between the
# install-bench markers of docs/benchmark.md. BENCH_BUILD picks the build
# folder, BENCH_ARCH the build (i686, or x86_64 where this machine runs no
# 32-bit code); BENCH_NO_32BIT=1 takes the 64-bit-only path anywhere.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/bench.sh"

rounds=${1:-5}
slow_rounds=${SLOW_ROUNDS:-3}
aborts=${ABORTS:-10}
starts=${STARTS:-10}
page=${BENCH_PAGE:-$BENCH_PROJECT/docs/benchmark.md}

bench_packages
dpkg-query -W -f='${Status}' nsis 2>/dev/null | grep -q 'install ok installed' \
  || bench_step "packages: nsis" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nsis
bench_describe
arch=${BENCH_ARCH:-$BENCH_HELPER_ARCH}
bench_runs "$arch" || bench_fail "build" "the $arch build cannot run on this machine"
if ((BENCH_RUNS_32BIT)); then nsis_target=x86-unicode; else nsis_target=amd64-unicode; fi
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

bench_build "$arch" install_bench copy_bench setup hoshi benchdrive
[ "$arch" = "$BENCH_HELPER_ARCH" ] || bench_build "$BENCH_HELPER_ARCH" hoshi benchdrive
bench_discs small
bench_discs realistic
bin=$BENCH_BUILD/$arch/bin
drive=$BENCH_BUILD/$BENCH_HELPER_ARCH/bin/benchdrive.exe
discs=$BENCH_ROOT/discs-realistic
small=$BENCH_ROOT/discs-small
dir=$BENCH_ROOT/install-bench
dest=$dir/dest
mkdir -p "$dir"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
base=$(winpath "$dest")\\
folder=$(winpath "$dest/hoshikage")\\

# The install list, in its order: disc 1, then disc 2.
disc1_files=(base.pak story.dat imgdec.dll loader.dll hoshi.exe v1_0.pak v1_1.pak v1_2.pak v1_3.pak v1_4.pak v1_5.pak)
disc2_files=(v2_0.pak v2_1.pak v2_2.pak v2_3.pak v2_4.pak v2_5.pak)
minimal_files=(base.pak story.dat imgdec.dll loader.dll hoshi.exe)
sources=()
for f in "${disc1_files[@]}"; do sources+=("$discs/disc1/$f"); done
for f in "${disc2_files[@]}"; do sources+=("$discs/disc2/$f"); done
full_bytes=$(stat -c %s "${sources[@]}" | awk '{ s += $1 } END { print s }')
minimal_bytes=$(stat -c %s "${minimal_files[@]/#/$discs/disc1/}" | awk '{ s += $1 } END { print s }')
full_chunks=$(stat -c %s "${sources[@]}" | awk '{ s += int($1 / 100000) + 1 } END { print s }')
small_bytes=$(du -cb "${disc1_files[@]/#/$small/disc1/}" "${disc2_files[@]/#/$small/disc2/}" | tail -1 | cut -f1)

# --- The two NSIS installers and the empty one, built in this run --------
nsis_dir=$dir/nsis
mkdir -p "$nsis_dir"
nsis_script() { # nsis_script NAME: the header every installer shares
  cat <<EOF
Target $nsis_target
Name "bench"
OutFile "$nsis_dir/$1.exe"
RequestExecutionLevel user
AutoCloseWindow true
CRCCheck off
SetCompress off
InstallDir "$(winpath "$dest/hoshikage")"
Page instfiles
EOF
}
{
  nsis_script nsis-files
  echo 'Section'
  echo '  SetOutPath "$INSTDIR"'
  for s in "${sources[@]}"; do echo "  File \"$s\""; done
  echo 'SectionEnd'
} >"$nsis_dir/nsis-files.nsi"
{
  nsis_script nsis-copy
  echo 'Section'
  echo '  CreateDirectory "$INSTDIR"'
  for f in "${disc1_files[@]}"; do echo "  CopyFiles /SILENT \"D:\\$f\" \"\$INSTDIR\""; done
  for f in "${disc2_files[@]}"; do echo "  CopyFiles /SILENT \"E:\\$f\" \"\$INSTDIR\""; done
  echo 'SectionEnd'
} >"$nsis_dir/nsis-copy.nsi"
{
  nsis_script nsis-empty
  echo 'Section'
  echo 'SectionEnd'
} >"$nsis_dir/nsis-empty.nsi"
nsis_version=$(makensis -VERSION)
for n in nsis-files nsis-copy nsis-empty; do
  bench_log "building $n.exe with makensis $nsis_version ($nsis_target)"
  rm -f "$nsis_dir/$n.exe"
  bench_step "makensis $n" makensis -V2 "$nsis_dir/$n.nsi"
done

bench_start
bench_on_stop 'rm -rf "$dest"'
bench_step "drives: reset" bench_wine "$drive" reset

discs_in() { # discs_in FOLDER1 FOLDER2
  bench_step "drives: disc 1 in D:" bench_wine "$drive" cdrom d "$1" hoshikage1
  bench_step "drives: disc 2 in E:" bench_wine "$drive" cdrom e "$2" hoshikage2
}

# The bench's prefix has no desktop theme: Windows draws the controls of a
# program that asks for no visual styles, as setup.exe does, the classic
# way. The "themed" figures turn Wine's default theme on for the programs
# started meanwhile, to show what it costs.
theme() { # theme 1|0
  bench_step "theme $1" bench_wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
    /v ThemeActive /d "$1" /f
}
bench_on_stop "bench_wine reg add 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager' /v ThemeActive /d 0 /f"

fresh_destination() {
  rm -rf "$dest"
  mkdir -p "$dest"
  sync
}

# Every method must leave the whole list behind: the count and the bytes
# each time, the content on the untimed first copy.
check_destination() { # check_destination METHOD BYTES CONTENT
  local got
  got=$(cat "$dest/hoshikage/"* 2>/dev/null | wc -c)
  [ "$got" = "$2" ] || bench_fail "$1" "the destination holds $got bytes, not $2"
  if [ -n "${3:-}" ] && [ "$2" != 0 ]; then
    local s
    for s in "${sources[@]}"; do
      cmp -s "$s" "$dest/hoshikage/$(basename "$s")" || bench_fail "$1" "$(basename "$s") differs from the disc"
    done
  fi
}

# measure NAME ARGS...: runs install_bench (or a command printing the
# same sort of line) and prints the line; a line whose last field is not 1
# fails the step.
measure() {
  local name=$1 line
  shift
  line=$(BENCH_WINE_TIMEOUT=3600 bench_wine "$bin/install_bench.exe" "$@" 2>>"$BENCH_LOGS/install-bench.log" | tr -d '\r' | tail -n 1)
  case $line in
    *' 1') printf '%s\n' "$line" ;;
    *) bench_fail "$name" "install_bench $* printed \"$line\"" "$BENCH_LOGS/install-bench.log" ;;
  esac
}
: >"$BENCH_LOGS/install-bench.log"

declare -A times memory_peak memory_private
# run_method METHOD: one copy; sets took to the seconds it took.
run_method() {
  local line t0 t1
  fresh_destination
  case $1 in
    window)
      line=$(measure window install "$base" full) || exit 1
      set -- $line
      memory_peak[realistic]+="$3 "
      memory_private[realistic]+="$4 "
      took=$2
      ;;
    themed)
      theme 1
      line=$(measure "window, themed" install "$base" full) || exit 1
      theme 0
      set -- $line
      took=$2
      ;;
    plain)
      mkdir -p "$dest/hoshikage"
      line=$(measure plain plain 'D:\' 'E:\' "$folder" full) || exit 1
      set -- $line
      took=$2
      ;;
    cp)
      mkdir -p "$dest/hoshikage"
      t0=$(date +%s%N)
      cp "${sources[@]}" "$dest/hoshikage/" || bench_fail cp "cp failed"
      t1=$(date +%s%N)
      took=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f\n", (b - a) / 1e9 }')
      ;;
    nsis-*)
      line=$(measure "$1" run "$(winpath "$nsis_dir/$1.exe")") || exit 1
      set -- $line
      took=$2
      ;;
  esac
}
bytes_of() { [ "$1" = nsis-empty ] && echo 0 || echo "$full_bytes"; }

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
lowest() { tr ' ' '\n' | grep . | sort -g | head -1; }
highest() { tr ' ' '\n' | grep . | sort -g | tail -1; }

# --- Full speed ----------------------------------------------------------
discs_in "$discs/disc1" "$discs/disc2"
bench_log "warming the page cache and the bench; each method once, checked"
cat "${sources[@]}" "$nsis_dir/nsis-files.exe" >/dev/null
methods=(window plain cp nsis-files nsis-copy nsis-empty themed)
for m in "${methods[@]}"; do
  run_method "$m"
  check_destination "$m" "$(bytes_of "$m")" content
  bench_log "warm-up: $m $took s"
done
for r in $(seq 1 "$rounds"); do
  k=$((r % ${#methods[@]}))
  for m in "${methods[@]:k}" "${methods[@]:0:k}"; do
    run_method "$m"
    check_destination "$m" "$(bytes_of "$m")"
    times[$m]+="$took "
    bench_log "round $r: $m $took s"
  done
done

bench_log "the window's answers during a full-speed install"
fresh_destination
answer_full=$(measure "answers at full speed" install "$base" full answer) || exit 1
bench_log "$aborts aborts at full speed"
fresh_destination
abort_full=$(measure "aborts at full speed" abort "$base" "$aborts") || exit 1
bench_log "$starts starts"
start_line=$(measure "starts" start "$starts") || exit 1

bench_log "the copier's window work per chunk, timed alone, without the theme and with it"
parts_runs=()
themed_runs=()
for r in 1 2 3; do
  for t in 0 1; do
    theme $t
    line=$(bench_wine "$bin/copy_bench.exe" parts "$(winpath "$discs/disc1/base.pak")" 2000 2>&1 | tr -d '\r')
    case $line in parts\ *) ;; *) bench_fail "copy_bench parts" "it printed \"$line\"" ;; esac
    if [ $t = 0 ]; then parts_runs+=("${line#parts }"); else themed_runs+=("${line#parts }"); fi
  done
done
theme 0

bench_log "memory over installs of the small discs"
discs_in "$small/disc1" "$small/disc2"
for r in 1 2 3; do
  fresh_destination
  line=$(measure "small install" install "$base" full) || exit 1
  set -- $line
  memory_peak[small]+="$3 "
  memory_private[small]+="$4 "
done
rm -rf "$dest"

# --- At a drive's speed --------------------------------------------------
slow=$BENCH_ROOT/mnt
for n in 1 2; do
  faultdisc_mount "$discs/disc$n" "$slow/slow$n" "$slow/slow$n.control" \
    || bench_fail "slow disc $n" "the slow disc cannot be mounted (see above)"
done
rate() { # rate BYTES_PER_SECOND
  faultdisc_control "$slow/slow1.control" "rate $1"
  faultdisc_control "$slow/slow2.control" "rate $1"
}
discs_in "$slow/slow1" "$slow/slow2"
rate 7800000
slow_methods=(window read)
for r in $(seq 1 "$slow_rounds"); do
  k=$((r % 2))
  for m in "${slow_methods[@]:k}" "${slow_methods[@]:0:k}"; do
    fresh_destination
    if [ "$m" = window ]; then
      line=$(measure "52x install" install "$base" full) || exit 1
    else
      line=$(measure "52x read" read 'D:\' 'E:\' full) || exit 1
    fi
    set -- $line
    times[52x-$m]+="$2 "
    bench_log "52x round $r: $m $2 s"
  done
done
bench_log "one 52x install with themed bars"
theme 1
fresh_destination
line=$(measure "52x install, themed" install "$base" full) || exit 1
theme 0
set -- $line
times[52x-themed]=$2
bench_log "the window's answers during a 52x install"
fresh_destination
answer_slow=$(measure "answers at 52x" install "$base" full answer) || exit 1
bench_log "$aborts aborts at 52x"
fresh_destination
abort_slow=$(measure "aborts at 52x" abort "$base" "$aborts") || exit 1

rate 1200000
fresh_destination
line=$(measure "8x read" read 'D:\' 'E:\' minimal) || exit 1
set -- $line
times[8x-read]=$2
fresh_destination
line=$(measure "8x minimal install" install "$base" minimal) || exit 1
set -- $line
times[8x-window]=$2
bench_log "8x: read $(echo ${times[8x-read]}) s, install $(echo ${times[8x-window]}) s"
rm -rf "$dest"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Figures ---------------------------------------------------------------
part_median() { printf '%s\n' "${parts_runs[@]}" | awk -v i="$1" '{ print $i }' | median; }
themed_median() { printf '%s\n' "${themed_runs[@]}" | awk -v i="$1" '{ print $i }' | median; }
row() { # row NAME: median max min of the rounds
  printf '%s %s %s' "$(median <<<"${times[$1]}")" "$(highest <<<"${times[$1]}")" "$(lowest <<<"${times[$1]}")"
}
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')
wine_version=$("$BENCH_LOADER" --version)
debian=$(cat /etc/debian_version)
gcc_version=$("${arch}-w64-mingw32-g++-posix" -dumpversion 2>/dev/null || echo unknown)
today=$(date -u +%Y-%m-%d)

report=$dir/report.md
awk -v rounds="$rounds" -v slow_rounds="$slow_rounds" -v full="$full_bytes" -v minimal="$minimal_bytes" \
  -v small="$small_bytes" -v chunks="$full_chunks" -v files=17 \
  -v window="$(row window)" -v plain="$(row plain)" -v cp="$(row cp)" \
  -v nfiles="$(row nsis-files)" -v ncopy="$(row nsis-copy)" -v nempty="$(row nsis-empty)" \
  -v swindow="$(row 52x-window)" -v sread="$(row 52x-read)" \
  -v ewindow="${times[8x-window]}" -v eread="${times[8x-read]}" \
  -v answer_full="$answer_full" -v answer_slow="$answer_slow" \
  -v abort_full="$abort_full" -v abort_slow="$abort_slow" -v start="$start_line" \
  -v peak_small="$(highest <<<"${memory_peak[small]}")" -v peak_real="$(highest <<<"${memory_peak[realistic]}")" \
  -v priv_small="$(highest <<<"${memory_private[small]}")" -v priv_real="$(highest <<<"${memory_private[realistic]}")" \
  -v bar="$(part_median 2)" -v moving="$(part_median 3)" -v repaint="$(part_median 4)" -v pump="$(part_median 5)" \
  -v tbar="$(themed_median 2)" -v tmoving="$(themed_median 3)" -v trepaint="$(themed_median 4)" -v tpump="$(themed_median 5)" \
  -v themed="$(row themed)" -v sthemed="${times[52x-themed]}" \
  -v date="$today" -v cpu="$cpu" -v cores="$(nproc)" -v mem="$(free -g | awk '/^Mem:/ { print $2 }')" \
  -v wine="$wine_version" -v debian="$debian" -v gcc="$gcc_version" -v arch="$arch" -v nsis="$nsis_version" \
  -v target="$nsis_target" -v load1="$load_before" -v load2="$load_after" -v aborts="$aborts" -v starts="$starts" '
function mbs(bytes, s) { return s <= 0 ? "-" : bytes / s / 1e6 < 100 ? sprintf("%.2f MB/s", bytes / s / 1e6) : sprintf("%.0f MB/s", bytes / s / 1e6) }
function verdict(ok) { return ok ? "met" : "**missed**" }
BEGIN {
  split(window, w); split(plain, p); split(cp, c); split(nfiles, nf); split(ncopy, nc); split(nempty, ne)
  split(swindow, sw); split(sread, sr); split(answer_full, af); split(answer_slow, as)
  split(abort_full, bf); split(abort_slow, bs); split(start, st)
  # The NSIS installers less their own start and exit.
  nf1 = nf[1] - ne[1]; nf2 = nf[2] - ne[1]; nf3 = nf[3] - ne[1]
  nc1 = nc[1] - ne[1]; nc2 = nc[2] - ne[1]; nc3 = nc[3] - ne[1]
  # The per-chunk work the design fixes (bar message, repaint, one message
  # let through) on every chunk, and the bar moving 100 times per file.
  fixed = (bar + repaint + pump) * chunks + (moving - bar) * 100 * files
  limit = p[1] + fixed / 1e6
  # The same with the bars drawn in the desktop theme of Wine.
  limit_themed = p[1] + ((tbar + trepaint + tpump) * chunks + (tmoving - tbar) * 100 * files) / 1e6
  split(themed, k)
  print "Date " date " (UTC). " cores " cores, " cpu ", " mem " GiB of memory, Debian " debian ", " wine ", mingw-w64 GCC " gcc ", " arch " build of setup.exe. NSIS " nsis " (`Target " target "`). Load average " load1 " before the run and " load2 " after it (1, 5 and 15 minutes)."
  print ""
  printf "Realistic discs: %d files, %d bytes (%.1f MB), %d chunks of 100000 bytes; minimal install %d bytes. MB = 10^6 bytes. Full speed: %d rounds, 52x: %d rounds, 8x: 1 round.\n", files, full, full / 1e6, chunks, minimal, rounds, slow_rounds
  print ""
  print "| Figure | median | max | min | goal | |"
  print "|---|---|---|---|---|---|"
  printf "| window: setup.exe, Yes to completion | %.2f s, %s | %.2f s | %.2f s | | |\n", w[1], mbs(full, w[1]), w[2], w[3]
  printf "| plain chunked copy, no window | %.2f s, %s | %.2f s | %.2f s | | |\n", p[1], mbs(full, p[1]), p[2], p[3]
  printf "| Linux cp | %.2f s, %s | %.2f s | %.2f s | | |\n", c[1], mbs(full, c[1]), c[2], c[3]
  printf "| NSIS, files inside, less its empty run | %.2f s, %s | %.2f s | %.2f s | | |\n", nf1, mbs(full, nf1), nf2, nf3
  printf "| NSIS, CopyFiles from the discs, less its empty run | %.2f s, %s | %.2f s | %.2f s | | |\n", nc1, mbs(full, nc1), nc2, nc3
  printf "| NSIS, empty section (start and exit) | %.3f s | %.3f s | %.3f s | | |\n", ne[1], ne[2], ne[3]
  printf "| design limit: plain + the fixed window work | %.2f s, %s | | | | |\n", limit, mbs(full, limit)
  printf "| window, themed (the light theme of Wine) | %.2f s, %s | %.2f s | %.2f s | | |\n", k[1], mbs(full, k[1]), k[2], k[3]
  printf "| design limit, themed | %.2f s, %s | | | | |\n", limit_themed, mbs(full, limit_themed)
  printf "| window ÷ NSIS files inside (throughput) | %.2f | | | ≥ 1.2 | %s |\n", nf1 / w[1], verdict(nf1 / w[1] >= 1.2)
  printf "| window ÷ NSIS CopyFiles | %.2f | | | | |\n", nc1 / w[1]
  printf "| window ÷ plain | %.2f | | | ≥ 0.3 | %s |\n", p[1] / w[1], verdict(p[1] / w[1] >= 0.3)
  printf "| window ÷ design limit | %.2f | | | | |\n", limit / w[1]
  printf "| themed: window ÷ NSIS files inside | %.2f | | | | |\n", nf1 / k[1]
  printf "| themed: window ÷ plain | %.2f | | | | |\n", p[1] / k[1]
  printf "| themed: window ÷ design limit | %.2f | | | | |\n", limit_themed / k[1]
  printf "| window ÷ cp | %.2f | | | | |\n", c[1] / w[1]
  printf "| plain ÷ cp | %.2f | | | | |\n", c[1] / p[1]
  printf "| 52x (7.8 MB/s): window | %.1f s, %s | %.1f s | %.1f s | | |\n", sw[1], mbs(full, sw[1]), sw[2], sw[3]
  printf "| 52x: reading the files alone | %.1f s, %s | %.1f s | %.1f s | | |\n", sr[1], mbs(full, sr[1]), sr[2], sr[3]
  printf "| 52x: overhead of the install | %.2f %% | | | ≤ 3 %% | %s |\n", 100 * (sw[1] - sr[1]) / sr[1], verdict((sw[1] - sr[1]) / sr[1] <= 0.03)
  printf "| 52x, themed (one install) | %.1f s; overhead %.2f %% | | | | |\n", sthemed, 100 * (sthemed - sr[1]) / sr[1]
  printf "| 8x (1.2 MB/s), minimal: window | %.1f s, %s | | | | |\n", ewindow, mbs(minimal, ewindow)
  printf "| 8x: reading the files alone | %.1f s, %s | | | | |\n", eread, mbs(minimal, eread)
  printf "| 8x: overhead of the install | %.2f %% | | | | |\n", 100 * (ewindow - eread) / eread
  printf "| abort, full speed (%d aborts) | %.1f ms | %.1f ms | %.1f ms | ≤ 50 ms, max ≤ 100 ms | %s |\n", bf[2], bf[3], bf[4], bf[5], verdict(bf[3] <= 50 && bf[4] <= 100)
  printf "| abort, 52x (%d aborts) | %.1f ms | %.1f ms | %.1f ms | | |\n", bs[2], bs[3], bs[4], bs[5]
  printf "| answer, full speed (%d messages; p99 %.1f ms) | %.1f ms | %.1f ms | | | |\n", af[2], af[4], af[3], af[5]
  printf "| answer, 52x (%d messages; p99 %.1f ms) | %.1f ms | %.1f ms | | p99 ≤ 100 ms | %s |\n", as[2], as[4], as[3], as[5], verdict(as[4] <= 100)
  printf "| peak working set, small discs (%.1f MB) | %.2f MiB | | | | |\n", small / 1e6, peak_small / 1048576
  printf "| peak working set, realistic discs | %.2f MiB | | | | |\n", peak_real / 1048576
  printf "| growth of the peak working set | %.3f MiB | | | < 1 MiB | %s |\n", (peak_real - peak_small) / 1048576, verdict(peak_real - peak_small < 1048576)
  printf "| peak private bytes, small / realistic | %.2f / %.2f MiB | | | | |\n", priv_small / 1048576, priv_real / 1048576
  printf "| growth of the peak private bytes | %.3f MiB | | | < 1 MiB | %s |\n", (priv_real - priv_small) / 1048576, verdict(priv_real - priv_small < 1048576)
  printf "| start-up to the start page (%d starts) | %.0f ms | %.0f ms | %.0f ms | ≤ 300 ms | %s |\n", st[2], st[3], st[4], st[5], verdict(st[3] <= 300)
  print ""
  printf "Window work the design fixes, timed alone (µs per call, median of 3 runs of copy_bench parts), classic / with the theme: bar message %.2f / %.2f, a bar message that moves the bar %.0f / %.0f, repaint %.1f / %.1f, one message let through %.1f / %.1f.\n", bar, tbar, moving, tmoving, repaint, trepaint, pump, tpump
}' >"$report" || bench_fail "report" "awk failed"

echo
cat "$report"

# The page's section between the markers, replaced whole.
if grep -q '<!-- install-bench figures -->' "$page" && grep -q '<!-- end of install-bench figures -->' "$page"; then
  awk -v report="$report" '
    /<!-- install-bench figures -->/ { print; while ((getline line < report) > 0) print line; skip = 1; next }
    /<!-- end of install-bench figures -->/ { skip = 0 }
    !skip { print }' "$page" >"$page.tmp" && mv "$page.tmp" "$page"
  bench_log "figures written into $page"
else
  bench_log "no install-bench markers in $page: the figures are in $report only"
fi
