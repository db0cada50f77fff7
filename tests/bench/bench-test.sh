#!/usr/bin/env bash
# tests/bench/bench-test.sh: the bench itself. An inner bench, in a build
# folder of its own (its own prefix, display and mounts, so its
# wineserver -k cannot end the outer run's server) and on the path of a
# machine that runs no 32-bit code (forced), must leave nothing behind when
# it ends normally, when it is interrupted and when a step fails; the
# failing step must be named with its cause. Needs the x86_64 build.
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
# the bench as run.sh does.
inner_shell() (
  exec env -u DISPLAY -u WINEPREFIX -u WINELOADER -u WINESERVER -u BENCH_LOADER -u BENCH_PREFIX BENCH_NO_32BIT=1 \
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
  "$inner/bench/mnt/faultdisc1" "$inner/bench/mnt/faultdisc2")
# Discs for the failing-disc mounts to serve.
for n in 1 2; do
  mkdir -p "$inner/bench/discs-small/disc$n"
  echo "hoshikage$n" >"$inner/bench/discs-small/disc$n/.windows-label"
done
prefix=$inner/wineprefix-64

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

xvfb_pid() { sed -n 's/^\[bench\] Xvfb on :[0-9]*, pid \([0-9]*\)$/\1/p' "$1" | tail -n 1; }

expect_nothing_behind() { # CASE LOG
  local left
  left=$(what_runs "$(xvfb_pid "$2")")
  [ -z "$left" ] || fail "$1: left behind: $(echo $left)"
}

# The inner bench comes up, runs a Windows program of the 64-bit build and
# waits for the word "go".
script='bench_start; bench_test_mounts
  echo "loader $BENCH_LOADER"
  HOSHI_RECORD="Z:${BENCH_BUILD//\//\\}\\hoshi-record" bench_wine "$BENCH_BUILD/x86_64/bin/hoshi.exe"
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
  local running expected=7
  # Where FUSE cannot mount, the bench says so and goes on without.
  grep -q 'no failing disc' "$log" && expected=5
  running=$(what_runs "$(xvfb_pid "$log")")
  [ "$(grep -c . <<<"$running")" = $expected ] || fail "$1: not all of the bench was up: $(echo $running)"
}

# 1. The script ends normally.
if bring_up normal; then
  grep -qx 'loader /usr/lib/wine/wine64' "$log" || fail "normal: the 64-bit loader was not chosen"
  [ -s "$inner/hoshi-record" ] || fail "normal: the Windows program did not run"
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

if ((failures)); then
  echo "bench-test: $failures case(s) failed; logs in $inner"
  exit 1
fi
echo "bench-test: passed: normal end, interrupt and failing step leave nothing behind"
