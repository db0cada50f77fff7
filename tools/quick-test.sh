#!/usr/bin/env bash
# quick-test.sh [ARCH] [CTEST ARGS]: builds one architecture (the one the
# bench's own programs use, unless given) and runs its tests on the bench,
# for instance
#   tools/quick-test.sh x86_64 -R FileStream
# A build this machine cannot run gets its checks that need no running.
# BENCH_BUILD chooses another build folder (and with it another prefix).
set -euo pipefail
source "$(dirname "$0")/bench.sh"
bench_describe
arch=$BENCH_HELPER_ARCH
case ${1:-} in i686 | x86_64) arch=$1; shift ;; esac
bench_build "$arch"
[ "$arch" = "$BENCH_HELPER_ARCH" ] || bench_build "$BENCH_HELPER_ARCH" hoshi benchdrive
if ! bench_runs "$arch"; then
  bench_log "$arch: not run here, only its checks that need no running"
  bench_static_checks "$arch"
  exit
fi
bench_discs small
bench_start
bench_test_mounts
bench_ctest "$arch" "$@"
