#!/usr/bin/env bash
# Photographs the setup window's pages and main message boxes on the bench
# into docs/images/ (the README's pictures), or into $SHOTS_DIR when it is
# set. Wine gets a virtual desktop for the time of the tour, so the window
# has its title bar; tests run without one.
#   tools/screenshots.sh [DISC1 DISC2]   the install discs: the small sample
#                                        images, or a player's own (run.sh)
# SHOTS_LOCALE=en_US.UTF-8 starts the setup as on an English Windows (code
# page 1252), in a prefix made as one, its pictures by default into
# docs/images/en_US/.
set -euo pipefail
source "$(dirname "$0")/bench.sh"
(($# == 0 || $# == 2)) || { echo "usage: $0 [DISC1 DISC2]" >&2; exit 2; }
for n in 1 2; do
  (($#)) || break
  problem=$(bench_disc_problem "$n" "${!n}")
  [ -z "$problem" ] || { echo "screenshots.sh: ${!n}: $problem" >&2; exit 2; }
done
if [ -n "${SHOTS_LOCALE:-}" ]; then
  bench_has_locale "$SHOTS_LOCALE" || { echo "screenshots.sh: no locale $SHOTS_LOCALE (locale -a)" >&2; exit 2; }
  export SHOTS_LOCALE SHOTS_DIR=${SHOTS_DIR:-$BENCH_PROJECT/docs/images/${SHOTS_LOCALE%%.*}}
  BENCH_PREFIX_LOCALE=$SHOTS_LOCALE
fi
# The tour reads the discs from Windows, through Z:.
discs=()
for disc in "$@"; do
  case $disc in /*) discs+=("$disc") ;; *) discs+=("$PWD/$disc") ;; esac
done
bench_describe
bench_build "$BENCH_HELPER_ARCH" screenshot_tour setup hoshi benchdrive
((${#discs[@]})) || bench_discs small

desktop_on() {
  bench_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  bench_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x640 /f
}
desktop_off() {
  bench_wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
}

bench_start
if ((${#discs[@]})); then
  bench_serve_disc 1 "${discs[0]}"
  bench_serve_disc 2 "${discs[1]}"
else
  bench_disc_mounts small
fi
bench_on_stop desktop_off
desktop_on
bench_restart_wine
export SHOTS_DIR=${SHOTS_DIR:-$BENCH_PROJECT/docs/images}
mkdir -p "$SHOTS_DIR"
bench_step "screenshot tour" bench_wine "$BENCH_BUILD/$BENCH_HELPER_ARCH/bin/screenshot_tour.exe"
ls -l "$SHOTS_DIR"
echo "the walkthrough's pictures: $SHOTS_DIR"
