#!/usr/bin/env bash
# Installs what is missing, builds setup.exe, prepares the Wine bench with
# the install discs in two CD-ROM drives (D: and E:) and starts the setup
# program from D:\ as autorun would: the 32-bit build, the one that ships,
# or the 64-bit one where this machine runs no 32-bit code. With a DISPLAY
# it opens there; without one it runs on a virtual screen, saves a
# screenshot of the start page, then walks the window through an install,
# an abort and a removal (tools/screenshots.sh) and prints the folder of
# those pictures.
#   ./run.sh                       the sample discs, images of about 45 MB
#   DISC_SIZE=realistic ./run.sh   sample discs of about 1.3 GB
#   ./run.sh DISC1 DISC2           a player's own discs, each an ISO 9660
#                                  image or a folder with its .windows-label
set -euo pipefail
player=()
case $# in
  0) ;;
  2)
    for disc in "$@"; do
      case $disc in /*) player+=("$disc") ;; *) player+=("$PWD/$disc") ;; esac
    done
    ;;
  *)
    echo "run.sh: give both install discs (DISC1 DISC2, each an ISO image or a folder), or none for the sample discs" >&2
    exit 2
    ;;
esac
cd "$(dirname "$0")"
source tools/bench.sh

bench_packages
# A wrong disc is named before anything starts, so nothing is left to end.
for n in 1 2; do
  ((${#player[@]})) || break
  problem=$(bench_disc_problem "$n" "${player[n - 1]}")
  if [ -n "$problem" ]; then
    echo "run.sh: ${!n}: $problem" >&2
    exit 2
  fi
done
bench_describe
arch=$BENCH_HELPER_ARCH
if [ "$arch" = i686 ]; then
  bench_log "starting the i686 setup.exe, the build that ships (this machine runs 32-bit code)"
else
  bench_log "starting the x86_64 setup.exe: the i686 build that ships cannot run here ($BENCH_SORT_WHY)"
fi
bench_build "$arch" setup hoshi benchdrive
bin=$BENCH_BUILD/$arch/bin
if ((${#player[@]})); then
  # Whatever setup.exe a player's disc carries, the one started is this
  # build, from the disc as its current folder.
  program=$bin/setup.exe
else
  bench_discs "${DISC_SIZE:-small}"
  program='D:\setup.exe'
fi

headless=1
if [ -n "${DISPLAY:-}" ]; then
  headless=
  BENCH_USE_DISPLAY=1
fi
bench_start
if ((${#player[@]})); then
  bench_serve_disc 1 "${player[0]}"
  bench_serve_disc 2 "${player[1]}"
else
  bench_disc_mounts "${DISC_SIZE:-small}"
fi
bench_step "drives: reset" bench_wine "$bin/benchdrive.exe" reset
bench_step "drives: disc 1 in D:" bench_wine "$bin/benchdrive.exe" cdrom d "$BENCH_DISC1" hoshikage1
bench_step "drives: disc 2 in E:" bench_wine "$bin/benchdrive.exe" cdrom e "$BENCH_DISC2" hoshikage2

# Wine makes the folder it is started in the program's current folder:
# D:\, as autorun gives it.
if [ -z "$headless" ]; then
  bench_log "install disc 1 is in D:, disc 2 in E:; close the window to end"
  (cd "$BENCH_DISC1" && BENCH_WINE_TIMEOUT=86400 bench_wine "$program") || true
  exit 0
fi

# Headless: a Wine desktop of its own gives the window its title bar.
shot=$BENCH_BUILD/start-page.png
(cd "$BENCH_DISC1" && BENCH_WINE_TIMEOUT=60 bench_wine explorer /desktop=hoshikage,400x300 "$program") >/dev/null 2>&1 &
desktop=
for _ in $(seq 1 150); do
  # By its process's class: Wine words the desktop's title in the locale's
  # language, and not alike in every version.
  desktop=$(xdotool search --onlyvisible --classname '^explorer\.exe$' 2>/dev/null | head -1 || true)
  [ -n "$desktop" ] && break
  sleep 0.1
done
[ -n "$desktop" ] || bench_fail "setup window" "the setup window did not appear within 15 s"
sleep 2
bench_step "screenshot" import -window "$desktop" "$shot"
echo "screenshot of the start page: $shot"
# The tour starts a bench of its own on the same prefix: this one ends first.
bench_stop
SHOTS_DIR=$BENCH_BUILD/walkthrough "$BENCH_PROJECT/tools/screenshots.sh" "${player[@]}"
