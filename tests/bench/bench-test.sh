#!/usr/bin/env bash
# tests/bench/bench-test.sh: the bench itself. An inner bench, in a build
# folder of its own (its own prefix, display and mounts, so its
# wineserver -k cannot end the outer run's server) and on the path of a
# machine that runs no 32-bit code (forced), must leave nothing behind when
# it ends normally, when it is interrupted and when a step fails; the
# failing step must be named with its cause. Wine must see the discs'
# labels as a player's Windows would, run.sh must refuse a wrong disc
# before it starts anything, and the discs must master and sign
# reproducibly and check against a rebuild (master-test.sh). Needs the
# x86_64 build.
set -uo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
outer=${BENCH_BUILD:-$project/build}
inner=$outer/bench-test
mkdir -p "$inner"
ln -sfn "$outer/x86_64" "$inner/x86_64"
[ -x "$inner/x86_64/bin/hoshi.exe" ] || { echo "bench-test: build x86_64 first"; exit 1; }

failures=0
fail() {
  echo "bench-test: FAILED: $*"
  failures=$((failures + 1))
}

# inner_shell [VAR=VALUE...]: runs $script in a fresh shell that sources
# the bench as run.sh does. It takes Ctrl-C as from a terminal even where
# this test runs in the background of a script (nohup ... &), whose
# children start with SIGINT ignored and could not be interrupted.
inner_shell() (
  exec env --default-signal=INT -u DISPLAY -u WINEPREFIX -u WINELOADER -u WINESERVER -u BENCH_LOADER -u BENCH_PREFIX BENCH_NO_32BIT=1 \
    BENCH_BUILD="$inner" "$@" bash -c "set -euo pipefail; source '$project/tools/bench.sh'; $script"
)

# The prefix's server is the process that works in the server folder Wine
# names after the prefix's device and inode.
server_running() {
  local prefix=$1 id p
  [ -d "$prefix" ] || return 1
  id=server-$(stat -c %D "$prefix")-$(printf '%x' "$(stat -c %i "$prefix")")
  for p in /proc/[0-9]*; do
    case $(readlink "$p/cwd" 2>/dev/null) in */"$id") return 0 ;; esac
  done
  return 1
}

mounts=("$inner/bench/mnt/small" "$inner/bench/mnt/space" "$inner/bench/mnt/readonly"
  "$inner/bench/mnt/faultdisc1" "$inner/bench/mnt/faultdisc2" "$inner/bench/mnt/iso1" "$inner/bench/mnt/iso2"
  "$inner/bench/mnt/disc1" "$inner/bench/mnt/disc2")
prefix=$inner/wineprefix-64
# The sample discs, trees and images, as the bench makes them.
script='bench_discs small'
inner_shell >"$inner/discs.log" 2>&1 || { echo "bench-test: cannot make the discs (see $inner/discs.log)"; exit 1; }
discs=$inner/bench/discs-small

# what_runs XVFB_PID: the inner bench's pieces that are there now.
what_runs() {
  local m
  [ -n "$1" ] && kill -0 "$1" 2>/dev/null && echo "Xvfb (pid $1)"
  server_running "$prefix" && echo "the wineserver of $prefix"
  for m in "${mounts[@]}"; do
    mountpoint -q "$m" && echo "the mount $m"
  done
  return 0
}

# The FUSE processes serving the inner bench's discs.
fuse_processes() {
  local p
  for p in /proc/[0-9]*; do
    case $({ tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null) in
      *fuseiso*"$inner/bench/"* | *faultdisc.py*"$inner/bench/"*) echo "the FUSE process ${p#/proc/}" ;;
    esac
  done
}

xvfb_pid() { sed -n 's/^\[bench\] Xvfb on :[0-9]*, pid \([0-9]*\)$/\1/p' "$1" | tail -n 1; }

expect_nothing_behind() { # CASE LOG
  local left
  left=$(what_runs "$(xvfb_pid "$2")"; fuse_processes)
  [ -z "$left" ] || fail "$1: left behind: $(echo $left)"
}

# The inner bench comes up, runs a Windows program of the 64-bit build,
# puts the sample discs into D: and E: and reads their labels as the
# program would, and waits for the word "go".
script='bench_start; bench_test_mounts
  echo "loader $BENCH_LOADER"
  HOSHI_RECORD="Z:${BENCH_BUILD//\//\\}\\hoshi-record" bench_wine "$BENCH_BUILD/x86_64/bin/hoshi.exe"
  drive=$BENCH_BUILD/x86_64/bin/benchdrive.exe
  bench_wine "$drive" cdrom d "$BENCH_DISC1" hoshikage1
  bench_wine "$drive" cdrom e "$BENCH_DISC2" hoshikage2
  # Into a file: a pipe could be held open by a Wine service it starts.
  bench_wine "$drive" label d >"$BENCH_BUILD/label-d"
  bench_wine "$drive" label e >"$BENCH_BUILD/label-e"
  echo "disc 1 at $BENCH_DISC1, labelled $(tr -d "\r" <"$BENCH_BUILD/label-d")"
  echo "disc 2 at $BENCH_DISC2, labelled $(tr -d "\r" <"$BENCH_BUILD/label-e")"
  touch "$BENCH_BUILD/up"
  until [ -e "$BENCH_BUILD/go" ]; do sleep 0.2; done'

# bring_up CASE: starts the inner bench in the background (pid in $shell)
# and waits until it is up, with everything running.
bring_up() {
  log=$inner/$1.log
  rm -f "$inner/up" "$inner/go" "$inner/hoshi-record"
  # A process group of its own, as a terminal gives a command, so that it
  # takes an interrupt as from Ctrl-C (without job control a background
  # shell ignores it).
  set -m
  inner_shell >"$log" 2>&1 &
  shell=$!
  set +m
  for _ in $(seq 1 900); do
    [ -e "$inner/up" ] && break
    kill -0 "$shell" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -e "$inner/up" ]; then
    fail "$1: the inner bench did not come up (see $log)"
    return 1
  fi
  local running expected=11
  # Where FUSE or the overlay cannot mount, the bench says so and goes on
  # without: the failing discs are skipped, the disc trees serve in place of
  # the images and their labelled overlays.
  expected=$((expected - $(grep -c 'no failing disc' "$log")))
  grep -q 'discs 1 and 2 are served from their trees' "$log" && expected=$((expected - 4))
  grep -q 'is served from its tree' "$log" && expected=$((expected - 2))
  running=$(what_runs "$(xvfb_pid "$log")")
  [ "$(grep -c . <<<"$running")" = $expected ] || fail "$1: not all of the bench was up: $(echo $running)"
}

# 1. The script ends normally.
if bring_up normal; then
  grep -qx 'loader /usr/lib/wine/wine64' "$log" || fail "normal: the 64-bit loader was not chosen"
  [ -s "$inner/hoshi-record" ] || fail "normal: the Windows program did not run"
  # The drives show the labels of the images' volume descriptors, in
  # capitals as a player's Windows shows them: a publisher's image carries
  # no label file.
  for n in 1 2; do
    served=$inner/bench/mnt/disc$n
    [ -e "$inner/bench/mnt/iso$n/.windows-label" ] && fail "normal: the image of disc $n carries a .windows-label"
    grep -q "is served from its tree\|served from their trees" "$log" && served=$discs/disc$n
    grep -qx "disc $n at $served, labelled HOSHIKAGE$n" "$log" \
      || fail "normal: disc $n not from $served with the label HOSHIKAGE$n: $(grep "^disc $n at" "$log")"
    [ "$(cat "$discs/disc$n/.windows-label")" = "HOSHIKAGE$n" ] \
      || fail "normal: the tree of disc $n holds another label than its image: $(cat "$discs/disc$n/.windows-label")"
  done
  touch "$inner/go"
fi
wait "$shell" || fail "normal: the inner bench ended with $? (see $log)"
expect_nothing_behind normal "$log"

# 2. Interrupted, as by Ctrl-C.
if bring_up interrupt; then
  kill -INT -- "-$shell"
else
  kill "$shell" 2>/dev/null
fi
wait "$shell" && fail "interrupt: the script ended with 0"
expect_nothing_behind interrupt "$log"

# 3. A step that fails once the whole bench is up. It says "up" itself, so
# that bring_up counts what runs while the step runs.
script='bench_start; bench_test_mounts
  fail_when_told() {
    touch "$BENCH_BUILD/up"
    until [ -e "$BENCH_BUILD/go" ]; do sleep 0.2; done
    echo "told to fail"
    return 3
  }
  bench_step "a step after bring-up" fail_when_told
  echo "not reached"'
if bring_up failing; then
  touch "$inner/go"
else
  kill "$shell" 2>/dev/null
fi
wait "$shell" && fail "failing: the script ended with 0"
[ "$(grep '^\[bench\] FAILED' "$log")" = '[bench] FAILED at step "a step after bring-up": fail_when_told exited with 3: told to fail' ] \
  || fail "failing: not one line naming the step and its cause: $(grep FAILED "$log")"
grep -q 'not reached' "$log" && fail "failing: the script went on"
expect_nothing_behind failing "$log"

# 4. A player's image that carries no .windows-label: the drive shows the
# label of its volume descriptor, in its own case.
player=$inner/player
rm -rf "$player"
mkdir -p "$player/tree" "$player/empty"
echo "a file of the player's disc" >"$player/tree/base.pak"
xorriso -as mkisofs -quiet -V HoshiKage1 -J -R -o "$player/unlabelled.iso" "$player/tree" 2>/dev/null \
  || fail "player: xorriso cannot make an image"
script='bench_start
  bench_serve_disc 1 "$BENCH_BUILD/player/unlabelled.iso"
  drive=$BENCH_BUILD/x86_64/bin/benchdrive.exe
  bench_wine "$drive" cdrom d "$BENCH_DISC1" hoshikage1
  bench_wine "$drive" label d >"$BENCH_BUILD/label-d"
  echo "labelled $(tr -d "\r" <"$BENCH_BUILD/label-d")"
  ls -A "$BENCH_DISC1"'
log=$inner/player.log
inner_shell >"$log" 2>&1 || fail "player: the inner bench ended with $? (see $log)"
grep -qx 'labelled HoshiKage1' "$log" || fail "player: not the descriptor's label HoshiKage1: $(grep '^labelled' "$log")"
grep -qx 'base.pak' "$log" || fail "player: the image's files are not on the disc (see $log)"
expect_nothing_behind player "$log"

# 5. run.sh refuses a wrong disc in one line naming it, with status 2,
# before it starts anything.
printf 'no disc\n' >"$player/short.iso"
refused() { # CASE FOLDER EXPECTED-LINE ARGUMENT...
  local name=$1 folder=$2 expected=$3 out=$inner/run-refused.log rc
  shift 3
  (cd "$folder" && exec env -u DISPLAY -u WINEPREFIX -u WINELOADER -u WINESERVER -u BENCH_LOADER -u BENCH_PREFIX \
    BENCH_NO_32BIT=1 BENCH_BUILD="$inner" timeout -k 5 300 "$project/run.sh" "$@") >"$out" 2>&1 </dev/null
  rc=$?
  [ "$rc" = 2 ] || fail "run.sh, $name: exit status $rc, not 2 (see $out)"
  [ "$(cat "$out")" = "$expected" ] || fail "run.sh, $name: not the one line \"$expected\": $(head -n 3 "$out" | paste -sd '|')"
  expect_nothing_behind "run.sh, $name" "$out"
}
refused "a missing image" / "run.sh: $player/none.iso: no such file" "$player/none.iso" "$discs/disc2.iso"
refused "a file that is no image" / "run.sh: $discs/disc1/base.pak: not an ISO 9660 image" \
  "$discs/disc1/base.pak" "$discs/disc2.iso"
refused "a file shorter than a descriptor's offset" / "run.sh: $player/short.iso: not an ISO 9660 image" \
  "$player/short.iso" "$discs/disc2.iso"
refused "the other disc's image" / "run.sh: $discs/disc2.iso: label HOSHIKAGE2, expected hoshikage1" \
  "$discs/disc2.iso" "$discs/disc2.iso"
# Disc 1, an image labelled in other case, passes; disc 2 is named.
refused "the other disc's folder" / "run.sh: $discs/disc1: label HOSHIKAGE1, expected hoshikage2" \
  "$player/unlabelled.iso" "$discs/disc1"
refused "a folder without its label" / "run.sh: $player/empty: a folder without .windows-label" \
  "$discs/disc1.iso" "$player/empty"
refused "a path relative to the caller's folder" "$discs" "run.sh: disc2.iso: label HOSHIKAGE2, expected hoshikage1" \
  disc2.iso disc1.iso
refused "one disc only" / \
  "run.sh: give both install discs (DISC1 DISC2, each an ISO image or a folder), or none for the sample discs" \
  "$discs/disc1.iso"

# 6. Mastering the discs from the game's files: its refusals, and the same
# bytes from two masterings, two signings and two builds of setup.exe;
# checking a release against a rebuild.
"$project/tests/bench/master-test.sh" "$discs/game" "$outer" "$inner/master" || fail "mastering the discs"

if ((failures)); then
  echo "bench-test: $failures case(s) failed; logs in $inner"
  exit 1
fi
echo "bench-test: passed: normal end, interrupt and failing step leave nothing behind; the discs' labels; run.sh's refusals; mastering, signing and checking a release"
