#!/usr/bin/env bash
# Installs what is missing, builds setup.exe, prepares the Wine bench with
# the sample install discs in two CD-ROM drives (D: and E:) and starts the
# setup program: the 32-bit build, the one that ships, or the 64-bit one
# where this machine runs no 32-bit code. With a DISPLAY it opens there;
# without one it runs on a virtual screen, saves a screenshot of the start
# page, then walks the window through an install, an abort and a removal
# (tools/screenshots.sh) and prints the folder of those pictures.
#   DISC_SIZE=realistic ./run.sh   discs of about 1.3 GB instead of 45 MB
set -euo pipefail
cd "$(dirname "$0")"
source tools/bench.sh

bench_packages
bench_describe
arch=$BENCH_HELPER_ARCH
if [ "$arch" = i686 ]; then
  bench_log "starting the i686 setup.exe, the build that ships (this machine runs 32-bit code)"
else
  bench_log "starting the x86_64 setup.exe: the i686 build that ships cannot run here ($BENCH_SORT_WHY)"
fi
bench_build "$arch" setup hoshi benchdrive
bench_discs "${DISC_SIZE:-small}"
discs=$BENCH_ROOT/discs-${DISC_SIZE:-small}
bin=$BENCH_BUILD/$arch/bin

headless=1
if [ -n "${DISPLAY:-}" ]; then
  headless=
  BENCH_USE_DISPLAY=1
fi
bench_start
bench_step "drives: reset" bench_wine "$bin/benchdrive.exe" reset
bench_step "drives: disc 1 in D:" bench_wine "$bin/benchdrive.exe" cdrom d "$discs/disc1" hoshikage1
bench_step "drives: disc 2 in E:" bench_wine "$bin/benchdrive.exe" cdrom e "$discs/disc2" hoshikage2

if [ -z "$headless" ]; then
  bench_log "install disc 1 is in D:, disc 2 in E:; close the window to end"
  BENCH_WINE_TIMEOUT=86400 bench_wine "$bin/setup.exe" || true
  exit 0
fi

# Headless: a Wine desktop of its own gives the window its title bar.
shot=$BENCH_BUILD/start-page.png
BENCH_WINE_TIMEOUT=60 bench_wine explorer /desktop=hoshikage,400x300 "$bin/setup.exe" >/dev/null 2>&1 &
desktop=
for _ in $(seq 1 150); do
  desktop=$(xdotool search --name 'hoshikage - Wine desktop' 2>/dev/null | head -1 || true)
  [ -n "$desktop" ] && break
  sleep 0.1
done
[ -n "$desktop" ] || bench_fail "setup window" "the setup window did not appear within 15 s"
sleep 2
bench_step "screenshot" import -window "$desktop" "$shot"
echo "screenshot of the start page: $shot"
# The tour starts a bench of its own on the same prefix: this one ends first.
bench_stop
SHOTS_DIR=$BENCH_BUILD/walkthrough "$BENCH_PROJECT/tools/screenshots.sh"
