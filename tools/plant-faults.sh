#!/usr/bin/env bash
# plant-faults.sh [--rev REV] [--arch ARCH] [--only N[,N...]]: plants the
# faults of tools/faults.txt in the program, one at a time, and runs the
# tests of that build against each: a fault that no test catches shows
# where the suite is blind. Half a minute to a minute per fault (42 took 24
# min on 2 busy cores, builds included); not part of ./test.sh.
#
# It works on a scratch copy of the project at REV (default HEAD) under
# build/plant-faults, with a build, prefix, display and mounts of its own,
# so it disturbs no other run. The table and this script are the ones of
# the working copy that runs: one table can be held against older tests.
# ARCH defaults to the build the bench's own programs use here.
# Ctrl-C restores the planted file and ends what the bench started.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
table=$here/tools/faults.txt
work=$here/build/plant-faults
src=$work/src

usage() {
  echo "usage: $0 [--rev REV] [--arch i686|x86_64] [--only N[,N...]]" >&2
  exit 2
}
rev=HEAD arch='' only=''
while (($#)); do
  case $1 in
    --rev) rev=${2:-}; shift 2 || usage ;;
    --arch) arch=${2:-}; shift 2 || usage ;;
    --only) only=${2:-}; shift 2 || usage ;;
    *) usage ;;
  esac
done
[[ $only =~ ^([0-9]+(,[0-9]+)*)?$ ]] || usage
[ -f "$table" ] || { echo "plant-faults: no table at $table" >&2; exit 2; }
sha=$(git -C "$here" rev-parse --verify --quiet "$rev^{commit}") \
  || { echo "plant-faults: no revision $rev in $here" >&2; exit 2; }

mkdir -p "$work/logs"
exec 9>"$work/lock"
flock -n 9 || { echo "plant-faults: another run uses $work" >&2; exit 2; }

# A shared clone reads the checkout's objects and never touches its index
# or working tree; a forced checkout of an existing one changes only the
# files that differ, so the scratch build stays incremental across runs.
[ -d "$src/.git" ] || git clone -q --shared --no-checkout "$here" "$src"
git -C "$src" checkout -q --force --detach "$sha"
git -C "$src" clean -q -fdx

export BENCH_BUILD=$work/build
source "$src/tools/bench.sh"
bench_sort
arch=${arch:-$BENCH_HELPER_ARCH}
case $arch in i686 | x86_64) ;; *) usage ;; esac
bench_runs "$arch" || { echo "plant-faults: $arch builds cannot run on this machine" >&2; exit 2; }
bench_describe
started=$SECONDS
bench_build "$arch"
[ "$arch" = "$BENCH_HELPER_ARCH" ] || bench_build "$BENCH_HELPER_ARCH" hoshi benchdrive
bench_discs small

planted=
# Content back exactly, with a fresh time, so the next build compiles the
# file again rather than keep the faulty object.
restore() {
  [ -n "$planted" ] || return 0
  cat "$work/planted.orig" >"$planted"
  planted=
}
bench_on_stop restore
bench_start
bench_test_mounts

# A planted fault only means something against a suite that passes. A
# test that fails once and passes when run again met a hiccup of the bench
# (Wine now and then fails to start a program, error 1359), not a fault.
bench_log "the whole suite, unplanted ($(git -C "$src" log -1 --format='%h %s'))"
if ! bench_ctest "$arch" >"$work/logs/unplanted.log" 2>&1 \
  && ! bench_ctest "$arch" --rerun-failed >>"$work/logs/unplanted.log" 2>&1; then
  tail -n 25 "$work/logs/unplanted.log" >&2
  echo "plant-faults: the suite fails without a planted fault ($work/logs/unplanted.log); nothing planted" >&2
  exit 1
fi

# plant FILE TEXT REPLACEMENT: keeps the file for restore, then plants;
# 1 when TEXT does not occur exactly once (the file then stays as it was).
plant() {
  cp "$src/$1" "$work/planted.orig" 2>/dev/null || return 1
  planted=$src/$1
  python3 - "$planted" "$2" "$3" <<'EOF' && return 0
import sys
path, text, replacement = sys.argv[1:]
unescape = lambda s: s.replace('\\t', '\t').replace('\\n', '\n').encode()
text, replacement = unescape(text), unescape(replacement)
data = open(path, 'rb').read()
if data.count(text) != 1:
    sys.exit(3)
open(path, 'wb').write(data.replace(text, replacement))
EOF
  planted=
  return 1
}

# The test CTest last named as failed, or what ended it instead.
first_failure() {
  local name
  name=$(sed -n '/The following tests FAILED:/{n;p}' "$1" | tail -n 1 | sed -E 's/^[[:space:]]*[0-9]+ - //; s/ \([^()]*\)$//; s/  # GetParam\(\) = .*//')
  [ -n "$name" ] && echo "$name" || echo "(no test named: $(grep -v '^\s*$' "$1" | tail -n 1 | cut -c1-100))"
}

report=$work/report-$arch.txt
printf 'planted faults at %s, %s build\n' "$(git -C "$src" log -1 --format='%h %s')" "$arch" | tee "$report"
mapfile -t lines <"$table"
n=0 total=0 caught=0 missed=0 unbuilt=0 unapplied=0
for line in "${lines[@]}"; do
  case $line in '' | '#'*) continue ;; esac
  n=$((n + 1))
  [ -z "$only" ] || [[ ,$only, == *,$n,* ]] || continue
  total=$((total + 1))
  tabs=${line//[^$'\t']/}
  file=${line%%$'\t'*} rest=${line#*$'\t'}
  text=${rest%%$'\t'*} rest=${rest#*$'\t'}
  replacement=${rest%%$'\t'*} words=${rest#*$'\t'}
  log=$work/logs/fault-$n.log
  if [ ${#tabs} != 3 ]; then
    result="does not apply (not four fields)" words=$line
    unapplied=$((unapplied + 1))
  elif ! plant "$file" "$text" "$replacement"; then
    result="does not apply"
    unapplied=$((unapplied + 1))
  elif ! (bench_build "$arch") >"$log" 2>&1; then
    result="build failed"
    unbuilt=$((unbuilt + 1))
  else
    # A catch must hold when its test runs again (see the unplanted run);
    # after a hiccup the whole suite runs once more.
    result=MISSED
    for _ in 1 2; do
      (bench_ctest "$arch" --stop-on-failure) >>"$log" 2>&1 && break
      name=$(first_failure "$log")
      if [[ $name == '('* ]] || ! (bench_ctest "$arch" --rerun-failed) >>"$log" 2>&1; then
        result="caught by $name"
        break
      fi
      result="MISSED (after a hiccup: $name failed once, then passed)"
    done
    case $result in caught*) caught=$((caught + 1)) ;; *) missed=$((missed + 1)) ;; esac
  fi
  restore
  printf '%3d  %s: %s\n' "$n" "$result" "$words" | tee -a "$report"
done
took=$((SECONDS - started))
printf 'planted-faults: %d caught, %d missed, %d did not build, %d did not apply, of %d\n' \
  "$caught" "$missed" "$unbuilt" "$unapplied" "$total" | tee -a "$report"
printf 'planted-faults: %d min %d s, the builds and the unplanted run included\n' $((took / 60)) $((took % 60)) | tee -a "$report"
echo "plant-faults: report in $report, each fault's build and test output in $work/logs/" >&2
