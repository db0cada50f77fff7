#!/usr/bin/env bash
# quick-test.sh [ARCH] [CTEST ARGS]: builds one architecture (i686 unless
# given) and runs its tests on the bench, for instance
#   tools/quick-test.sh x86_64 -R FileStream
# BENCH_BUILD chooses another build folder (and with it another prefix).
set -uo pipefail
source "$(dirname "$0")/bench.sh"
arch=i686
case ${1:-} in i686 | x86_64) arch=$1; shift ;; esac
bench_build "$arch" | grep -E 'error|warning|Error' || true
[ "$arch" = i686 ] || bench_build i686 >/dev/null
bench_discs small
bench_start
bench_test_mounts
bench_ctest "$arch" "$@"
