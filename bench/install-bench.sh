#!/usr/bin/env bash
# bench/install-bench.sh [--quick] [ROUNDS]: the whole install as a player
# meets it, on the Wine bench with the realistic discs (17 files, about
# 1.3 GB, on two discs), against what a player could pick instead. Not a
# test.
#
# At full speed (discs and destination in the page cache), ROUNDS rounds
# (default 5) in a rotated order of:
#   window      setup.exe driven from outside, from Yes on the confirmation
#               to the completion message (install_bench.exe install)
#   timed       the same with setup_timed.exe, whose copier times each of
#               its calls (bench/CallClock.h): where the window's time goes
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
# and the copier's per-chunk window work timed alone (copy_bench.exe parts),
# for the design's own limit. Then the same install from the slow disc
# (tools/faultdisc) at a 52x drive's rate against the plain copy and only
# reading its files, SLOW_ROUNDS rounds (default 3), and once with the theme
# on; the minimal install at an 8x rate against the same reading, once;
# ABORTS aborts (default 10) at full speed and at 52x; the window's answers
# during a full-speed and a 52x install; the setup process's memory over
# installs of the small and the realistic discs; STARTS starts (default 10)
# with a warm server.
#
# --quick: the full-speed window, timed, plain, nsis-files and nsis-empty
# rounds and the parts only, printed, the page left alone (a few minutes).
#
# Every Wine process of the bench, and Xvfb, runs on one CPU, BENCH_CPUS
# (default 0; "all" leaves them to the scheduler): on a virtual machine
# whose idle CPUs halt, a request to the Wine server from the other CPU
# waits for it to wake, and the window makes tens of thousands of them
# (docs/benchmark.md). The slow disc keeps every CPU.
#
# Prints every figure; the full run writes them with their goals between
# the install-bench markers of docs/benchmark.md. BENCH_BUILD picks the
# build folder, BENCH_ARCH the build (i686, or x86_64 where this machine runs
# no 32-bit code); BENCH_NO_32BIT=1 takes the 64-bit-only path anywhere. The
# NSIS installers are made again only when their input changes.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/bench.sh"

quick=0
if [ "${1:-}" = --quick ]; then
  quick=1
  shift
fi
rounds=${1:-5}
cpus=${BENCH_CPUS:-0}
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

bench_build "$arch" install_bench copy_bench setup setup_timed hoshi benchdrive
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
# Made again only when the script, makensis or a file it holds changed.
for n in nsis-files nsis-copy nsis-empty; do
  stamp=$( (echo "$nsis_version"; cat "$nsis_dir/$n.nsi"; stat -c '%n %s %Y' "${sources[@]}") | md5sum)
  if [ -f "$nsis_dir/$n.exe" ] && [ "$(cat "$nsis_dir/$n.stamp" 2>/dev/null)" = "$stamp" ]; then
    continue
  fi
  bench_log "building $n.exe with makensis $nsis_version ($nsis_target)"
  rm -f "$nsis_dir/$n.exe" "$nsis_dir/$n.stamp"
  bench_step "makensis $n" makensis -V2 "$nsis_dir/$n.nsi"
  echo "$stamp" >"$nsis_dir/$n.stamp"
done

all_cpus=0-$(($(nproc --all) - 1))
if [ "$cpus" != all ]; then
  bench_step "taskset: the bench on CPU $cpus" taskset -p -c "$cpus" $$
fi

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
clocks=()
# run_method METHOD: one copy; sets took to the seconds it took.
run_method() {
  local line t0 t1 clock
  fresh_destination
  case $1 in
    window)
      line=$(measure window install "$base" full) || exit 1
      set -- $line
      memory_peak[realistic]+="$3 "
      memory_private[realistic]+="$4 "
      took=$2
      ;;
    timed)
      # The clock's file gets the driver's readings of Yes and of the
      # completion message after the timed build's own.
      clock=$dir/clock-$((${#clocks[@]} + 1)).txt
      rm -f "$clock"
      line=$(SETUP_PROGRAM=$(winpath "$bin/setup_timed.exe") SETUP_CALL_CLOCK=$(winpath "$clock") \
        measure timed install "$base" full) || exit 1
      set -- $line
      [ -s "$clock" ] || bench_fail timed "setup_timed.exe wrote no $clock"
      printf 'driver %s %s\n' "$6" "$7" >>"$clock"
      clocks+=("$clock")
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

# The copier's window work, each piece timed alone on the visible page:
# 3 runs, with the theme as it is set; one line of figures each.
time_parts() {
  local r line
  for r in 1 2 3; do
    line=$(bench_wine "$bin/copy_bench.exe" parts "$(winpath "$discs/disc1/base.pak")" 2000 2>&1 | tr -d '\r')
    case $line in parts\ *) echo "${line#parts }" ;; *) bench_fail "copy_bench parts" "it printed \"$line\"" ;; esac
  done
}

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
lowest() { tr ' ' '\n' | grep . | sort -g | head -1; }
highest() { tr ' ' '\n' | grep . | sort -g | tail -1; }

# --- Full speed ----------------------------------------------------------
discs_in "$discs/disc1" "$discs/disc2"
bench_log "warming the page cache and the bench; each method once, checked"
cat "${sources[@]}" "$nsis_dir/nsis-files.exe" >/dev/null
if ((quick)); then
  methods=(window timed plain nsis-files nsis-empty)
else
  methods=(window timed plain cp nsis-files nsis-copy nsis-empty themed)
fi
for m in "${methods[@]}"; do
  run_method "$m"
  check_destination "$m" "$(bytes_of "$m")" content
  bench_log "warm-up: $m $took s"
done
clocks=()
for r in $(seq 1 "$rounds"); do
  k=$((r % ${#methods[@]}))
  for m in "${methods[@]:k}" "${methods[@]:0:k}"; do
    run_method "$m"
    check_destination "$m" "$(bytes_of "$m")"
    times[$m]+="$took "
    bench_log "round $r: $m $took s"
  done
done

bench_log "the copier's window work per chunk, timed alone"
mapfile -t parts_runs < <(time_parts)
((${#parts_runs[@]} == 3)) || bench_fail "copy_bench parts" "see above"
part_median() { printf '%s\n' "${parts_runs[@]}" | awk -v i="$1" '{ print $i }' | median; }
themed_median() { printf '%s\n' "${themed_runs[@]}" | awk -v i="$1" '{ print $i }' | median; }
row() { # row NAME: median max min of the rounds
  printf '%s %s %s' "$(median <<<"${times[$1]}")" "$(highest <<<"${times[$1]}")" "$(lowest <<<"${times[$1]}")"
}
# design_limit PLAIN [themed]: the plain copy plus the window work the
# design fixes, each piece timed alone: the bar message, the repaint, the
# one message let through and the Tell on every chunk, and 100 moves of the
# file bar in each file, each with the repaint that draws it.
design_limit() {
  local of=part_median
  [ "${2:-}" = themed ] && of=themed_median
  awk -v p="$1" -v bar="$($of 2)" -v repaint="$($of 4)" -v pump="$($of 5)" -v tell="$($of 6)" -v pair="$($of 7)" \
    -v chunks="$full_chunks" -v moves=$((100 * 17)) \
    'BEGIN { printf "%.6f\n", p + ((bar + repaint + pump + tell) * chunks + (pair - bar - repaint) * moves) / 1e6 }'
}

# account: where the window's time goes. Each term of the design's limit
# (the plain copy, and each piece of window work timed alone times its
# count) beside what the timed build measured of it in the install (the
# median over its rounds), and what lies outside the copying.
account() {
  local clock
  for clock in "${clocks[@]}"; do
    awk '
      $1 == "piece" { calls[$2] = $3; secs[$2] = $4 }
      $1 == "dispatch" { found[$2] += $3 }
      $1 == "first-read" { first = $2 }
      $1 == "last-write" { last = $2 }
      $1 == "messagebox" && $3 == "notice" { notice = $2 }
      $1 == "driver" { yes = $2; seen = $3 }
      END {
        bar = secs["bar-kept"] + secs["bar-moved"]
        repaint = secs["repaint-quiet"] + secs["repaint-after-move"]
        pump = secs["peek-empty"] + secs["peek-found"] + secs["pump-get"] + secs["pump-translate"] + secs["pump-dispatch"]
        tell = secs["tell"]
        copy = last - first - bar - repaint - pump - tell
        msgs = ""
        for (m in found) msgs = msgs (msgs == "" ? "" : ",") m "×" found[m]
        printf "%.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f %d %d %d %s\n", copy, bar, repaint, pump, tell, first - yes,
          notice - last, seen - notice, seen - yes, calls["bar-moved"], calls["peek-found"], calls["bar-kept"] + calls["bar-moved"],
          msgs == "" ? "-" : msgs
        printf "calls %d %.3f %d %.3f %d %.3f %d %.3f %d %.3f\n", calls["bar-kept"], 1e6 * secs["bar-kept"] / calls["bar-kept"],
          calls["bar-moved"], 1e6 * secs["bar-moved"] / calls["bar-moved"], calls["repaint-quiet"],
          1e6 * secs["repaint-quiet"] / calls["repaint-quiet"], calls["repaint-after-move"],
          1e6 * secs["repaint-after-move"] / calls["repaint-after-move"], calls["peek-empty"],
          1e6 * secs["peek-empty"] / calls["peek-empty"]
      }' "$clock"
  done >"$dir/account.txt"
  local i col=() per=()
  for i in $(seq 1 12); do col+=("$(grep -v '^calls' "$dir/account.txt" | awk -v i="$i" '{ print $i }' | median)"); done
  for i in $(seq 2 11); do per+=("$(grep '^calls' "$dir/account.txt" | awk -v i="$i" '{ print $i }' | median)"); done
  awk -v window="$(median <<<"${times[window]}")" -v timed="$(median <<<"${times[timed]}")" \
    -v plain="$(median <<<"${times[plain]}")" -v chunks="$full_chunks" -v files=17 -v rounds="${#clocks[@]}" \
    -v bar="$(part_median 2)" -v moving="$(part_median 3)" -v repaint="$(part_median 4)" -v pump="$(part_median 5)" \
    -v tell="$(part_median 6)" -v pair="$(part_median 7)" -v got="${col[*]}" -v per="${per[*]}" \
    -v found="$(grep -v '^calls' "$dir/account.txt" | awk '{ print $13 }' | sort | uniq -c | awk '{ printf "%s%s in %d installs", (NR > 1 ? "; " : ""), $2, $1 }')" '
    function line(name, limit, install) {
      printf "| %s | %.3f s | %.3f s | %+.3f s |\n", name, limit, install, install - limit
      accounted += install - limit
    }
    BEGIN {
      split(got, g); split(per, c)
      moves = 100 * files
      lcopy = plain; lbar = (chunks * bar + moves * (moving - bar)) / 1e6
      lrepaint = (chunks * repaint + moves * (pair - moving - repaint)) / 1e6
      lpump = chunks * pump / 1e6; ltell = chunks * tell / 1e6
      limit = lcopy + lbar + lrepaint + lpump + ltell
      printf "Where the window'"'"'s time goes: each term of the design'"'"'s limit beside the same work measured in the install by setup_timed.exe (medians of %d installs).\n\n", rounds
      print "| Term | in the limit | in the install | difference |"
      print "|---|---|---|---|"
      line("the copy: reads, writes, buffers; in the install also opening the files, their lines and the disc switch", lcopy, g[1])
      line(sprintf("bar messages (%d; %d move the bar, %d in the limit)", g[12], g[10], moves), lbar, g[2])
      line(sprintf("repaint, one per chunk (%d chunks), drawing the bar after a move", chunks), lrepaint, g[3])
      line(sprintf("one message let through (%d found one)", g[11]), lpump, g[4])
      line("the source'"'"'s position for the bar (Tell)", ltell, g[5])
      line("from Yes to the first read", 0, g[6])
      line("from the last write to the completion message", 0, g[7])
      line("the message until the driver finds it", 0, g[8])
      printf "| total: design limit / timed build | %.3f s | %.3f s | %+.3f s |\n", limit, g[9], g[9] - limit
      printf "| the timed build'"'"'s own calls (window %.3f s) | | | %+.3f s |\n", window, window - timed
      accounted += window - timed
      printf "| **window − design limit** | | | **%+.3f s** |\n", window - limit
      printf "| accounted for by the rows above | | | %+.3f s, off by %.1f %% of the window |\n", accounted, 100 * (accounted - (window - limit)) / window
      print ""
      printf "Per call, µs (alone / in the install): bar message keeping the bar %.2f / %.2f, moving it %.1f / %.1f; repaint %.2f / %.2f, after a move %.1f / %.1f; message let through, nothing waiting %.2f / %.2f; Tell %.2f. Messages the pump found: %s.\n", bar, c[2], moving, c[4], repaint, c[6], pair - moving, c[8], pump, c[10], tell, found
    }'
}

if ((quick)); then
  load_after=$(cut -d' ' -f1-3 /proc/loadavg)
  echo
  printf 'Quick run: %s rounds, Wine bench on CPU %s, load average %s before and %s after.\n\n' "$rounds" "$cpus" "$load_before" "$load_after"
  awk -v full="$full_bytes" -v window="$(row window)" -v timed="$(row timed)" -v plain="$(row plain)" \
    -v nfiles="$(row nsis-files)" -v nempty="$(row nsis-empty)" \
    -v limit="$(design_limit "$(median <<<"${times[plain]}")")" '
    BEGIN {
      split(window, w); split(timed, t); split(plain, p); split(nfiles, nf); split(nempty, ne)
      print "| Figure | median | max | min |"
      print "|---|---|---|---|"
      printf "| window | %.3f s, %.0f MB/s | %.3f s | %.3f s |\n", w[1], full / w[1] / 1e6, w[2], w[3]
      printf "| timed build | %.3f s | %.3f s | %.3f s |\n", t[1], t[2], t[3]
      printf "| plain chunked copy | %.3f s, %.0f MB/s | %.3f s | %.3f s |\n", p[1], full / p[1] / 1e6, p[2], p[3]
      printf "| NSIS, files inside, less its empty run | %.3f s, %.0f MB/s | %.3f s | %.3f s |\n", nf[1] - ne[1], full / (nf[1] - ne[1]) / 1e6, nf[2] - ne[1], nf[3] - ne[1]
      printf "| design limit | %.3f s, %.0f MB/s | | |\n", limit, full / limit / 1e6
      printf "| design limit ÷ window | %.2f (goal ≥ 0.9) | | |\n", limit / w[1]
      printf "| window ÷ NSIS files inside (throughput) | %.2f | | |\n", (nf[1] - ne[1]) / w[1]
    }'
  echo
  account
  exit 0
fi

bench_log "the window's answers during a full-speed install"
fresh_destination
answer_full=$(measure "answers at full speed" install "$base" full answer) || exit 1
bench_log "$aborts aborts at full speed"
fresh_destination
abort_full=$(measure "aborts at full speed" abort "$base" "$aborts") || exit 1
bench_log "$starts starts"
start_line=$(measure "starts" start "$starts") || exit 1

bench_log "the copier's window work per chunk, timed alone with the theme"
theme 1
mapfile -t themed_runs < <(time_parts)
((${#themed_runs[@]} == 3)) || bench_fail "copy_bench parts, themed" "see above"
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
# The drive is not the bench's CPU: its file system may use them all.
if [ "$cpus" != all ]; then
  for pid in "${FAULTDISC_PIDS[@]}"; do
    bench_step "taskset: the slow disc on every CPU" taskset -a -p -c "$all_cpus" "$pid"
  done
fi
rate() { # rate BYTES_PER_SECOND
  faultdisc_control "$slow/slow1.control" "rate $1"
  faultdisc_control "$slow/slow2.control" "rate $1"
}
discs_in "$slow/slow1" "$slow/slow2"
rate 7800000
slow_methods=(window plain read)
for r in $(seq 1 "$slow_rounds"); do
  k=$((r % ${#slow_methods[@]}))
  for m in "${slow_methods[@]:k}" "${slow_methods[@]:0:k}"; do
    fresh_destination
    case $m in
      window) line=$(measure "52x install" install "$base" full) || exit 1 ;;
      plain)
        mkdir -p "$dest/hoshikage"
        line=$(measure "52x plain" plain 'D:\' 'E:\' "$folder" full) || exit 1
        ;;
      read) line=$(measure "52x read" read 'D:\' 'E:\' full) || exit 1 ;;
    esac
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
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')
wine_version=$("$BENCH_LOADER" --version)
debian=$(cat /etc/debian_version)
gcc_version=$("${arch}-w64-mingw32-g++-posix" -dumpversion 2>/dev/null || echo unknown)
today=$(date -u +%Y-%m-%d)

report=$dir/report.md
awk -v rounds="$rounds" -v slow_rounds="$slow_rounds" -v full="$full_bytes" -v minimal="$minimal_bytes" \
  -v small="$small_bytes" -v chunks="$full_chunks" -v cpus="$cpus" \
  -v window="$(row window)" -v plain="$(row plain)" -v cp="$(row cp)" \
  -v nfiles="$(row nsis-files)" -v ncopy="$(row nsis-copy)" -v nempty="$(row nsis-empty)" \
  -v swindow="$(row 52x-window)" -v splain="$(row 52x-plain)" -v sread="$(row 52x-read)" \
  -v ewindow="${times[8x-window]}" -v eread="${times[8x-read]}" \
  -v answer_full="$answer_full" -v answer_slow="$answer_slow" \
  -v abort_full="$abort_full" -v abort_slow="$abort_slow" -v start="$start_line" \
  -v peak_small="$(highest <<<"${memory_peak[small]}")" -v peak_real="$(highest <<<"${memory_peak[realistic]}")" \
  -v priv_small="$(highest <<<"${memory_private[small]}")" -v priv_real="$(highest <<<"${memory_private[realistic]}")" \
  -v limit="$(design_limit "$(median <<<"${times[plain]}")")" \
  -v limit_themed="$(design_limit "$(median <<<"${times[plain]}")" themed)" \
  -v bar="$(part_median 2)" -v moving="$(part_median 3)" -v repaint="$(part_median 4)" -v pump="$(part_median 5)" \
  -v pair="$(part_median 7)" -v tbar="$(themed_median 2)" -v tmoving="$(themed_median 3)" \
  -v trepaint="$(themed_median 4)" -v tpump="$(themed_median 5)" -v tpair="$(themed_median 7)" \
  -v themed="$(row themed)" -v sthemed="${times[52x-themed]}" \
  -v date="$today" -v cpu="$cpu" -v cores="$(nproc --all)" -v mem="$(free -g | awk '/^Mem:/ { print $2 }')" \
  -v wine="$wine_version" -v debian="$debian" -v gcc="$gcc_version" -v arch="$arch" -v nsis="$nsis_version" \
  -v target="$nsis_target" -v load1="$load_before" -v load2="$load_after" -v aborts="$aborts" -v starts="$starts" '
function mbs(bytes, s) { return s <= 0 ? "-" : bytes / s / 1e6 < 100 ? sprintf("%.2f MB/s", bytes / s / 1e6) : sprintf("%.0f MB/s", bytes / s / 1e6) }
function verdict(ok) { return ok ? "met" : "**missed**" }
BEGIN {
  split(window, w); split(plain, p); split(cp, c); split(nfiles, nf); split(ncopy, nc); split(nempty, ne)
  split(swindow, sw); split(splain, sp); split(sread, sr); split(answer_full, af); split(answer_slow, as)
  split(abort_full, bf); split(abort_slow, bs); split(start, st); split(themed, k)
  # The NSIS installers less their own start and exit.
  nf1 = nf[1] - ne[1]; nf2 = nf[2] - ne[1]; nf3 = nf[3] - ne[1]
  nc1 = nc[1] - ne[1]; nc2 = nc[2] - ne[1]; nc3 = nc[3] - ne[1]
  print "Date " date " (UTC). " cores " cores, " cpu ", " mem " GiB of memory, Debian " debian ", " wine ", mingw-w64 GCC " gcc ", " arch " build of setup.exe. NSIS " nsis " (`Target " target "`). The Wine bench and Xvfb on CPU " cpus " (`BENCH_CPUS`). Load average " load1 " before the run and " load2 " after it (1, 5 and 15 minutes)."
  print ""
  printf "Realistic discs: 17 files, %d bytes (%.1f MB), %d chunks of 100000 bytes; minimal install %d bytes. MB = 10^6 bytes. Full speed: %d rounds, 52x: %d rounds, 8x: 1 round.\n", full, full / 1e6, chunks, minimal, rounds, slow_rounds
  print ""
  print "| Figure | median | max | min | goal | |"
  print "|---|---|---|---|---|---|"
  printf "| window: setup.exe, Yes to completion | %.2f s, %s | %.2f s | %.2f s | | |\n", w[1], mbs(full, w[1]), w[2], w[3]
  printf "| design limit: plain + the fixed window work | %.2f s, %s | | | | |\n", limit, mbs(full, limit)
  printf "| design limit ÷ window (throughput) | %.2f | | | ≥ 0.9 | %s |\n", limit / w[1], verdict(limit / w[1] >= 0.9)
  printf "| plain chunked copy, no window | %.2f s, %s | %.2f s | %.2f s | | |\n", p[1], mbs(full, p[1]), p[2], p[3]
  printf "| Linux cp | %.2f s, %s | %.2f s | %.2f s | | |\n", c[1], mbs(full, c[1]), c[2], c[3]
  printf "| NSIS, files inside, less its empty run | %.2f s, %s | %.2f s | %.2f s | | |\n", nf1, mbs(full, nf1), nf2, nf3
  printf "| NSIS, CopyFiles from the discs, less its empty run | %.2f s, %s | %.2f s | %.2f s | | |\n", nc1, mbs(full, nc1), nc2, nc3
  printf "| NSIS, empty section (start and exit) | %.3f s | %.3f s | %.3f s | | |\n", ne[1], ne[2], ne[3]
  printf "| window, themed (the light theme of Wine) | %.2f s, %s | %.2f s | %.2f s | | |\n", k[1], mbs(full, k[1]), k[2], k[3]
  printf "| design limit, themed | %.2f s, %s | | | | |\n", limit_themed, mbs(full, limit_themed)
  printf "| window ÷ NSIS files inside (throughput) | %.2f | | | | |\n", nf1 / w[1]
  printf "| window ÷ NSIS CopyFiles | %.2f | | | | |\n", nc1 / w[1]
  printf "| window ÷ plain | %.2f | | | | |\n", p[1] / w[1]
  printf "| themed: design limit ÷ window | %.2f | | | | |\n", limit_themed / k[1]
  printf "| window ÷ cp | %.2f | | | | |\n", c[1] / w[1]
  printf "| plain ÷ cp | %.2f | | | | |\n", c[1] / p[1]
  printf "| 52x (7.8 MB/s): window | %.1f s, %s | %.1f s | %.1f s | | |\n", sw[1], mbs(full, sw[1]), sw[2], sw[3]
  printf "| 52x: plain chunked copy | %.1f s, %s | %.1f s | %.1f s | | |\n", sp[1], mbs(full, sp[1]), sp[2], sp[3]
  printf "| 52x: reading the files alone | %.1f s, %s | %.1f s | %.1f s | | |\n", sr[1], mbs(full, sr[1]), sr[2], sr[3]
  printf "| 52x: window over the plain copy | %.2f %% | | | ≤ 1 %% | %s |\n", 100 * (sw[1] - sp[1]) / sp[1], verdict((sw[1] - sp[1]) / sp[1] <= 0.01)
  printf "| 52x: plain copy over reading alone (the writes) | %.2f %% | | | | |\n", 100 * (sp[1] - sr[1]) / sr[1]
  printf "| 52x, themed (one install): over the plain copy | %.1f s; %.2f %% | | | | |\n", sthemed, 100 * (sthemed - sp[1]) / sp[1]
  printf "| 8x (1.2 MB/s), minimal: window | %.1f s, %s | | | | |\n", ewindow, mbs(minimal, ewindow)
  printf "| 8x: reading the files alone | %.1f s, %s | | | | |\n", eread, mbs(minimal, eread)
  printf "| 8x: window over reading alone | %.2f %% | | | | |\n", 100 * (ewindow - eread) / eread
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
  printf "Window work the design fixes, timed alone (µs per call, median of 3 runs of copy_bench parts), classic / with the theme: bar message %.2f / %.2f, a bar message that moves the bar %.0f / %.0f, and with the repaint that draws it %.0f / %.0f, repaint %.1f / %.1f, one message let through %.1f / %.1f.\n", bar, tbar, moving, tmoving, pair, tpair, repaint, trepaint, pump, tpump
  print ""
}' >"$report" || bench_fail "report" "awk failed"
account >>"$report"

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
