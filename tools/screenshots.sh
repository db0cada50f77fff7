#!/usr/bin/env bash
# Photographs the setup window's pages and main message boxes on the bench
# into docs/images/, for the README. Wine gets a virtual desktop for the
# time of the tour, so the window has its title bar; tests run without one.
set -euo pipefail
source "$(dirname "$0")/bench.sh"
bench_build i686 screenshot_tour setup hoshi benchdrive >/dev/null
bench_discs small

desktop_on() {
  bench_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  bench_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x640 /f
}
desktop_off() {
  bench_reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
}

bench_start
trap 'desktop_off; bench_stop' EXIT
desktop_on
bench_restart_wine
export SHOTS_DIR=$BENCH_PROJECT/docs/images
mkdir -p "$SHOTS_DIR"
bench_wine "$BENCH_BUILD/i686/bin/screenshot_tour.exe"
ls -l "$SHOTS_DIR"
