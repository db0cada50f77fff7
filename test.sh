#!/usr/bin/env bash
# Installs what is missing, builds both architectures, starts the Wine
# bench and runs every test this machine can run: every test of each build
# whose programs run here, and for a build that cannot run (i686 where no
# 32-bit code runs) the checks that need no running. Ends with a summary
# per architecture.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bench.sh
declare -A took
mark=$SECONDS
took() { took[$1]=$((SECONDS - mark)); mark=$SECONDS; }

bench_packages
took packages
bench_describe
bench_build i686
bench_build x86_64
took build
bench_discs small
bench_start
bench_test_mounts
took bench

status=0
declare -A summary
for arch in i686 x86_64; do
  printf '\n===== %s =====\n' "$arch"
  log=$BENCH_LOGS/ctest-$arch.log
  if bench_runs "$arch"; then
    bench_ctest "$arch" 2>&1 | tee "$log" || status=1
    summary[$arch]=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true)
    [ -n "${summary[$arch]}" ] || summary[$arch]="CTest gave no summary (see $log)"
  elif bench_static_checks "$arch" 2>&1 | tee "$log"; then
    summary[$arch]="built and checked, not run: this machine runs no 32-bit code"
  else
    status=1
    summary[$arch]="built, its checks FAILED, not run: this machine runs no 32-bit code"
  fi
done

took tests

printf '\n===== the bench itself =====\n'
if tests/bench/bench-test.sh; then
  summary[bench]="its own test passed"
else
  status=1
  summary[bench]="its own test FAILED"
fi
took bench-test

printf '\n===== summary =====\n'
printf 'time: packages %d s, build %d s, bench up (prefix, discs, mounts) %d s, tests %d s, bench test %d s\n' \
  "${took[packages]}" "${took[build]}" "${took[bench]}" "${took[tests]}" "${took[bench-test]}"
for arch in bench i686 x86_64; do
  printf '%s: %s\n' "$arch" "${summary[$arch]}"
done
exit $status
