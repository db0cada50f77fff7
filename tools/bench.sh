# tools/bench.sh: the Wine bench, sourced by run.sh, test.sh, the tools and
# the benchmarks.
#
# bench_packages      installs what is missing (Debian, as root)
# bench_sort          finds out once whether this machine runs 32-bit code,
#                     and picks Wine's loader and the builds that can run
# bench_build ARCH    configures and builds build/ARCH (i686 or x86_64)
# bench_start         starts Xvfb (unless told to use $DISPLAY), makes the
#                     prefix once, starts a warm wineserver; bench_stop, run
#                     on every way out, ends what bench_start started
# bench_discs SIZE    generates the sample install discs (small|realistic)
# bench_wine ...      runs a Windows program on the bench, output detached
#                     from Wine's services
# bench_step NAME CMD runs one step; when it fails, says which step and why,
#                     shows the end of its output and ends the script
#
# BENCH_BUILD picks the build folder (and with it the prefix, the discs and
# the mounts); BENCH_NO_32BIT=1 takes the path of a machine that runs no
# 32-bit code, on any machine.

BENCH_PROJECT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BUILD=${BENCH_BUILD:-$BENCH_PROJECT/build}
BENCH_ROOT=$BENCH_BUILD/bench
BENCH_LOGS=$BENCH_BUILD/logs
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export BENCH_ROOT
source "$BENCH_PROJECT/tools/faultdisc/faultdisc.sh"

BENCH_PACKAGES=(cmake make googletest mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386 xvfb xauth xdotool fonts-ipafont-gothic fonts-wine locales imagemagick
  liblnk-utils icoutils libxml2-utils "${FAULTDISC_PACKAGES[@]}")
# Bump when the prefix's settings change, so a cached prefix is made anew.
BENCH_PREFIX_VERSION=3
export BENCH_LOCALE=ja_JP.UTF-8

bench_log() { printf '[bench] %s\n' "$*" >&2; }

# bench_fail STEP CAUSE [LOG]: one line naming the step and its cause, the
# end of the step's output, and the end of the script (bench_stop runs).
bench_fail() {
  local step=$1 cause=$2 log=${3:-}
  printf '[bench] FAILED at step "%s": %s\n' "$step" "$cause" >&2
  if [ -n "$log" ] && [ -s "$log" ]; then
    printf '[bench] the last lines of its output (%s):\n' "$log" >&2
    tail -n "${BENCH_FAIL_LINES:-15}" "$log" | sed 's/^/    /' >&2
  fi
  exit 1
}

bench_step() {
  local step=$1 log rc
  shift
  mkdir -p "$BENCH_LOGS" 2>/dev/null || BENCH_LOGS=$(mktemp -d)
  log=$BENCH_LOGS/$(printf '%s' "$step" | tr -c 'A-Za-z0-9_.-' '-').log
  "$@" >"$log" 2>&1 </dev/null && return 0
  rc=$?
  local last
  last=$(grep -v '^\s*$' "$log" | tail -n 1 | cut -c1-200)
  case $rc in
    124) bench_fail "$step" "timed out: $*" "$log" ;;
    *) bench_fail "$step" "$1 exited with $rc${last:+: $last}" "$log" ;;
  esac
}

bench_packages() {
  local missing=() p
  for p in "${BENCH_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    bench_log "installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      bench_step "packages: add the i386 architecture" dpkg --add-architecture i386
    fi
    bench_step "packages: apt-get update" apt-get update -qq
    bench_step "packages: apt-get install" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    bench_log "generating the $BENCH_LOCALE locale"
    bench_step "locale $BENCH_LOCALE" localedef -i ja_JP -f UTF-8 "$BENCH_LOCALE"
  fi
}

# Sets BENCH_RUNS_32BIT (1 or 0), BENCH_LOADER (every Wine call goes
# through it), BENCH_ARCHS (the builds whose programs run here),
# BENCH_HELPER_ARCH (the build of the bench's own programs) and the prefix.
bench_sort() {
  [ -n "${BENCH_LOADER:-}" ] && [ -n "${BENCH_SORT_OF:-}" ] && [ "$BENCH_SORT_OF" = "$BENCH_BUILD" ] && return 0
  local loader
  for loader in /usr/lib/wine/wine /usr/lib/wine/wine64; do
    [ -x "$loader" ] || bench_fail "Wine's loaders" "$loader is missing: the wine, wine32 and wine64 packages are not all installed"
  done
  BENCH_SORT_WHY=
  if [ -n "${BENCH_NO_32BIT:-}" ] && [ "$BENCH_NO_32BIT" != 0 ]; then
    BENCH_RUNS_32BIT=0
    BENCH_SORT_WHY="BENCH_NO_32BIT is set"
  elif BENCH_SORT_WHY=$(timeout -k 5 30 /usr/lib/wine/wine --version 2>&1 </dev/null); then
    BENCH_RUNS_32BIT=1
  else
    BENCH_RUNS_32BIT=0
    BENCH_SORT_WHY="Wine's 32-bit loader does not start: $(printf '%s' "$BENCH_SORT_WHY" | grep -v '^\s*$' | tail -n 1)"
  fi
  if ((BENCH_RUNS_32BIT)); then
    BENCH_LOADER=/usr/lib/wine/wine
    BENCH_ARCHS=(i686 x86_64)
    BENCH_HELPER_ARCH=i686
    unset WINELOADER WINESERVER
    WINEPREFIX=${BENCH_PREFIX:-$BENCH_BUILD/wineprefix}
  else
    # Debian's wine and wineboot wrappers pick the 32-bit loader whenever
    # it is installed, so the 64-bit one is named outright.
    BENCH_LOADER=/usr/lib/wine/wine64
    export WINELOADER=$BENCH_LOADER
    [ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64
    BENCH_ARCHS=(x86_64)
    BENCH_HELPER_ARCH=x86_64
    # A prefix made without 32-bit code lacks its 32-bit half: one per sort.
    WINEPREFIX=${BENCH_PREFIX:-$BENCH_BUILD/wineprefix-64}
  fi
  export BENCH_LOADER BENCH_RUNS_32BIT BENCH_HELPER_ARCH WINEPREFIX
  BENCH_SORT_OF=$BENCH_BUILD
}

# One line on the sort of machine and what runs here.
bench_describe() {
  bench_sort
  if ((BENCH_RUNS_32BIT)); then
    bench_log "this machine runs 32-bit code: the i686 and x86_64 builds both run (loader $BENCH_LOADER)"
  elif [ "$BENCH_SORT_WHY" = "BENCH_NO_32BIT is set" ]; then
    bench_log "BENCH_NO_32BIT is set: as on a machine that runs no 32-bit code, the x86_64 build runs and the i686 build is built and checked without running (loader $BENCH_LOADER)"
  else
    bench_log "this machine runs no 32-bit code ($BENCH_SORT_WHY): the x86_64 build runs, the i686 build is built and checked without running (loader $BENCH_LOADER)"
  fi
}

bench_runs() { # bench_runs ARCH: whether that build's programs run here
  bench_sort
  [[ " ${BENCH_ARCHS[*]} " == *" $1 "* ]]
}

# bench_build ARCH [TARGET...]: everything, or only the targets named.
bench_build() {
  local arch=$1 dir=$BENCH_BUILD/$1
  shift
  bench_log "building $arch${1:+ ($*)}"
  bench_step "configure $arch" cmake -S "$BENCH_PROJECT" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$BENCH_PROJECT/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release
  BENCH_FAIL_LINES=40 bench_step "build $arch" cmake --build "$dir" -j "$(nproc)" ${1:+--target "$@"}
}

BENCH_XVFB_PID=
BENCH_SERVER_UP=
BENCH_MOUNTS=()
# Commands of the calling script that bench_stop runs first, while the
# server still runs (bench_on_stop COMMAND).
BENCH_STOP_HOOKS=()
bench_on_stop() { BENCH_STOP_HOOKS+=("$1"); }

bench_start_xvfb() {
  local n i log=$BENCH_LOGS/xvfb.log
  mkdir -p "$BENCH_LOGS"
  for n in $(seq 91 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
    BENCH_XVFB_PID=$!
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        bench_log "Xvfb on $DISPLAY, pid $BENCH_XVFB_PID"
        return 0
      fi
      kill -0 "$BENCH_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$BENCH_XVFB_PID" 2>/dev/null
    wait "$BENCH_XVFB_PID" 2>/dev/null
    BENCH_XVFB_PID=
    # Another display took the number first: try the next. Xvfb that does
    # not start at all is a fault of its own.
    grep -q 'already active\|Server is already' "$log" || break
  done
  bench_fail "Xvfb" "no virtual display could be started" "$log"
}

# Wine's services inherit the output of the first Wine process of a
# session: it must not be a pipe that somebody waits on.
bench_wine() {
  bench_sort
  LC_ALL=$BENCH_LOCALE timeout -k 5 "${BENCH_WINE_TIMEOUT:-120}" "$BENCH_LOADER" "$@" </dev/null
}

bench_reg() {
  bench_step "registry: reg $*" bench_wine reg "$@"
}

bench_prefix_stamp() { echo "$BENCH_PREFIX_VERSION runs-32bit=$BENCH_RUNS_32BIT"; }

bench_wineboot() {
  bench_wine wineboot -i
  local rc=$?
  # Where no 32-bit code runs, wineboot reports that syswow64's rundll32
  # cannot start (c0000135); the 64-bit prefix is whole all the same.
  if ((rc != 0)) && [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "wineboot exited with $rc; the prefix is in place"
    return 0
  fi
  return $rc
}

bench_make_prefix() {
  if [ -f "$WINEPREFIX/.bench-prefix" ] && [ "$(cat "$WINEPREFIX/.bench-prefix")" = "$(bench_prefix_stamp)" ]; then
    return 0
  fi
  bench_log "making the Wine prefix (once): $WINEPREFIX"
  # wineboot starts the prefix's server: bench_stop ends it, also when a
  # step below fails.
  BENCH_SERVER_UP=1
  bench_step "prefix: clear $WINEPREFIX" rm -rf "$WINEPREFIX"
  bench_step "prefix: create $WINEPREFIX" mkdir -p "$WINEPREFIX"
  BENCH_WINE_TIMEOUT=300 bench_step "prefix: wineboot -i" bench_wineboot
  # Without a window manager every hide or destroy of a top-level window
  # otherwise waits about 2 s.
  bench_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # The dialogs' font, proportional as on Windows.
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # No desktop theme: Windows draws the controls of a program that asks for
  # no visual styles, as setup.exe does, the classic way, while Wine's
  # default theme draws them themed, a progress bar's move at eight times
  # the cost.
  bench_reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f
  bench_step "prefix: wait for the server" timeout -k 5 120 wineserver -w
  bench_prefix_stamp >"$WINEPREFIX/.bench-prefix"
}

# Wine programs run in the Japanese locale (ANSI code page 932); the
# bench's own steps keep the caller's, so their messages stay readable.
bench_env() {
  bench_sort
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' \
    || bench_fail "locale $BENCH_LOCALE" "the locale is missing (bench_packages generates it)"
}

bench_start() {
  bench_env
  mkdir -p "$BENCH_ROOT" "$BENCH_LOGS"
  trap bench_stop EXIT
  trap 'exit 130' INT TERM
  if [ -z "${BENCH_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    bench_start_xvfb
  fi
  bench_make_prefix
  bench_restart_wine
  bench_log "bench up: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
}

# A warm, persistent server for the prefix, and a held desktop.
bench_restart_wine() {
  wineserver -k >/dev/null 2>&1 || true
  BENCH_SERVER_UP=1
  (wineserver -p >/dev/null 2>&1 &)
  bench_step "wineserver: warm up" bench_wine cmd /c exit
  local holder=$BENCH_BUILD/$BENCH_HELPER_ARCH/bin/benchdrive.exe
  if [ -x "$holder" ]; then
    (BENCH_WINE_TIMEOUT=86400 bench_wine "$holder" hold >/dev/null 2>&1 &)
  fi
}

# Ends what the bench started, each step whatever became of the others.
bench_stop() {
  set +e
  trap - EXIT INT TERM
  local hook
  for hook in "${BENCH_STOP_HOOKS[@]}"; do
    eval "$hook" >/dev/null 2>&1
  done
  BENCH_STOP_HOOKS=()
  if [ -n "$BENCH_SERVER_UP" ]; then
    # Ends the prefix's server and every Wine process of it, the held
    # window included.
    timeout -k 5 30 wineserver -k >/dev/null 2>&1
    timeout -k 5 30 wineserver -w >/dev/null 2>&1
    BENCH_SERVER_UP=
  fi
  # Only once no Wine process can touch them: a FUSE mount whose process
  # is gone hangs whatever reads it.
  faultdisc_stop_all
  local m
  for m in "${BENCH_MOUNTS[@]}"; do
    umount -l "$m" 2>/dev/null
  done
  BENCH_MOUNTS=()
  if [ -n "$BENCH_XVFB_PID" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null
    wait "$BENCH_XVFB_PID" 2>/dev/null
    BENCH_XVFB_PID=
  fi
  return 0
}

# bench_mount_tmpfs DIR OPTIONS: a small file system of the bench's own,
# unmounted by bench_stop. Where mounting is not allowed, says so; the
# tests that need it skip.
bench_mount_tmpfs() {
  local dir=$1 options=$2 why
  mkdir -p "$dir"
  mountpoint -q "$dir" && umount -l "$dir"
  if why=$(mount -t tmpfs -o "$options" tmpfs "$dir" 2>&1); then
    BENCH_MOUNTS+=("$dir")
  else
    bench_log "no tmpfs at $dir (${why:-mount refused}): the tests that need it are skipped"
  fi
}

# bench_ctest ARCH [CTEST ARGS]: runs the tests of one build on the bench.
bench_ctest() {
  local arch=$1
  shift
  bench_step "drives: reset" bench_wine "$BENCH_BUILD/$arch/bin/benchdrive.exe" reset
  (cd "$BENCH_BUILD/$arch" && ctest --output-on-failure --timeout 600 "$@")
}

# bench_static_checks ARCH: the checks of a build that need no running.
bench_static_checks() {
  (cd "$BENCH_BUILD/$1/tests/pe" && ctest --output-on-failure)
}

bench_discs() {
  bench_sort
  bench_step "discs ($1)" "$BENCH_PROJECT/tools/make-discs.sh" "$BENCH_ROOT/discs-$1" "$1" \
    "$BENCH_BUILD/$BENCH_HELPER_ARCH/bin/hoshi.exe"
}

# The file systems some tests use, under $BENCH_ROOT/mnt:
#   small       256 KiB: a copy runs out of room in the middle of a file
#   space       1300 MiB: exactly a full install's threshold of free space
#   readonly    read-only
#   faultdisc1  the small install discs 1 and 2, as discs that fail when a
#   faultdisc2  test asks (faultdisc1.control, faultdisc2.control)
bench_test_mounts() {
  bench_mount_tmpfs "$BENCH_ROOT/mnt/small" size=256k
  bench_mount_tmpfs "$BENCH_ROOT/mnt/space" size=1300m
  bench_mount_tmpfs "$BENCH_ROOT/mnt/readonly" size=64k,ro
  local n
  for n in 1 2; do
    faultdisc_mount "$BENCH_ROOT/discs-small/disc$n" "$BENCH_ROOT/mnt/faultdisc$n" "$BENCH_ROOT/mnt/faultdisc$n.control" \
      || bench_log "no failing disc $n: the tests that need it are skipped"
  done
}
