#!/usr/bin/env bash
# Installs what is missing, builds both architectures, starts the Wine
# bench and runs every test of each under CTest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bench.sh

bench_packages
bench_build i686
bench_build x86_64
bench_discs small
bench_start
bench_test_mounts

status=0
for arch in i686 x86_64; do
  printf '\n===== %s =====\n' "$arch"
  bench_ctest "$arch" || status=1
done
exit $status
